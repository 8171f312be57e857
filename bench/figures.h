// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the desktop benchmarks share: the monotonic clock in milliseconds and
// the summary of a series of measurements.

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

namespace numbelle::bench {

inline double nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct Summary {
    double median = 0, min = 0, max = 0, p95 = 0;
    size_t count = 0;
};

inline Summary summarize(std::vector<double> v)
{
    Summary s;
    s.count = v.size();
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    s.median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    s.min = v.front();
    s.max = v.back();
    s.p95 = v[std::min(n - 1, size_t(std::ceil(0.95 * double(n))) - 1)];
    return s;
}

} // namespace numbelle::bench
