// diffrascope-bench: the star-image computation against its literal reading
// and an FFTW3 pipeline. The thread count comes from DIFFRASCOPE_THREADS.

#include <benchmark/benchmark.h>

#include "PipelineBench.h"
#include "Trace.h"

int main(int argc, char **argv) {
    diffrascope::SetTraceOutput(nullptr); // keep the table free of the core's trace lines
    diffrascope::bench::RegisterPipelineBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
