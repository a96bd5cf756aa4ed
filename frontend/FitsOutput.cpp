#include "FitsOutput.h"

#include <fitsio.h>

#include <charconv>
#include <cstdlib>
#include <string>
#include <vector>

namespace diffrascope::frontend {
namespace {

constexpr std::size_t kFitsBlock = 2880; // bytes: a FITS file grows a block at a time
constexpr double kMetresPerNanometre = 1e-9;
constexpr const char *kCreator = "diffrascope-render " DIFFRASCOPE_VERSION_TEXT;

// A memory file that frees its buffer; status follows CFITSIO's convention.
class MemoryFits {
  public:
    MemoryFits() : size_(kFitsBlock), buffer_(std::malloc(kFitsBlock)) {
        if (buffer_ == nullptr) {
            status_ = MEMORY_ALLOCATION;
            return;
        }
        fits_create_memfile(&file_, &buffer_, &size_, kFitsBlock, std::realloc, &status_);
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

    // Closes the file and hands over its bytes.
    std::optional<QByteArray> Close() {
        fits_close_file(file_, &status_);
        file_ = nullptr;
        if (status_ != 0) {
            return std::nullopt;
        }
        return QByteArray(static_cast<const char *>(buffer_), static_cast<qsizetype>(size_));
    }

  private:
    fitsfile *file_ = nullptr;
    std::size_t size_;
    void *buffer_;
    int status_ = 0;
};

void Write(fitsfile *file, const FitsKey &key, int &status) {
    const char *name = key.name.c_str();
    const char *comment = key.comment.c_str();
    if (const double *number = std::get_if<double>(&key.value)) {
        double value = *number;
        fits_write_key(file, TDOUBLE, name, &value, comment, &status);
    } else if (const long *whole = std::get_if<long>(&key.value)) {
        long value = *whole;
        fits_write_key(file, TLONG, name, &value, comment, &status);
    } else {
        // long texts continue on further cards
        fits_write_key_longstr(file, name, std::get<std::string>(key.value).c_str(), comment, &status);
    }
}

void Write(fitsfile *file, const std::vector<FitsKey> &keys, int &status) {
    for (const FitsKey &key : keys) {
        Write(file, key, status);
    }
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

std::string SpectrumText(const optics::Job &job) {
    if (job.light.lines.empty()) {
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, job.system.wavelength).ptr;
        return std::string(text, end) + " nm";
    }
    return job.light.name;
}

// The keywords of every HDU: the optics, the grid and the scale of a data pixel.
std::vector<FitsKey> CommonKeys(const optics::Result &result) {
    const optics::OpticalSystem &pupil = result.job.system;
    const optics::Aberrations &ab = pupil.aberrations;
    std::vector<FitsKey> keys{
        {"SPHERAB", ab.spherical, "spherical aberration W040 at the pupil edge [waves]"},
        {"OBSCUR", pupil.aperture.obstruction, "central obstruction [fraction of the diameter]"},
        {"WAVELEN", pupil.wavelength * kMetresPerNanometre, "reference wavelength [m]"},
        {"COMA", ab.coma.waves, "coma W131 at the pupil edge [waves]"},
        {"COMAANG", ab.coma.degrees, "coma's angle, counterclockwise from +x [deg]"},
        {"ASTIG", ab.astigmatism.waves, "astigmatism W222 at the pupil edge [waves]"},
        {"ASTIGANG", ab.astigmatism.degrees, "astigmatism's angle from +x [deg]"},
        {"SPIDERN", static_cast<long>(pupil.aperture.spider.vanes), "spider vanes"},
        {"SPIDERW", pupil.aperture.spider.width, "vane width [fraction of the diameter]"},
        {"SPIDERA", pupil.aperture.spider.degrees, "first vane's angle from +x [deg]"},
        {"ZERNIKE", ZernikeText(ab.zernike), "Noll index=waves RMS"},
        {"SPECTRUM", SpectrumText(result.job), "light: one wavelength, a range, visual or a file"},
        {"GRIDSIZE", static_cast<long>(result.grid), "side of the computation grid [pixels]"},
        {"BINNING", static_cast<long>(result.view.bin), "grid pixels per data pixel along each axis"},
        {"PIXSCALE", result.pixelScale * result.view.bin, "data pixel [lambda/D of WAVELEN]"},
        {"NORMALIZ", std::string("peak"), "intensities over the brightest pixel of the field"},
    };
    if (result.job.panels.fRatio) {
        keys.push_back({"FRATIO", *result.job.panels.fRatio, "focal ratio"});
    }
    keys.push_back({"CREATOR", std::string(kCreator), ""});
    return keys;
}

// One panel as a float image in one write: the picture's bottom row first.
void WritePanel(fitsfile *file, const optics::PanelResult &panel, int &status) {
    const long side = panel.side;
    long axes[2] = {side, side};
    fits_create_img(file, FLOAT_IMG, 2, axes, &status);
    std::vector<float> data(static_cast<std::size_t>(side) * static_cast<std::size_t>(side));
    for (long row = 0; row < side; ++row) {
        const double *from = panel.intensities.data() + (side - 1 - row) * side;
        float *to = data.data() + row * side;
        for (long x = 0; x < side; ++x) {
            to[x] = static_cast<float>(from[x]);
        }
    }
    fits_write_img(file, TFLOAT, 1, static_cast<LONGLONG>(data.size()), data.data(), &status);
}

QString CfitsioError(int status) {
    char text[FLEN_STATUS];
    fits_get_errstatus(status, text);
    return QStringLiteral("the FITS file could not be made (CFITSIO: %1)").arg(QString::fromLatin1(text));
}

} // namespace

std::vector<FitsKey> SheetKeys(const optics::Result &result) {
    std::vector<FitsKey> keys = CommonKeys(result);
    keys.push_back({"NPANELS", static_cast<long>(result.panels.size()), "panels, one image extension each"});
    return keys;
}

std::vector<FitsKey> PanelKeys(const optics::Result &result, std::size_t panel) {
    const optics::PanelFocus &focus = result.panels.at(panel).focus;
    std::vector<FitsKey> keys = CommonKeys(result);
    keys.push_back({"DEFOCUS", focus.waves, "defocus W020, positive extrafocal [waves]"});
    if (result.IsSheet()) {
        keys.push_back({"EXTNAME", "PANEL" + std::to_string(panel + 1), ""});
        keys.push_back({"LABEL", focus.Label(), ""});
    }
    return keys;
}

std::optional<QByteArray> EncodeFits(const optics::Result &result, QString &error) {
    MemoryFits fits;
    int &status = fits.Status();
    if (result.IsSheet()) {
        fits_create_img(fits.File(), FLOAT_IMG, 0, nullptr, &status);
        Write(fits.File(), SheetKeys(result), status);
    }
    for (std::size_t k = 0; k < result.panels.size() && status == 0; ++k) {
        WritePanel(fits.File(), result.panels[k], status);
        Write(fits.File(), PanelKeys(result, k), status);
    }
    if (status != 0) {
        error = CfitsioError(status);
        return std::nullopt;
    }
    std::optional<QByteArray> bytes = fits.Close();
    if (!bytes) {
        error = CfitsioError(fits.Status());
    }
    return bytes;
}

} // namespace diffrascope::frontend
