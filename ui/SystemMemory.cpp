#include "SystemMemory.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <utility>

namespace diffrascope::ui {

// ---- Linux: the kernel's memory figures. A port replaces this part only. ----

namespace {

constexpr const char *kMemInfoPath = "/proc/meminfo";
constexpr std::uint64_t kBytesPerKiB = 1024; // /proc/meminfo counts in kB of 1024 bytes

// The value of the "Key:  123 kB" line of /proc/meminfo, in bytes.
bool ReadMemInfoBytes(const std::string &key, std::uint64_t &bytes) {
    std::ifstream meminfo(kMemInfoPath);
    for (std::string line; std::getline(meminfo, line);) {
        std::istringstream fields(line);
        std::string name;
        std::uint64_t kib = 0;
        if (fields >> name >> kib && name == key + ":") {
            bytes = kib * kBytesPerKiB;
            return true;
        }
    }
    return false;
}

} // namespace

std::uint64_t SystemAvailableBytes() {
    std::uint64_t bytes = 0;
    if (ReadMemInfoBytes("MemAvailable", bytes) || ReadMemInfoBytes("MemFree", bytes)) {
        return bytes;
    }
    return 0;
}

// ---- The same on every system. ----

namespace {

constexpr long double kBytesToMegabytes = 1e-6L; // units of 10^6 bytes, not 2^20

AvailableBytesSource &Source() {
    static AvailableBytesSource source;
    return source;
}

} // namespace

void SetAvailableBytesSource(AvailableBytesSource source) { Source() = std::move(source); }

long double AvailablePhysicalMegabytes() {
    const std::uint64_t bytes = Source() ? Source()() : SystemAvailableBytes();
    const std::uint64_t counted = std::min<std::uint64_t>(bytes, std::numeric_limits<std::uint32_t>::max());
    return static_cast<long double>(counted) * kBytesToMegabytes;
}

} // namespace diffrascope::ui
