#include "Errors.h"

namespace diffrascope {

ZeroDivisionError::ZeroDivisionError() : ComputationError(kZeroDivisionText) {}

AllocationError::AllocationError() : ComputationError(kMemoryShortText) {}

} // namespace diffrascope
