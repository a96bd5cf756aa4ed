#pragma once
// Registration of the lab window's benchmarks (BM_LabUpdate/512 and
// BM_LabUpdate/512/visual); they need a QApplication on the offscreen
// platform, made by the caller.

namespace diffrascope::bench {

void RegisterLabBenchmarks();

} // namespace diffrascope::bench
