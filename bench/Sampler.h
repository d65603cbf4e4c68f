#pragma once
// Times one piece of work over repeated samples with the performance counter. Each sample runs
// the work once; the work repeats its inner loop often enough to last milliseconds, so the
// counter's resolution does not matter.

#include "bench/BenchTable.h"

#include <windows.h>

#include <algorithm>
#include <vector>

class Sampler {
public:
    explicit Sampler(int samples = 21) : m_samples(samples) {}

    // Nanoseconds per unit of work: a sample's time divided by unitsPerSample. One sample runs
    // first as a warm-up and is not counted.
    template <typename Work> Timing Measure(Work&& work, double unitsPerSample) const {
        work();
        std::vector<double> perUnit;
        perUnit.reserve(static_cast<size_t>(m_samples));
        for (int i = 0; i < m_samples; ++i) {
            LARGE_INTEGER start;
            LARGE_INTEGER stop;
            QueryPerformanceCounter(&start);
            work();
            QueryPerformanceCounter(&stop);
            double seconds = static_cast<double>(stop.QuadPart - start.QuadPart) /
                             static_cast<double>(Frequency());
            perUnit.push_back(seconds * 1e9 / unitsPerSample);
        }
        std::sort(perUnit.begin(), perUnit.end());
        return {perUnit[perUnit.size() / 2], perUnit.front()};
    }

private:
    static LONGLONG Frequency() {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return frequency.QuadPart;
    }

    int m_samples;
};
