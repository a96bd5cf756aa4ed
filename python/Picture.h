#pragma once
// The 8-bit picture the renderer writes for a result, as a numpy array over
// the picture's own memory.

#include <pybind11/numpy.h>

#include "Engine.h"

namespace diffrascope::python {

// A sheet with its labels (drawn by Qt, on the offscreen platform unless the
// process has a QGuiApplication already): rows top first, as a PNG holds them.
// Throws MemoryError when the picture cannot be had.
pybind11::array_t<std::uint8_t> SheetGrey(const optics::Result &result);

} // namespace diffrascope::python
