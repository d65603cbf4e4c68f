#pragma once
// Rows for the gauge expression engine: nanoseconds per token for the built-in gauge's
// expressions and a 30-token script, against a floor that only cuts the same text into tokens.

class BenchTable;
class Sampler;

void AddGaugeExpressionRows(BenchTable& table, const Sampler& sampler);
