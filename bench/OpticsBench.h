#pragma once
// Registration of the optics library's benchmarks: a general pupil (coma,
// astigmatism and a spider), white light, and star-test sheets.

namespace diffrascope::bench {

void RegisterOpticsBenchmarks();

} // namespace diffrascope::bench
