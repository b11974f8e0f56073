// A 10-column table of 5 000 and 10 000 rows written to PDF two ways:
//  - through the report engine, from Report to the PDF file: a grid, a
//    header row repeated on every page, aligned cells;
//  - the floor: the same cells drawn straight onto a QPdfWriter with
//    QPainter, each measured and wrapped, with grid lines and the header on
//    every page: what writing the cells costs at all.
// The engine's "ratio" is its time over the floor's at the same size, its
// "growth" the time at 10 000 rows over the time at 5 000; the "Cpu"
// counters are the same ratios of CPU times. BM_Preview times the table's
// preview against its layout and first page (see reporttiming.h).

#include "benchmain.h"
#include "report.h"
#include "reporttiming.h"
#include "tableelement.h"
#include "textelement.h"

#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int Columns = 10;
constexpr qreal MarginMm = 10;

QString headerText(int column)
{
    return QStringLiteral("Столбец %1").arg(column + 1);
}

QString cellText(int row, int column)
{
    return QStringLiteral("Ячейка %1.%2").arg(row + 1).arg(column + 1);
}

Qt::Alignment cellAlignment(int column)
{
    if (column == 0)
        return Qt::AlignHCenter;
    if (column == Columns - 1)
        return Qt::AlignRight;
    return Qt::AlignLeft;
}

QFont reportFont()
{
    return QFont(QStringLiteral("Times new roman"), 9);
}

QPageLayout pageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm),
                       QPageLayout::Millimeter);
}

void buildTable(ReportEngine::Report &report, int dataRows)
{
    report.setMargins(MarginMm, MarginMm, MarginMm, MarginMm);
    report.setDefaultFont(reportFont());

    ReportEngine::TableElement table;
    table.setWidth(100);
    table.setHeaderRowCount(1);
    for (int column = 0; column < Columns; ++column)
        table.cell(0, column).addElement(ReportEngine::TextElement(headerText(column)),
                                         Qt::AlignHCenter);
    for (int row = 0; row < dataRows; ++row) {
        for (int column = 0; column < Columns; ++column)
            table.cell(row + 1, column)
                    .addElement(ReportEngine::TextElement(cellText(row, column)),
                                cellAlignment(column));
    }
    report.addElement(table);
}

QString outputPath(const QTemporaryDir &dir, const char *name)
{
    return dir.filePath(QString::fromLatin1(name));
}

void BM_ReportEngine(benchmark::State &state)
{
    const int DataRows = int(state.range(0));
    QTemporaryDir dir;
    int pages = 0;
    for (auto _ : state) {
        const Stopwatch stopwatch;
        ReportEngine::Report report;
        buildTable(report, DataRows);
        pages = report.numberOfPages();
        if (!report.exportToFile(outputPath(dir, "engine.pdf")))
            state.SkipWithError("export failed");
        times("engine")[DataRows] = elapsed(stopwatch);
        state.SetIterationTime(times("engine")[DataRows].wall);
    }
    state.counters["pages"] = pages;
    if (times("floor").contains(DataRows))
        setRatio(state, "ratio", times("engine")[DataRows], times("floor")[DataRows]);
    setGrowth(state, times("engine"));
}

void BM_Preview(benchmark::State &state)
{
    const int dataRows = int(state.range(0));
    measurePreview(state, [dataRows](ReportEngine::Report &report) { buildTable(report, dataRows); });
}

void BM_PainterOnPdfWriter(benchmark::State &state)
{
    const int DataRows = int(state.range(0));
    QTemporaryDir dir;
    int pages = 0;
    for (auto _ : state) {
        const Stopwatch stopwatch;
        QPdfWriter writer(outputPath(dir, "painter.pdf"));
        writer.setPageLayout(pageLayout());
        QPainter painter(&writer);
        painter.setFont(reportFont());
        painter.setPen(QPen(Qt::black, 0.25 * writer.resolution() / 25.4));

        const QRectF area = writer.pageLayout().paintRectPixels(writer.resolution());
        const qreal padding = 0.5 * writer.resolution() / 25.4;
        const qreal columnWidth = area.width() / Columns;
        const int flags = Qt::TextWordWrap | Qt::AlignTop;
        qreal y = 0;
        qreal pageTop = 0;

        // Draws one row at y and moves below it; false when it does not fit.
        const auto drawRow = [&](const auto &text, const auto &alignment) {
            qreal height = 0;
            for (int column = 0; column < Columns; ++column) {
                const QRectF room(0, 0, columnWidth - 2 * padding, area.height());
                height = qMax(height, painter.boundingRect(room, flags | alignment(column),
                                                           text(column))
                                              .height());
            }
            height += 2 * padding;
            if (y + height > area.height())
                return false;
            for (int column = 0; column < Columns; ++column) {
                const QRectF cell(column * columnWidth, y, columnWidth, height);
                painter.drawText(cell.adjusted(padding, padding, -padding, -padding),
                                 flags | alignment(column), text(column));
            }
            y += height;
            painter.drawLine(QLineF(0, y, area.width(), y));
            return true;
        };
        const auto closePage = [&] {
            painter.drawLine(QLineF(0, pageTop, area.width(), pageTop));
            for (int column = 0; column <= Columns; ++column)
                painter.drawLine(QLineF(column * columnWidth, pageTop, column * columnWidth, y));
        };
        const auto header = [](int column) { return headerText(column); };
        const auto centred = [](int) { return Qt::AlignHCenter; };

        pages = 1;
        drawRow(header, centred);
        for (int row = 0; row < DataRows; ++row) {
            const auto text = [row](int column) { return cellText(row, column); };
            if (!drawRow(text, cellAlignment)) {
                closePage();
                writer.newPage();
                ++pages;
                y = pageTop = 0;
                drawRow(header, centred);
                drawRow(text, cellAlignment);
            }
        }
        closePage();
        painter.end();
        times("floor")[DataRows] = elapsed(stopwatch);
        state.SetIterationTime(times("floor")[DataRows].wall);
    }
    state.counters["pages"] = pages;
}

BENCHMARK(BM_PainterOnPdfWriter)->Arg(5000)->Arg(10000)->UseManualTime()->Iterations(1)
        ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportEngine)->Arg(5000)->Arg(10000)->UseManualTime()->Iterations(1)
        ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Preview)->Arg(5000)->Arg(10000)->UseManualTime()->Iterations(1)
        ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
