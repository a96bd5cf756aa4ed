#include "Application.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPoint>
#include <QPushButton>
#include <QScreen>
#include <QSize>
#include <QString>
#include <QWidget>

#include "Errors.h"
#include "FormBuilder.h"

namespace diffrascope::ui {

namespace {

constexpr const char *kOkText = "OK";
constexpr const char *kUnknownErrorText = "不明なエラー";
constexpr QChar kFullStop = u'.';
constexpr QChar kIdeographicFullStop = u'\u3002';

// Centres itself once its final size is known, just before it appears.
class CentredMessageBox : public QMessageBox {
  protected:
    void showEvent(QShowEvent *event) override {
        QMessageBox::showEvent(event);
        CentreOnScreen(this);
    }
};

void RunMessageBox(QMessageBox::Icon icon, const QString &text) {
    CentredMessageBox box;
    // The form font has every glyph of the texts, so no character comes from a fallback face.
    RegisterFontSubstitutes();
    box.setFont(FormFont());
    box.setWindowTitle(ApplicationTitle());
    box.setIcon(icon);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    QPushButton *ok = box.addButton(QString::fromUtf8(kOkText), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

// A sentence that already ends, in either script, takes no second stop.
QString WithFullStop(QString text) {
    if (!text.endsWith(kFullStop) && !text.endsWith(kIdeographicFullStop)) {
        text.append(kFullStop);
    }
    return text;
}

} // namespace

QString TitleFromProgramPath(QStringView path) {
    QStringView name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0) {
        name = name.left(dot);
    }
    if (name.isEmpty()) {
        return {};
    }
    return name.left(1).toString() + name.mid(1).toString().toLower();
}

QString ApplicationTitle() { return TitleFromProgramPath(QCoreApplication::applicationFilePath()); }

QPoint CentredPosition(const QSize &screen, const QSize &window) {
    return {screen.width() / 2 - window.width() / 2, screen.height() / 2 - window.height() / 2};
}

void CentreOnScreen(QWidget *window) {
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QPoint origin = screen->geometry().topLeft(); // the primary screen need not start at 0, 0
    window->move(origin + CentredPosition(screen->geometry().size(), window->frameGeometry().size()));
}

void ShowMessage(const QString &text) { RunMessageBox(QMessageBox::NoIcon, text); }

void ShowErrorMessage(const QString &text) { RunMessageBox(QMessageBox::Critical, text); }

void ShowException(const std::exception_ptr &error) {
    try {
        std::rethrow_exception(error);
    } catch (const AllocationError &shortMemory) {
        ShowMessage(QString::fromUtf8(shortMemory.what()));
    } catch (...) {
        ShowError(std::current_exception());
    }
}

void ShowError(const std::exception_ptr &error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &any) {
        ShowErrorMessage(WithFullStop(QString::fromUtf8(any.what())));
    } catch (...) {
        ShowErrorMessage(WithFullStop(QString::fromUtf8(kUnknownErrorText)));
    }
}

QString FormatOneDecimal(long double value) {
    QString text = QString::number(static_cast<double>(value), 'f', 1);
    return text.replace(kFullStop, QLocale().decimalPoint());
}

} // namespace diffrascope::ui
