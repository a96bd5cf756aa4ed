#include "WindowDefinition.h"

namespace diffrascope::ui {

namespace {

using K = ControlKind;

constexpr Range kSphericalBar{.min = -100, .max = 100, .position = 0, .smallChange = 1, .largeChange = 10};
constexpr Range kFocusBar{.min = -500, .max = 500, .position = 0, .smallChange = 10, .largeChange = 100};
constexpr Range kObstructionBar{.min = 0, .max = 100, .position = 0, .smallChange = 1, .largeChange = 10};
constexpr Range kWavelengthBar{.min = 300, .max = 1000, .position = 550, .smallChange = 10, .largeChange = 100};
constexpr Range kProgress{.min = 0, .max = 100, .position = 0};

// In declaration order; every parent comes before its children.
constexpr ControlRow kMainPanelControls[] = {
    {.name = "Panel1", .kind = K::Panel, .parent = kClientArea, .bounds = {0, 0, 561, 329}, .tabOrder = 0},
    {.name = "Image1", .kind = K::Image, .parent = "Panel1", .bounds = {288, 56, 256, 256}},
    {.name = "Label2", .kind = K::Label, .parent = "Panel1", .bounds = {208, 8, 199, 42}, .text = "Diffrascope ",
     .font = ControlFont::Title},
    // Lies under Panel1 and is never seen.
    {.name = "Label12", .kind = K::Label, .parent = kClientArea, .bounds = {64, 64, 12, 12}, .text = "λ"},
    {.name = "GroupBox1", .kind = K::GroupBox, .parent = "Panel1", .bounds = {16, 52, 256, 261}, .text = "パラメータ",
     .tabOrder = 0},
    {.name = "Label1", .kind = K::Label, .parent = "GroupBox1", .bounds = {18, 28, 48, 12}, .text = "球面収差"},
    {.name = "Edit1", .kind = K::Edit, .parent = "GroupBox1", .bounds = {80, 24, 36, 20}, .text = "0.0", .tabOrder = 0},
    {.name = "Label8", .kind = K::Label, .parent = "GroupBox1", .bounds = {120, 32, 12, 12}, .text = "λ"},
    {.name = "ScrollBar1", .kind = K::ScrollBar, .parent = "GroupBox1", .bounds = {152, 26, 89, 15}, .tabOrder = 1,
     .range = kSphericalBar},
    {.name = "ScrollBar2", .kind = K::ScrollBar, .parent = "GroupBox1", .bounds = {152, 50, 89, 15}, .tabOrder = 2,
     .range = kFocusBar},
    {.name = "Label9", .kind = K::Label, .parent = "GroupBox1", .bounds = {120, 56, 12, 12}, .text = "λ"},
    {.name = "Edit2", .kind = K::Edit, .parent = "GroupBox1", .bounds = {80, 48, 36, 20}, .text = "0.0", .tabOrder = 3},
    {.name = "Label3", .kind = K::Label, .parent = "GroupBox1", .bounds = {16, 52, 53, 12}, .text = "フォーカス"},
    {.name = "Label4", .kind = K::Label, .parent = "GroupBox1", .bounds = {24, 76, 36, 12}, .text = "遮蔽率"},
    {.name = "Edit3", .kind = K::Edit, .parent = "GroupBox1", .bounds = {80, 72, 36, 20}, .text = "0.0", .tabOrder = 4},
    {.name = "Label10", .kind = K::Label, .parent = "GroupBox1", .bounds = {120, 80, 6, 12}, .text = "%"},
    {.name = "ScrollBar3", .kind = K::ScrollBar, .parent = "GroupBox1", .bounds = {152, 74, 89, 15}, .tabOrder = 5,
     .range = kObstructionBar},
    {.name = "ScrollBar4", .kind = K::ScrollBar, .parent = "GroupBox1", .bounds = {152, 98, 89, 15}, .tabOrder = 6,
     .range = kWavelengthBar},
    {.name = "Label11", .kind = K::Label, .parent = "GroupBox1", .bounds = {120, 104, 15, 12}, .text = "nm"},
    {.name = "Edit4", .kind = K::Edit, .parent = "GroupBox1", .bounds = {80, 96, 36, 20}, .text = "550.0",
     .tabOrder = 7},
    {.name = "Label5", .kind = K::Label, .parent = "GroupBox1", .bounds = {32, 100, 24, 12}, .text = "波長"},
    {.name = "GroupBox2", .kind = K::GroupBox, .parent = "GroupBox1", .bounds = {24, 176, 201, 57},
     .text = "計算分割数", .tabOrder = 8},
    // The radio buttons are 17 x 17, so only their marks show; the labels beside them name the sizes.
    {.name = "RadioButton1", .kind = K::RadioButton, .parent = "GroupBox2", .bounds = {16, 16, 17, 17},
     .text = "RadioButton1", .tabOrder = 0},
    {.name = "Label7", .kind = K::Label, .parent = "GroupBox2", .bounds = {40, 18, 18, 12}, .text = "256",
     .font = ControlFont::Figures},
    {.name = "Label14", .kind = K::Label, .parent = "GroupBox2", .bounds = {40, 34, 18, 12}, .text = "512",
     .font = ControlFont::Figures},
    {.name = "RadioButton2", .kind = K::RadioButton, .parent = "GroupBox2", .bounds = {16, 32, 17, 17},
     .text = "RadioButton1", .tabOrder = 1, .checked = true},
    {.name = "Label15", .kind = K::Label, .parent = "GroupBox2", .bounds = {96, 18, 24, 12}, .text = "1024",
     .font = ControlFont::Figures},
    {.name = "RadioButton3", .kind = K::RadioButton, .parent = "GroupBox2", .bounds = {72, 16, 17, 17},
     .text = "RadioButton1", .tabOrder = 2},
    {.name = "Label16", .kind = K::Label, .parent = "GroupBox2", .bounds = {96, 34, 24, 12}, .text = "2048",
     .font = ControlFont::Figures},
    {.name = "RadioButton4", .kind = K::RadioButton, .parent = "GroupBox2", .bounds = {72, 32, 17, 17},
     .text = "RadioButton1", .tabOrder = 3, .enabled = false},
    {.name = "RadioButton5", .kind = K::RadioButton, .parent = "GroupBox2", .bounds = {128, 16, 17, 17},
     .text = "RadioButton1", .tabOrder = 4, .enabled = false},
    {.name = "Label17", .kind = K::Label, .parent = "GroupBox2", .bounds = {152, 18, 24, 12}, .text = "4048",
     .font = ControlFont::Figures},
    {.name = "Button1", .kind = K::Button, .parent = "GroupBox1", .bounds = {184, 151, 33, 15}, .text = "計算",
     .tabOrder = 9},
    // At 17 x 17 only the box shows; Label18 names it.
    {.name = "CheckBox1", .kind = K::CheckBox, .parent = "GroupBox1", .bounds = {128, 150, 17, 17},
     .text = "CheckBox1", .tabOrder = 10, .checked = true},
    {.name = "Label18", .kind = K::Label, .parent = "GroupBox1", .bounds = {24, 152, 87, 12},
     .text = "リアルタイム計算"},
    {.name = "ProgressBar1", .kind = K::ProgressBar, .parent = "GroupBox1", .bounds = {24, 240, 201, 9},
     .tabOrder = 11, .range = kProgress},
    // Receives the full picture and stays hidden.
    {.name = "Image2", .kind = K::Image, .parent = "Panel1", .bounds = {104, 16, 33, 33}, .visible = false},
    {.name = "Button2", .kind = K::Button, .parent = "Panel1", .bounds = {496, 32, 17, 17}, .text = "+",
     .tabOrder = 1, .visible = false},
    {.name = "Button3", .kind = K::Button, .parent = "Panel1", .bounds = {520, 32, 17, 17}, .text = "-",
     .tabOrder = 2, .visible = false},
};

constexpr MenuRow kMainMenuItems[] = {
    {.name = "File1", .parent = kClientArea, .caption = "ファイル(&F)"},
    {.name = "Exit1", .parent = "File1", .caption = "終了(&X)"},
    {.name = "V1", .parent = kClientArea, .caption = "バージョン(&V)"},
    {.name = "V2", .parent = "V1", .caption = "バージョン情報(&V) "},
};

constexpr ControlRow kResultControls[] = {
    {.name = "Panel1", .kind = K::Panel, .parent = kClientArea, .bounds = {0, 0, 700, 700}, .tabOrder = 0},
    {.name = "Image1", .kind = K::Image, .parent = "Panel1", .bounds = {72, 8, 512, 512}},
};

} // namespace

const FormDefinition kMainPanelForm{
    .caption = "Diffrascope", .outer = {624, 492, 569, 383}, .clientWidth = 561, .clientHeight = 329};

const FormDefinition kResultForm{
    .caption = "Result", .outer = {301, 159, 708, 734}, .clientWidth = 700, .clientHeight = 700};

std::span<const ControlRow> MainPanelControls() { return kMainPanelControls; }
std::span<const MenuRow> MainMenuItems() { return kMainMenuItems; }
std::span<const ControlRow> ResultControls() { return kResultControls; }

} // namespace diffrascope::ui
