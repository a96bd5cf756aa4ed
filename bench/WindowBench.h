#pragma once
// Registration of the window benchmarks (BM_WindowRealTime/<N>); they need a
// QApplication on the offscreen platform, made by the caller.

namespace diffrascope::bench {

void RegisterWindowBenchmarks();

} // namespace diffrascope::bench
