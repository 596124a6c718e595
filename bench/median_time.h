// The timing the benchmark programs share: five runs of a step, the median.

#ifndef PARLAVOX_BENCH_MEDIAN_TIME_H_
#define PARLAVOX_BENCH_MEDIAN_TIME_H_

#include <algorithm>
#include <chrono>
#include <vector>

// The median wall time of five runs of `run`, in milliseconds.
template <typename Run>
double medianMilliseconds(const Run& run) {
  std::vector<double> times;
  for (int i = 0; i < 5; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    const std::chrono::duration<double, std::milli> took =
        std::chrono::steady_clock::now() - start;
    times.push_back(took.count());
  }
  std::sort(times.begin(), times.end());
  return times[2];
}

#endif  // PARLAVOX_BENCH_MEDIAN_TIME_H_
