// diffrascope-render run as a user runs it, in a directory of its own, with
// its pictures compared to the grey levels the core computes in this process.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>

#include <fitsio.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <unistd.h>

#include <ostream>
#include <string>
#include <vector>

#include "RendererFixture.h"
#include "StarImage.h"
#include "Trace.h"

namespace {

using diffrascope::ScrollPositions;
using diffrascope::testing::Arguments;
using diffrascope::testing::Outcome;
using diffrascope::testing::ReadFile;
using Renderer = diffrascope::testing::Renderer;

constexpr int kCentre = 128;         // centre pixel of the crop view
constexpr int kFirstDarkRing = 6;    // pixels from the centre at 550 nm
constexpr int kNearlyBlack = 10;     // the first dark ring is close to 0
const char *const kNoLightMessage = "0 による浮動小数点数除算.\n";

// The PGM the renderer should write: grid element [i][j] at column i, row j.
QByteArray CorePgm(const ScrollPositions &positions, std::int32_t n, bool fullView) {
    diffrascope::SetTraceOutput(nullptr);
    diffrascope::GridSize = n;
    diffrascope::SizeChanged = 1;
    QByteArray pixels;
    std::int32_t side = fullView ? n : 256;
    diffrascope::ComputeStarImage(positions, {}, [&](const std::int32_t *const *grey, std::int32_t size) {
        std::int32_t first = size / 2 - side / 2;
        for (std::int32_t row = 0; row < side; ++row) {
            for (std::int32_t column = 0; column < side; ++column) {
                pixels.append(static_cast<char>(grey[first + column][first + row]));
            }
        }
    });
    return QByteArrayLiteral("P5\n") + QByteArray::number(side) + ' ' + QByteArray::number(side) + "\n255\n" +
           pixels;
}

// Distance from the centre to the first grey level that is lower than both neighbours.
int FirstMinimum(const QImage &picture, int dx, int dy) {
    for (int step = 1; step < kCentre - 1; ++step) {
        auto grey = [&](int s) { return qGray(picture.pixel(kCentre + s * dx, kCentre + s * dy)); };
        if (grey(step) < grey(step - 1) && grey(step) <= grey(step + 1)) {
            return step;
        }
    }
    return -1;
}

TEST_F(Renderer, WritesTheDefaultStarImageWithAWhiteCentreAndTheFirstDarkRingSixPixelsOut) {
    Outcome outcome = Run({"--output", "star.png"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.out.isEmpty()) << "the core's trace lines must not reach standard output";
    QImage picture(Path("star.png"));
    ASSERT_EQ(picture.format(), QImage::Format_Grayscale8);
    ASSERT_EQ(picture.size(), QSize(256, 256));
    EXPECT_EQ(qGray(picture.pixel(kCentre, kCentre)), 255);
    for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
        EXPECT_EQ(FirstMinimum(picture, dx, dy), kFirstDarkRing) << "direction " << dx << ", " << dy;
        EXPECT_LT(qGray(picture.pixel(kCentre + kFirstDarkRing * dx, kCentre + kFirstDarkRing * dy)), kNearlyBlack);
    }
}

// A case name from the arguments: "--focus -0.5" becomes "focus_minus0point5".
std::string CaseName(const std::vector<std::string> &arguments, std::size_t index) {
    std::string name = arguments.empty() ? "no_arguments_" : "";
    for (const std::string &argument : arguments) {
        for (char c : argument.starts_with("--") ? argument.substr(2) : argument) {
            bool plain = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            name += plain ? std::string(1, c) : c == '.' ? "point" : c == '-' ? "minus" : c == '+' ? "plus" : "_";
        }
        name += '_';
    }
    return name + std::to_string(index);
}

void PrintArguments(const std::vector<std::string> &arguments, std::ostream *out) {
    for (const std::string &argument : arguments) {
        *out << " '" << argument << "'";
    }
}

struct GoodInput {
    std::vector<std::string> arguments;
    ScrollPositions positions; // what the arguments must become
    std::int32_t gridSize;
    bool fullView;
};

void PrintTo(const GoodInput &input, std::ostream *out) { PrintArguments(input.arguments, out); }

class GoodInputs : public Renderer, public testing::WithParamInterface<GoodInput> {};

TEST_P(GoodInputs, GiveThePgmOfTheCoreGreyLevelsForTheirPositionsOnStandardOutput) {
    QStringList arguments{"--output", "-"};
    for (const std::string &argument : GetParam().arguments) {
        arguments << QString::fromStdString(argument);
    }
    Outcome outcome = Run(arguments);
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    for (const QByteArray &line : outcome.err.split('\n')) {
        EXPECT_TRUE(line.isEmpty() || line.startsWith("diffrascope-render: warning: ")) << line.toStdString();
    }
    EXPECT_TRUE(outcome.out == CorePgm(GetParam().positions, GetParam().gridSize, GetParam().fullView))
        << "the PGM differs from the core's grey levels";
}

INSTANTIATE_TEST_SUITE_P(
    Renderer, GoodInputs,
    testing::Values(
        GoodInput{{}, {0, 0, 0, 550}, 512, false},
        GoodInput{{"--spherical", "0.3", "--grid", "256"}, {3, 0, 0, 550}, 256, false},
        GoodInput{{"--spherical", "-10", "--focus", "50", "--grid", "256"}, {-100, 500, 0, 550}, 256, false},
        GoodInput{{"--spherical=+9.90", "--focus=-50.0", "--grid=256"}, {99, -500, 0, 550}, 256, false},
        GoodInput{{"--focus", ".5", "--obstruction", "99", "--wavelength", "300", "--grid", "256"},
                  {0, 5, 99, 300}, 256, false},
        GoodInput{{"--focus", "-2.", "--obstruction", "0100", "--wavelength", "440", "--grid", "512"},
                  {0, -20, 100, 440}, 512, false},
        GoodInput{{"--spherical", "-0.1", "--wavelength", "1000", "--view", "full", "--grid", "256"},
                  {-1, 0, 0, 1000}, 256, true},
        GoodInput{{"--spherical", "2.5", "--focus", "-4", "--obstruction", "30", "--view", "full"},
                  {25, -40, 30, 550}, 512, true},
        GoodInput{{"--focus", "7.3", "--obstruction", "20", "--grid", "1024"}, {0, 73, 20, 550}, 1024, false}),
    [](const testing::TestParamInfo<GoodInput> &info) { return CaseName(info.param.arguments, info.index); });

TEST_F(Renderer, WritesTheSameGreyPixelsToPngAndPgmFiles) {
    QStringList parameters{"--spherical", "2.5", "--focus", "-4", "--obstruction", "30"};
    QByteArray expected = CorePgm({25, -40, 30, 550}, 512, false);
    QImage fromPgmHeader = QImage::fromData(expected, "PGM");
    for (QString name : {"star.png", "star.pgm", "STAR.PNG", "Star.Pgm"}) {
        Outcome outcome = Run(parameters + QStringList{"--output", name});
        ASSERT_EQ(outcome.exitCode, 0) << name.toStdString() << ": " << outcome.err.toStdString();
        EXPECT_TRUE(outcome.out.isEmpty()) << name.toStdString();
        QImage picture(Path(name));
        ASSERT_EQ(picture.format(), QImage::Format_Grayscale8) << name.toStdString();
        EXPECT_EQ(picture, fromPgmHeader) << name.toStdString();
    }
    EXPECT_EQ(ReadFile(Path("star.pgm")), expected);
}

struct BadInput {
    std::vector<std::string> arguments;
    std::string named;    // the option the message must name
    std::string accepted; // part of what the message says the option accepts
};

void PrintTo(const BadInput &input, std::ostream *out) { PrintArguments(input.arguments, out); }

// A FITS image of the given axes, every value `value`, NaN within `hole` pixels of the middle.
void WriteFitsImage(const QString &path, std::vector<long> axes, double value, double hole = 0) {
    fitsfile *file = nullptr;
    int status = 0;
    fits_create_file(&file, path.toLocal8Bit().constData(), &status);
    fits_create_img(file, DOUBLE_IMG, static_cast<int>(axes.size()), axes.data(), &status);
    long count = 1;
    for (long side : axes) {
        count *= side;
    }
    std::vector<double> values(static_cast<std::size_t>(count), value);
    const long width = axes.front();
    for (long k = 0; k < count; ++k) {
        const double x = k % width - (width - 1) / 2.0;
        const double y = k / width % width - (width - 1) / 2.0;
        values[static_cast<std::size_t>(k)] = std::hypot(x, y) < hole ? std::nan("") : value;
    }
    fits_write_img(file, TDOUBLE, 1, count, values.data(), &status);
    fits_close_file(file, &status);
    ASSERT_EQ(status, 0) << path.toStdString();
}

// A FITS file whose first extension is a binary table, its primary HDU empty.
void WriteFitsTable(const QString &path) {
    fitsfile *file = nullptr;
    int status = 0;
    fits_create_file(&file, path.toLocal8Bit().constData(), &status);
    char name[] = "WAVES";
    char format[] = "1D";
    char *names[] = {name};
    char *formats[] = {format};
    fits_create_tbl(file, BINARY_TBL, 0, 1, names, formats, nullptr, "MAP", &status);
    fits_close_file(file, &status);
    ASSERT_EQ(status, 0) << path.toStdString();
}

class BadInputs : public Renderer, public testing::WithParamInterface<BadInput> {
  protected:
    // Two spectrum files some cases name: an empty one and one with a bad fourth line; and wavefront
    // files that are not a map: a cube, a table, and one with a hole inside the aperture.
    void SetUp() override {
        Renderer::SetUp();
        ASSERT_TRUE(QFile(Path("light.txt")).open(QIODevice::WriteOnly));
        QFile bad(Path("bad.txt"));
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write("# nm weight\n500 1\n600 0.5\n650 heavy\n");
        WriteFitsImage(Path("cube.fits"), {32, 32, 3}, 0.1);
        WriteFitsTable(Path("table.fits"));
        WriteFitsImage(Path("holes.fits"), {64, 64}, 0.1, 5);
    }
};

TEST_P(BadInputs, AreRefusedWithExitStatus2AMessageNamingTheOptionAndNoFile) {
    Outcome outcome = Run(Arguments(GetParam().arguments));
    std::string message = outcome.err.toStdString();
    EXPECT_EQ(outcome.exitCode, 2) << message;
    EXPECT_NE(message.find(GetParam().named), std::string::npos) << message;
    EXPECT_NE(message.find(GetParam().accepted), std::string::npos) << message;
    EXPECT_TRUE(outcome.out.isEmpty());
    EXPECT_EQ(Entries(), (QStringList{"bad.txt", "cube.fits", "holes.fits", "light.txt", "table.fits"}));
}

BadInput BadValue(const std::string &option, const std::string &value, const std::string &accepted) {
    return {{"--" + option, value, "--output", "star.png"}, "--" + option, accepted};
}

// Arguments with a picture to write, and what the refusal must say.
BadInput Bad(std::vector<std::string> arguments, const std::string &named, const std::string &accepted) {
    arguments.insert(arguments.end(), {"--output", "star.png"});
    return {arguments, named, accepted};
}

std::vector<std::string> Zones(int count) {
    std::vector<std::string> zones;
    for (int k = 0; k < count; ++k) {
        zones.insert(zones.end(), {"--zone", "0.5,0.1,0.05"});
    }
    return zones;
}

std::string Radii(int count) {
    std::string radii = "1";
    for (int k = 2; k <= count; ++k) {
        radii += "," + std::to_string(k);
    }
    return radii;
}

INSTANTIATE_TEST_SUITE_P(
    Renderer, BadInputs,
    testing::Values(
        BadValue("spherical", "10.1", "-10 to 10 waves"), BadValue("spherical", "-10.01", "-10 to 10"),
        BadValue("spherical", "nan", "-10 to 10"), BadValue("spherical", "inf", "-10 to 10"),
        BadValue("spherical", "", "-10 to 10"), BadValue("spherical", "1e400", "-10 to 10"),
        BadValue("spherical", "1e0", "-10 to 10"), BadValue("spherical", "1x", "-10 to 10"),
        BadValue("spherical", " 1", "-10 to 10"), BadValue("spherical", "0,5", "-10 to 10"),
        BadValue("spherical", ".", "-10 to 10"), BadValue("spherical", "-", "-10 to 10"),
        BadValue("spherical", "1.2.3", "-10 to 10"), BadValue("spherical", "99999999999999999999", "-10 to 10"),
        BadValue("spherical", "0.10000000000000000001", "-10 to 10"),
        BadValue("focus", "50.1", "-50 to 50 waves"), BadValue("focus", "-50.00001", "-50 to 50"),
        BadValue("obstruction", "-1", "0 to 100 percent"), BadValue("obstruction", "100.5", "0 to 100"),
        BadValue("wavelength", "299.9", "300 to 1000 nm"), BadValue("wavelength", "1001", "300 to 1000"),
        BadValue("wavelength", "5.5e2", "300 to 1000"),
        BadValue("grid", "128", "256, 512, 1024, 2048 or 4096"), BadValue("grid", "300", "256, 512"),
        BadValue("grid", "8192", "256, 512"), BadValue("grid", "512.5", "256, 512"),
        BadValue("grid", "abc", "256, 512"), BadValue("view", "middle", "crop or full"),
        BadValue("view", "CROP", "crop or full"), BadValue("view", "", "crop or full"),
        BadValue("spider", "0,1", "1 to 8 vanes"), BadValue("spider", "9,1", "1 to 8 vanes"),
        BadValue("spider", "4,100", "at most 20 percent"), BadValue("spider", "4,0", "more than 0"),
        BadValue("spider", "4", "no width"), BadValue("spider", "4,1@east", "angle"),
        BadValue("zernike", "1=0.1", "Noll index from 2 to 37"), BadValue("zernike", "38=0.1", "from 2 to 37"),
        BadValue("zernike", "4=0.1,4=0.2", "twice"), BadValue("zernike", "4", "J=C"),
        BadValue("zernike", "7=9", "-5 to 5"), BadValue("coma", "11", "-10 to 10 waves"),
        BadValue("coma", "0.3@", "angle"), BadValue("astigmatism", "x@30", "-10 to 10"),
        BadValue("astigmatism", "1@400", "-360 to 360"), BadValue("spectrum", "missing.txt", "cannot be read"),
        BadValue("spectrum", "/dev/zero", "not a file"), BadValue("spectrum", "light.txt", "no wavelength"),
        BadValue("spectrum", "bad.txt", "line 4"), BadValue("spectrum", "700:400:10", "does not reach TO"),
        BadValue("spectrum", "400:700:0", "not a range"), BadValue("spectrum", "400:705:10", "whole steps"),
        BadValue("spectrum", "200:700:10", "300 to 1000"), BadValue("f-ratio", "0", "0.5 to 100"),
        BadValue("defocus-mm", "1", "needs --f-ratio"), BadValue("startest-mm", "1", "needs --f-ratio"),
        Bad({"--f-ratio", "4", "--defocus-mm", "1", "--focus", "2"}, "--defocus-mm", "together"),
        Bad({"--f-ratio", "2", "--defocus-mm", "5"}, "--defocus-mm", "at most 50 waves"),
        BadValue("startest", "0", "more than 0"), Bad({"--startest", "30", "--focus", "30"}, "--startest", "beyond -50"),
        Bad({"--f-ratio", "2", "--startest-mm", "5"}, "--startest-mm", "beyond -50 to 50"),
        Bad({"--startest", "8", "--through-focus", "-1:1:1"}, "--startest", "together"),
        BadValue("through-focus", "-8:8:0.25", "more than 64"), BadValue("through-focus", "-1:1:0.3", "whole steps"),
        BadValue("through-focus", "1:-1:1", "does not reach"), BadValue("through-focus", "-1:1", "FROM:TO:STEP"),
        BadValue("panel", "16", "32 to 2048"), Bad({"--panel", "512", "--grid", "256"}, "--panel", "larger than --grid"),
        BadValue("field", "0", "more than 0"), Bad({"--view", "full", "--startest", "4"}, "--view", "together"),
        BadValue("focus-field", "20", "needs --startest"), BadValue("aperture-mm", "0", "10 to 10000 mm"),
        BadValue("mtf", "mtf.txt", ".csv or .json"), Bad({"--mtf", "-", "--metrics", "-"}, "--mtf", "of its own"),
        Bad({"--startest", "8", "--focus-field", "0"}, "--focus-field", "more than 0"),
        BadValue("display", "gamma", "amplitude, log or linear"), BadValue("decades", "4", "--display log"),
        Bad({"--display", "log", "--decades", "11"}, "--decades", "1 to 10"),
        BadValue("ee-radii", "1", "needs --metrics"), Bad({"--metrics", "m.json", "--ee-radii", "0"}, "--ee-radii", "more than 0"),
        // the documented limit of 16 radii: the 17th is refused
        Bad({"--metrics", "m.json", "--ee-radii", Radii(17)}, "--ee-radii", "more than 16 radii"),
        BadValue("turned-edge", "-0.5@1", "0 to less than 1"), BadValue("turned-edge", "10.5", "-10 to 10 waves"),
        BadValue("zone", "0.5,0.1,0", "0.01 to 0.5"), BadValue("zone", "1.1,0.1,0.1", "RADIUS 0 to 1"),
        BadValue("zone", "0.5,0.1", "RADIUS,HEIGHT,WIDTH"), Bad(Zones(9), "--zone", "at most 8 zones"),
        BadValue("roughness", "0.05@40:10", "1 <= FROM < TO <= 100"), BadValue("roughness", "1.5", "0 to 1 wave"),
        BadValue("roughness", "0.05@5:101", "TO <= 100"), BadValue("seed", "7", "needs --roughness"),
        Bad({"--roughness", "0.05", "--seed", "4294967296"}, "--seed", "0 to 4294967295"),
        Bad({"--roughness", "0.05", "--seed", "1.5"}, "--seed", "0 to 4294967295"),
        BadValue("wavefront", "cube.fits", "not a 2-D image"), BadValue("wavefront", "table.fits", "holds a table"),
        BadValue("wavefront", "holes.fits", "not finite inside the aperture"),
        BadValue("wavefront", "missing.fits", "cannot be read"), BadValue("wavefront", "light.txt", "cannot be read"),
        BadValue("write-wavefront", "pupil.png", ".fits, .fit or .fts"),
        BadValue("companion", "1,0", "needs --aperture-mm"), BadValue("normalize", "max", "peak or flux"),
        Bad({"--aperture-mm", "200", "--companion", "-1,0"}, "--companion", "more than 0 and at most 3600"),
        Bad({"--aperture-mm", "200", "--companion", "1,21@90"}, "--companion", "0 to 20 magnitudes"),
        Bad({"--aperture-mm", "200", "--companion", "1"}, "--companion", "SEP,DMAG[@PA]"),
        Bad({"--aperture-mm", "200", "--object", "light.txt", "--object-scale", "0.1"}, "--object", "not a PNG"),
        Bad({"--aperture-mm", "200", "--object", "cube.fits", "--object-scale", "0.1"}, "--object", "not a 2-D"),
        Bad({"--aperture-mm", "200", "--object", "holes.fits", "--object-scale", "-1"}, "--object-scale", "more than 0"),
        Bad({"--aperture-mm", "200", "--object", "holes.fits"}, "--object", "needs --object-scale"),
        Bad({"--aperture-mm", "200", "--object", "holes.fits", "--object-scale", "1", "--companion", "1,0"},
            "--companion", "together"),
        BadInput{{"--output", "star.fits", "--write-wavefront", "star.fits"}, "--write-wavefront", "its own"},
        BadInput{{"--metrics", "-", "--output", "-"}, "--metrics -", "standard output"},
        BadInput{{"--output", "star.jpg"}, "--output", ".png, .pgm or .fits"},
        BadInput{{"--output", "star"}, "--output", ".png, .pgm or .fits"},
        BadInput{{"--output", ""}, "--output", ".png, .pgm or .fits"},
        BadInput{{}, "--output", ".png, .pgm or .fits"},
        BadInput{{"--spherical", "1"}, "--output", ".png, .pgm or .fits"},
        BadInput{{"--output", "a.png", "--output", "b.png"}, "--output", "more than once"},
        BadInput{{"--spherical", "abc", "--spherical", "1", "--output", "star.png"}, "--spherical", "more than once"},
        BadInput{{"--colour", "red", "--output", "star.png"}, "colour", "--help"},
        BadInput{{"--output", "star.png", "--spherical"}, "--spherical", "--help"},
        BadInput{{"--output", "star.png", "extra.png"}, "extra.png", "option"}),
    [](const testing::TestParamInfo<BadInput> &info) { return CaseName(info.param.arguments, info.index); });

INSTANTIATE_TEST_SUITE_P(
    Seeing, BadInputs,
    testing::Values(Bad({"--aperture-mm", "200", "--seeing", "0"}, "--seeing", "1 to 1000 cm"),
                    Bad({"--aperture-mm", "200", "--seeing", "0.5"}, "--seeing", "1 to 1000 cm"),
                    BadValue("seeing", "10", "needs --aperture-mm"),
                    Bad({"--aperture-mm", "200", "--seeing", "10", "--seeing-frames", "0"}, "--seeing-frames",
                        "1 to 1000"),
                    Bad({"--aperture-mm", "200", "--seeing", "10", "--seeing-frames", "1001"}, "--seeing-frames",
                        "1 to 1000"),
                    Bad({"--aperture-mm", "200", "--seeing", "10", "--average"}, "--average", "needs --seeing-frames"),
                    BadValue("seeing-frames", "4", "needs --seeing"),
                    Bad({"--aperture-mm", "200", "--seeing", "10", "--seeing-frames", "4", "--startest", "8"},
                        "--seeing-frames", "their average")),
    [](const testing::TestParamInfo<BadInput> &info) { return CaseName(info.param.arguments, info.index); });

TEST_F(Renderer, ReportsNoLightWithExitStatus1TheExactMessageAndNoPicture) {
    for (QString output : {"star.png", "-"}) {
        Outcome outcome = Run({"--obstruction", "100", "--wavelength", "550", "--output", output});
        EXPECT_EQ(outcome.exitCode, 1) << output.toStdString();
        EXPECT_EQ(outcome.err.toStdString(), kNoLightMessage);
        EXPECT_TRUE(outcome.out.isEmpty()) << output.toStdString();
        EXPECT_TRUE(Entries().isEmpty()) << output.toStdString();
    }
}

TEST_F(Renderer, ReportsShortMemoryWithExitStatus1TheCoreMessageAndNoPicture) {
    // 200 MB of address space holds the program and a 256 grid, not the 128 MB of
    // intensities and 54 MB of spectra of a 4096 grid besides it; one thread,
    // so that no thread stacks count
    auto runLimited = [&](const char *grid, const char *output) {
        return RunShell(QStringLiteral("ulimit -v 200000 && DIFFRASCOPE_THREADS=1 exec \"%1\" --grid %2 --output %3")
                            .arg(DIFFRASCOPE_RENDER_PATH, grid, output));
    };
    Outcome small = runLimited("256", "small.png");
    ASSERT_EQ(small.exitCode, 0) << "the limit leaves no room for the program: " << small.err.toStdString();
    Outcome large = runLimited("4096", "large.png");
    EXPECT_EQ(large.exitCode, 1);
    EXPECT_EQ(large.err.toStdString(), std::string(diffrascope::kMemoryShortText) + "\n");
    EXPECT_EQ(Entries(), QStringList{"small.png"});
}

TEST_F(Renderer, LeavesAnExistingFileAloneWhenItRefusesOrFails) {
    const QByteArray kept = "an earlier picture";
    QFile earlier(Path("star.png"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write(kept);
    earlier.close();
    EXPECT_EQ(Run({"--spherical", "11", "--output", "star.png"}).exitCode, 2);
    EXPECT_EQ(Run({"--obstruction", "100", "--output", "star.png"}).exitCode, 1);
    EXPECT_EQ(ReadFile(Path("star.png")), kept);
    EXPECT_EQ(Entries(), QStringList{"star.png"}) << "no half-written file may be left beside it";
}

TEST_F(Renderer, SaysWhyAWriteFailedWithExitStatus1AndLeavesNothingBehind) {
    ASSERT_TRUE(QDir(Path("")).mkdir("folder.png"));
    struct Case {
        const char *output;
        const char *reason;
    };
    for (Case failing : {Case{"missing/star.png", "does not exist"}, Case{"folder.png", "is a directory"},
                         Case{"folder.png/deeper/star.pgm", "does not exist"}}) {
        Outcome outcome = Run({"--grid", "256", "--output", failing.output});
        EXPECT_EQ(outcome.exitCode, 1) << failing.output;
        EXPECT_NE(outcome.err.indexOf(failing.output), -1) << outcome.err.toStdString();
        EXPECT_NE(outcome.err.indexOf(failing.reason), -1) << outcome.err.toStdString();
    }
    EXPECT_EQ(Entries(), QStringList{"folder.png"});
    EXPECT_TRUE(QDir(Path("folder.png")).isEmpty());
}

TEST_F(Renderer, SaysPermissionDeniedForALockedFolderOrAWriteProtectedPicture) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "the superuser may write anywhere";
    }
    const QByteArray kept = "a protected picture";
    QFile protectedPicture(Path("protected.png"));
    ASSERT_TRUE(protectedPicture.open(QIODevice::WriteOnly));
    protectedPicture.write(kept);
    protectedPicture.close();
    protectedPicture.setPermissions(QFile::ReadOwner);
    ASSERT_TRUE(QDir(Path("")).mkdir("locked"));
    QFile::setPermissions(Path("locked"), QFile::ReadOwner | QFile::ExeOwner);

    for (const char *output : {"locked/star.png", "protected.png"}) {
        Outcome outcome = Run({"--grid", "256", "--output", output});
        EXPECT_EQ(outcome.exitCode, 1) << output;
        EXPECT_NE(outcome.err.indexOf("ermission denied"), -1) << outcome.err.toStdString();
    }
    QFile::setPermissions(Path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(QDir(Path("locked")).isEmpty());
    EXPECT_EQ(ReadFile(Path("protected.png")), kept);
    EXPECT_EQ(Entries(), (QStringList{"locked", "protected.png"}));
}

// A synopsis first, the options in groups (each option in its own group), examples last.
TEST_F(Renderer, ShowsHelpWithASynopsisEveryOptionInItsGroupAndExamplesAndExits0) {
    Outcome outcome = Run({"--help"});
    EXPECT_EQ(outcome.exitCode, 0);
    const QString help = QString::fromUtf8(outcome.out);
    EXPECT_TRUE(help.startsWith("Usage: diffrascope-render ")) << help.left(80).toStdString();
    const QStringList groups{"\nOptics:\n", "\nStar test:\n", "\nLight:\n", "\nDisplay:\n", "\nOutput:\n",
                             "\nExamples:\n"};
    QList<qsizetype> starts;
    for (const QString &group : groups) {
        starts << help.indexOf(group);
        ASSERT_NE(starts.back(), -1) << group.toStdString();
    }
    EXPECT_TRUE(std::is_sorted(starts.begin(), starts.end()));
    auto groupOf = [&](const char *option) {
        const qsizetype at = help.indexOf(QStringLiteral("\n  ") + option);
        return at < 0 ? -1 : static_cast<int>(std::upper_bound(starts.begin(), starts.end(), at) - starts.begin()) - 1;
    };
    const std::pair<const char *, int> options[] = {
        {"--spherical", 0}, {"--coma", 0}, {"--astigmatism", 0}, {"--zernike", 0}, {"--obstruction", 0},
        {"--spider", 0}, {"--turned-edge", 0}, {"--zone", 0}, {"--roughness", 0}, {"--seed", 0},
        {"--wavefront", 0}, {"--write-wavefront", 4}, {"--focus", 1}, {"--f-ratio", 1}, {"--defocus-mm", 1}, {"--startest ", 1},
        {"--startest-mm", 1}, {"--through-focus", 1}, {"--wavelength", 2}, {"--spectrum", 2}, {"--display", 3},
        {"--decades", 3}, {"--view", 3}, {"--panel", 3}, {"--field", 3}, {"--grid", 3}, {"--output", 4},
        {"--metrics", 4}, {"--ee-radii", 4}, {"--strict", 4}};
    for (const auto &[option, group] : options) {
        EXPECT_EQ(groupOf(option), group) << option;
    }
    for (const char *text : {"--version", "positive focus is extrafocal", "under-correction", "lambda/D",
                             "turned-down"}) {
        EXPECT_NE(help.indexOf(text), -1) << text;
    }
    EXPECT_NE(help.indexOf("diffrascope-render --spherical 0.25", starts.back()), -1) << "an example";
}

QJsonObject Json(const QString &path) { return QJsonDocument::fromJson(ReadFile(path)).object(); }

// Every term of the pupil, written as sampled and read back over the same
// aperture, gives the same far field, so the same picture and Strehl ratio.
TEST_F(Renderer, ReadsItsOwnWrittenWavefrontBackToTheSameStarImage) {
    const QStringList aperture{"--obstruction", "20", "--spider", "3,1@10", "--grid", "512", "--view", "full"};
    Outcome written = Run(aperture + QStringList{"--spherical", "0.2", "--focus", "0.5", "--coma", "0.1@30",
                                                 "--turned-edge", "-0.3", "--zone", "0.5,0.1,0.05", "--roughness",
                                                 "0.03", "--output", "a.pgm", "--metrics", "a.json",
                                                 "--write-wavefront", "pupil.fits"});
    ASSERT_EQ(written.exitCode, 0) << written.err.toStdString();
    Outcome read = Run(aperture + QStringList{"--wavefront", "pupil.fits", "--output", "b.pgm", "--metrics", "b.json"});
    ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
    EXPECT_TRUE(ReadFile(Path("a.pgm")) == ReadFile(Path("b.pgm")));
    EXPECT_EQ(Json(Path("a.json"))["strehl"].toDouble(), Json(Path("b.json"))["strehl"].toDouble());
    EXPECT_EQ(Json(Path("b.json"))["parameters"].toObject()["wavefront_file"].toString(), "pupil.fits");
}

TEST_F(Renderer, PrintsVersion101AndExits0) {
    Outcome outcome = Run({"--version"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.out, "diffrascope-render 1.01\n");
}

} // namespace
