#include "Mainp.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <memory>

#include "Application.h"
#include "FormBuilder.h"
#include "Image.h"
#include "SystemMemory.h"
#include "WindowDefinition.h"

#ifndef DIFFRASCOPE_VERSION_TEXT
#error "DIFFRASCOPE_VERSION_TEXT must name the version shown in About"
#endif

namespace diffrascope::ui {

TMainPanel *MainPanel = nullptr;

namespace {

constexpr long double kWavesPerPosition = 0.1L; // spherical aberration and focus: tenths of a wave
constexpr long double kUnitPerPosition = 1.0L;  // obstruction in percent, wavelength in nanometres

// Grid sizes of the three usable choices and the free memory, in 10^6 bytes, below which each warns.
constexpr std::int32_t kSmallGrid = 256;
constexpr std::int32_t kMediumGrid = 512;
constexpr std::int32_t kLargeGrid = 1024;
constexpr long double kSmallGridMegabytes = 32;
constexpr long double kMediumGridMegabytes = 64;
constexpr long double kLargeGridMegabytes = 128;

constexpr qint64 kProgressRepaintMilliseconds = 15; // often enough to be seen moving, rarely enough to cost nothing

constexpr const char *kAboutThirdLine = "円形開口の星像シミュレーター";

template <typename Control> void Bind(Control *&member, const QHash<QString, QWidget *> &controls, const char *name) {
    member = qobject_cast<Control *>(controls.value(QString::fromUtf8(name)));
    Q_ASSERT(member != nullptr);
}

const char *MenuCaption(const char *name) {
    for (const MenuRow &row : MainMenuItems()) {
        if (QString::fromUtf8(row.name) == QString::fromUtf8(name)) {
            return row.caption;
        }
    }
    Q_ASSERT(false);
    return "";
}

} // namespace

QString AboutText() {
    return QStringLiteral("          Diffrascope  ver. ") + QStringLiteral(DIFFRASCOPE_VERSION_TEXT) +
           QStringLiteral("\n\n") + QString::fromUtf8(kAboutThirdLine);
}

TMainPanel::TMainPanel(QWidget *parent) : QMainWindow(parent) {
    MainPanel = this; // the start-up computation reaches the controls through it
    RegisterFontSubstitutes();
    setWindowTitle(QString::fromUtf8(kMainPanelForm.caption));
    setWindowIcon(QIcon(QStringLiteral(":/MAINICON")));
    setFont(FormFont());
    BuildMenu();
    BuildClientArea();
    ConnectHandlers();
    CentreOnScreen(this);
    ComputeStarImage();
}

std::unique_ptr<TMainPanel> CreateMainPanel() {
    try {
        return std::make_unique<TMainPanel>();
    } catch (...) {
        MainPanel = nullptr;
        throw;
    }
}

TMainPanel::~TMainPanel() {
    if (MainPanel == this) {
        MainPanel = nullptr;
    }
}

void TMainPanel::BuildMenu() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    File1 = MainMenu1->addMenu(QString::fromUtf8(MenuCaption("File1")));
    Exit1 = File1->addAction(QString::fromUtf8(MenuCaption("Exit1")));
    V1 = MainMenu1->addMenu(QString::fromUtf8(MenuCaption("V1")));
    V2 = V1->addAction(QString::fromUtf8(MenuCaption("V2")));
    File1->setObjectName(QStringLiteral("File1"));
    Exit1->setObjectName(QStringLiteral("Exit1"));
    V1->setObjectName(QStringLiteral("V1"));
    V2->setObjectName(QStringLiteral("V2"));
}

// The client area is exactly Panel1's size and the window fits itself around it.
void TMainPanel::BuildClientArea() {
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(kMainPanelForm.clientWidth, kMainPanelForm.clientHeight);
    setCentralWidget(client);
    BindControls(BuildControls(client, MainPanelControls()));
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
}

