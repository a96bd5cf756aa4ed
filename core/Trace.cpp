#include "Trace.h"

namespace diffrascope {
namespace {
std::FILE *traceOutput = stdout;
}

void SetTraceOutput(std::FILE *out) { traceOutput = out; }

void WriteTrace(const char *line) {
    if (traceOutput != nullptr) {
        std::fputs(line, traceOutput);
    }
}

} // namespace diffrascope
