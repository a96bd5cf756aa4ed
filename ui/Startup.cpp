#include "Startup.h"

#include <QApplication>

#include <exception>
#include <memory>

#include "Application.h"
#include "Mainp.h"
#include "Resultp.h"

namespace diffrascope::ui {

int RunApplication() {
    try {
        const std::unique_ptr<TMainPanel> mainPanel = CreateMainPanel();
        const std::unique_ptr<TResult> result = CreateResult();
        mainPanel->show();
        QApplication::exec();
    } catch (...) {
        ShowError(std::current_exception());
    }
    return 0;
}

} // namespace diffrascope::ui
