#include "FitsOutput.h"

#include <fitsio.h>

#include <charconv>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "HugePages.h"

namespace diffrascope::frontend {
namespace {

constexpr std::size_t kFitsBlock = 2880; // bytes: a FITS file grows a block at a time
constexpr std::size_t kHeaderBlocks = 4; // room for an HDU's keywords
constexpr std::size_t kGrowth = 1 << 20; // bytes the memory file grows by when its first guess falls short
constexpr double kMetresPerNanometre = 1e-9;
constexpr const char *kCreator = "diffrascope-render " DIFFRASCOPE_VERSION_TEXT;

// A memory file that frees its buffer; status follows CFITSIO's convention.
class MemoryFits {
  public:
    // `expected`: about the bytes the file will take, so that it is seldom moved as it grows.
    explicit MemoryFits(std::size_t expected) : size_(expected), buffer_(std::malloc(expected)) {
        if (buffer_ == nullptr) {
            status_ = MEMORY_ALLOCATION;
            return;
        }
        optics::AdviseHugePages(buffer_, expected);
        fits_create_memfile(&file_, &buffer_, &size_, kGrowth, std::realloc, &status_);
    }
    ~MemoryFits() {
        if (file_ != nullptr) {
            int ignored = 0;
            fits_close_file(file_, &ignored);
        }
        std::free(buffer_);
    }
    MemoryFits(const MemoryFits &) = delete;
    MemoryFits &operator=(const MemoryFits &) = delete;

    fitsfile *File() { return file_; }
    int &Status() { return status_; }

    // Closes the file and hands over its memory.
    std::optional<FitsBytes> Close() {
        fits_close_file(file_, &status_);
        file_ = nullptr;
        if (status_ != 0) {
            return std::nullopt;
        }
        FitsBytes bytes;
        bytes.size = size_;
        bytes.memory.reset(std::exchange(buffer_, nullptr));
        return bytes;
    }

