// The star tester's renderer as a user runs it: any value, sheets whose
// panels are single images, millimetres of focuser travel, the sampling
// guard and the metrics.

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
    if (result.panels.size() != 1) {
        ADD_FAILURE() << result.panels.size() << " panels of a single image";
        return {};
    }
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

// The perfect unobstructed aperture's MTF, (2/pi)(acos v - v sqrt(1 - v^2))
// (Goodman), from 0 to the cut-off; the JSON holds the same numbers as the CSV.
TEST_F(StarTester, WritesTheMtfAsCsvAndJsonUpToTheCutOff) {
    const Outcome csv = Run({"--grid", "1024", "--mtf", "-"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    QList<QByteArray> lines = csv.out.trimmed().split('\n');
    ASSERT_GT(lines.size(), 200);
    EXPECT_EQ(lines.takeFirst(), "frequency,x,y,average");
    const double pi = 3.141592653589793;
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.split(',');
        ASSERT_EQ(fields.size(), 4) << line.toStdString();
        const double v = fields[0].toDouble();
        ASSERT_LE(v, 1.0);
        EXPECT_NEAR(fields[1].toDouble(), 2 / pi * (std::acos(v) - v * std::sqrt(1 - v * v)), 0.003) << v;
    }
    ASSERT_EQ(Run({"--grid", "1024", "--mtf", "mtf.json"}).exitCode, 0);
    const QJsonObject json = Json(ReadFile(Path("mtf.json")));
    ASSERT_EQ(json["frequency"].toArray().size(), lines.size());
    EXPECT_EQ(json["x"].toArray().last().toDouble(), lines.last().split(',')[1].toDouble());
    EXPECT_EQ(json.keys(), (QStringList{"average", "frequency", "x", "y"}));
}

// lambda/D at 550 nm through 200 mm is 550e-9 / 0.2 radians, 0.5672 arcseconds.
TEST_F(StarTester, GivesTheMetricsInArcsecondsThroughAnAperture) {
    const Outcome outcome = Run({"--aperture-mm", "200", "--f-ratio", "5", "--metrics", "-"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    const QJsonObject m = Json(outcome.out);
    const double arcseconds = 550e-9 / 0.2 * 180 / 3.141592653589793 * 3600;
    EXPECT_NEAR(m["pixel_scale_arcsec"].toDouble(), 0.2 * arcseconds, 1e-12);
    for (const char *key : {"fwhm", "ee50", "ee80"}) {
        EXPECT_NEAR(m[QString(key) + "_arcsec"].toDouble(), m[QString(key) + "_lambda_over_d"].toDouble() * arcseconds,
                    1e-12)
            << key;
    }
    EXPECT_EQ(m["parameters"].toObject()["focal_length_mm"].toDouble(), 1000);
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
// its first three dark rings; Strehl ratio 1; FWHM 1.03 lambda/D. The
// documented most of 16 more radii gives 16 more entries.
TEST_F(StarTester, WritesMetricsThatHoldAgainstTheAiryPattern) {
    const Outcome outcome =
        Run({"--grid", "1024", "--metrics", "-", "--ee-radii", "0.5,10,1,2,3,4,5,6,7,8,9,11,12,13,14,15"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.isEmpty()) << outcome.err.toStdString();
    const QJsonObject m = Json(outcome.out);
    EXPECT_EQ(m["grid"].toInt(), 1024);
    EXPECT_DOUBLE_EQ(m["pixel_scale_lambda_over_d"].toDouble(), 0.2);
    EXPECT_DOUBLE_EQ(m["strehl"].toDouble(), 1);
    EXPECT_EQ(m["peak"].toObject()["x"].toInt(), 512);
    EXPECT_NEAR(m["fwhm_lambda_over_d"].toDouble(), 1.029, 0.01);
    const QJsonArray ee = m["encircled_energy"].toArray();
    ASSERT_EQ(ee.size(), 3 + 16);
    const double rings[] = {0.838, 0.910, 0.938};
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(ee[k].toObject()["fraction"].toDouble(), rings[k], 0.003);
    }
    EXPECT_EQ(ee[3].toObject()["radius_lambda_over_d"].toDouble(), 0.5);
    EXPECT_LT(ee[3].toObject()["fraction"].toDouble(), 0.5); // EE50 lies at 0.51 to 0.54 lambda/D
    EXPECT_GT(ee[4].toObject()["fraction"].toDouble(), 0.98);
    EXPECT_TRUE(m["warnings"].toArray().isEmpty());
}

} // namespace
