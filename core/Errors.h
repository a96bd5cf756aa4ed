#pragma once
// Errors that stop a computation. Their texts are shown to the user as they stand.

#include <stdexcept>
#include <string>

namespace diffrascope {

class ComputationError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// No light reached the far field: the normalisation would divide by zero.
class ZeroDivisionError : public ComputationError {
  public:
    ZeroDivisionError();
};

// A working buffer could not be had; nothing half-built is kept.
class AllocationError : public ComputationError {
  public:
    AllocationError();
};

// A position or grid size outside what the computation accepts.
class InvalidInputError : public ComputationError {
  public:
    using ComputationError::ComputationError;
};

inline constexpr const char *kZeroDivisionText = "0 による浮動小数点数除算";
inline constexpr const char *kMemoryShortText = "メモリが足りません。\u3000計算分割数を減らして下さい。";

} // namespace diffrascope
