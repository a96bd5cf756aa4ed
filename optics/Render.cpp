#include "Render.h"

#include <utility>

#include "StarImager.h"

namespace diffrascope::optics {
namespace {

std::vector<OpticalSystem> PanelPupils(const RenderJob &job) {
    std::vector<OpticalSystem> pupils;
    for (double focus : PanelFocus(job)) {
        OpticalSystem pupil = job.pupil;
        pupil.aberrations.focus = focus;
        pupils.push_back(pupil);
    }
    return pupils;
}

// Grid, view and warnings of the job's layout.
RenderResult PlanFor(const RenderJob &job, const std::vector<OpticalSystem> &pupils) {
    RenderResult result;
    result.pixelScale = PixelScale(job.pupil.wavelength);
    if (job.layout == Layout::Panels) {
        FieldRequest request = job.field;
        request.grid = job.grid;
        const FieldPlan plan = PlanPanels(pupils, job.spectrum, request);
        result.grid = plan.grid;
        result.view = plan.view;
        result.warnings = plan.warnings;
    } else {
        result.grid = job.grid.value_or(kWindowGrid);
        result.view = CentredView(result.grid, job.layout == Layout::Full ? result.grid : kCropSide, 1);
        result.warnings = SamplingWarnings(pupils, job.spectrum, result.grid);
    }
    result.width = result.view.side * result.view.bin * result.pixelScale;
    return result;
}

} // namespace

std::vector<double> PanelFocus(const RenderJob &job) {
    return job.focus.empty() ? std::vector<double>{job.pupil.aberrations.focus} : job.focus;
}

RenderResult Plan(const RenderJob &job) { return PlanFor(job, PanelPupils(job)); }

RenderResult Render(const RenderJob &job) { return Render(job, Plan(job)); }

RenderResult Render(const RenderJob &job, RenderResult plan) {
    const std::vector<OpticalSystem> pupils = PanelPupils(job);
    RenderResult result = std::move(plan);
    StarImager imager(result.grid, job.threads);
    double referencePeak = 0;
    if (job.metrics) {
        referencePeak = imager.Compute(WithoutAberrations(job.pupil), job.spectrum).maximum;
    }
    for (const OpticalSystem &pupil : pupils) {
        const IntensityImage &image = imager.Compute(pupil, job.spectrum);
        RenderedPanel rendered{pupil.aberrations.focus, {}, std::nullopt};
        MakePanel(image, result.view, job.display, job.keepIntensities ? Keep::Intensities : Keep::GreyLevels,
                  rendered.panel);
        if (job.metrics) {
            rendered.metrics = Measure(image, referencePeak, result.pixelScale, job.encircledRadii);
        }
        result.panels.push_back(std::move(rendered));
    }
    return result;
}

} // namespace diffrascope::optics
