#pragma once
// Registration of the pipeline benchmarks (names carry the grid size and the
// parameter set, e.g. BM_ComputeStarImage/1024/obstructed).

namespace diffrascope::bench {

void RegisterPipelineBenchmarks();

} // namespace diffrascope::bench
