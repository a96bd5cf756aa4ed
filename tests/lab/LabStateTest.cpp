// The lab's state is the renderer's option list: its command line gives the
// renderer's messages, every option has a control that shows and gives back
// its value exactly, and the copied command is the renderer's.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "Controls.h"
#include "DecimalSpinBox.h"
#include "FigureControls.h"
#include "LabState.h"
#include "Presets.h"

namespace diffrascope::lab {
namespace {

using Action = frontend::CommandLineOutcome::Action;

struct CommandLine {
    QStringList arguments;
    Action action;
    QString text; // the start of the text, or the whole refusal
};

class LabCommandLine : public testing::TestWithParam<CommandLine> {};

TEST_P(LabCommandLine, GivesTheRenderersMessagesUnderTheLabsName) {
    const StartOutcome outcome = ReadCommandLine(QStringList{QLatin1String(kProgram)} + GetParam().arguments);
    EXPECT_EQ(outcome.action, GetParam().action);
    EXPECT_TRUE(GetParam().text.isEmpty() || outcome.text.startsWith(GetParam().text)) << outcome.text.toStdString();
}

void PrintTo(const CommandLine &line, std::ostream *out) { *out << line.arguments.join(' ').toStdString(); }

INSTANTIATE_TEST_SUITE_P(
    Lab, LabCommandLine,
    testing::Values(
        CommandLine{{"--spherical", "11"}, Action::Refuse,
                    "diffrascope-lab: --spherical '11' is out of range; --spherical accepts -10 to 10 waves."},
        CommandLine{{"--spider", "9,1"}, Action::Refuse, "diffrascope-lab: --spider '9,1' has no vane count"},
        CommandLine{{"--output", "x.png"}, Action::Refuse,
                    "diffrascope-lab: --output has no use in the window; give it to diffrascope-render."},
        CommandLine{{"--through-focus", "-1:1:1"}, Action::Refuse, "diffrascope-lab: --through-focus has no use"},
        CommandLine{{"--mtf", "mtf.csv"}, Action::Refuse,
                    "diffrascope-lab: --mtf has no use in the window; give it to diffrascope-render."},
        // The window's own star test of 8 waves would reach 53 waves.
        CommandLine{{"--focus", "45"}, Action::Refuse, "diffrascope-lab: --startest '8' takes the focus beyond"},
        CommandLine{{"--help"}, Action::ShowHelp, "Usage: diffrascope-lab"},
        CommandLine{{"--f-ratio", "5", "--startest-mm", "1"}, Action::Render, ""}));

TEST(LabCommandLine, KeepsTheGivenOptionsOverTheLabsDefaults) {
    EXPECT_EQ(ReadCommandLine({QLatin1String(kProgram)}).state, LabState::Defaults());
    const StartOutcome mm = ReadCommandLine({QLatin1String(kProgram), "--f-ratio", "5", "--startest-mm", "1"});
    EXPECT_EQ(mm.state.Arguments(), (QStringList{"--f-ratio", "5", "--startest-mm", "1"}));
}

// A flat measured wavefront of 2 x 2 pixels, 0 waves: a FITS primary image of
// 64-bit floats, its header of 80-character cards and its data each padded to
// 2880-byte blocks.
QString WriteFlatWavefront(const QString &path) {
    constexpr int kBlock = 2880;
    constexpr int kCard = 80;
    QByteArray header;
    for (const auto &[key, value] : {std::pair{"SIMPLE", "T"}, std::pair{"BITPIX", "-64"}, std::pair{"NAXIS", "2"},
                                     std::pair{"NAXIS1", "2"}, std::pair{"NAXIS2", "2"}}) {
        header += QByteArray(QString::asprintf("%-8s= %20s", key, value).toLatin1()).leftJustified(kCard);
    }
    header += QByteArray("END").leftJustified(kCard);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(header.leftJustified(kBlock) + QByteArray(kBlock, '\0')); // 0.0 is all zero bytes
    return path;
}

// One state per row; together they give every option the window has a use for.
QList<QStringList> States(const QString &wavefront) {
    return {
        {"--spherical", "0.125", "--coma", "0.3@45", "--astigmatism", "-0.2", "--zernike", "7=0.05,22=-0.01",
         "--obstruction", "33", "--spider", "4,1.5@22.5", "--focus", "-0.3", "--startest", "7.5"},
        {"--f-ratio", "4.8", "--defocus-mm", "0.25", "--startest-mm", "1.2", "--wavelength", "656.3", "--spectrum",
         "visual"},
        {"--startest", "8", "--spectrum", "400:700:20", "--display", "log", "--decades", "5.5", "--panel", "192",
         "--field", "80", "--focus-field", "25", "--grid", "1024"},
        {"--aperture-mm", "254", "--turned-edge", "-0.25@0.85", "--zone", "0.5,0.1,0.05", "--zone", "0.7,-0.05,0.1",
         "--roughness", "0.05@20:60", "--seed", "7", "--wavefront", wavefront, "--startest", "8"},
        {"--aperture-mm", "200", "--startest", "8", "--companion", "0.7,0.5@60", "--companion", "2,3", "--normalize",
         "flux", "--scale-bar"},
        {"--aperture-mm", "100", "--startest", "8", "--object", DIFFRASCOPE_TEST_OBJECT, "--object-scale", "0.05",
         "--display", "linear"},
        {"--aperture-mm", "200", "--startest", "8", "--seeing", "7.5", "--seeing-frames", "12", "--average"},
    };
}

TEST(Controls, ShowEveryOptionAndGiveItBackAsTheRendererReadsIt) {
    QTemporaryDir files;
    ASSERT_TRUE(files.isValid());
    QSet<QString> covered;
    for (const QStringList &arguments : States(WriteFlatWavefront(files.filePath("flat.fits")))) {
        const StartOutcome start = ReadCommandLine(QStringList{QLatin1String(kProgram)} + arguments);
        ASSERT_EQ(start.action, Action::Render) << start.text.toStdString();
        Controls controls;
        controls.SetState(start.state);
        EXPECT_EQ(controls.State().Arguments(), arguments);
        for (int k = 0; k < arguments.size(); k += 2) {
            covered.insert(arguments[k].mid(2));
        }
    }
    for (const frontend::OptionInfo &option : frontend::RenderOptions()) {
        EXPECT_TRUE(covered.contains(option.name) || IsRefusedOption(option.name)) << option.name.toStdString();
    }
}

TEST(Controls, TheRequiredMnemonicsTakeTheKeyboardToTheirControls) {
    Controls controls;
    controls.show();
    controls.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&controls));
    const struct {
        Qt::Key key;
        QWidget *control;
    } mnemonics[] = {{Qt::Key_S, controls.Spherical()}, {Qt::Key_O, controls.Focus()},
                     {Qt::Key_B, controls.Obstruction()}, {Qt::Key_W, controls.Wavelength()},
                     {Qt::Key_D, controls.StarTest()}};
    for (const auto &mnemonic : mnemonics) {
        QTest::keyClick(&controls, mnemonic.key, Qt::AltModifier);
        EXPECT_TRUE(mnemonic.control->hasFocus()) << QKeySequence(mnemonic.key).toString().toStdString();
    }
    ASSERT_FALSE(controls.LogScale()->isChecked());
    QTest::keyClick(&controls, Qt::Key_L, Qt::AltModifier); // a button's mnemonic clicks it, animated
    EXPECT_TRUE(QTest::qWaitFor([&] { return controls.LogScale()->isChecked(); }));
}

