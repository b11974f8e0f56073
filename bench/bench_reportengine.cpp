// A 5 000-row, 10-column table written to PDF three ways:
//  - through the report engine, from Report to the PDF file: a grid, a
//    header row repeated on every page, aligned cells;
//  - a plain QTextDocument with one default QTextTable of the same cells,
//    paginated on the same page and printed: what Qt's text layout costs
//    without anything on top (the engine should stay within 1.5 times it);
//  - the same cells drawn straight onto a QPdfWriter with QPainter, each
//    measured and wrapped, with grid lines and the header on every page:
//    the floor, what writing the cells costs at all.
// The ratios to the two baselines are what matters, not the absolute times.

#include "benchmain.h"
#include "report.h"
#include "tableelement.h"
#include "textelement.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <benchmark/benchmark.h>

namespace {

constexpr int DataRows = 5000;
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

QString outputPath(const QTemporaryDir &dir, const char *name)
{
    return dir.filePath(QString::fromLatin1(name));
}

void BM_ReportEngine(benchmark::State &state)
{
    QTemporaryDir dir;
    int pages = 0;
    for (auto _ : state) {
        ReportEngine::Report report;
        report.setMargins(MarginMm, MarginMm, MarginMm, MarginMm);
        report.setDefaultFont(reportFont());

        ReportEngine::TableElement table;
        table.setWidth(100);
        table.setHeaderRowCount(1);
        for (int column = 0; column < Columns; ++column)
            table.cell(0, column).addElement(ReportEngine::TextElement(headerText(column)),
                                             Qt::AlignHCenter);
        for (int row = 0; row < DataRows; ++row) {
            for (int column = 0; column < Columns; ++column)
                table.cell(row + 1, column)
                        .addElement(ReportEngine::TextElement(cellText(row, column)),
                                    cellAlignment(column));
        }
        report.addElement(table);

        pages = report.numberOfPages();
        if (!report.exportToFile(outputPath(dir, "engine.pdf")))
            state.SkipWithError("export failed");
    }
    state.counters["pages"] = pages;
}

// Default-configured: no layout device, no design metrics, the default table
// format; only the font and the page are the report's, so that the same
// cells fill the same pages.
void BM_PlainTextDocument(benchmark::State &state)
{
    QTemporaryDir dir;
    const QPageLayout layout = pageLayout();
    const int screenDpi = qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY());
    int pages = 0;
    for (auto _ : state) {
        QTextDocument document;
        document.setDefaultFont(reportFont());
        QTextCursor cursor(&document);
        QTextTable *table = cursor.insertTable(DataRows + 1, Columns);
        for (int column = 0; column < Columns; ++column)
            table->cellAt(0, column).firstCursorPosition().insertText(headerText(column));
        for (int row = 0; row < DataRows; ++row) {
            for (int column = 0; column < Columns; ++column)
                table->cellAt(row + 1, column).firstCursorPosition().insertText(
                        cellText(row, column));
        }
        document.setPageSize(layout.paintRectPixels(screenDpi).size());
        pages = document.pageCount();

        QPdfWriter writer(outputPath(dir, "plain.pdf"));
        writer.setPageLayout(layout);
        document.print(&writer);
    }
    state.counters["pages"] = pages;
}

void BM_PainterOnPdfWriter(benchmark::State &state)
{
    QTemporaryDir dir;
    int pages = 0;
    for (auto _ : state) {
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
    }
    state.counters["pages"] = pages;
}

BENCHMARK(BM_ReportEngine)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_PlainTextDocument)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_PainterOnPdfWriter)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

}  // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
