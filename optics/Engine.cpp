#include "Engine.h"

#include <new>
#include <utility>

#include "Imager.h"
#include "OpticsError.h"
#include "Sampling.h"
#include "Units.h"

namespace diffrascope::optics {

struct Plan::Data {
    Job job;
    std::vector<PanelFocus> panels;
    std::int32_t grid = 0;
    PanelView view;
    double pixelScale = 0;
    double width = 0;
    std::vector<std::string> warnings;
};

namespace {

constexpr double kMetricsUnits = 0.25; // a panel's metrics, in far fields of work

std::vector<double> FocusList(const std::vector<PanelFocus> &panels) {
    std::vector<double> focus;
    for (const PanelFocus &panel : panels) {
        focus.push_back(panel.waves);
    }
    return focus;
}

// Grid, view and warnings of the job's layout.
void PlanLayout(Plan::Data &d, const Checkpoint &checkpoint) {
    const SamplingNeeds needs(d.job.system, FocusList(d.panels), d.job.light, checkpoint);
    d.pixelScale = PixelScale(d.job.system.wavelength);
    if (d.job.layout == Layout::Panels) {
        const FieldPlan field = PlanPanels(needs, {d.job.grid, d.job.side, d.job.field});
        d.grid = field.grid;
        d.view = field.view;
        d.warnings = field.warnings;
    } else {
        d.grid = d.job.grid.value_or(kWindowGrid);
        d.view = CentredView(d.grid, d.job.layout == Layout::Full ? d.grid : kCropSide, 1);
        d.warnings = needs.Warnings(d.grid);
    }
    d.width = d.view.side * d.view.bin * d.pixelScale;
}

// The reference of the Strehl ratio: the same aperture and light without
// aberrations, on the same grid.
struct ReferenceKey {
    OpticalSystem system;
    std::vector<SpectralLine> lines;
    std::int32_t grid = 0;

    bool operator==(const ReferenceKey &) const = default;
};

} // namespace

Plan::Plan(std::unique_ptr<Data> data) : data_(std::move(data)) {}
Plan::Plan(Plan &&) noexcept = default;
Plan &Plan::operator=(Plan &&) noexcept = default;
Plan::~Plan() = default;

const Job &Plan::GetJob() const { return data_->job; }
const std::vector<PanelFocus> &Plan::Panels() const { return data_->panels; }
std::int32_t Plan::Grid() const { return data_->grid; }
const PanelView &Plan::View() const { return data_->view; }
double Plan::PixelScale() const { return data_->pixelScale; }
double Plan::Width() const { return data_->width; }
const std::vector<std::string> &Plan::Warnings() const { return data_->warnings; }
bool Plan::Empty() const { return data_ == nullptr; }

Plan MakePlan(Job job, const Control &control) {
    Validate(job);
    const Checkpoint checkpoint(control, 1);
    auto data = std::make_unique<Plan::Data>();
    Aberrations &ab = job.system.aberrations;
    ab.spherical = WindowWaves(ab.spherical);
    data->panels = FocusOfPanels(ab.focus, job.system.wavelength, job.panels);
    ab.focus = job.panels.IsSheet() ? WindowWaves(ab.focus) : data->panels.front().waves;
    data->job = std::move(job);
    PlanLayout(*data, checkpoint);
    return Plan(std::move(data));
}

struct Engine::Impl {
    std::int32_t threads;
    std::unique_ptr<Imager> imager;
    IntensityImage image; // reused from one panel to the next
    std::optional<ReferenceKey> referenceKey;
    double referencePeak = 0;

    Imager &ImagerFor(std::int32_t grid) {
        if (!imager || imager->GridSize() != grid) {
            imager.reset(); // the old buffers go first: never both at once
            imager = std::make_unique<Imager>(grid, threads);
        }
        return *imager;
    }

    double ReferencePeak(const Plan::Data &d, Checkpoint &checkpoint) {
        ReferenceKey key{WithoutAberrations(d.job.system), d.job.light.lines, d.grid};
        if (referenceKey != key) {
            referenceKey.reset();
            IntensityImage reference;
            ImagerFor(d.grid).Compute(key.system, d.job.light, reference, checkpoint);
            referencePeak = reference.maximum;
            referenceKey = std::move(key);
        }
        return referencePeak;
    }

    Result Compute(Plan::Data &d, const Control &control);
};

Engine::Engine(std::int32_t threads) : impl_(std::make_unique<Impl>()) { impl_->threads = threads; }
Engine::~Engine() = default;

Result Engine::Impl::Compute(Plan::Data &d, const Control &control) {
    const Job &job = d.job;
    const double fields = FarFields(job.light);
    const double panels = static_cast<double>(d.panels.size());
    const bool reference = job.metrics && !(referenceKey && referenceKey->grid == d.grid);
    Checkpoint checkpoint(control, panels * fields + (reference ? fields : 0) +
                                       (job.metrics ? panels * kMetricsUnits : 0));
    Imager &images = ImagerFor(d.grid);
    const double referencePeak = job.metrics ? ReferencePeak(d, checkpoint) : 0;
    Result result;
    for (const PanelFocus &focus : d.panels) {
        OpticalSystem system = job.system;
        system.aberrations.focus = focus.waves;
        images.Compute(system, job.light, image, checkpoint);
        Panel panel;
        MakePanel(image, d.view, job.display, job.keepIntensities ? Keep::Intensities : Keep::GreyLevels, panel);
        PanelResult rendered{focus, d.view.side, std::move(panel.grey), std::move(panel.values), std::nullopt};
        if (job.metrics) {
            checkpoint.Begin(kMetricsUnits);
            rendered.metrics = Measure(image, referencePeak, d.pixelScale, job.encircledRadii, checkpoint);
            checkpoint.End();
        }
        result.panels.push_back(std::move(rendered));
    }
    result.job = std::move(d.job);
    result.grid = d.grid;
    result.pixelScale = d.pixelScale;
    result.view = d.view;
    result.width = d.width;
    result.warnings = std::move(d.warnings);
    return result;
}

Result Engine::Compute(Plan &&plan, const Control &control) {
    if (plan.Empty()) {
        throw ParameterError("plan", "the plan was computed already; make a new one");
    }
    const std::unique_ptr<Plan::Data> data = std::move(plan.data_);
    try {
        return impl_->Compute(*data, control);
    } catch (const std::bad_alloc &) {
        throw OutOfMemoryError();
    }
}

Result Compute(Plan &&plan, const Control &control) {
    if (plan.Empty()) {
        throw ParameterError("plan", "the plan was computed already; make a new one");
    }
    Engine engine(plan.GetJob().threads);
    return engine.Compute(std::move(plan), control);
}

WavefrontMap SampledWavefront(const Result &result) {
    OpticalSystem system = result.job.system;
    system.aberrations.focus = result.panels[result.panels.size() / 2].focus.waves;
    return SampledWavefront(system, result.grid);
}

} // namespace diffrascope::optics
