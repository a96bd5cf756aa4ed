#include "Engine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>
#include <utility>

#include "Imager.h"
#include "OpticsError.h"
#include "Sampling.h"
#include "SkyImage.h"
#include "ExtendedObject.h"
#include "Units.h"

namespace diffrascope::optics {

struct Plan::Data {
    Job job;
    std::vector<PanelFocus> panels;
    std::int32_t grid = 0;
    PanelView view;
    std::optional<PanelView> focusView; // the focus panel's own field
    double pixelScale = 0;
    double width = 0;
    double focusWidth = 0;
    std::vector<std::string> warnings;
};

namespace {

constexpr double kMetricsUnits = 0.25; // a panel's metrics, in far fields of work
constexpr double kCurvesUnits = 0.5;   // a panel's curves
constexpr double kObjectMargin = 1.1;  // the field an object's panels show, over the object's span

// The panel whose curves are measured: the one in focus, or where no panel
// is (a through-focus range that misses 0), the one nearest focus.
std::size_t CurvesPanel(const std::vector<PanelFocus> &panels) {
    std::size_t nearest = 0;
    for (std::size_t k = 0; k < panels.size(); ++k) {
        if (panels[k].role == Role::Focus) {
            return k;
        }
        nearest = std::fabs(panels[k].waves) < std::fabs(panels[nearest].waves) ? k : nearest;
    }
    return nearest;
}

std::vector<double> FocusList(const std::vector<PanelFocus> &panels) {
    std::vector<double> focus;
    for (const PanelFocus &panel : panels) {
        focus.push_back(panel.waves);
    }
    return focus;
}

// Panels whose grid samples the seeing's r0 and whose field holds its disc,
// unless the job gives them.
FieldPlan PlanSeeingPanels(const Job &job, const SamplingNeeds &needs) {
    FieldRequest request{job.grid, job.side, job.field, job.focusField};
    FieldPlan field = PlanPanels(needs, request);
    if (!job.seeing) {
        return field;
    }
    const std::optional<std::int32_t> grid = SeeingGrid(job);
    const bool finer = !job.grid && grid && *grid > field.grid;
    const bool wider = !job.field && field.width < SeeingField(job);
    if (finer || wider) {
        request.grid = finer ? grid : request.grid;
        request.width = wider ? std::optional<double>(SeeingField(job)) : request.width;
        field = PlanPanels(needs, request);
    }
    return field;
}

// Grid, view and warnings of the job's layout.
void PlanLayout(Plan::Data &d, const Checkpoint &checkpoint) {
    const SamplingNeeds needs(d.job.system, FocusList(d.panels), d.job.light, checkpoint);
    d.pixelScale = PixelScale(d.job.system.wavelength);
    if (d.job.layout == Layout::Panels) {
        const FieldPlan field = PlanSeeingPanels(d.job, needs);
        d.grid = field.grid;
        d.view = field.view;
        d.focusView = field.focusView;
        d.focusWidth = field.focusWidth;
        d.warnings = field.warnings;
    } else {
        d.grid = d.job.grid.value_or(std::max(kWindowGrid, SeeingGrid(d.job).value_or(kWindowGrid)));
        d.view = CentredView(d.grid, d.job.layout == Layout::Full ? d.grid : kCropSide, 1);
        d.warnings = needs.Warnings(d.grid);
    }
    d.width = d.view.side * d.view.bin * d.pixelScale;
    if (!d.focusView) {
        d.focusWidth = d.width;
    }
    if (d.job.apertureMm) {
        const double arcseconds = ArcsecondsPerLambdaOverD(d.job.system.wavelength, *d.job.apertureMm);
        for (std::string &warning : SkyWarnings(d.job.sky, arcseconds, d.width)) {
            d.warnings.push_back(std::move(warning));
        }
    }
    const std::vector<std::string> seeing = SeeingWarnings(d.job, d.grid, d.width);
    d.warnings.insert(d.warnings.end(), seeing.begin(), seeing.end());
}

// Panels show a whole object unless the job gives their field.
void FieldForObject(Job &job) {
    if (job.layout != Layout::Panels || job.field || !job.sky.object || !job.apertureMm) {
        return;
    }
    const double arcseconds = ArcsecondsPerLambdaOverD(job.system.wavelength, *job.apertureMm);
    job.field = std::min(kObjectMargin * ObjectSpan(*job.sky.object, arcseconds), kFieldLimit.max);
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
double Plan::FocusWidth() const { return data_->focusWidth; }
const std::vector<std::string> &Plan::Warnings() const { return data_->warnings; }
bool Plan::Empty() const { return data_ == nullptr; }

Plan MakePlan(Job job, const Control &control) {
    Validate(job);
    const Checkpoint checkpoint(control, 1);
    auto data = std::make_unique<Plan::Data>();
    Aberrations &ab = job.system.aberrations;
    ab.spherical = WindowWaves(ab.spherical);
    data->panels = SeeingPanels(job, FocusOfPanels(ab.focus, job.system.wavelength, job.panels));
    ab.focus = job.panels.IsSheet() ? WindowWaves(ab.focus) : data->panels.front().waves;
    FieldForObject(job);
    data->job = std::move(job);
    PlanLayout(*data, checkpoint);
    return Plan(std::move(data));
}

struct Engine::Impl {
    explicit Impl(std::int32_t threadCount) : threads(threadCount), sky(threadCount) {}

    std::int32_t threads;
    std::unique_ptr<Imager> imager;
    IntensityImage image;   // reused from one panel to the next
    SkyImager sky;          // the sky seen through each panel's optics
    MetricsScratch scratch; // the same
    std::optional<ReferenceKey> referenceKey;
    double referencePeak = 0;
    std::optional<Curves> referenceCurves;

    Imager &ImagerFor(std::int32_t grid) {
        if (!imager || imager->GridSize() != grid) {
            imager.reset(); // the old buffers go first: never both at once
            imager = std::make_unique<Imager>(grid, threads);
        }
        return *imager;
    }

    static ReferenceKey KeyOf(const Plan::Data &d) {
        return {WithoutAberrations(d.job.system), d.job.light.lines, d.grid};
    }

    // True when the job needs the reference and the engine does not hold it yet.
    bool NeedsReference(const Plan::Data &d) const {
        if (!d.job.metrics && !d.job.curves) {
            return false;
        }
        return referenceKey != KeyOf(d) || (d.job.curves && !referenceCurves);
    }

    void ComputeReference(const Plan::Data &d, Checkpoint &checkpoint) {
        ReferenceKey key = KeyOf(d);
        referenceKey.reset();
        referenceCurves.reset();
        IntensityImage reference;
        ImagerFor(d.grid).Compute(key.system, d.job.light, reference, checkpoint);
        referencePeak = reference.maximum;
        if (d.job.curves) {
            checkpoint.Begin(kCurvesUnits);
            referenceCurves = MeasureCurves(reference, d.pixelScale, d.job.light, d.job.system.wavelength, checkpoint);
            checkpoint.End();
        }
        referenceKey = std::move(key);
    }

    Result Compute(Plan::Data &d, const Control &control);
};

Engine::Engine(std::int32_t threads) : impl_(std::make_unique<Impl>(threads)) {}
Engine::~Engine() = default;

Result Engine::Impl::Compute(Plan::Data &d, const Control &control) {
    const Job &job = d.job;
    const double fields = FarFields(job.light);
    const double panels = static_cast<double>(d.panels.size());
    const bool reference = NeedsReference(d);
    const std::size_t curvesPanel = CurvesPanel(d.panels);
    const double curves = job.curves ? kCurvesUnits : 0;
    SeeingImages seeing(job, d.grid, threads);
    Checkpoint checkpoint(control, panels * fields * seeing.FramesPerPanel() + (reference ? fields + curves : 0) +
                                       (job.metrics ? panels * kMetricsUnits : 0) + curves);
    Imager &images = ImagerFor(d.grid);
    if (reference) {
        ComputeReference(d, checkpoint);
    }
    Result result;
    for (std::size_t k = 0; k < d.panels.size(); ++k) {
        const PanelFocus &focus = d.panels[k];
        OpticalSystem system = job.system;
        system.aberrations.focus = focus.waves;
        seeing.Compute(images, system, job.light, image, checkpoint);
        const bool ownField = focus.role == Role::Focus && d.focusView;
        const PanelView &view = ownField ? *d.focusView : d.view;
        const IntensityImage &seen =
            sky.Apply(image, job.sky, GridArcseconds(job.apertureMm, job.system.wavelength, d.pixelScale), checkpoint);
        Panel panel;
        MakePanel(seen, view, job.display, job.keepIntensities ? Keep::Intensities : Keep::GreyLevels, panel);
        if (job.sky.normalization == Normalization::Flux) {
            NormalizeToFlux(panel, sky.FluxUnit());
        }
        PanelResult rendered{focus, view.side, std::move(panel.grey), std::move(panel.values), std::nullopt,
                             std::nullopt, ownField ? d.focusWidth : d.width};
        if (job.metrics) {
            checkpoint.Begin(kMetricsUnits);
            // the field between the pixels is the last far field's: not a blurred or averaged image's
            const std::optional<FineField> fine =
                job.seeing ? std::nullopt : std::optional<FineField>(images.FineFieldOf(system, job.light));
            rendered.metrics = Measure(image, referencePeak, d.pixelScale, job.encircledRadii, checkpoint,
                                       fine ? &*fine : nullptr, &scratch);
            checkpoint.End();
        }
        if (job.curves && k == curvesPanel) {
            checkpoint.Begin(kCurvesUnits);
            rendered.curves = MeasureCurves(image, d.pixelScale, job.light, job.system.wavelength, checkpoint);
            checkpoint.End();
        }
        result.panels.push_back(std::move(rendered));
    }
    if (job.curves) {
        result.reference = referenceCurves;
    }
    result.job = std::move(d.job);
    result.job.system.figure.turbulence = seeing.FirstScreen(); // the wavefront the result samples
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

std::string FieldText(double width) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, width, std::chars_format::fixed, 1).ptr;
    return "field " + std::string(text, end) + " λ/D";
}

std::string DefocusCaption(const PanelResult &panel, const Result &result) {
    return panel.width == result.width ? panel.focus.defocus : panel.focus.defocus + ", " + FieldText(panel.width);
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
