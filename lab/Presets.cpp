#include "Presets.h"

#include <QCoreApplication>

namespace diffrascope::lab {

QList<Preset> Presets() {
    return {
        {QCoreApplication::translate("Presets", "&Perfect aperture"), {}},
        // Suiter, Star Testing Astronomical Telescopes: a quarter wave of under-correction.
        {QCoreApplication::translate("Presets",
                                     "&Suiter's quarter wave of under-correction (33 % obstruction, ±8 waves)"),
         {QStringLiteral("--spherical"), QStringLiteral("0.25"), QStringLiteral("--obstruction"), QStringLiteral("33"),
          QStringLiteral("--startest"), QStringLiteral("8")}},
        {QCoreApplication::translate("Presets", "Mis-collimated &Newtonian (33 %, four 1 % vanes, 0.3 wave of coma)"),
         {QStringLiteral("--obstruction"), QStringLiteral("33"), QStringLiteral("--spider"), QStringLiteral("4,1"),
          QStringLiteral("--coma"), QStringLiteral("0.3"), QStringLiteral("--startest"), QStringLiteral("8")}},
        {QCoreApplication::translate("Presets", "&Astigmatism (half a wave, ±4 waves)"),
         {QStringLiteral("--astigmatism"), QStringLiteral("0.5"), QStringLiteral("--startest"), QStringLiteral("4")}},
    };
}

} // namespace diffrascope::lab
