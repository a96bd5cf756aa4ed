#pragma once
// The operating system's figure of available physical memory. This is the
// program's one contact with the operating system beyond Qt: a port to another
// system re-implements SystemAvailableBytes() in SystemMemory.cpp and nothing else.

#include <cstdint>
#include <functional>

namespace diffrascope::ui {

// Physical memory available, in bytes, as the system reports it.
using AvailableBytesSource = std::function<std::uint64_t()>;

// The kernel's figure: MemAvailable of /proc/meminfo (MemFree where the
// kernel has no MemAvailable), 0 when neither can be read.
std::uint64_t SystemAvailableBytes();

// Replaces the system's figure, for tests; an empty source restores it.
void SetAvailableBytesSource(AvailableBytesSource source);

// Available physical memory in units of 10^6 bytes, counted as an unsigned
// 32-bit byte figure: never above 4294.967295.
long double AvailablePhysicalMegabytes();

} // namespace diffrascope::ui
