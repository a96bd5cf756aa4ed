#include "FitsOutput.h"

#include <fitsio.h>

#include <charconv>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "HugePages.h"
#include "Units.h"

namespace diffrascope::frontend {
namespace {

constexpr std::size_t kFitsBlock = 2880; // bytes: a FITS file grows a block at a time
constexpr std::size_t kHeaderBlocks = 4; // room for an HDU's keywords
constexpr std::size_t kGrowth = 1 << 20; // bytes the memory file grows by when its first guess falls short
constexpr double kMetresPerNanometre = 1e-9;
constexpr double kMetresPerMillimetre = 1e-3;
constexpr const char *kCreator = "diffrascope-render " DIFFRASCOPE_VERSION_TEXT;

// A memory file that frees its buffer; status follows CFITSIO's convention.
class MemoryFits {
  public:
    // `expected`: about the bytes the file will take, so that it is seldom moved as it grows.
    // CFITSIO takes the memory it is given for a file already there: it must
    // hold zeros, not an earlier file's HDUs for the new ones to follow.
    explicit MemoryFits(std::size_t expected) : size_(expected), buffer_(std::calloc(1, expected)) {
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

    // Closes the file and hands over its memory, cut to the file's length
    // (the memory was sized ahead, and may be longer).
    std::optional<FitsBytes> Close() {
        LONGLONG headStart = 0;
        LONGLONG dataStart = 0;
        LONGLONG dataEnd = 0;
        fits_get_hduaddrll(file_, &headStart, &dataStart, &dataEnd, &status_);
        fits_close_file(file_, &status_);
        file_ = nullptr;
        if (status_ != 0) {
            return std::nullopt;
        }
        FitsBytes bytes;
        bytes.size = (static_cast<std::size_t>(dataEnd) + kFitsBlock - 1) / kFitsBlock * kFitsBlock;
        bytes.memory.reset(std::exchange(buffer_, nullptr));
        return bytes;
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
// Which normalisation the intensities have: 'peak' or 'flux'.
FitsKey NormalizationKey(const optics::Sky &sky) {
    if (sky.normalization == optics::Normalization::Flux) {
        return {"NORMALIZ", std::string("flux"),
                sky.object ? "intensities sum to the object's pixel sum" : "intensities sum to 1 over the grid"};
    }
    return {"NORMALIZ", std::string("peak"), "intensities over the brightest pixel of the field"};
}

void FigureKeys(const optics::Figure &figure, std::vector<FitsKey> &keys) {
    if (figure.HasEdge()) {
        keys.push_back({"TEDGE", figure.edge.depth, "turned edge at the rim, negative turned down [waves]"});
        keys.push_back({"TEDGEST", figure.edge.start, "radius where the edge turns [fraction of the pupil radius]"});
    }
    if (!figure.zones.empty()) {
        keys.push_back({"ZONES", ZonesText(figure.zones), "zones RADIUS,HEIGHT[waves],WIDTH; ..."});
    }
    if (figure.HasRoughness()) {
        const optics::Roughness &roughness = figure.roughness;
        keys.push_back({"ROUGHRMS", roughness.rms, "roughness RMS over the pupil [waves]"});
        keys.push_back({"ROUGHBND", std::to_string(roughness.from) + ":" + std::to_string(roughness.to),
                        "roughness's band [cycles per diameter]"});
        keys.push_back({"SEED", static_cast<long>(roughness.seed), "roughness's random seed"});
    }
    if (figure.measured) {
        keys.push_back({"WAVEFILE", figure.measured->Source(), "measured wavefront added"});
    }
}

// The seeing, where there is one; SEED once, shared with the roughness.
void SeeingKeys(const optics::Job &job, std::vector<FitsKey> &keys) {
    if (!job.seeing) {
        return;
    }
    const optics::Seeing &seeing = *job.seeing;
    keys.push_back({"SEEINGR0", seeing.r0, "Fried parameter r0 at 500 nm [cm]"});
    keys.push_back({"SEEFRAME", static_cast<long>(seeing.frames), "short exposures; 0 the long exposure"});
    if (seeing.frames > 0) {
        keys.push_back({"SEEAVG", static_cast<long>(seeing.average ? 1 : 0), "1: the frames' mean; 0: each frame"});
        if (!job.system.figure.HasRoughness()) {
            keys.push_back({"SEED", static_cast<long>(seeing.seed), "screens' random seed"});
        }
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
    };
    FigureKeys(pupil.figure, keys);
    keys.insert(keys.end(), {
        {"SPECTRUM", SpectrumText(result.job), "light: one wavelength, a range, visual or a file"},
        {"GRIDSIZE", static_cast<long>(result.grid), "side of the computation grid [pixels]"},
        {"BINNING", static_cast<long>(result.view.bin), "grid pixels per data pixel along each axis"},
        {"PIXSCALE", result.pixelScale * result.view.bin, "data pixel [lambda/D of WAVELEN]"},
        NormalizationKey(result.job.sky),
    });
    if (result.job.panels.fRatio) {
        keys.push_back({"FRATIO", *result.job.panels.fRatio, "focal ratio"});
    }
    if (result.job.apertureMm) {
        const double arcseconds = optics::ArcsecondsPerLambdaOverD(pupil.wavelength, *result.job.apertureMm);
        keys.push_back({"DIAM", *result.job.apertureMm * kMetresPerMillimetre, "aperture's diameter [m]"});
        keys.push_back({"PIXELSCL", result.pixelScale * result.view.bin * arcseconds, "data pixel [arcsec]"});
        if (result.job.panels.fRatio) {
            keys.push_back({"FOCALLEN", optics::FocalLengthMm(*result.job.apertureMm, *result.job.panels.fRatio) *
                                            kMetresPerMillimetre,
                            "focal length [m]"});
        }
    }
    SeeingKeys(result.job, keys);
    keys.push_back({"CREATOR", std::string(kCreator), ""});
    return keys;
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

QByteArray FitsBytes::View() const {
    return QByteArray::fromRawData(static_cast<const char *>(memory.get()), static_cast<qsizetype>(size));
}

std::optional<FitsBytes> EncodeFits(const optics::Result &result, QString &error) {
    MemoryFits fits(ExpectedBytes(result));
    int &status = fits.Status();
    if (result.IsSheet()) {
        fits_create_img(fits.File(), FLOAT_IMG, 0, nullptr, &status);
        Write(fits.File(), SheetKeys(result), status);
    }
    for (std::size_t k = 0; k < result.panels.size() && status == 0; ++k) {
        WritePanel(fits.File(), result.panels[k], status);
        Write(fits.File(), PanelKeys(result, k), status);
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
    std::vector<FitsKey> keys = CommonKeys(result);
    keys.push_back({"DEFOCUS", result.panels[result.panels.size() / 2].focus.waves,
                    "defocus W020 included, positive extrafocal [waves]"});
    keys.push_back({"BUNIT", std::string("waves"), "of WAVELEN; NaN where no light passes"});
    Write(fits.File(), keys, status);
    GeometryKeys(fits.File(), map.Geometry(), status);
    return Finish(fits, error);
}

} // namespace diffrascope::frontend
