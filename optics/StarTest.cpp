#include "StarTest.h"

#include <charconv>
#include <cmath>
#include <string>

#include "Decimal.h"
#include "Limits.h"
#include "OpticsError.h"
#include "Units.h"

namespace diffrascope::optics {
namespace {

constexpr std::int32_t kWavesDecimals = 2;  // of a focus that came from millimetres
constexpr std::int32_t kTravelDecimals = 3; // mm of focuser travel
constexpr std::int32_t kExactDigits = 64;   // more than any double in the focus range has after its point

// Fixed notation rounded half away from zero, "-" kept for values that round
// to zero but are not zero; as Qt's number formatting writes it.
std::string Fixed(double value, std::int32_t decimals) {
    char digits[512];
    const auto end = std::to_chars(digits, digits + sizeof digits, std::fabs(value), std::chars_format::fixed,
                                   decimals + kExactDigits)
                         .ptr;
    std::string text(digits, end - kExactDigits); // the exact expansion, cut after `decimals`
    if (decimals == 0) {
        text.pop_back(); // the point
    }
    if (*(end - kExactDigits) >= '5') {
        std::size_t k = text.size();
        while (k > 0) {
            --k;
            if (text[k] == '.') {
                continue;
            }
            if (text[k] != '9') {
                ++text[k];
                break;
            }
            text[k] = '0';
            if (k == 0) {
                text.insert(text.begin(), '1');
            }
        }
    }
    return (value < 0 ? "-" : "") + text;
}

std::string Signed(const std::string &text, bool positive) { return (positive ? "+" : "") + text; }

Role RoleOfSign(int sign) { return sign < 0 ? Role::Intrafocal : sign > 0 ? Role::Extrafocal : Role::Focus; }

int SignOf(const Decimal &value) { return Compare(value, Decimal::Whole(0)); }

// " wave" for one wave either way, " waves" otherwise.
std::string WavesUnit(double waves) { return std::fabs(waves) == 1 ? " wave" : " waves"; }

class PanelMaker {
  public:
    PanelMaker(double wavelength, const Panels &panels) : wavelength_(wavelength), panels_(panels) {}

    // A focus typed in waves: exact, the window's way where it is a whole tenth.
    PanelFocus Exact(const Decimal &focus, Role role) const {
        const double waves = WindowWaves(ToDouble(focus));
        return Made(waves, role, Signed(ToText(focus), SignOf(focus) > 0) + WavesUnit(waves));
    }

    // A focus that came from millimetres: its nearest double, named to two decimals.
    PanelFocus Computed(double waves, Role role) const {
        return Made(waves, role, Signed(Fixed(waves, kWavesDecimals), waves > 0) + WavesUnit(waves));
    }

  private:
    PanelFocus Made(double waves, Role role, std::string text) const {
        CheckFocus(waves);
        if (panels_.fRatio) {
            const double travel = TravelOfWaves(waves, *panels_.fRatio, wavelength_);
            text += ", " + Signed(Fixed(travel, kTravelDecimals), travel > 0) + " mm";
        }
        return {waves, role, text, {}};
    }

    void CheckFocus(double waves) const {
        if (!kFocusLimit.Admits(waves)) {
            const char *parameter = panels_.kind == Panels::Kind::StarTest      ? kStarTestLimit.parameter
                                    : panels_.kind == Panels::Kind::ThroughFocus ? "through-focus"
                                                                                 : kFocusLimit.parameter;
            throw ParameterError(parameter, "a panel's focus of " + Fixed(waves, kWavesDecimals) +
                                                " waves lies beyond " + kFocusLimit.text);
        }
    }

