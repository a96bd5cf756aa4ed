#include "Resultp.h"

#include <QFrame>

#include "FormBuilder.h"
#include "Image.h"
#include "WindowDefinition.h"

namespace diffrascope::ui {

TResult *Result = nullptr;

TResult::TResult(QWidget *parent) : QWidget(parent, Qt::Window) {
    RegisterFontSubstitutes();
    setWindowTitle(QString::fromUtf8(kResultForm.caption));
    setFont(FormFont());
    setFixedSize(kResultForm.clientWidth, kResultForm.clientHeight); // the client area fits Panel1
    move(kResultForm.outer.left, kResultForm.outer.top);
    const ControlMap controls = BuildControls(this, ResultControls());
    Panel1 = qobject_cast<QFrame *>(controls.value(QStringLiteral("Panel1")));
    Image1 = qobject_cast<TImage *>(controls.value(QStringLiteral("Image1")));
    Q_ASSERT(Panel1 != nullptr && Image1 != nullptr);
}

TResult::~TResult() {
    if (Result == this) {
        Result = nullptr;
    }
}

std::unique_ptr<TResult> CreateResult() {
    auto result = std::make_unique<TResult>();
    Result = result.get();
    return result;
}

} // namespace diffrascope::ui
