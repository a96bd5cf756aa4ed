#include "Picture.h"

#include <QGuiApplication>
#include <QImage>

#include <clocale>
#include <memory>
#include <string>

#include "Errors.h"
#include "SheetPicture.h"

namespace py = pybind11;

namespace diffrascope::python {
namespace {

// Qt's remarks about its surroundings (a missing runtime directory, say) are
// not the module's to print: nothing reaches standard error while Qt works for it.
class QuietQt {
  public:
    QuietQt() : previous_(qInstallMessageHandler(&Drop)) {}
    ~QuietQt() { qInstallMessageHandler(previous_); }
    QuietQt(const QuietQt &) = delete;
    QuietQt &operator=(const QuietQt &) = delete;

  private:
    static void Drop(QtMsgType, const QMessageLogContext &, const QString &) {}
    QtMessageHandler previous_;
};

// The labels' fonts need a QGuiApplication. One is made on the offscreen
// platform (by its command-line option, so the environment stays as it is)
// and kept for the life of the process; the locale it sets is put back.
void EnsureGuiApplication() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    static char program[] = "diffrascope";
    static char platformOption[] = "-platform";
    static char platform[] = "offscreen";
    static char *argv[] = {program, platformOption, platform, nullptr};
    static int argc = 3;
    const std::string locale = std::setlocale(LC_ALL, nullptr);
    new QGuiApplication(argc, argv); // never deleted: Qt's own statics outlive it otherwise
    std::setlocale(LC_ALL, locale.c_str());
}

} // namespace

py::array_t<std::uint8_t> SheetGrey(const optics::Result &result) {
    auto picture = std::make_unique<QImage>();
    {
        const QuietQt quiet;
        EnsureGuiApplication();
        *picture = ResultPicture(result);
    }
    if (picture->isNull()) {
        PyErr_SetString(PyExc_MemoryError, kMemoryShortText);
        throw py::error_already_set();
    }
    const py::ssize_t rows = picture->height();
    const py::ssize_t columns = picture->width();
    const py::ssize_t line = picture->bytesPerLine(); // scan lines are padded to 32 bits
    std::uint8_t *pixels = picture->bits();
    const py::capsule owner(picture.release(), [](void *image) { delete static_cast<QImage *>(image); });
    return py::array_t<std::uint8_t>({rows, columns}, {line, py::ssize_t{1}}, pixels, owner);
}

} // namespace diffrascope::python
