#pragma once
// Rows for the gauge renderer: microseconds per frame of the built-in gauge and of the 21-element
// sample gauge, against the floor of copying one finished image into the send buffer.

class BenchTable;
class Sampler;

void AddGaugeRenderRows(BenchTable& table, const Sampler& sampler);
