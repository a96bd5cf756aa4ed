#include "MetricsOutput.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

#include "Units.h"

namespace diffrascope::frontend {
namespace {

// The figure's errors, each only where it is set: the parameters of other runs keep their bytes.
void AddFigure(QJsonObject &parameters, const optics::Figure &figure) {
    if (figure.HasEdge()) {
        parameters.insert("turned_edge", QJsonObject{{"depth_waves", figure.edge.depth}, {"start", figure.edge.start}});
    }
    if (!figure.zones.empty()) {
        QJsonArray zones;
        for (const optics::Zone &zone : figure.zones) {
            zones.append(QJsonObject{{"radius", zone.radius}, {"height_waves", zone.height}, {"width", zone.width}});
        }
        parameters.insert("zones", zones);
    }
    if (figure.HasRoughness()) {
        const optics::Roughness &r = figure.roughness;
        parameters.insert("roughness", QJsonObject{{"rms_waves", r.rms},
                                                   {"from_cycles_per_diameter", r.from},
                                                   {"to_cycles_per_diameter", r.to},
                                                   {"seed", static_cast<qint64>(r.seed)}});
    }
    if (figure.measured) {
        parameters.insert("wavefront_file", QString::fromStdString(figure.measured->Source()));
    }
}

QJsonObject Parameters(const optics::Result &result) {
    const optics::OpticalSystem &pupil = result.job.system;
    const optics::Aberrations &ab = pupil.aberrations;
    QJsonArray zernike;
    for (const optics::ZernikeTerm &term : ab.zernike) {
        zernike.append(QJsonObject{{"noll", term.noll}, {"waves_rms", term.waves}});
    }
    QJsonObject parameters{
        {"spherical_waves", ab.spherical},
        {"obstruction", pupil.aperture.obstruction}, // fraction of the diameter
        {"wavelength_nm", pupil.wavelength},
        {"coma", QJsonObject{{"waves", ab.coma.waves}, {"degrees", ab.coma.degrees}}},
        {"astigmatism", QJsonObject{{"waves", ab.astigmatism.waves}, {"degrees", ab.astigmatism.degrees}}},
        {"zernike", zernike},
        {"spider", QJsonObject{{"vanes", pupil.aperture.spider.vanes},
                               {"width", pupil.aperture.spider.width},
                               {"degrees", pupil.aperture.spider.degrees}}},
        {"spectrum", result.job.light.lines.empty() ? QStringLiteral("monochromatic")
                                                     : QString::fromStdString(result.job.light.name)},
    };
    AddFigure(parameters, pupil.figure);
    if (!result.IsSheet()) {
        parameters.insert("focus_waves", ab.focus);
    }
    if (result.job.panels.fRatio) {
        parameters.insert("f_ratio", *result.job.panels.fRatio);
    }
    if (const std::optional<optics::Seeing> &seeing = result.job.seeing) {
        parameters.insert("seeing", QJsonObject{{"r0_cm_at_500nm", seeing->r0},
                                                {"frames", seeing->frames},
                                                {"average", seeing->average},
                                                {"seed", static_cast<qint64>(seeing->seed)}});
    }
    if (result.job.apertureMm) {
        parameters.insert("aperture_mm", *result.job.apertureMm);
        if (result.job.panels.fRatio) {
            parameters.insert("focal_length_mm", optics::FocalLengthMm(*result.job.apertureMm, *result.job.panels.fRatio));
        }
    }
    return parameters;
}

QJsonValue Optional(const std::optional<double> &value) { return value ? QJsonValue(*value) : QJsonValue(); }

// lambda/D in arcseconds, where the job has an aperture.
std::optional<double> Arcseconds(const optics::Result &result) {
    if (!result.job.apertureMm) {
        return std::nullopt;
    }
    return optics::ArcsecondsPerLambdaOverD(result.job.system.wavelength, *result.job.apertureMm);
}

void AddArcseconds(QJsonObject &object, const optics::Metrics &m, double arcseconds) {
    object.insert("fwhm_arcsec", m.fwhm * arcseconds);
    object.insert("ee50_arcsec", m.ee50 ? QJsonValue(*m.ee50 * arcseconds) : QJsonValue());
    object.insert("ee80_arcsec", m.ee80 ? QJsonValue(*m.ee80 * arcseconds) : QJsonValue());
}

void AddMetrics(QJsonObject &object, const optics::Metrics &m, std::optional<double> arcseconds) {
    QJsonArray encircled;
    for (const optics::EncircledEnergy &ee : m.encircled) {
        encircled.append(QJsonObject{{"radius_lambda_over_d", ee.radius}, {"fraction", ee.fraction}});
    }
    object.insert("strehl", m.strehl);
    object.insert("strehl_pixel", m.strehlPixel);
    object.insert("peak", QJsonObject{{"x", m.peakX}, {"y", m.peakY}});
    object.insert("peak_offset_lambda_over_d", QJsonObject{{"x", m.peakOffsetX}, {"y", m.peakOffsetY}});
    object.insert("fwhm_lambda_over_d", m.fwhm);
    object.insert("encircled_energy", encircled);
    object.insert("ee50_lambda_over_d", Optional(m.ee50));
    object.insert("ee80_lambda_over_d", Optional(m.ee80));
    if (arcseconds) {
        AddArcseconds(object, m, *arcseconds);
    }
}

} // namespace

QByteArray MetricsJson(const optics::Result &result) {
    QStringList warnings;
    for (const std::string &warning : result.warnings) {
        warnings << QString::fromStdString(warning);
    }
    QJsonObject root{
        {"parameters", Parameters(result)},
        {"grid", result.grid},
        {"pixel_scale_lambda_over_d", result.pixelScale},
        {"bin", result.view.bin},
        {"field_lambda_over_d", result.width},
        {"normalization",
         QJsonObject{{"strehl", "the true peak, found between the pixels, over the peak of the same aperture and "
                                "light without aberrations; strehl_pixel: the brightest pixel over it"},
                     {"encircled_energy", "fraction of the total flux of the whole grid, about the optical axis, "
                                          "each pixel counted with the exact area of it inside the circle"},
                     {"peak", "the brightest pixel of the whole grid's picture, x right and y down from its "
                              "top left; peak_offset_lambda_over_d: the true peak, x right and y up from the axis"}}},
        {"warnings", QJsonArray::fromStringList(warnings)},
    };
    if (const std::optional<double> arcseconds = Arcseconds(result)) {
        root.insert("pixel_scale_arcsec", result.pixelScale * *arcseconds);
    }
    if (result.IsSheet()) {
        QJsonArray panels;
        for (std::size_t k = 0; k < result.panels.size(); ++k) {
            QJsonObject panel{{"focus_waves", result.panels[k].focus.waves},
                              {"label", QString::fromStdString(result.panels[k].focus.Label())}};
            AddMetrics(panel, *result.panels[k].metrics, Arcseconds(result));
            panels.append(panel);
        }
        root.insert("panels", panels);
    } else {
        AddMetrics(root, *result.panels.front().metrics, Arcseconds(result));
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace diffrascope::frontend
