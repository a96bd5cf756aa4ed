#pragma once
// Builds a window's controls from the rows of its definition.

#include <QHash>
#include <QString>

#include <span>

#include "WindowDefinition.h"

class QFont;
class QWidget;

namespace diffrascope::ui {

// Registers the stand-in faces for the two fonts of the windows; harmless to repeat.
void RegisterFontSubstitutes();
QFont FormFont();
// The form font, condensed, for the values in the edits and the grid sizes.
QFont FiguresFont();
QFont TitleFont();

// The controls of one window by name; the client area is under kClientArea.
using ControlMap = QHash<QString, QWidget *>;

// Creates every control of rows inside client, with stored values only (no
// handlers are attached), and the tab order among them.
ControlMap BuildControls(QWidget *client, std::span<const ControlRow> rows);

// The controls that take the keyboard focus, in tab order.
QList<QWidget *> TabSequence(const ControlMap &controls, std::span<const ControlRow> rows);

} // namespace diffrascope::ui
