#include "OpticsError.h"

namespace diffrascope::optics {

ParameterError::ParameterError(std::string parameter, const std::string &problem)
    : Error(parameter + ": " + problem), parameter_(std::move(parameter)) {}

NoLightError::NoLightError() : Error("no light passes the aperture") {}

OutOfMemoryError::OutOfMemoryError() : Error("not enough memory for the computation") {}

CancelledError::CancelledError() : Error("the computation was cancelled") {}

} // namespace diffrascope::optics
