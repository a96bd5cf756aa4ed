#pragma once
// What the windows share: the application title, centring on the screen,
// the message boxes, the error display and the "0.0" number format.

#include <exception>

class QPoint;
class QSize;
class QString;
class QStringView;
class QWidget;

namespace diffrascope::ui {

// The program file's name after the last "/" and before the first ".", its
// first character kept and every later one in lower case.
QString TitleFromProgramPath(QStringView path);
// The title of the running program; it captions every message box.
QString ApplicationTitle();

// Screen-relative top-left corner that centres a window: each half truncated
// toward zero before the subtraction, never clamped to the screen.
QPoint CentredPosition(const QSize &screen, const QSize &window);
// Places the window, by its current outer size, in the middle of the primary screen.
void CentreOnScreen(QWidget *window);

// Modal box centred on the screen: the text, one "OK" button, no icon.
void ShowMessage(const QString &text);
// The error display: the same box with the error icon.
void ShowErrorMessage(const QString &text);
// Tells the user of a failed operation: a short memory in the message box,
// any other error in the error display.
void ShowException(const std::exception_ptr &error);
// The error display for any error, a short memory included: its text followed
// by ".", with the error icon.
void ShowError(const std::exception_ptr &error);

// The value with one decimal: rounded to the nearest tenth, the locale's
// decimal separator, "-" for negatives, no thousands separator.
QString FormatOneDecimal(long double value);

} // namespace diffrascope::ui
