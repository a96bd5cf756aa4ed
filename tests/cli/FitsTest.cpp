// FITS files made in memory, as the renderer, the lab window and the Python
// module make them, one after another in one process.

#include <QByteArray>

#include <gtest/gtest.h>

#include "Engine.h"
#include "FitsOutput.h"

namespace {

namespace optics = diffrascope::optics;

constexpr qsizetype kBlock = 2880; // bytes: a FITS file is whole blocks

// The memory of a file just freed comes back to the next: the next file must
// be itself alone, not the new HDUs added after the old file's.
TEST(FitsFile, IsWholeAndTheSameWhenMadeAgainInOneProcess) {
    optics::Job job;
    job.grid = 256;
    job.layout = optics::Layout::Panels;
    job.panels.kind = optics::Panels::Kind::StarTest;
    job.panels.defocus = 2;
    job.side = 64;
    job.keepIntensities = true;
    const optics::Result result = optics::Compute(optics::MakePlan(job));
    QByteArray first;
    for (int round = 0; round < 3; ++round) {
        QString error;
        const std::optional<diffrascope::frontend::FitsBytes> fits = diffrascope::frontend::EncodeFits(result, error);
        ASSERT_TRUE(fits) << error.toStdString();
        const QByteArray bytes(fits->View().constData(), fits->View().size()); // a copy that outlives the file
        // an empty primary HDU and three panels of 64 x 64 floats, each in whole blocks
        ASSERT_EQ(bytes.size(), kBlock + 3 * (kBlock + (64 * 64 * 4 + kBlock - 1) / kBlock * kBlock)) << round;
        if (round == 0) {
            first = bytes;
        }
        EXPECT_EQ(bytes, first) << round;
    }
}

} // namespace
