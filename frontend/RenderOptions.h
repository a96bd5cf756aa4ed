#pragma once
// The renderer's options: text into an optics job (any decimal value, read
// exactly), the outputs, and the renderer's messages for what it refuses.
// diffrascope-render reads its command line through here; the lab window
// reads its own command line, and the Python module its keywords, the same way.

#include <QString>
#include <QStringList>

#include "Engine.h"
#include "MtfOutput.h"
#include "SheetPicture.h"

namespace diffrascope::frontend {

inline constexpr const char *kStandardOutputName = "-";

struct RenderRequest {
    optics::Job job;
    QString output; // empty: no picture
    PictureFormat format = PictureFormat::Png;
    QString metrics; // empty: none; kStandardOutputName: standard output
    QString wavefrontOutput; // empty: none; else a FITS file of the sampled wavefront
    QString mtf;             // empty: none; kStandardOutputName: standard output (CSV)
    MtfFormat mtfFormat = MtfFormat::Csv;
    bool strict = false; // a warning fails the run
};

// Who reads the command line: the program's name starts every refusal and
// the help; the lab window needs no output file.
struct CommandLineRules {
    QString program = QStringLiteral("diffrascope-render");
    bool outputRequired = true;
};

struct CommandLineOutcome {
    enum class Action { Render, ShowHelp, ShowVersion, Refuse };
    Action action = Action::Refuse;
    RenderRequest request; // for Render
    QString text;          // help or version text for standard output, or the refusal for standard error
};

// arguments[0] is the program. Checks every value before anything is
// computed; reads spectrum files named by --spectrum and wavefront maps named
// by --wavefront. A refusal starts with
// the program's name and names the option.
CommandLineOutcome ParseCommandLine(const QStringList &arguments, const CommandLineRules &rules = {});

// Every option the renderer reads, as --help lists it: its name, the form of
// its value (empty for a flag), its group and its description.
struct OptionInfo {
    QString name;
    QString valueName;
    QString group;
    QString description;
    bool repeatable = false; // given once per item (a zone each)
};
QList<OptionInfo> RenderOptions();

} // namespace diffrascope::frontend
