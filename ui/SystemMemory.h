#pragma once
// The operating system's figure of available physical memory. This is the
// program's one contact with the operating system beyond Qt: a port to another
// system re-implements SystemAvailableBytes() in SystemMemory.cpp and nothing else.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace diffrascope::ui {

// Physical memory available, in bytes, as the system reports it.
using AvailableBytesSource = std::function<std::uint64_t()>;

// The kernel's figure: MemAvailable of /proc/meminfo (MemFree where the
// kernel has no MemAvailable), 0 when neither can be read.
std::uint64_t SystemAvailableBytes();

// Linux: the same figure from the text of a meminfo file, whose lines read
// "Key:  123 kB" with kB of 1024 bytes; 0 when neither key is there.
std::uint64_t MemInfoAvailableBytes(std::string_view meminfo);
// ... and from the file at path; 0 when it cannot be read.
std::uint64_t MemInfoFileAvailableBytes(const std::string &path);

// Replaces the system's figure, for tests; an empty source restores it.
void SetAvailableBytesSource(AvailableBytesSource source);

// Available physical memory in units of 10^6 bytes, counted as an unsigned
// 32-bit byte figure: never above 4294.967295.
long double AvailablePhysicalMegabytes();

} // namespace diffrascope::ui
