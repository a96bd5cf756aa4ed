#pragma once
// The renderer's command line: four optical values read exactly into
// scroll-bar positions, the grid size, the view and the output.

#include <QString>
#include <QStringList>

#include "StarImage.h"

namespace diffrascope::cli {

enum class View { Crop, Full };
enum class PictureFormat { Png, Pgm };

inline constexpr const char *kStandardOutputName = "-";

struct RenderRequest {
    ScrollPositions positions;
    std::int32_t gridSize = kStartGridSize;
    View view = View::Crop;
    PictureFormat format = PictureFormat::Png;
    QString output; // a file name, or kStandardOutputName for PGM on standard output
};

struct CommandLineOutcome {
    enum class Action { Render, ShowHelp, ShowVersion, Refuse };
    Action action = Action::Refuse;
    RenderRequest request; // for Render
    QString text;          // help or version text for standard output, or the refusal for standard error
};

// arguments[0] is the program. Checks every value before anything is computed.
CommandLineOutcome ParseCommandLine(const QStringList &arguments);

} // namespace diffrascope::cli
