// DravikBench: measures the program's hot paths and prints one table of figures. Each area adds
// its rows; a row's floor is measured in the same run, so ratios compare like with like.

#include "bench/BenchTable.h"
#include "bench/GaugeExpressionBench.h"
#include "bench/GaugePageBench.h"
#include "bench/GaugeRenderBench.h"
#include "bench/Sampler.h"

#include <cstdio>

int main() {
    std::printf("DravikBench (%d-bit): median and minimum over repeated samples\n\n",
                static_cast<int>(sizeof(void*) * 8));
    Sampler sampler;
    BenchTable table;
    AddGaugeExpressionRows(table, sampler);
    AddGaugeRenderRows(table, sampler);
    AddGaugePageRows(table);
    table.Print(stdout);
    return 0;
}
