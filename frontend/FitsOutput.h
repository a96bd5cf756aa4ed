#pragma once
// FITS files through CFITSIO: 32-bit float intensities normalised to a peak of
// 1, with a header keyword for every parameter. The bottom row of the picture
// is the first row of the data, as FITS readers expect: ds9, or astropy's
// imshow with origin='lower', show the PNG's picture with +y up. A sheet is an empty primary HDU with
// the common keywords and one image extension per panel.

#include <QByteArray>
#include <QString>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "Engine.h"

namespace diffrascope::frontend {

// One record of a header: its keyword, its value and its comment.
struct FitsKey {
    std::string name;
    std::variant<double, long, std::string> value;
    std::string comment;
};

// The records EncodeFits writes: a sheet's primary HDU, and a panel's image
// HDU (a single image's is the primary HDU).
std::vector<FitsKey> SheetKeys(const optics::Result &result);
std::vector<FitsKey> PanelKeys(const optics::Result &result, std::size_t panel);

// A FITS file made in memory, ready to be written in one piece.
struct FitsBytes {
    struct Free {
        void operator()(void *memory) const { std::free(memory); }
    };
    std::unique_ptr<void, Free> memory;
    std::size_t size = 0;

    // The bytes, without a copy: valid while this lives.
    QByteArray View() const;
};

// The whole file; the reason on failure.
std::optional<FitsBytes> EncodeFits(const optics::Result &result, QString &error);

// A wavefront map of the result (optics::SampledWavefront) as a FITS image of
// doubles, bottom row first, in waves at the reference wavelength (BUNIT
// 'waves'), NaN where no light passes, with the result's keywords and
// PUPRAD, PUPCX and PUPCY, which put its pixels on the grid points to every
// digit: read back with --wavefront it gives the same star image.
std::optional<FitsBytes> EncodeWavefrontFits(const optics::Result &result, const optics::WavefrontMap &map,
                                             QString &error);

} // namespace diffrascope::frontend
