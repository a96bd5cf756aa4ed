#include "CurvePanel.h"

#include <QChart>
#include <QChartView>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QValueAxis>

#include "Curves.h"
#include "Metrics.h"

namespace diffrascope::lab {
namespace {

constexpr int kChartWidth = 330; // pixels: two charts and the numbers beside three 256-pixel panels
constexpr int kChartHeight = 250;
constexpr int kAxisTicks = 6;       // 0, 0.2, ... 1
constexpr int kDecimals = 3;        // of the numbers shown
constexpr const char *kWidestValue = "0.000, 0.000, 0.000"; // the dark rings' row, the widest the box holds
constexpr int kSeriesWidth = 2;     // pixels of the measured curves' lines
constexpr int kFineSeriesWidth = 1; // of the x and y cuts of the MTF
const QColor kThisColour(0x1f, 0x5f, 0xbf);
const QColor kPerfectColour(0x70, 0x70, 0x70);
const QColor kXColour(0xc0, 0x50, 0x20);
const QColor kYColour(0x30, 0x90, 0x40);

QList<QPointF> Points(const std::vector<double> &x, const std::vector<double> &y) {
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(x.size()));
    for (std::size_t k = 0; k < x.size(); ++k) {
        points.append(QPointF(x[k], y[k]));
    }
    return points;
}

QString Number(double value) { return QString::number(value, 'f', kDecimals); }

} // namespace

CurvePanel::CurvePanel(QWidget *parent) : QWidget(parent) {
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(BuildMetrics(), 0, Qt::AlignTop);
    encircled_ = BuildChart(tr("Encircled energy"), tr("radius (λ/D)"), tr("fraction"));
    mtf_ = BuildChart(tr("MTF"), tr("frequency (cut-off D/λ)"), tr("modulation"));
    row->addWidget(encircled_.view);
    row->addWidget(mtf_.view);
    row->addStretch();
    encircledThis_ = AddSeries(encircled_, tr("this system"), kThisColour, Qt::SolidLine);
    encircledPerfect_ = AddSeries(encircled_, tr("perfect"), kPerfectColour, Qt::DashLine);
    mtfMean_ = AddSeries(mtf_, tr("mean"), kThisColour, Qt::SolidLine);
    mtfX_ = AddSeries(mtf_, tr("x"), kXColour, Qt::SolidLine);
    mtfY_ = AddSeries(mtf_, tr("y"), kYColour, Qt::SolidLine);
    mtfPerfect_ = AddSeries(mtf_, tr("perfect"), kPerfectColour, Qt::DashLine);
    for (QLineSeries *cut : {mtfX_, mtfY_}) {
        QPen pen = cut->pen();
        pen.setWidth(kFineSeriesWidth);
        cut->setPen(pen);
    }
    encircled_.x->setRange(0, optics::kCurveRadius);
}

QWidget *CurvePanel::BuildMetrics() {
    auto *box = new QGroupBox(tr("Focus image"), this);
    metrics_ = new QFormLayout(box);
    struct Row {
        QString name;
        QLabel **value;
    };
    for (const Row &row : {Row{tr("Strehl ratio"), &strehl_}, Row{tr("FWHM"), &fwhm_}, Row{tr("EE50 radius"), &ee50_},
                           Row{tr("EE80 radius"), &ee80_}, Row{tr("EE at dark rings"), &rings_},
                           Row{tr("Peak offset"), &peak_}}) {
        *row.value = new QLabel(QStringLiteral("–"), box);
        (*row.value)->setMinimumWidth((*row.value)->fontMetrics().horizontalAdvance(QLatin1String(kWidestValue)));
        (*row.value)->setTextInteractionFlags(Qt::TextSelectableByMouse);
        metrics_->addRow(row.name, *row.value);
    }
    box->setToolTip(tr("Encircled energy about the optical axis, as fractions of the whole grid's light; radii "
                       "and widths in λ/D of the reference wavelength; the dark rings of the perfect unobstructed "
                       "aperture lie at 1.22, 2.23 and 3.24 λ/D."));
    return box;
}

