#pragma once
// The lab's texts in the system locale's language (Japanese, or English as
// written), and Qt's own texts (dialog buttons) to match.

class QCoreApplication;

namespace diffrascope::lab {

void InstallTranslators(QCoreApplication &application);

} // namespace diffrascope::lab
