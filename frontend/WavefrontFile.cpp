#include "WavefrontFile.h"

#include <fitsio.h>

#include <QFileInfo>

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "Limits.h"
#include "OpticsError.h"
#include "FitsReading.h"

namespace diffrascope::frontend {
namespace {

constexpr int kFirstExtension = 2; // CFITSIO numbers HDUs from 1, the primary first
constexpr int kImageAxes = 2;

// A keyword's number, or nothing when the header lacks it.
std::optional<double> NumberKey(fitsfile *file, const char *name, int &status) {
    double value = 0;
    fits_read_key(file, TDOUBLE, name, &value, nullptr, &status);
    if (status == KEY_NO_EXIST) {
        status = 0;
        return std::nullopt;
    }
    return value;
}

// BUNIT: waves unless it says nm; nothing for another unit.
std::optional<optics::WavefrontUnit> UnitOf(fitsfile *file, QString &unitText, int &status) {
    char text[FLEN_VALUE] = "";
    fits_read_key(file, TSTRING, "BUNIT", text, nullptr, &status);
    if (status == KEY_NO_EXIST) {
        status = 0;
        return optics::WavefrontUnit::Waves;
    }
    unitText = QString::fromLatin1(text).trimmed();
    const QString unit = unitText.toLower();
    if (unit == QLatin1String("nm")) {
        return optics::WavefrontUnit::Nanometres;
    }
    if (unit.isEmpty() || unit == QLatin1String("wave") || unit == QLatin1String("waves")) {
        return optics::WavefrontUnit::Waves;
    }
    return std::nullopt;
}

// Moves to the first image: the primary HDU, or the first extension when the primary one holds no data.
std::optional<QString> FindImage(fitsfile *file, int &status) {
    int axes = 0;
    fits_get_img_dim(file, &axes, &status);
    int hdus = 0;
    fits_get_num_hdus(file, &hdus, &status);
    if (status != 0 || axes != 0 || hdus < kFirstExtension) {
        return std::nullopt;
    }
    int type = IMAGE_HDU;
    fits_movabs_hdu(file, kFirstExtension, &type, &status);
    if (status == 0 && type != IMAGE_HDU) {
        return QStringLiteral("holds a table, not an image");
    }
    return std::nullopt;
}

// The pupil's place: PUPRAD and PUPCX, PUPCY where given (centre from 1, as FITS counts), else the width spans it.
optics::MapGeometry GeometryOf(fitsfile *file, std::int32_t width, std::int32_t height, int &status) {
    optics::MapGeometry geometry = optics::SpanningGeometry(width, height);
    if (const std::optional<double> radius = NumberKey(file, "PUPRAD", status)) {
        geometry.radius = *radius;
    }
    if (const std::optional<double> column = NumberKey(file, "PUPCX", status)) {
        geometry.centreX = *column - 1;
    }
    if (const std::optional<double> row = NumberKey(file, "PUPCY", status)) {
        geometry.centreY = *row - 1;
    }
    return geometry;
}

} // namespace

std::variant<std::shared_ptr<const optics::WavefrontMap>, QString> ReadWavefrontFile(const QString &path) {
    // A pipe or a device could block or never end: only files are read.
    if (QFileInfo info(path); info.exists() && !info.isFile()) {
        return QStringLiteral("is not a file");
    }
    OpenFits fits(path);
    int &status = fits.Status();
    if (status != 0) {
        return QStringLiteral("cannot be read as FITS (CFITSIO: %1)").arg(CfitsioText(status));
    }
    if (const std::optional<QString> refusal = FindImage(fits.File(), status)) {
        return *refusal;
    }
    int axes = 0;
    fits_get_img_dim(fits.File(), &axes, &status);
    if (status == 0 && axes != kImageAxes) {
        return QStringLiteral("is an image of %1 axes, not a 2-D image").arg(axes);
    }
    LONGLONG size[kImageAxes] = {0, 0};
    fits_get_img_sizell(fits.File(), kImageAxes, size, &status);
    if (status != 0) {
        return QStringLiteral("cannot be read as FITS (CFITSIO: %1)").arg(CfitsioText(status));
    }
    if (size[0] < optics::kMinWavefrontSide || size[0] > optics::kMaxWavefrontSide ||
        size[1] < optics::kMinWavefrontSide || size[1] > optics::kMaxWavefrontSide) {
        return QStringLiteral("is %1 x %2 pixels; each side must be %3 to %4")
            .arg(size[0]).arg(size[1]).arg(optics::kMinWavefrontSide).arg(optics::kMaxWavefrontSide);
    }
    const auto width = static_cast<std::int32_t>(size[0]);
    const auto height = static_cast<std::int32_t>(size[1]);
    QString unitText;
    const std::optional<optics::WavefrontUnit> unit = UnitOf(fits.File(), unitText, status);
    if (!unit) {
        return QStringLiteral("has BUNIT '%1'; the values must be waves or nm").arg(unitText);
    }
    std::vector<double> values(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    double undefined = std::numeric_limits<double>::quiet_NaN(); // BLANK and NaN pixels read as NaN
    int anyUndefined = 0;
    fits_read_img(fits.File(), TDOUBLE, 1, static_cast<LONGLONG>(values.size()), &undefined, values.data(),
                  &anyUndefined, &status);
    const optics::MapGeometry geometry = GeometryOf(fits.File(), width, height, status);
    if (status != 0) {
        return QStringLiteral("cannot be read as FITS (CFITSIO: %1)").arg(CfitsioText(status));
    }
    try {
        return std::make_shared<const optics::WavefrontMap>(width, height, std::move(values), *unit, geometry,
                                                            path.toStdString());
    } catch (const optics::ParameterError &error) {
        const std::string text = error.what();
        return QString::fromStdString(text.substr(error.Parameter().size() + 2)); // without "wavefront: "
    }
}

} // namespace diffrascope::frontend
