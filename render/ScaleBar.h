#pragma once
// A scale bar drawn on a panel of a picture: a white bar a round number of
// arcseconds long (with an aperture) or of lambda/D, over a dark box at the
// panel's bottom left, labelled with its length.

#include <QImage>
#include <QRect>
#include <QString>

#include <optional>

namespace diffrascope {

struct ScaleBarLength {
    double units;  // the bar's length in its unit: 1, 2 or 5 times a power of ten
    double pixels; // the bar's length in the panel's pixels
    QString label; // "2 λ/D", "0.5\""
};

// The bar for a panel of `width` lambda/D across `side` pixels: the longest
// round length of at most a quarter of the panel, in arcseconds when
// arcsecondsPerLambdaOverD is given.
ScaleBarLength ScaleBarFor(double width, int side, std::optional<double> arcsecondsPerLambdaOverD);

// Draws the bar into the grey picture's panel `box`.
void DrawScaleBar(QImage &picture, const QRect &box, const ScaleBarLength &bar);

} // namespace diffrascope
