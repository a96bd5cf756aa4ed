// The kernel's available-memory figure as read from a meminfo text or file:
// which line counts, and the unit (kB of 1024 bytes, as proc(5) defines it).

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "SystemMemory.h"

namespace diffrascope::ui {
namespace {

struct MemInfoCase {
    const char *name; // what the case shows, as a test name
    const char *text;
    std::uint64_t bytes;
};

void PrintTo(const MemInfoCase &c, std::ostream *out) { *out << c.name; }

// The first lines of /proc/meminfo as Linux 6.1 writes them.
constexpr const char *kLinux61 = "MemTotal:        8131144 kB\n"
                                 "MemFree:          409436 kB\n"
                                 "MemAvailable:    5902132 kB\n"
                                 "Buffers:          226208 kB\n"
                                 "SwapFree:        1048572 kB\n"
                                 "HugePages_Free:        0\n";

// Before Linux 3.14 the kernel had no MemAvailable line.
constexpr const char *kLinux310 = "MemTotal:        2049236 kB\n"
                                  "MemFree:           2000 kB\n"
                                  "Buffers:           71284 kB\n"
                                  "SwapFree:        1048572 kB\n";

const MemInfoCase kMemInfoCases[] = {
    {"AKilobyteIs1024Bytes", "MemAvailable:  1000 kB", 1'024'000},
    {"MemAvailableWinsOverMemFreeBeforeIt", kLinux61, 5'902'132ULL * 1024},
    {"MemAvailableWinsOverMemFreeAfterIt", "MemAvailable:  3 kB\nMemFree:  7 kB\n", 3 * 1024},
    {"MemFreeWhenThereIsNoMemAvailable", kLinux310, 2'000 * 1024},
    {"OtherFreeFiguresAreNotMemFree", "MemTotal:  2049236 kB\nSwapFree:  1048572 kB\nHugePages_Free:  0\n", 0},
    {"EmptyTextGivesNothing", "", 0},
    {"SixtyFourGibibytesAreNotCutToThirtyTwoBits", "MemAvailable:   67108864 kB\n", 64ULL << 30},
    {"MemAvailableOfZeroIsNotReplacedByMemFree", "MemFree:  500 kB\nMemAvailable:  0 kB\n", 0},
};

class MemInfoText : public testing::TestWithParam<MemInfoCase> {};

TEST_P(MemInfoText, GivesTheAvailableBytes) {
    const MemInfoCase &c = GetParam();
    EXPECT_EQ(MemInfoAvailableBytes(c.text), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Lines, MemInfoText, testing::ValuesIn(kMemInfoCases),
                         [](const testing::TestParamInfo<MemInfoCase> &info) { return std::string(info.param.name); });

class MemInfoFile : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

    std::string Write(const char *text) {
        const QString path = folder_.filePath(QStringLiteral("meminfo"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path.toStdString();
    }

  private:
    QTemporaryDir folder_;
};

TEST_F(MemInfoFile, IsReadLikeItsText) {
    EXPECT_EQ(MemInfoFileAvailableBytes(Write(kLinux61)), 5'902'132ULL * 1024);
    EXPECT_EQ(MemInfoFileAvailableBytes(Write(kLinux310)), 2'000ULL * 1024);
}

TEST_F(MemInfoFile, ThatCannotBeReadGivesNothing) {
    EXPECT_EQ(MemInfoFileAvailableBytes("/nonexistent/meminfo"), 0U);
}

// Every figure of /proc/meminfo is a whole number of kB, so the system's is a
// whole number of 1024 bytes.
TEST(SystemMemory, TheKernelsFigureIsAWholeNumberOfKibibytes) {
    const std::uint64_t bytes = SystemAvailableBytes();
    EXPECT_GT(bytes, 0U);
    EXPECT_EQ(bytes % 1024, 0U) << bytes;
}

} // namespace
} // namespace diffrascope::ui