CurvePanel::Chart CurvePanel::BuildChart(const QString &title, const QString &xTitle, const QString &yTitle) {
    auto *chart = new QChart;
    chart->setTitle(title);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(0, 0, 0, 0));
    Chart made;
    made.x = new QValueAxis;
    made.y = new QValueAxis;
    made.x->setTitleText(xTitle);
    made.y->setTitleText(yTitle);
    made.y->setRange(0, 1);
    for (QValueAxis *axis : {made.x, made.y}) {
        axis->setTickCount(kAxisTicks);
        axis->setLabelFormat(QStringLiteral("%.1f"));
    }
    chart->addAxis(made.x, Qt::AlignBottom);
    chart->addAxis(made.y, Qt::AlignLeft);
    made.view = new QChartView(chart, this);
    made.view->setRenderHint(QPainter::Antialiasing);
    made.view->setFixedSize(kChartWidth, kChartHeight);
    return made;
}

QLineSeries *CurvePanel::AddSeries(const Chart &chart, const QString &name, const QColor &colour, Qt::PenStyle style) {
    auto *series = new QLineSeries;
    series->setName(name);
    QPen pen(colour);
    pen.setWidth(kSeriesWidth);
    pen.setStyle(style);
    series->setPen(pen);
    chart.view->chart()->addSeries(series);
    series->attachAxis(chart.x);
    series->attachAxis(chart.y);
    return series;
}

void CurvePanel::Show(const optics::Result &result) {
    const optics::PanelResult *focus = nullptr;
    for (const optics::PanelResult &panel : result.panels) {
        if (panel.focus.role == optics::Role::Focus) {
            focus = &panel;
        }
    }
    if (focus == nullptr || !focus->curves || !result.reference) {
        return;
    }
    if (focus->metrics) {
        ShowMetrics(*focus->metrics);
    }
    const optics::Curves &curves = *focus->curves;
    const optics::Curves &perfect = *result.reference;
    encircledThis_->replace(Points(curves.encircled.radius, curves.encircled.fraction));
    encircledPerfect_->replace(Points(perfect.encircled.radius, perfect.encircled.fraction));
    mtfMean_->replace(Points(curves.mtf.frequency, curves.mtf.azimuthal));
    mtfX_->replace(Points(curves.mtf.frequency, curves.mtf.x));
    mtfY_->replace(Points(curves.mtf.frequency, curves.mtf.y));
    mtfPerfect_->replace(Points(perfect.mtf.frequency, perfect.mtf.azimuthal));
    mtf_.x->setRange(0, std::max(1.0, curves.mtf.frequency.empty() ? 1.0 : curves.mtf.frequency.back()));
}

void CurvePanel::ShowMetrics(const optics::Metrics &metrics) {
    const QString none = tr("beyond the grid");
    strehl_->setText(Number(metrics.strehl));
    fwhm_->setText(tr("%1 λ/D").arg(Number(metrics.fwhm)));
    ee50_->setText(metrics.ee50 ? tr("%1 λ/D").arg(Number(*metrics.ee50)) : none);
    ee80_->setText(metrics.ee80 ? tr("%1 λ/D").arg(Number(*metrics.ee80)) : none);
    QStringList rings;
    for (const optics::EncircledEnergy &ring : metrics.encircled) {
        rings << Number(ring.fraction);
    }
    rings_->setText(rings.join(QStringLiteral(", ")));
    peak_->setText(tr("%1, %2 λ/D").arg(Number(metrics.peakOffsetX), Number(metrics.peakOffsetY)));
}

QString CurvePanel::MetricsText() const {
    QStringList lines;
    for (int row = 0; row < metrics_->rowCount(); ++row) {
        auto *name = qobject_cast<QLabel *>(metrics_->itemAt(row, QFormLayout::LabelRole)->widget());
        auto *value = qobject_cast<QLabel *>(metrics_->itemAt(row, QFormLayout::FieldRole)->widget());
        lines << name->text() + QLatin1Char(' ') + value->text();
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace diffrascope::lab
