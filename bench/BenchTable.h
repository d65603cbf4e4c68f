#pragma once
// The one table the benchmark program prints: a row per figure, with its median and minimum
// over repeated samples and, where one makes sense, the median of a floor measured in the same
// run and the ratio to it.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

struct Timing {
    double median;
    double minimum;
};

struct BenchRow {
    std::string figure;
    std::string unit;
    Timing timing;
    std::optional<Timing> floor; // what the same work costs at the least
    std::string floorName;
};

class BenchTable {
public:
    void Add(BenchRow row) { m_rows.push_back(std::move(row)); }
    void Print(std::FILE* out) const;

private:
    std::vector<BenchRow> m_rows;
};
