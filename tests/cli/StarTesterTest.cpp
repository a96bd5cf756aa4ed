// The star tester's renderer as a user runs it: any value, sheets whose
// panels are single images, millimetres of focuser travel, the sampling
// guard, the metrics, and every new option refusing bad input.

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>

#include "Engine.h"
#include "RendererFixture.h"

namespace {

using diffrascope::testing::Arguments;
using diffrascope::testing::Outcome;
using diffrascope::testing::ReadFile;
using StarTester = diffrascope::testing::Renderer;

constexpr int kSheetGap = 8;     // pixels around and between a sheet's panels
constexpr int kLabelHeight = 38; // the label strip under each panel

QJsonObject Json(const QByteArray &bytes) { return QJsonDocument::fromJson(bytes).object(); }

// The PGM of the optics library's crop for the pupil, computed in this process.
QByteArray LibraryPgm(const diffrascope::optics::OpticalSystem &pupil) {
    diffrascope::optics::Job job;
    job.system = pupil;
    const diffrascope::optics::Result result = diffrascope::optics::Compute(diffrascope::optics::MakePlan(job));
    const std::vector<std::uint8_t> &grey = result.panels.front().grey;
    return QByteArrayLiteral("P5\n256 256\n255\n") +
           QByteArray(reinterpret_cast<const char *>(grey.data()), static_cast<qsizetype>(grey.size()));
}

TEST_F(StarTester, TakesAnyDecimalWithinTheRanges) {
    const Outcome outcome = Run({"--spherical", "0.25", "--obstruction", "12.5", "--wavelength", "632.8",
                                 "--focus", "-0.37", "--output", "-"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    diffrascope::optics::OpticalSystem pupil;
    pupil.aberrations.spherical = 0.25;
    pupil.aberrations.focus = -0.37;
    pupil.aperture.obstruction = 12.5 * 0.01;
    pupil.wavelength = 632.8;
    EXPECT_TRUE(outcome.out == LibraryPgm(pupil));
    pupil.aberrations.spherical = 0.2;
    EXPECT_FALSE(outcome.out == LibraryPgm(pupil)) << "a quarter wave is not rounded to a step of the scroll bar";
}

// A sheet of three panels, then each focus alone with the sheet's grid and field.
TEST_F(StarTester, EveryPanelOfASheetIsTheSingleImageOfItsFocus) {
    const QStringList optics{"--spherical", "0.25", "--obstruction", "33", "--panel", "128"};
    const Outcome sheet = Run(optics + QStringList{"--startest", "8", "--output", "sheet.pgm", "--metrics", "m.json"});
    ASSERT_EQ(sheet.exitCode, 0) << sheet.err.toStdString();
    const QJsonObject metrics = Json(ReadFile(Path("m.json")));
    const QString grid = QString::number(metrics["grid"].toInt());
    const QString field = QString::number(metrics["field_lambda_over_d"].toDouble(), 'g', 17);
    const QImage picture(Path("sheet.pgm"));
    ASSERT_EQ(picture.size(), QSize(kSheetGap + 3 * (128 + kSheetGap), kSheetGap + 128 + kLabelHeight + kSheetGap));
    const char *focus[] = {"-8", "0", "8"};
    for (int k = 0; k < 3; ++k) {
        const Outcome single =
            Run(optics + QStringList{"--focus", focus[k], "--grid", grid, "--field", field, "--output", "-"});
        ASSERT_EQ(single.exitCode, 0) << single.err.toStdString();
        const QImage alone = QImage::fromData(single.out, "PGM");
        EXPECT_EQ(picture.copy(kSheetGap + k * (128 + kSheetGap), kSheetGap, 128, 128), alone) << "focus " << focus[k];
    }
    const QJsonArray panels = metrics["panels"].toArray();
    ASSERT_EQ(panels.size(), 3);
    EXPECT_EQ(panels[0].toObject()["focus_waves"].toDouble(), -8);
    EXPECT_TRUE(panels[0].toObject()["label"].toString().startsWith("intrafocal"));
    EXPECT_TRUE(panels[2].toObject()["label"].toString().startsWith("extrafocal"));
}

TEST_F(StarTester, ZoomedFocusPanelIsTheSingleImageOfItsOwnFieldOnTheSheetsGrid) {
    const QStringList optics{"--spherical", "0.25", "--obstruction", "33", "--panel", "128"};
    const Outcome sheet = Run(optics + QStringList{"--startest", "8", "--focus-field", "20", "--output", "sheet.pgm",
                                                   "--metrics", "m.json"});
    ASSERT_EQ(sheet.exitCode, 0) << sheet.err.toStdString();
    const QString grid = QString::number(Json(ReadFile(Path("m.json")))["grid"].toInt());
    const QImage picture(Path("sheet.pgm"));
    // 20 lambda/D on 128 panel pixels: one grid pixel each, as --field 20 draws a single image.
    const Outcome single = Run(optics + QStringList{"--grid", grid, "--field", "20", "--output", "-"});
    ASSERT_EQ(single.exitCode, 0) << single.err.toStdString();
    EXPECT_EQ(picture.copy(kSheetGap + (128 + kSheetGap), kSheetGap, 128, 128), QImage::fromData(single.out, "PGM"));
    const Outcome unzoomed = Run(optics + QStringList{"--startest", "8", "--output", "plain.pgm"});
    ASSERT_EQ(unzoomed.exitCode, 0);
    EXPECT_NE(picture.copy(kSheetGap + (128 + kSheetGap), kSheetGap, 128, 128),
              QImage(Path("plain.pgm")).copy(kSheetGap + (128 + kSheetGap), kSheetGap, 128, 128));
}

TEST_F(StarTester, ThroughFocusDrawsEveryFocusFromFromToToInRowsOfAtMostEight) {
    const Outcome outcome = Run({"--through-focus", "-1:1:0.25", "--panel", "64", "--output", "strip.png"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    const QImage picture(Path("strip.png"));
    // nine panels: rows of five and four
    EXPECT_EQ(picture.size(), QSize(kSheetGap + 5 * (64 + kSheetGap), kSheetGap + 2 * (64 + kLabelHeight + kSheetGap)));
}

// W = D / (8 F^2 lambda): at f/4.8 and 550 nm, 1.014 mm of focuser travel is 10.0 waves.
TEST_F(StarTester, TurnsFocuserTravelIntoWavesOfDefocus) {
    const Outcome outcome = Run({"--f-ratio", "4.8", "--defocus-mm", "1.014", "--metrics", "-", "--grid", "512"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_NEAR(Json(outcome.out)["parameters"].toObject()["focus_waves"].toDouble(), 10.0, 0.005);
    const Outcome inward = Run({"--f-ratio", "4.8", "--defocus-mm", "-1.014", "--metrics", "-"});
    EXPECT_NEAR(Json(inward.out)["parameters"].toObject()["focus_waves"].toDouble(), -10.0, 0.005);
}

// At N = 256 and 550 nm the pupil is 25.6 grid steps in radius: defocus of 7
// waves steps 28 / 25.6 half waves at the rim; 512 samples it.
TEST_F(StarTester, WarnsOfAnUndersampledGridAndRefusesItWhenStrict) {
    const QStringList arguments{"--focus", "7", "--grid", "256", "--output", "star.png"};
    const Outcome warned = Run(arguments);
    EXPECT_EQ(warned.exitCode, 0);
    EXPECT_NE(warned.err.indexOf("warning"), -1) << warned.err.toStdString();
    EXPECT_NE(warned.err.indexOf("512"), -1) << warned.err.toStdString();
    EXPECT_EQ(Entries(), QStringList{"star.png"});
    QFile::remove(Path("star.png"));
    const Outcome strict = Run(arguments + QStringList{"--strict"});
    EXPECT_EQ(strict.exitCode, 3);
    EXPECT_NE(strict.err.indexOf("512"), -1) << strict.err.toStdString();
    EXPECT_TRUE(Entries().isEmpty());
    const Outcome sampled = Run({"--focus", "7", "--grid", "512", "--strict", "--output", "star.png"});
    EXPECT_EQ(sampled.exitCode, 0) << sampled.err.toStdString();
    EXPECT_TRUE(sampled.err.isEmpty()) << sampled.err.toStdString();
}

// The Airy pattern at N = 1024: 0.838, 0.910 and 0.938 of the light within
// its first three dark rings; Strehl ratio 1; FWHM 1.03 lambda/D.
TEST_F(StarTester, WritesMetricsThatHoldAgainstTheAiryPattern) {
    const Outcome outcome = Run({"--grid", "1024", "--metrics", "-", "--ee-radii", "0.5,10"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.isEmpty()) << outcome.err.toStdString();
    const QJsonObject m = Json(outcome.out);
    EXPECT_EQ(m["grid"].toInt(), 1024);
    EXPECT_DOUBLE_EQ(m["pixel_scale_lambda_over_d"].toDouble(), 0.2);
    EXPECT_DOUBLE_EQ(m["strehl"].toDouble(), 1);
    EXPECT_EQ(m["peak"].toObject()["x"].toInt(), 512);
    EXPECT_NEAR(m["fwhm_lambda_over_d"].toDouble(), 1.029, 0.01);
    const QJsonArray ee = m["encircled_energy"].toArray();
    ASSERT_EQ(ee.size(), 5);
    const double rings[] = {0.838, 0.910, 0.938};
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(ee[k].toObject()["fraction"].toDouble(), rings[k], 0.003);
    }
    EXPECT_EQ(ee[3].toObject()["radius_lambda_over_d"].toDouble(), 0.5);
    EXPECT_LT(ee[3].toObject()["fraction"].toDouble(), 0.5); // EE50 lies at 0.51 to 0.54 lambda/D
    EXPECT_GT(ee[4].toObject()["fraction"].toDouble(), 0.98);
    EXPECT_TRUE(m["warnings"].toArray().isEmpty());
}

struct BadOption {
    std::vector<std::string> arguments;
    std::string named;    // the option the message must name
    std::string accepted; // part of what the message says
};

void PrintTo(const BadOption &bad, std::ostream *out) {
    for (const std::string &argument : bad.arguments) {
        *out << " '" << argument << "'";
    }
}

class BadOptions : public StarTester, public ::testing::WithParamInterface<BadOption> {};

TEST_P(BadOptions, AreRefusedWithExitStatus2AMessageNamingTheOptionAndNoFile) {
    ASSERT_TRUE(QFile(Path("light.txt")).open(QIODevice::WriteOnly));
    QFile bad(Path("bad.txt"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("# nm weight\n500 1\n600 0.5\n650 heavy\n");
    bad.close();
    QStringList arguments = Arguments(GetParam().arguments);
    if (!arguments.contains("--output")) {
        arguments << "--output" << "star.png";
    }
    const Outcome outcome = Run(arguments);
    const std::string message = outcome.err.toStdString();
    EXPECT_EQ(outcome.exitCode, 2) << message;
    EXPECT_NE(message.find(GetParam().named), std::string::npos) << message;
    EXPECT_NE(message.find(GetParam().accepted), std::string::npos) << message;
    EXPECT_EQ(Entries(), (QStringList{"bad.txt", "light.txt"}));
}

INSTANTIATE_TEST_SUITE_P(
    EveryNewOption, BadOptions,
    ::testing::Values(
        BadOption{{"--spider", "0,1"}, "--spider", "1 to 8 vanes"},
        BadOption{{"--spider", "9,1"}, "--spider", "1 to 8 vanes"},
        BadOption{{"--spider", "4,100"}, "--spider", "at most 20 percent"},
        BadOption{{"--spider", "4,0"}, "--spider", "more than 0"},
        BadOption{{"--spider", "4"}, "--spider", "no width"},
        BadOption{{"--spider", "4,1@east"}, "--spider", "angle"},
        BadOption{{"--zernike", "1=0.1"}, "--zernike", "Noll index from 2 to 37"},
        BadOption{{"--zernike", "38=0.1"}, "--zernike", "Noll index from 2 to 37"},
        BadOption{{"--zernike", "4=0.1,4=0.2"}, "--zernike", "twice"},
        BadOption{{"--zernike", "4"}, "--zernike", "J=C"},
        BadOption{{"--zernike", "7=9"}, "--zernike", "-5 to 5"},
        BadOption{{"--coma", "11"}, "--coma", "-10 to 10 waves"},
        BadOption{{"--coma", "0.3@"}, "--coma", "angle"},
        BadOption{{"--astigmatism", "x@30"}, "--astigmatism", "-10 to 10"},
        BadOption{{"--astigmatism", "1@400"}, "--astigmatism", "-360 to 360"},
        BadOption{{"--spectrum", "missing.txt"}, "--spectrum", "cannot be read"},
        BadOption{{"--spectrum", "/dev/zero"}, "--spectrum", "not a file"},
        BadOption{{"--spectrum", "light.txt"}, "--spectrum", "no wavelength"},
        BadOption{{"--spectrum", "bad.txt"}, "--spectrum", "line 4"},
        BadOption{{"--spectrum", "700:400:10"}, "--spectrum", "does not reach TO"},
        BadOption{{"--spectrum", "400:700:0"}, "--spectrum", "not a range"},
        BadOption{{"--spectrum", "400:705:10"}, "--spectrum", "whole steps"},
        BadOption{{"--spectrum", "200:700:10"}, "--spectrum", "300 to 1000"},
        BadOption{{"--f-ratio", "0"}, "--f-ratio", "0.5 to 100"},
        BadOption{{"--defocus-mm", "1"}, "--defocus-mm", "needs --f-ratio"},
        BadOption{{"--f-ratio", "4", "--defocus-mm", "1", "--focus", "2"}, "--defocus-mm", "together"},
        BadOption{{"--f-ratio", "2", "--defocus-mm", "5"}, "--defocus-mm", "at most 50 waves"},
        BadOption{{"--startest", "0"}, "--startest", "more than 0"},
        BadOption{{"--startest", "30", "--focus", "30"}, "--startest", "beyond -50 to 50"},
        BadOption{{"--startest", "8", "--through-focus", "-1:1:1"}, "--startest", "together"},
        BadOption{{"--through-focus", "-8:8:0.25"}, "--through-focus", "more than 64"},
        BadOption{{"--through-focus", "-1:1:0.3"}, "--through-focus", "whole steps"},
        BadOption{{"--through-focus", "1:-1:1"}, "--through-focus", "does not reach"},
        BadOption{{"--through-focus", "-1:1"}, "--through-focus", "FROM:TO:STEP"},
        BadOption{{"--panel", "16"}, "--panel", "32 to 2048"},
        BadOption{{"--panel", "512", "--grid", "256"}, "--panel", "larger than --grid"},
        BadOption{{"--field", "0"}, "--field", "more than 0"},
        BadOption{{"--focus-field", "20"}, "--focus-field", "needs --startest"},
        BadOption{{"--startest", "8", "--focus-field", "0"}, "--focus-field", "more than 0"},
        BadOption{{"--view", "full", "--startest", "4"}, "--view", "together"},
        BadOption{{"--display", "linear"}, "--display", "amplitude or log"},
        BadOption{{"--decades", "4"}, "--decades", "--display log"},
        BadOption{{"--display", "log", "--decades", "11"}, "--decades", "1 to 10"},
        BadOption{{"--ee-radii", "1"}, "--ee-radii", "needs --metrics"},
        BadOption{{"--metrics", "m.json", "--ee-radii", "0"}, "--ee-radii", "more than 0"},
        BadOption{{"--metrics", "-", "--output", "-"}, "--metrics -", "standard output"}),
    [](const ::testing::TestParamInfo<BadOption> &info) { return "case" + std::to_string(info.index); });

} // namespace
