// diffrascope-plot-mtf OUT.png TITLE LABEL=FILE.csv [LABEL=FILE.csv ...]
//
// Draws the averaged MTF of each --mtf CSV file (frequency,x,y,average) as a
// line of a Qt chart, against the frequency in units of the cut-off, and
// saves the chart as a PNG. Nothing is drawn pixel by pixel.

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QLegend>
#include <QLineSeries>
#include <QPixmap>
#include <QTextStream>
#include <QValueAxis>

#include <cstdio>

namespace {

constexpr int kWidth = 720; // pixels of the figure
constexpr int kHeight = 440;
constexpr int kAverageColumn = 3;
constexpr int kFirstCurve = 3; // arguments before the curves: program, output, title

// One curve from a CSV file; null when the file cannot be read.
QLineSeries *Curve(const QString &label, const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return nullptr;
    }
    auto *series = new QLineSeries;
    series->setName(label);
    QTextStream lines(&file);
    lines.readLine(); // the header
    while (!lines.atEnd()) {
        const QStringList fields = lines.readLine().split(QLatin1Char(','));
        if (fields.size() > kAverageColumn) {
            series->append(fields[0].toDouble(), fields[kAverageColumn].toDouble());
        }
    }
    return series;
}

QValueAxis *Axis(const QString &title, int ticks) {
    auto *axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setRange(0, 1);
    axis->setTickCount(ticks);
    axis->setLabelFormat(QStringLiteral("%.1f"));
    return axis;
}

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() <= kFirstCurve) {
        std::fputs("usage: diffrascope-plot-mtf OUT.png TITLE LABEL=FILE.csv [LABEL=FILE.csv ...]\n", stderr);
        return 2;
    }
    auto *chart = new QChart;
    chart->setTitle(arguments[2]);
    QValueAxis *frequency = Axis(QStringLiteral("spatial frequency (cut-off D/λ)"), 11);
    QValueAxis *modulation = Axis(QStringLiteral("MTF (averaged around the axis)"), 6);
    chart->addAxis(frequency, Qt::AlignBottom);
    chart->addAxis(modulation, Qt::AlignLeft);
    for (const QString &curve : arguments.mid(kFirstCurve)) {
        const qsizetype equals = curve.indexOf(QLatin1Char('='));
        QLineSeries *series = equals > 0 ? Curve(curve.left(equals), curve.mid(equals + 1)) : nullptr;
        if (series == nullptr) {
            std::fprintf(stderr, "diffrascope-plot-mtf: cannot read '%s'\n", qPrintable(curve));
            return 1;
        }
        chart->addSeries(series);
        series->attachAxis(frequency);
        series->attachAxis(modulation);
    }
    chart->legend()->setAlignment(Qt::AlignTop);
    QChartView view(chart);
    view.setRenderHint(QPainter::Antialiasing);
    view.resize(kWidth, kHeight);
    return view.grab().save(arguments[1]) ? 0 : 1;
}
