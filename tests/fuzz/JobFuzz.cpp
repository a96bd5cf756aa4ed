// libFuzzer target for the optics library's job builder, driven with
// arbitrary numbers: any double (NaN, infinities, denormals, huge values) and
// any count or index in every field of a job. Whatever the numbers, MakePlan
// must return a plan or refuse with the library's ParameterError (no crash,
// nothing the sanitizers object to, no other exception); an accepted job at
// the smallest grid must compute or say that no light passes.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "Engine.h"
#include "OpticsError.h"

namespace {

namespace optics = diffrascope::optics;

constexpr std::int32_t kMaxVaryingLines = 8;   // spectral lines a job gets from the input
constexpr std::int32_t kMaxVaryingTerms = 4;   // Zernike terms
constexpr std::int32_t kMaxVaryingRadii = 20;  // encircled-energy radii, beyond the limit of 16
constexpr std::int32_t kMaxVaryingZones = 9;   // beyond the limit of 8

// The input read as numbers; zeros once it runs out.
class Numbers {
  public:
    Numbers(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

    double Real() {
        double value = 0;
        Take(&value, sizeof value);
        return value;
    }
    std::int32_t Whole() {
        std::int32_t value = 0;
        Take(&value, sizeof value);
        return value;
    }
    std::uint8_t Small() {
        std::uint8_t value = 0;
        Take(&value, sizeof value);
        return value;
    }
    bool Flag() { return (Small() & 1) != 0; }

  private:
    void Take(void *to, std::size_t bytes) {
        const std::size_t available = size_ - used_ < bytes ? size_ - used_ : bytes;
        std::memcpy(to, data_ + used_, available);
        used_ += available;
    }

    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t used_ = 0;
};

optics::Job JobOf(Numbers &in) {
    optics::Job job;
    optics::Aberrations &ab = job.system.aberrations;
    ab.spherical = in.Real();
    ab.focus = in.Real();
    ab.coma = {in.Real(), in.Real()};
    ab.astigmatism = {in.Real(), in.Real()};
    for (std::int32_t k = in.Small() % (kMaxVaryingTerms + 1); k > 0; --k) {
        ab.zernike.push_back({in.Whole(), in.Real()});
    }
    job.system.aperture.obstruction = in.Real();
    job.system.aperture.spider = {in.Whole(), in.Real(), in.Real()};
    job.system.wavelength = in.Real();
    for (std::int32_t k = in.Small() % (kMaxVaryingLines + 1); k > 0; --k) {
        job.light.lines.push_back({in.Real(), in.Real()});
    }
    job.panels.kind = static_cast<optics::Panels::Kind>(in.Small() % 3);
    if (in.Flag()) {
        job.panels.focusTravel = in.Real();
    }
    job.panels.defocus = in.Real();
    job.panels.defocusUnit = in.Flag() ? optics::FocusUnit::Millimetres : optics::FocusUnit::Waves;
    job.panels.from = in.Real();
    job.panels.to = in.Real();
    job.panels.step = in.Real();
    if (in.Flag()) {
        job.panels.fRatio = in.Real();
    }
    job.layout = static_cast<optics::Layout>(in.Small() % 3);
    if (in.Flag()) {
        job.grid = in.Whole();
    }
    job.side = in.Whole();
    if (in.Flag()) {
        job.field = in.Real();
    }
    job.display = {in.Flag() ? optics::Scale::Log : optics::Scale::Amplitude, in.Real()};
    job.metrics = in.Flag();
    for (std::int32_t k = in.Small() % (kMaxVaryingRadii + 1); k > 0; --k) {
        job.encircledRadii.push_back(in.Real());
    }
    job.threads = in.Whole();
    // the errors of the figure last, so that inputs written before them keep their meaning
    optics::Figure &figure = job.system.figure;
    if (in.Flag()) {
        figure.edge = {in.Real(), in.Real()};
    }
    for (std::int32_t k = in.Small() % (kMaxVaryingZones + 1); k > 0; --k) {
        figure.zones.push_back({in.Real(), in.Real(), in.Real()});
    }
    if (in.Flag()) {
        figure.roughness = {in.Real(), in.Whole(), in.Whole(), static_cast<std::uint32_t>(in.Whole())};
    }
    return job;
}

[[noreturn]] void Broken(const char *what) {
    std::fprintf(stderr, "job fuzz: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Numbers in(data, size);
    optics::Job job = JobOf(in);
    const bool small = job.grid && *job.grid == optics::kSmallestGrid && !job.panels.IsSheet() &&
                       job.light.lines.size() <= 1 && job.layout != optics::Layout::Panels;
    try {
        job.threads = 1; // the computation below, if any, on this thread alone
        optics::Plan plan = optics::MakePlan(job);
        if (plan.Grid() < optics::kSmallestGrid || plan.Panels().empty()) {
            Broken("an accepted job plans a grid of at least 256 and a panel");
        }
        if (small) {
            const optics::Result result = optics::Compute(std::move(plan));
            if (result.panels.size() != 1 || result.panels.front().grey.size() != 256u * 256u) {
                Broken("a single image is one panel of the crop's pixels");
            }
        }
    } catch (const optics::ParameterError &) {
    } catch (const optics::NoLightError &) {
    } catch (const std::exception &other) {
        std::fprintf(stderr, "job fuzz: %s\n", other.what());
        Broken("every refusal is the library's ParameterError");
    }
    return 0;
}
