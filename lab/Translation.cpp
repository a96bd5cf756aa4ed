#include "Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace diffrascope::lab {

void InstallTranslators(QCoreApplication &application) {
    const QLocale locale; // the system's, from LANG and LC_*
    auto *qt = new QTranslator(&application);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt);
    }
    auto *lab = new QTranslator(&application);
    if (lab->load(locale, QStringLiteral("diffrascope-lab"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
        QCoreApplication::installTranslator(lab);
    }
}

} // namespace diffrascope::lab
