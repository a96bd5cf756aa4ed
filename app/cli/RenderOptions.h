#pragma once
// The renderer's command line: the optics (any decimal values, exactly read),
// the star-test sheets, the field, the display scale and the outputs.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "Render.h"

namespace diffrascope::cli {

enum class PictureFormat { Png, Pgm, Fits };

inline constexpr const char *kStandardOutputName = "-";

// What a sheet writes under a panel: "intrafocal" and "-8 waves, -1.014 mm".
struct PanelLabel {
    QString role;
    QString defocus;
};

struct RenderRequest {
    optics::RenderJob job;
    std::vector<PanelLabel> labels; // one per panel of a sheet; none for a single image
    QString output;                 // empty: no picture
    PictureFormat format = PictureFormat::Png;
    QString metrics;                // empty: none; kStandardOutputName: standard output
    bool strict = false;            // a warning fails the run
    std::optional<double> fRatio;

    bool IsSheet() const { return !labels.empty(); }
};

struct CommandLineOutcome {
    enum class Action { Render, ShowHelp, ShowVersion, Refuse };
    Action action = Action::Refuse;
    RenderRequest request; // for Render
    QString text;          // help or version text for standard output, or the refusal for standard error
};

// arguments[0] is the program. Checks every value before anything is
// computed; reads spectrum files named by --spectrum.
CommandLineOutcome ParseCommandLine(const QStringList &arguments);

} // namespace diffrascope::cli
