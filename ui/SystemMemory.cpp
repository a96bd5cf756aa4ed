#include "SystemMemory.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

namespace diffrascope::ui {

// ---- Linux: the kernel's memory figures. A port replaces this part only. ----

namespace {

constexpr const char *kMemInfoPath = "/proc/meminfo";
constexpr std::uint64_t kBytesPerKiB = 1024; // /proc/meminfo counts in kB of 1024 bytes
constexpr std::string_view kAvailableKey = "MemAvailable:";
constexpr std::string_view kFreeKey = "MemFree:"; // kernels before 3.14 have no MemAvailable

} // namespace

std::uint64_t MemInfoAvailableBytes(std::string_view meminfo) {
    std::optional<std::uint64_t> availableBytes;
    std::optional<std::uint64_t> freeBytes;
    std::istringstream lines{std::string(meminfo)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string name;
        std::uint64_t kib = 0;
        if (!(fields >> name >> kib)) {
            continue;
        }
        if (name == kAvailableKey && !availableBytes) {
            availableBytes = kib * kBytesPerKiB;
        } else if (name == kFreeKey && !freeBytes) {
            freeBytes = kib * kBytesPerKiB;
        }
    }
    return availableBytes.value_or(freeBytes.value_or(0));
}

std::uint64_t MemInfoFileAvailableBytes(const std::string &path) {
    std::ifstream file(path);
    if (!file) {
        return 0;
    }
    std::ostringstream text; // the kernel's files report no size: read to the end
    text << file.rdbuf();
    return MemInfoAvailableBytes(text.str());
}

std::uint64_t SystemAvailableBytes() { return MemInfoFileAvailableBytes(kMemInfoPath); }

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
