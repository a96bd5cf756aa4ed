#include "OpticalSystem.h"

namespace diffrascope::optics {

bool Aberrations::WindowTermsOnly() const {
    return coma.waves == 0 && astigmatism.waves == 0 && zernike.empty();
}

OpticalSystem WithoutAberrations(const OpticalSystem &system) {
    OpticalSystem plain;
    plain.aperture = system.aperture;
    plain.wavelength = system.wavelength;
    return plain;
}

} // namespace diffrascope::optics
