#pragma once
// Directions given in degrees, counterclockwise from the picture's +x axis.

namespace diffrascope::optics {

struct Direction {
    double c; // cosine
    double s; // sine
};

// The unit vector of an angle in degrees. Mirror images are exact: the
// directions of -a, 180 - a and 90 - a are those of a with a sign or the two
// components exchanged, bit for bit, and multiples of 90 degrees give exact
// zeros and ones. The pupil's mirror symmetries rely on it.
Direction DirectionOf(double degrees);

} // namespace diffrascope::optics
