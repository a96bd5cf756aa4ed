// diffrascope-bench: the star-image computation against its literal reading
// and an FFTW3 pipeline, and the window in real-time mode. The thread count
// comes from DIFFRASCOPE_THREADS, as in the program.

#include <benchmark/benchmark.h>

#include "OpticsBench.h"
#include "PipelineBench.h"
#include "Trace.h"

#if defined(DIFFRASCOPE_BENCH_WINDOW) || defined(DIFFRASCOPE_BENCH_LAB)
#include <QApplication>
#endif
#if defined(DIFFRASCOPE_BENCH_WINDOW)
#include "WindowBench.h"
#endif
#if defined(DIFFRASCOPE_BENCH_LAB)
#include "LabBench.h"
#endif

int main(int argc, char **argv) {
    diffrascope::SetTraceOutput(nullptr); // keep the table free of the core's trace lines
    diffrascope::bench::RegisterPipelineBenchmarks();
    diffrascope::bench::RegisterOpticsBenchmarks();
#if defined(DIFFRASCOPE_BENCH_WINDOW) || defined(DIFFRASCOPE_BENCH_LAB)
    qputenv("QT_QPA_PLATFORM", "offscreen"); // the window figures are taken off screen
    QApplication application(argc, argv);
#endif
#if defined(DIFFRASCOPE_BENCH_WINDOW)
    diffrascope::bench::RegisterWindowBenchmarks();
#endif
#if defined(DIFFRASCOPE_BENCH_LAB)
    diffrascope::bench::RegisterLabBenchmarks();
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
