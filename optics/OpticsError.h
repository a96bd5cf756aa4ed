#pragma once
// What stops the optics library, one type per reason, all of the project's
// error family. Their texts are English and name what went wrong; a program
// says them in its own words where its users expect those (the renderer keeps
// the window's texts for no light and short memory).

#include <string>
#include <utility>

#include "Errors.h" // the project's error family: ComputationError

namespace diffrascope::optics {

class Error : public ComputationError {
  public:
    using ComputationError::ComputationError;
};

// A value of the description outside what the library accepts, or two that
// do not go together. The message names the parameter by the renderer's
// option name ("spherical", "startest", "grid").
class ParameterError : public Error {
  public:
    ParameterError(std::string parameter, const std::string &problem);
    const std::string &Parameter() const { return parameter_; }

  private:
    std::string parameter_;
};

// No light reaches the far field: nothing to normalise.
class NoLightError : public Error {
  public:
    NoLightError();
};

// A working buffer could not be had; nothing half-made is kept.
class OutOfMemoryError : public Error {
  public:
    OutOfMemoryError();
};

// The caller asked the computation to stop; it left nothing half-made.
class CancelledError : public Error {
  public:
    CancelledError();
};

} // namespace diffrascope::optics