TEST(Controls, TheFigureFoldsAwayItsOptionsAndTakesAtMostTheRenderersZones) {
    const StartOutcome start =
        ReadCommandLine({QLatin1String(kProgram), "--zone", "0.5,0.1,0.05", "--roughness", "0.05"});
    ASSERT_EQ(start.action, Action::Render) << start.text.toStdString();
    Controls controls;
    controls.SetState(start.state);
    FigureControls *figure = controls.Figure();
    ASSERT_TRUE(figure->isChecked());
    figure->setChecked(false); // folded: none of the figure's options
    EXPECT_EQ(controls.State(), LabState::Defaults());
    figure->setChecked(true); // unfolded: the figure as it was
    EXPECT_EQ(controls.State(), start.state);
    for (int click = 0; click < optics::kMaxZones; ++click) {
        QTest::mouseClick(figure->AddZone(), Qt::LeftButton);
    }
    EXPECT_EQ(figure->ZoneTable()->rowCount(), optics::kMaxZones);
    EXPECT_FALSE(figure->AddZone()->isEnabled());
}

TEST(LabState, CopiesTheRenderersCommandWithOnlyTheOptionsThatDifferFromItsDefaults) {
    LabState state = LabState::Defaults();
    state.Set("spherical", "0.25");
    state.Set("obstruction", "0"); // the renderer's default: left out
    state.Set("spectrum", "/tmp/my spectrum.txt");
    EXPECT_EQ(state.RenderCommand(), QStringLiteral("diffrascope-render --spherical 0.25 --startest 8 "
                                                    "--spectrum '/tmp/my spectrum.txt' --output sheet.png"));
}

