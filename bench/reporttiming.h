#pragma once

// What the report benchmarks share: a stopwatch that reads wall and CPU time
// (the machine may be busy with other work, which shows in the wall time
// only), and the preview's measure.
//
// The preview's measure times one report two ways, each from an empty
// Report: built, shown in a PreviewDialog and painted once, as a user first
// sees it; and its baseline, built, its pages laid out (numberOfPages()) and
// the first drawn by Report::paintPage into an image as wide as the screen,
// with nothing of the preview. Their "ratio" stays near 1 when the preview waits for nothing
// but the layout and the page in view.

#include "previewdialog.h"
#include "report.h"
#include "reportbuilder.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QScreen>

#include <benchmark/benchmark.h>

#include <ctime>
#include <functional>
#include <string>

class Stopwatch
{
public:
    Stopwatch()
    {
        m_wall.start();
        m_cpu = std::clock();
    }

    double seconds() const { return m_wall.nsecsElapsed() / 1e9; }
    double cpuSeconds() const { return double(std::clock() - m_cpu) / CLOCKS_PER_SEC; }

private:
    QElapsedTimer m_wall;
    std::clock_t m_cpu;
};

// A run's wall and CPU seconds.
struct Times
{
    double wall = 0;
    double cpu = 0;
};

inline Times elapsed(const Stopwatch &stopwatch)
{
    return {stopwatch.seconds(), stopwatch.cpuSeconds()};
}

// Puts `name` (wall) and `name`Cpu on the state: one run's times over
// another's.
inline void setRatio(benchmark::State &state, const std::string &name, const Times &measured,
                     const Times &baseline)
{
    state.counters[name] = baseline.wall > 0 ? measured.wall / baseline.wall : 0;
    state.counters[name + "Cpu"] = baseline.cpu > 0 ? measured.cpu / baseline.cpu : 0;
}

// The times of each benchmark's run, by size, for the ratios.
inline QMap<int, Times> &times(const char *benchmark)
{
    static QMap<QByteArray, QMap<int, Times>> byName;
    return byName[benchmark];
}

// The time at the larger size over the time at the smaller one.
inline void setGrowth(benchmark::State &state, const QMap<int, Times> &bySize)
{
    if (bySize.size() == 2)
        setRatio(state, "growth", bySize.last(), bySize.first());
}

using ReportBuild = std::function<void(ReportEngine::Report &)>;

// The baseline: the pages laid out and the first drawn.
inline void layOutAndDrawFirstPage(const ReportBuild &build)
{
    ReportEngine::Report report;
    build(report);
    report.numberOfPages();
    const QSizeF body = report.pageLayout().paintRect(QPageLayout::Millimeter).size()
            * (ReportEngine::ReportBuilder::LayoutDpi / 25.4);
    const int width = QGuiApplication::primaryScreen()->availableGeometry().width();
    const qreal scale = width / body.width();
    QImage image(QSizeF(body * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    report.paintPage(&painter, 0);
}

inline void showPreview(const ReportBuild &build)
{
    ReportEngine::Report report;
    build(report);
    ReportEngine::PreviewDialog dialog(&report);
    dialog.show();
    dialog.grab();
}

// One run of each, the preview's time reported as the benchmark's.
inline void measurePreview(benchmark::State &state, const ReportBuild &build)
{
    for (auto _ : state) {
        const Stopwatch baselineWatch;
        layOutAndDrawFirstPage(build);
        const Times baseline = elapsed(baselineWatch);

        const Stopwatch previewWatch;
        showPreview(build);
        const Times preview = elapsed(previewWatch);
        state.SetIterationTime(preview.wall);
        setRatio(state, "ratio", preview, baseline);
        state.counters["baselineMs"] = baseline.wall * 1e3;
    }
}
