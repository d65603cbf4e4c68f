#pragma once
// Rows for the gauge page: milliseconds for one image sent to an instrument panel through the
// real library over the pipe to the stand-in service, against the library's own send of the same
// image; and the CPU an idle page costs while its render thread runs, against the same process
// without the render thread.

class BenchTable;

void AddGaugePageRows(BenchTable& table);