void TMainPanel::BindControls(const QHash<QString, QWidget *> &controls) {
    Bind(Panel1, controls, "Panel1");
    Bind(Image1, controls, "Image1");
    Bind(Label2, controls, "Label2");
    Bind(Label12, controls, "Label12");
    Bind(GroupBox1, controls, "GroupBox1");
    Bind(Label1, controls, "Label1");
    Bind(Edit1, controls, "Edit1");
    Bind(Label8, controls, "Label8");
    Bind(ScrollBar1, controls, "ScrollBar1");
    Bind(ScrollBar2, controls, "ScrollBar2");
    Bind(Label9, controls, "Label9");
    Bind(Edit2, controls, "Edit2");
    Bind(Label3, controls, "Label3");
    Bind(Label4, controls, "Label4");
    Bind(Edit3, controls, "Edit3");
    Bind(Label10, controls, "Label10");
    Bind(ScrollBar3, controls, "ScrollBar3");
    Bind(ScrollBar4, controls, "ScrollBar4");
    Bind(Label11, controls, "Label11");
    Bind(Edit4, controls, "Edit4");
    Bind(Label5, controls, "Label5");
    Bind(GroupBox2, controls, "GroupBox2");
    Bind(RadioButton1, controls, "RadioButton1");
    Bind(Label7, controls, "Label7");
    Bind(Label14, controls, "Label14");
    Bind(RadioButton2, controls, "RadioButton2");
    Bind(Label15, controls, "Label15");
    Bind(RadioButton3, controls, "RadioButton3");
    Bind(Label16, controls, "Label16");
    Bind(RadioButton4, controls, "RadioButton4");
    Bind(RadioButton5, controls, "RadioButton5");
    Bind(Label17, controls, "Label17");
    Bind(Button1, controls, "Button1");
    Bind(CheckBox1, controls, "CheckBox1");
    Bind(Label18, controls, "Label18");
    Bind(ProgressBar1, controls, "ProgressBar1");
    Bind(Image2, controls, "Image2");
    Bind(Button2, controls, "Button2");
    Bind(Button3, controls, "Button3");
}

// Attached only once every stored value is in place, so that none runs during the build.
void TMainPanel::ConnectHandlers() {
    AttachCommand(Exit1, &TMainPanel::Exit1Click);
    AttachCommand(V2, &TMainPanel::V2Click);
    AttachChange(ScrollBar1, &TMainPanel::ScrollBar1Change);
    AttachChange(ScrollBar2, &TMainPanel::ScrollBar2Change);
    AttachSelect(RadioButton1, &TMainPanel::RadioButton1Click);
    AttachSelect(RadioButton2, &TMainPanel::RadioButton2Click);
    AttachSelect(RadioButton3, &TMainPanel::RadioButton3Click);
    AttachClick(Button1, &TMainPanel::Button1Click);
    AttachChange(ScrollBar3, &TMainPanel::ScrollBar3Change);
    AttachChange(ScrollBar4, &TMainPanel::ScrollBar4Change);
    AttachSelect(RadioButton4, &TMainPanel::RadioButton4Click);
    AttachSelect(RadioButton5, &TMainPanel::RadioButton5Click);
    AttachClick(Button2, &TMainPanel::Button2Click);
}

void TMainPanel::AttachChange(QScrollBar *bar, Handler handler) {
    connect(bar, &QScrollBar::valueChanged, this, [this, bar, handler] { RunHandler(handler, bar); });
}

// Runs when the button becomes the selected one, not when the selected one is clicked again.
void TMainPanel::AttachSelect(QRadioButton *button, Handler handler) {
    connect(button, &QRadioButton::toggled, this, [this, button, handler](bool selected) {
        if (selected) {
            RunHandler(handler, button);
        }
    });
}

void TMainPanel::AttachClick(QPushButton *button, Handler handler) {
    connect(button, &QPushButton::clicked, this, [this, button, handler] { RunHandler(handler, button); });
}

void TMainPanel::AttachCommand(QAction *item, Handler handler) {
    connect(item, &QAction::triggered, this, [this, item, handler] { RunHandler(handler, item); });
}

