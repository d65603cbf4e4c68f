#include "bench/BenchTable.h"

void BenchTable::Print(std::FILE* out) const {
    std::fprintf(out, "%-56s %-9s %10s %10s %10s %7s  %s\n", "figure", "unit", "median", "min",
                 "floor", "ratio", "floor measured as");
    for (const BenchRow& row : m_rows) {
        std::fprintf(out, "%-56s %-9s %10.1f %10.1f", row.figure.c_str(), row.unit.c_str(),
                     row.timing.median, row.timing.minimum);
        // A floor of nothing (an idle process) has no ratio to it.
        if (row.floor && row.floor->median > 0)
            std::fprintf(out, " %10.1f %7.2f  %s\n", row.floor->median,
                         row.timing.median / row.floor->median, row.floorName.c_str());
        else if (row.floor)
            std::fprintf(out, " %10.1f %7s  %s\n", row.floor->median, "-", row.floorName.c_str());
        else
            std::fprintf(out, " %10s %7s\n", "-", "-");
    }
}
