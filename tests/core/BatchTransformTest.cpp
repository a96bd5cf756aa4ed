// The batched transform against Fft, line by line: every lane must give the
// values Fft gives for its line, whatever the length and however far the
// nonzero inputs reach (which decides what the transform may skip).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "BatchFft.h"
#include "Fft.h"
#include "Trace.h"

namespace diffrascope {
namespace {

using lanes::Lanes;
constexpr std::int32_t kLanes = lanes::kCount;

// Lanes-aligned storage for n vectors.
class AlignedLanes {
  public:
    explicit AlignedLanes(std::int32_t count)
        : memory_(std::aligned_alloc(lanes::kBytes, static_cast<std::size_t>(count) * lanes::kBytes)) {}
    ~AlignedLanes() { std::free(memory_); }
    AlignedLanes(const AlignedLanes &) = delete;
    AlignedLanes &operator=(const AlignedLanes &) = delete;
    Lanes *data() const { return static_cast<Lanes *>(memory_); }

  private:
    void *memory_;
};

struct TransformCase {
    std::int32_t n;
    std::int32_t extent; // inputs farther than this from index 0, cyclically, are zero
};

void PrintTo(const TransformCase &c, std::ostream *out) { *out << "length " << c.n << ", extent " << c.extent; }

class BatchTransform : public testing::TestWithParam<TransformCase> {
  protected:
    void SetUp() override { SetTraceOutput(nullptr); }
    void TearDown() override { SetTraceOutput(stdout); }
};

// Source rows 0 .. extent of every lane: random values with some exact zeros
// of both signs, as the pupil and its spectra have them.
std::vector<double> SourceRows(std::int32_t extent, std::mt19937 &random) {
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::vector<double> rows(static_cast<std::size_t>(2 * (extent + 1) * kLanes));
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const std::uint32_t pick = random() % 16;
        rows[k] = pick == 0 ? 0.0 : pick == 1 ? -0.0 : value(random);
    }
    return rows;
}

TEST_P(BatchTransform, EveryLaneEqualsFftOfItsLineUpToTheSignOfZero) {
    const TransformCase c = GetParam();
    const std::int32_t n = c.n;
    std::vector<double> sinTable(static_cast<std::size_t>(SinTableLength(n)));
    std::vector<std::int32_t> bitRev(static_cast<std::size_t>(n));
    MakeSinTable(n, sinTable.data());
    MakeBitReverseTable(n, bitRev.data());
    std::vector<double> cosines(static_cast<std::size_t>(batch::TwiddleEntries(n)));
    std::vector<double> sines(cosines.size());
    batch::FillTwiddles(n, sinTable.data(), cosines.data(), sines.data());
    const batch::Tables tables{n, bitRev.data(), cosines.data(), sines.data()};
    AlignedLanes x(batch::WorkSlots(n));
    AlignedLanes y(batch::WorkSlots(n));

    std::mt19937 random(static_cast<std::uint32_t>(n * 7919 + c.extent));
    const std::vector<double> rows = SourceRows(c.extent, random);
    auto source = [&](std::int32_t row, std::int32_t lane, std::int32_t part) {
        return rows[static_cast<std::size_t>((2 * row + part) * kLanes + lane)];
    };

    std::vector<std::vector<double>> outX(kLanes, std::vector<double>(static_cast<std::size_t>(n)));
    std::vector<std::vector<double>> outY = outX;
    std::int32_t consumed = 0;
    batch::TransformLines(
        tables, batch::Work{x.data(), y.data()}, c.extent,
        [&](std::int32_t row, Lanes &lx, Lanes &ly) {
            ASSERT_LE(row, c.extent);
            for (std::int32_t l = 0; l < kLanes; ++l) {
                lx[l] = source(row, l, 0);
                ly[l] = source(row, l, 1);
            }
        },
        [&](std::int32_t q, const Lanes *lx, const Lanes *ly) {
            for (std::int32_t u = 0; u < kLanes; ++u) {
                for (std::int32_t l = 0; l < kLanes; ++l) {
                    outX[l][q + u] = lx[u][l];
                    outY[l][q + u] = ly[u][l];
                }
            }
            consumed += kLanes;
        });
    EXPECT_EQ(consumed, n) << "every output is handed over once";

    for (std::int32_t l = 0; l < kLanes; ++l) {
        std::vector<double> lineX(static_cast<std::size_t>(n), 0.0);
        std::vector<double> lineY(static_cast<std::size_t>(n), 0.0);
        for (std::int32_t a = 0; a < n; ++a) {
            const std::int32_t row = a <= n / 2 ? a : n - a;
            if (row <= c.extent) {
                lineX[a] = source(row, l, 0);
                lineY[a] = source(row, l, 1);
            }
        }
        Fft(n, bitRev.data(), sinTable.data(), lineX.data(), lineY.data());
        for (std::int32_t q = 0; q < n; ++q) {
            ASSERT_EQ(outX[l][q], lineX[q]) << "lane " << l << ", output " << q;
            ASSERT_EQ(outY[l][q], lineY[q]) << "lane " << l << ", output " << q;
        }
    }
}

std::vector<TransformCase> Cases() {
    std::vector<TransformCase> cases;
    for (std::int32_t n = batch::kMinLength; n <= 4096; n *= 2) {
        const std::set<std::int32_t> extents = {0, 1, 2, 5, n / 16, n / 8 - 1, n / 4 + 3, n / 2};
        for (std::int32_t extent : extents) {
            cases.push_back({n, extent});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(LengthsAndExtents, BatchTransform, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<TransformCase> &info) {
                             std::string name = "N";
                             name += std::to_string(info.param.n);
                             name += "_extent";
                             name += std::to_string(info.param.extent);
                             return name;
                         });

} // namespace
} // namespace diffrascope
