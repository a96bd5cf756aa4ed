#include "MtfOutput.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <algorithm>

namespace diffrascope::frontend {
namespace {

constexpr double kCutOff = 1;       // the reference wavelength's D/lambda
constexpr double kOnTheCutOff = 1e-12; // a grid frequency this close to it counts as on it

const optics::MtfCurve &FocusMtf(const optics::Result &result) {
    const auto panel = std::find_if(result.panels.begin(), result.panels.end(),
                                    [](const optics::PanelResult &p) { return p.curves.has_value(); });
    return panel->curves->mtf;
}

QByteArray Number(double value) { return QByteArray::number(value, 'g', QLocale::FloatingPointShortest); }

} // namespace

QByteArray MtfFile(const optics::Result &result, MtfFormat format) {
    const optics::MtfCurve &mtf = FocusMtf(result);
    std::size_t count = 0;
    while (count < mtf.frequency.size() && mtf.frequency[count] <= kCutOff + kOnTheCutOff) {
        ++count;
    }
    if (format == MtfFormat::Json) {
        QJsonArray frequency, x, y, average;
        for (std::size_t k = 0; k < count; ++k) {
            frequency.append(mtf.frequency[k]);
            x.append(mtf.x[k]);
            y.append(mtf.y[k]);
            average.append(mtf.azimuthal[k]);
        }
        return QJsonDocument(QJsonObject{{"frequency", frequency}, {"x", x}, {"y", y}, {"average", average}})
            .toJson(QJsonDocument::Indented);
    }
    QByteArray csv = "frequency,x,y,average\n";
    for (std::size_t k = 0; k < count; ++k) {
        csv += Number(mtf.frequency[k]) + ',' + Number(mtf.x[k]) + ',' + Number(mtf.y[k]) + ',' +
               Number(mtf.azimuthal[k]) + '\n';
    }
    return csv;
}

} // namespace diffrascope::frontend