  private:
    fitsfile *file_ = nullptr;
    std::size_t size_;
    void *buffer_;
    int status_ = 0;
};

void Key(fitsfile *file, const char *name, double value, const char *comment, int &status) {
    fits_write_key(file, TDOUBLE, name, &value, comment, &status);
}

void Key(fitsfile *file, const char *name, long value, const char *comment, int &status) {
    fits_write_key(file, TLONG, name, &value, comment, &status);
}

void Key(fitsfile *file, const char *name, const std::string &value, const char *comment, int &status) {
    fits_write_key_longstr(file, name, value.c_str(), comment, &status); // long texts continue on further cards
}

std::string ZernikeText(const std::vector<optics::ZernikeTerm> &terms) {
    std::string text;
    for (const optics::ZernikeTerm &term : terms) {
        char coefficient[32];
        const auto end = std::to_chars(coefficient, coefficient + sizeof coefficient, term.waves).ptr;
        text += (text.empty() ? "" : ",") + std::to_string(term.noll) + "=" + std::string(coefficient, end);
    }
    return text.empty() ? "none" : text;
}

std::string Number(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

// "RADIUS,HEIGHT,WIDTH;..." for each zone.
std::string ZonesText(const std::vector<optics::Zone> &zones) {
    std::string text;
    for (const optics::Zone &zone : zones) {
        text += (text.empty() ? "" : ";") + Number(zone.radius) + "," + Number(zone.height) + "," + Number(zone.width);
    }
    return text;
}

// The figure's errors, each family only where it is set: files without them keep their bytes.
void FigureKeys(fitsfile *file, const optics::Figure &figure, int &status) {
    if (figure.HasEdge()) {
        Key(file, "TEDGE", figure.edge.depth, "turned edge at the rim, negative turned down [waves]", status);
        Key(file, "TEDGEST", figure.edge.start, "radius where the edge turns [fraction of the pupil radius]", status);
    }
    if (!figure.zones.empty()) {
        Key(file, "ZONES", ZonesText(figure.zones), "zones RADIUS,HEIGHT[waves],WIDTH; ...", status);
    }
    if (figure.HasRoughness()) {
        const optics::Roughness &roughness = figure.roughness;
        Key(file, "ROUGHRMS", roughness.rms, "roughness RMS over the pupil [waves]", status);
        Key(file, "ROUGHBND", std::to_string(roughness.from) + ":" + std::to_string(roughness.to),
            "roughness's band [cycles per diameter]", status);
        Key(file, "SEED", static_cast<long>(roughness.seed), "roughness's random seed", status);
    }
    if (figure.measured) {
        Key(file, "WAVEFILE", figure.measured->Source(), "measured wavefront added", status);
    }
}

std::string SpectrumText(const optics::Job &job) {
    if (job.light.lines.empty()) {
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, job.system.wavelength).ptr;
        return std::string(text, end) + " nm";
    }
    return job.light.name;
}

// The keywords of every HDU: the optics, the grid and the scale of a data pixel.
void CommonKeys(fitsfile *file, const optics::Result &result, int &status) {
    const optics::OpticalSystem &pupil = result.job.system;
    const optics::Aberrations &ab = pupil.aberrations;
    Key(file, "SPHERAB", ab.spherical, "spherical aberration W040 at the pupil edge [waves]", status);
    Key(file, "OBSCUR", pupil.aperture.obstruction, "central obstruction [fraction of the diameter]", status);
    Key(file, "WAVELEN", pupil.wavelength * kMetresPerNanometre, "reference wavelength [m]", status);
    Key(file, "COMA", ab.coma.waves, "coma W131 at the pupil edge [waves]", status);
    Key(file, "COMAANG", ab.coma.degrees, "coma's angle, counterclockwise from +x [deg]", status);
    Key(file, "ASTIG", ab.astigmatism.waves, "astigmatism W222 at the pupil edge [waves]", status);
    Key(file, "ASTIGANG", ab.astigmatism.degrees, "astigmatism's angle from +x [deg]", status);
    Key(file, "SPIDERN", static_cast<long>(pupil.aperture.spider.vanes), "spider vanes", status);
    Key(file, "SPIDERW", pupil.aperture.spider.width, "vane width [fraction of the diameter]", status);
    Key(file, "SPIDERA", pupil.aperture.spider.degrees, "first vane's angle from +x [deg]", status);
    Key(file, "ZERNIKE", ZernikeText(ab.zernike), "Noll index=waves RMS", status);
    FigureKeys(file, pupil.figure, status);
    Key(file, "SPECTRUM", SpectrumText(result.job), "light: one wavelength, a range, visual or a file", status);
    Key(file, "GRIDSIZE", static_cast<long>(result.grid), "side of the computation grid [pixels]", status);
    Key(file, "BINNING", static_cast<long>(result.view.bin), "grid pixels per data pixel along each axis", status);
    Key(file, "PIXSCALE", result.pixelScale * result.view.bin, "data pixel [lambda/D of WAVELEN]", status);
    Key(file, "NORMALIZ", std::string("peak"), "intensities over the brightest pixel of the field", status);
    if (result.job.panels.fRatio) {
        Key(file, "FRATIO", *result.job.panels.fRatio, "focal ratio", status);
    }
    Key(file, "CREATOR", std::string(kCreator), "", status);
}

// The bytes of a file of the result's panels: headers and 32-bit data, in whole blocks.
std::size_t ExpectedBytes(const optics::Result &result) {
    std::size_t bytes = kHeaderBlocks * kFitsBlock;
    for (const optics::PanelResult &panel : result.panels) {
        const std::size_t data = static_cast<std::size_t>(panel.side) * panel.side * sizeof(float);
        bytes += (kHeaderBlocks + (data + kFitsBlock - 1) / kFitsBlock) * kFitsBlock;
    }
    return bytes;
}

// One panel as a float image in one write: the intensities' first row is the
// picture's bottom row, as FITS has it; CFITSIO turns the doubles into floats.
void WritePanel(fitsfile *file, const optics::PanelResult &panel, int &status) {
    long axes[2] = {panel.side, panel.side};
    fits_create_img(file, FLOAT_IMG, 2, axes, &status);
    fits_write_img(file, TDOUBLE, 1, static_cast<LONGLONG>(panel.intensities.size()),
                   const_cast<double *>(panel.intensities.data()), &status);
}

QString CfitsioError(int status) {
    char text[FLEN_STATUS];
    fits_get_errstatus(status, text);
    return QStringLiteral("the FITS file could not be made (CFITSIO: %1)").arg(QString::fromLatin1(text));
}

// Where the map's pixels lie on the pupil, to every digit: the pixels fall on the grid points again when read back.
constexpr int kExactDigits = -17; // CFITSIO: 17 significant digits, as a double needs
void GeometryKeys(fitsfile *file, const optics::MapGeometry &geometry, int &status) {
    fits_write_key_dbl(file, "PUPRAD", geometry.radius, kExactDigits, "pupil radius [pixels]", &status);
    fits_write_key_dbl(file, "PUPCX", geometry.centreX + 1, kExactDigits, "pupil centre's column, from 1", &status);
    fits_write_key_dbl(file, "PUPCY", geometry.centreY + 1, kExactDigits, "pupil centre's row, from 1", &status);
}

std::optional<FitsBytes> Finish(MemoryFits &fits, QString &error) {
    if (fits.Status() != 0) {
        error = CfitsioError(fits.Status());
        return std::nullopt;
    }
    std::optional<FitsBytes> bytes = fits.Close();
    if (!bytes) {
        error = CfitsioError(fits.Status());
    }
    return bytes;
}

} // namespace

QByteArray FitsBytes::View() const {
    return QByteArray::fromRawData(static_cast<const char *>(memory.get()), static_cast<qsizetype>(size));
}

std::optional<FitsBytes> EncodeFits(const optics::Result &result, QString &error) {
    MemoryFits fits(ExpectedBytes(result));
    int &status = fits.Status();
    if (result.IsSheet()) {
        fits_create_img(fits.File(), FLOAT_IMG, 0, nullptr, &status);
        CommonKeys(fits.File(), result, status);
        Key(fits.File(), "NPANELS", static_cast<long>(result.panels.size()), "panels, one image extension each", status);
    }
    for (std::size_t k = 0; k < result.panels.size() && status == 0; ++k) {
        const optics::PanelResult &panel = result.panels[k];
        WritePanel(fits.File(), panel, status);
        CommonKeys(fits.File(), result, status);
        Key(fits.File(), "DEFOCUS", panel.focus.waves, "defocus W020, positive extrafocal [waves]", status);
        if (result.IsSheet()) {
            Key(fits.File(), "EXTNAME", "PANEL" + std::to_string(k + 1), "", status);
            Key(fits.File(), "LABEL", panel.focus.Label(), "", status);
        }
    }
    return Finish(fits, error);
}

std::optional<FitsBytes> EncodeWavefrontFits(const optics::Result &result, const optics::WavefrontMap &map,
                                             QString &error) {
    const std::size_t count = static_cast<std::size_t>(map.Width()) * static_cast<std::size_t>(map.Height());
    MemoryFits fits(kHeaderBlocks * kFitsBlock + (count * sizeof(double) + kFitsBlock - 1) / kFitsBlock * kFitsBlock);
    int &status = fits.Status();
    long axes[2] = {map.Width(), map.Height()};
    fits_create_img(fits.File(), DOUBLE_IMG, 2, axes, &status);
    std::vector<double> values(count);
    for (std::int32_t j = 0; j < map.Height(); ++j) {
        for (std::int32_t i = 0; i < map.Width(); ++i) {
            values[static_cast<std::size_t>(j) * map.Width() + i] = map.Value(i, j); // bottom row first
        }
    }
    fits_write_img(fits.File(), TDOUBLE, 1, static_cast<LONGLONG>(count), values.data(), &status);
    CommonKeys(fits.File(), result, status);
    Key(fits.File(), "DEFOCUS", result.panels[result.panels.size() / 2].focus.waves,
        "defocus W020 included, positive extrafocal [waves]", status);
    Key(fits.File(), "BUNIT", std::string("waves"), "of WAVELEN; NaN where no light passes", status);
    GeometryKeys(fits.File(), map.Geometry(), status);
    return Finish(fits, error);
}

} // namespace diffrascope::frontend
