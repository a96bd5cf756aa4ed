#pragma once
// The numbers and curves of the focus image beside the panels: Strehl
// ratio, FWHM, EE50, EE80 and the encircled energy at the Airy dark rings;
// the encircled-energy curve and the MTF, each with the perfect aperture's
// (same obstruction, spider and light, no aberrations) for comparison.

#include <QWidget>

#include <memory>

#include "Engine.h"

class QChart;
class QChartView;
class QFormLayout;
class QLabel;
class QLineSeries;
class QValueAxis;

namespace diffrascope::lab {

class CurvePanel : public QWidget {
    Q_OBJECT

  public:
    explicit CurvePanel(QWidget *parent = nullptr);
    void Show(const optics::Result &result);
    // The text of the metrics as shown, one "name value" line each.
    QString MetricsText() const;

  private:
    struct Chart {
        QChartView *view = nullptr;
        QValueAxis *x = nullptr;
        QValueAxis *y = nullptr;
    };
    QWidget *BuildMetrics();
    Chart BuildChart(const QString &title, const QString &xTitle, const QString &yTitle);
    QLineSeries *AddSeries(const Chart &chart, const QString &name, const QColor &colour, Qt::PenStyle style);
    void ShowMetrics(const optics::Metrics &metrics);

    QFormLayout *metrics_ = nullptr;
    QLabel *strehl_ = nullptr;
    QLabel *fwhm_ = nullptr;
    QLabel *ee50_ = nullptr;
    QLabel *ee80_ = nullptr;
    QLabel *rings_ = nullptr;
    QLabel *peak_ = nullptr;
    Chart encircled_;
    Chart mtf_;
    QLineSeries *encircledThis_ = nullptr;
    QLineSeries *encircledPerfect_ = nullptr;
    QLineSeries *mtfMean_ = nullptr;
    QLineSeries *mtfX_ = nullptr;
    QLineSeries *mtfY_ = nullptr;
    QLineSeries *mtfPerfect_ = nullptr;
};

} // namespace diffrascope::lab
