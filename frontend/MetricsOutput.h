#pragma once
// The numbers of a run as JSON: the parameters, the grid and its scale, and
// for the image (or each panel of a sheet) the Strehl ratio, the peak, the
// FWHM and the encircled energy, with the warnings.

#include <QByteArray>
#include <QStringList>

#include "Engine.h"

namespace diffrascope::frontend {

QByteArray MetricsJson(const optics::Result &result);

} // namespace diffrascope::frontend