// No exception may unwind through the event loop: it ends here, shown to the user.
void TMainPanel::RunHandler(Handler handler, QObject *Sender) noexcept {
    try {
        (this->*handler)(Sender);
    } catch (...) {
        ShowException(std::current_exception());
    }
}

ScrollPositions TMainPanel::Positions() const {
    return {ScrollBar1->value(), ScrollBar2->value(), ScrollBar3->value(), ScrollBar4->value()};
}

void TMainPanel::ComputeStarImage() {
    diffrascope::ComputeStarImage(
        Positions(), [this](std::int32_t percent) { ShowProgress(percent); },
        [this](const std::int32_t *const *grey, std::int32_t n) { DrawStarImage(grey, n, *Image2, *Image1); });
}

// The transform holds the one thread, so the bar is repainted at once, but
// only when its value moved and not more often than the eye can follow.
void TMainPanel::ShowProgress(std::int32_t percent) {
    if (percent == ProgressBar1->value()) {
        return;
    }
    ProgressBar1->setValue(percent);
    if (progressPainted_.isValid() && !progressPainted_.hasExpired(kProgressRepaintMilliseconds)) {
        return;
    }
    ProgressBar1->repaint();
    progressPainted_.start();
}

void TMainPanel::ShowParameter(const QScrollBar *bar, QLineEdit *edit, long double factor) {
    edit->setText(FormatOneDecimal(bar->value() * factor));
    edit->setCursorPosition(0); // a value too long for the box shows its leading digits
}

void TMainPanel::RecomputeIfRealTime() {
    if (CheckBox1->isChecked()) {
        ComputeStarImage();
    }
}

// Takes effect at the next computation; a short memory only earns a warning.
void TMainPanel::ChooseGridSize(const QRadioButton *button, std::int32_t size, long double warningMegabytes) {
    if (button->isChecked()) {
        GridSize = size;
    }
    SizeChanged = 1;
    if (AvailablePhysicalMegabytes() < warningMegabytes) {
        ShowMessage(QString::fromUtf8(kMemoryShortText));
    }
}

void TMainPanel::Exit1Click(QObject * /*Sender*/) { close(); }

void TMainPanel::V2Click(QObject * /*Sender*/) { ShowMessage(AboutText()); }

void TMainPanel::ScrollBar1Change(QObject * /*Sender*/) {
    ShowParameter(ScrollBar1, Edit1, kWavesPerPosition);
    RecomputeIfRealTime();
}

void TMainPanel::ScrollBar2Change(QObject * /*Sender*/) {
    ShowParameter(ScrollBar2, Edit2, kWavesPerPosition);
    RecomputeIfRealTime();
}

void TMainPanel::ScrollBar3Change(QObject * /*Sender*/) {
    ShowParameter(ScrollBar3, Edit3, kUnitPerPosition);
    RecomputeIfRealTime();
}

void TMainPanel::ScrollBar4Change(QObject * /*Sender*/) {
    ShowParameter(ScrollBar4, Edit4, kUnitPerPosition);
    RecomputeIfRealTime();
}

void TMainPanel::RadioButton1Click(QObject * /*Sender*/) {
    ChooseGridSize(RadioButton1, kSmallGrid, kSmallGridMegabytes);
}

void TMainPanel::RadioButton2Click(QObject * /*Sender*/) {
    ChooseGridSize(RadioButton2, kMediumGrid, kMediumGridMegabytes);
}

void TMainPanel::RadioButton3Click(QObject * /*Sender*/) {
    ChooseGridSize(RadioButton3, kLargeGrid, kLargeGridMegabytes);
}

// The choices 2048 and 4048 stay disabled: the transform and the pictures
// stop at 1024, so selecting them leaves the grid size alone.
void TMainPanel::RadioButton4Click(QObject * /*Sender*/) {}

void TMainPanel::RadioButton5Click(QObject * /*Sender*/) {}

// The hidden "+" button is never shown and does nothing.
void TMainPanel::Button2Click(QObject * /*Sender*/) {}

void TMainPanel::Button1Click(QObject * /*Sender*/) {
    ComputeStarImage();
    Button1->setDefault(false);
}

} // namespace diffrascope::ui
