#pragma once
// The window definitions: every control of the main window and of the hidden
// secondary window, with position, size, text, range, state and tab order.
// Positions are in pixels, relative to the client area of the parent.

#include <span>

namespace diffrascope::ui {

enum class ControlKind { Panel, Label, Edit, ScrollBar, GroupBox, CheckBox, Button, RadioButton, ProgressBar, Image };

enum class ControlFont { Form, Title, Figures };

struct Bounds {
    int left;
    int top;
    int width;
    int height;
};

// Scroll-bar and progress-bar range; the defaults are those of a plain scroll bar.
struct Range {
    int min = 0;
    int max = 100;
    int position = 0;
    int smallChange = 1;
    int largeChange = 1;
};

inline constexpr int kNoTabStop = -1;
inline constexpr const char *kClientArea = ""; // parent name of controls placed on the window itself

struct ControlRow {
    const char *name;
    ControlKind kind;
    const char *parent;
    Bounds bounds;
    const char *text = "";
    int tabOrder = kNoTabStop;
    Range range = {};
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    ControlFont font = ControlFont::Form;
};

struct MenuRow {
    const char *name;
    const char *parent; // kClientArea for an item of the menu bar
    const char *caption;
};

struct FormDefinition {
    const char *caption;
    Bounds outer;   // position and outer size as defined; the position is replaced by centring
    int clientWidth;  // the client area fits Panel1
    int clientHeight;
};

// Form font: 12-pixel characters; IPAPGothic stands in where the face is missing.
inline constexpr const char *kFormFontFamily = "ＭＳ Ｐゴシック";
inline constexpr const char *kFormFontSubstitute = "IPAPGothic";
inline constexpr int kFormFontPixels = 12;
// Figures (the values in the edits, the grid sizes beside their marks): the form
// font condensed to three quarters of its width. The stand-in's digits are
// wider than the 6 pixels the defined sizes allow; condensed, "1000.0" fits
// its 36-pixel edit and "1024" its 24-pixel label.
inline constexpr int kFiguresStretch = 75; // percent of the normal width
// Title label font: 37-pixel bold italic; Nimbus Roman stands in where it is missing.
inline constexpr const char *kTitleFontFamily = "NimbusRomNo9T";
inline constexpr const char *kTitleFontSubstitute = "Nimbus Roman";
inline constexpr int kTitleFontPixels = 37;

extern const FormDefinition kMainPanelForm;
std::span<const ControlRow> MainPanelControls();
std::span<const MenuRow> MainMenuItems();

extern const FormDefinition kResultForm;
std::span<const ControlRow> ResultControls();

} // namespace diffrascope::ui
