#include "ObjectFile.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <cmath>
#include <limits>
#include <vector>

#include "FitsReading.h"
#include "Limits.h"

namespace diffrascope::frontend {
namespace {

constexpr int kImageAxes = 2;

using Reading = std::variant<std::shared_ptr<const optics::ObjectImage>, QString>;

bool IsFits(const QString &path) {
    for (const char *extension : {".fits", ".fit", ".fts"}) {
        if (path.endsWith(QLatin1String(extension), Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

QString SizeRefusal(long long width, long long height) {
    return QStringLiteral("is %1 x %2 pixels; each side must be 1 to %3").arg(width).arg(height).arg(optics::kMaxObjectSide);
}

bool Fits(long long width, long long height) {
    return width >= 1 && height >= 1 && width <= optics::kMaxObjectSide && height <= optics::kMaxObjectSide;
}

Reading ReadFits(const QString &path) {
    OpenFits fits(path);
    int &status = fits.Status();
    int axes = 0;
    fits_get_img_dim(fits.File(), &axes, &status);
    if (status != 0) {
        return QStringLiteral("cannot be read as FITS (CFITSIO: %1)").arg(CfitsioText(status));
    }
    if (axes != kImageAxes) {
        return QStringLiteral("is an image of %1 axes, not a 2-D image").arg(axes);
    }
    LONGLONG size[kImageAxes] = {0, 0};
    fits_get_img_sizell(fits.File(), kImageAxes, size, &status);
    if (status == 0 && !Fits(size[0], size[1])) {
        return SizeRefusal(size[0], size[1]);
    }
    auto image = std::make_shared<optics::ObjectImage>();
    image->width = static_cast<std::int32_t>(size[0]);
    image->height = static_cast<std::int32_t>(size[1]);
    std::vector<double> rows(static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height));
    double undefined = 0; // BLANK and NaN pixels read as dark sky
    int anyUndefined = 0;
    fits_read_img(fits.File(), TDOUBLE, 1, static_cast<LONGLONG>(rows.size()), &undefined, rows.data(), &anyUndefined,
                  &status);
    if (status != 0) {
        return QStringLiteral("cannot be read as FITS (CFITSIO: %1)").arg(CfitsioText(status));
    }
    for (std::int32_t r = image->height - 1; r >= 0; --r) { // FITS row 1 is the bottom
        const auto from = rows.begin() + static_cast<std::ptrdiff_t>(r) * image->width;
        image->values.insert(image->values.end(), from, from + image->width);
    }
    image->name = path.toStdString();
    return image;
}

Reading ReadPicture(const QString &path) {
    QImageReader reader(path);
    QImage picture = reader.read();
    if (picture.isNull()) {
        return QStringLiteral("is not a PNG, PGM or FITS image (%1)").arg(reader.errorString());
    }
    if (!Fits(picture.width(), picture.height())) {
        return SizeRefusal(picture.width(), picture.height());
    }
    if (!picture.allGray()) {
        return QStringLiteral("is a colour picture, not a grey one");
    }
    const bool deep = picture.depth() > 8 && picture.format() != QImage::Format_Indexed8; // 16 bits a pixel
    picture = picture.convertToFormat(deep ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8);
    auto image = std::make_shared<optics::ObjectImage>();
    image->width = picture.width();
    image->height = picture.height();
    image->values.reserve(static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height));
    for (int y = 0; y < picture.height(); ++y) {
        const uchar *line = picture.constScanLine(y);
        for (int x = 0; x < picture.width(); ++x) {
            image->values.push_back(deep ? reinterpret_cast<const quint16 *>(line)[x] : line[x]);
        }
    }
    image->name = path.toStdString();
    return image;
}

} // namespace

Reading ReadObjectFile(const QString &path) {
    // A pipe or a device could block or never end: only files are read.
    const QFileInfo info(path);
    if (!info.exists()) {
        return QStringLiteral("does not exist");
    }
    if (!info.isFile()) {
        return QStringLiteral("is not a file");
    }
    return IsFits(path) ? ReadFits(path) : ReadPicture(path);
}

} // namespace diffrascope::frontend
