// Entry point of the benchmark binary.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