TEST(Presets, AreTheTextbookCasesAndTheRendererTakesThem) {
    QStringList commands;
    for (const Preset &preset : Presets()) {
        const StartOutcome start = ReadCommandLine(QStringList{QLatin1String(kProgram)} + preset.arguments);
        ASSERT_EQ(start.action, Action::Render) << preset.name.toStdString();
        commands << start.state.RenderCommand();
    }
    EXPECT_EQ(commands, (QStringList{
                            "diffrascope-render --startest 8 --output sheet.png",
                            "diffrascope-render --spherical 0.25 --obstruction 33 --startest 8 --output sheet.png",
                            "diffrascope-render --coma 0.3 --obstruction 33 --spider 4,1 --startest 8 "
                            "--output sheet.png",
                            "diffrascope-render --astigmatism 0.5 --startest 4 --output sheet.png",
                        }));
}

struct Typing {
    QString typed;
    QString value; // what the box then holds
};

void PrintTo(const Typing &typing, std::ostream *out) { *out << typing.typed.toStdString(); }

class DecimalTyping : public testing::TestWithParam<Typing> {};

TEST_P(DecimalTyping, KeepsAnyDecimalWithinTheLimitExactly) {
    DecimalSpinBox box(optics::kSphericalLimit, "0.05", "0");
    QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&box, GetParam().typed);
    EXPECT_EQ(box.Value(), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Lab, DecimalTyping,
                         testing::Values(Typing{"0.125", "0.125"}, Typing{"-7.70", "-7.7"},
                                         Typing{"0.1234567", "0.1234567"}, Typing{"10.5", "10"}, // 10.5 stops at 10
                                         Typing{"1e3", "1"}, Typing{"-", "0"}));

TEST(DecimalSpinBox, StepsByItsExactStepAndStopsAtTheLimit) {
    DecimalSpinBox box(optics::kSphericalLimit, "0.05", "9.9");
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(box.Value(), "9.95");
    QTest::keyClick(&box, Qt::Key_PageUp); // ten steps, beyond the end
    EXPECT_EQ(box.Value(), "10");
    DecimalSpinBox open(optics::kStarTestLimit, "1", "1");
    QTest::keyClick(&open, Qt::Key_Down); // 0 is outside a range open at 0
    EXPECT_EQ(open.Value(), "1");
    DecimalSpinBox edge(optics::kEdgeStartLimit, "0.01", "0.98");
    QTest::keyClick(&edge, Qt::Key_Up);
    QTest::keyClick(&edge, Qt::Key_Up); // 1 is outside a range open at 1
    EXPECT_EQ(edge.Value(), "0.99");
}

} // namespace
} // namespace diffrascope::lab
