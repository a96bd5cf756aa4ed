#pragma once
// TMainPanel: the main window with the parameter scroll bars, the grid-size
// choice, the real-time box, the compute button, the picture and the menu.

#include <QElapsedTimer>
#include <QHash>
#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <memory>

#include "StarImage.h"

class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace diffrascope::ui {

class TImage;

// The About text: ten blanks before the name, two before the version.
QString AboutText();

class TMainPanel : public QMainWindow {
    Q_OBJECT

  public:
    // Builds the window hidden, centres it and draws the star image of the start values.
    explicit TMainPanel(QWidget *parent = nullptr);
    ~TMainPanel() override;

    // The positions of the four parameter scroll bars.
    ScrollPositions Positions() const;
    // Recomputes the star image from the scroll bars and GridSize, following
    // it on the progress bar and drawing it into Image2 and Image1.
    void ComputeStarImage();

    // Event handlers; each takes the control that raised the event.
    void Exit1Click(QObject *Sender);
    void V2Click(QObject *Sender);
    void ScrollBar1Change(QObject *Sender);
    void ScrollBar2Change(QObject *Sender);
    void RadioButton1Click(QObject *Sender);
    void RadioButton2Click(QObject *Sender);
    void RadioButton3Click(QObject *Sender);
    void Button1Click(QObject *Sender);
    void ScrollBar3Change(QObject *Sender);
    void ScrollBar4Change(QObject *Sender);
    void RadioButton4Click(QObject *Sender);
    void RadioButton5Click(QObject *Sender);
    void Button2Click(QObject *Sender);

    // The controls, in the order of the window definition.
    QFrame *Panel1 = nullptr;
    TImage *Image1 = nullptr;
    QLabel *Label2 = nullptr;
    QMenuBar *MainMenu1 = nullptr;
    QMenu *File1 = nullptr;
    QMenu *V1 = nullptr;
    QAction *Exit1 = nullptr;
    QAction *V2 = nullptr;
    QLabel *Label12 = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QLabel *Label8 = nullptr;
    QScrollBar *ScrollBar1 = nullptr;
    QScrollBar *ScrollBar2 = nullptr;
    QLabel *Label9 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *Edit3 = nullptr;
    QLabel *Label10 = nullptr;
    QScrollBar *ScrollBar3 = nullptr;
    QScrollBar *ScrollBar4 = nullptr;
    QLabel *Label11 = nullptr;
    QLineEdit *Edit4 = nullptr;
    QLabel *Label5 = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    QRadioButton *RadioButton1 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label14 = nullptr;
    QRadioButton *RadioButton2 = nullptr;
    QLabel *Label15 = nullptr;
    QRadioButton *RadioButton3 = nullptr;
    QLabel *Label16 = nullptr;
    QRadioButton *RadioButton4 = nullptr;
    QRadioButton *RadioButton5 = nullptr;
    QLabel *Label17 = nullptr;
    QPushButton *Button1 = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QLabel *Label18 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    TImage *Image2 = nullptr;
    QPushButton *Button2 = nullptr;
    QPushButton *Button3 = nullptr;

  private:
    using Handler = void (TMainPanel::*)(QObject *Sender);

    void BuildClientArea();
    void BindControls(const QHash<QString, QWidget *> &controls);
    void BuildMenu();
    void ConnectHandlers();
    void AttachChange(QScrollBar *bar, Handler handler);
    void AttachSelect(QRadioButton *button, Handler handler);
    void AttachClick(QPushButton *button, Handler handler);
    void AttachCommand(QAction *item, Handler handler);
    // The one place where an error escaping a handler is caught and shown.
    void RunHandler(Handler handler, QObject *Sender) noexcept;

    void ShowParameter(const QScrollBar *bar, QLineEdit *edit, long double factor);
    void RecomputeIfRealTime();
    void ChooseGridSize(const QRadioButton *button, std::int32_t size, long double warningMegabytes);
    void ShowProgress(std::int32_t percent);

    QElapsedTimer progressPainted_; // when the progress bar was last repainted
};

// The one main window; set while it is built, null once it is gone.
extern TMainPanel *MainPanel;

// Makes the main window; when building it fails, MainPanel is null again and the error goes on.
std::unique_ptr<TMainPanel> CreateMainPanel();

} // namespace diffrascope::ui
