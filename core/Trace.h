#pragma once
// Trace lines of the computation ("a\n", "b\n", "extended int\n", "Alloc Error  !!\n").

#include <cstdio>

namespace diffrascope {

// Where trace lines go: standard output by default, nowhere when null.
void SetTraceOutput(std::FILE *out);
void WriteTrace(const char *line);

} // namespace diffrascope
