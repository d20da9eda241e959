// The main() of the benchmark programs.

#include <benchmark/benchmark.h>
#include <limits>
#include <malloc.h>

int main(int argc, char** argv) {
    // Keep freed memory in the process. By default glibc hands blocks of a few MB back to the
    // kernel (large blocks are mapped and unmapped one by one, and the top of the heap is
    // trimmed), and every later block of that size is paid for again in page faults. On the
    // virtual machines here a fault costs about 10 us, so the figures would depend on the
    // order the benchmarks run in (GetSEData after FillSeCombo took 25 ms instead of 2.6 ms)
    // and a single 8 MB joined line, which touches ~100 MB of fresh pages, would measure the
    // kernel. With this the figures show the code itself; a single cold call still pays the
    // faults once.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