    double wavelength_;
    const Panels &panels_;
};

double Travel(double millimetres, const Panels &panels, double wavelength, const Limit &limit) {
    if (!panels.fRatio) {
        throw ParameterError(limit.parameter, "focuser travel needs a focal ratio to turn millimetres into waves");
    }
    if (!limit.Admits(millimetres)) {
        throw ParameterError(limit.parameter, Fixed(millimetres, kTravelDecimals) + " mm lies outside " + limit.text);
    }
    return WavesOfTravel(millimetres, *panels.fRatio, wavelength);
}

void CheckFRatio(const Panels &panels) {
    if (panels.fRatio && !kFRatioLimit.Admits(*panels.fRatio)) {
        throw ParameterError(kFRatioLimit.parameter, "f/" + Fixed(*panels.fRatio, kWavesDecimals) +
                                                         " lies outside " + kFRatioLimit.text);
    }
}

std::vector<PanelFocus> StarTestPanels(double systemFocus, double wavelength, const Panels &panels,
                                       const PanelMaker &maker) {
    const Limit &limit = panels.defocusUnit == FocusUnit::Waves ? kStarTestLimit : kStarTestTravelLimit;
    if (!limit.Admits(panels.defocus)) {
        throw ParameterError(limit.parameter, "the defocus either side lies outside " + std::string(limit.text));
    }
    const std::optional<Decimal> centre = panels.focusTravel ? std::nullopt : DecimalOf(systemFocus);
    const std::optional<Decimal> defocus =
        panels.defocusUnit == FocusUnit::Waves ? DecimalOf(panels.defocus) : std::nullopt;
    std::vector<PanelFocus> focus;
    for (int side : {-1, 0, 1}) {
        const std::optional<Decimal> exact = centre && defocus ? AddMultiple(*centre, side, *defocus) : std::nullopt;
        if (exact) {
            focus.push_back(maker.Exact(*exact, RoleOfSign(side)));
            continue;
        }
        const double middle = panels.focusTravel ? Travel(*panels.focusTravel, panels, wavelength, kTravelLimit)
                                                 : WindowWaves(systemFocus);
        const double either = panels.defocusUnit == FocusUnit::Waves
                                  ? panels.defocus
                                  : Travel(panels.defocus, panels, wavelength, kStarTestTravelLimit);
        focus.push_back(maker.Computed(middle + side * either, RoleOfSign(side)));
    }
    return focus;
}

std::vector<PanelFocus> ThroughFocusPanels(const Panels &panels, const PanelMaker &maker) {
    const std::optional<Decimal> from = DecimalOf(panels.from);
    const std::optional<Decimal> to = DecimalOf(panels.to);
    const std::optional<Decimal> step = DecimalOf(panels.step);
    if (!kFocusLimit.Admits(panels.from) || !kFocusLimit.Admits(panels.to) || !(panels.step > 0) || !from || !to ||
        !step) {
        throw ParameterError("through-focus", std::string("FROM and TO lie within ") + kFocusLimit.text +
                                                  " and STEP above 0");
    }
    const std::optional<Decimal> span = Subtract(*to, *from);
    const std::optional<std::int64_t> steps = span ? WholeQuotient(*span, *step) : std::nullopt;
    if (Compare(*from, *to) > 0 || !steps) {
        throw ParameterError("through-focus", "TO is not reached from FROM in whole steps");
    }
    if (*steps + 1 > kMaxPanels) {
        throw ParameterError("through-focus", "more than " + std::to_string(kMaxPanels) + " panels");
    }
    std::vector<PanelFocus> focus;
    for (std::int64_t k = 0; k <= *steps; ++k) {
        const Decimal f = *AddMultiple(*from, k, *step);
        focus.push_back(maker.Exact(f, RoleOfSign(SignOf(f))));
    }
    return focus;
}

} // namespace

const char *RoleName(Role role) {
    switch (role) {
    case Role::Intrafocal:
        return "intrafocal";
    case Role::Extrafocal:
        return "extrafocal";
    case Role::Focus:
        break;
    }
    return "focus";
}

std::string PanelFocus::Title() const { return title.empty() ? std::string(RoleName(role)) : title; }

std::string PanelFocus::Label() const { return Title() + ", " + defocus; }

std::vector<PanelFocus> FocusOfPanels(double systemFocus, double wavelength, const Panels &panels) {
    CheckFRatio(panels);
    const PanelMaker maker(wavelength, panels);
    switch (panels.kind) {
    case Panels::Kind::StarTest:
        return StarTestPanels(systemFocus, wavelength, panels, maker);
    case Panels::Kind::ThroughFocus:
        return ThroughFocusPanels(panels, maker);
    case Panels::Kind::Single:
        break;
    }
    if (panels.focusTravel) {
        return {maker.Computed(Travel(*panels.focusTravel, panels, wavelength, kTravelLimit), Role::Focus)};
    }
    const std::optional<Decimal> exact = DecimalOf(systemFocus);
    return {exact ? maker.Exact(*exact, Role::Focus) : maker.Computed(WindowWaves(systemFocus), Role::Focus)};
}

} // namespace diffrascope::optics
