#pragma once
// Collects the core's trace lines in a temporary file for the life of the object.

#include <cstdio>
#include <string>

#include "Trace.h"

namespace diffrascope {

class TraceCapture {
  public:
    TraceCapture() : file_(std::tmpfile()) { SetTraceOutput(file_); }
    ~TraceCapture() {
        SetTraceOutput(stdout);
        std::fclose(file_);
    }
    TraceCapture(const TraceCapture &) = delete;
    TraceCapture &operator=(const TraceCapture &) = delete;

    std::string Text() const {
        std::fflush(file_);
        std::rewind(file_);
        std::string text;
        for (int c = std::fgetc(file_); c != EOF; c = std::fgetc(file_)) {
            text.push_back(static_cast<char>(c));
        }
        return text;
    }

  private:
    std::FILE *file_;
};

} // namespace diffrascope
