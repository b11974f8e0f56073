// A 5 000-row, 10-column table built, laid out (page count) and written to
// PDF through the report engine, beside the same document made directly with
// QTextCursor and QTextTable.
//
// Both sides use the same document settings (layout resolution, design
// metrics, no undo history, layout switched off while filling) and the same
// page, so the difference is what the engine adds on top of Qt.

#include "benchmain.h"
#include "report.h"
#include "tableelement.h"
#include "textelement.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QImage>
#include <QPdfWriter>
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

void BM_QTextTableBaseline(benchmark::State &state)
{
    QTemporaryDir dir;
    const qreal layoutDpi = 300;
    const qreal formatUnitsPerMm = 96 / 25.4;
    QImage layoutDevice(1, 1, QImage::Format_ARGB32);
    layoutDevice.setDotsPerMeterX(qRound(layoutDpi / 0.0254));
    layoutDevice.setDotsPerMeterY(qRound(layoutDpi / 0.0254));
    const QPageLayout pageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                 QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm),
                                 QPageLayout::Millimeter);
    int pages = 0;
    for (auto _ : state) {
        QTextDocument document;
        document.documentLayout()->setPaintDevice(&layoutDevice);
        document.setUndoRedoEnabled(false);
        document.setUseDesignMetrics(true);
        document.setDocumentMargin(0);
        document.setDefaultFont(reportFont());
        document.setLayoutEnabled(false);

        QTextTableFormat format;
        format.setBorderCollapse(true);
        format.setCellSpacing(0);
        format.setCellPadding(0.5 * formatUnitsPerMm);
        format.setBorder(25.4 / 96 * formatUnitsPerMm);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderBrush(Qt::black);
        format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        format.setHeaderRowCount(1);

        QTextCursor cursor(&document);
        QTextTable *table = cursor.insertTable(DataRows + 1, Columns, format);
        auto write = [table](int row, int column, const QString &text, Qt::Alignment alignment) {
            QTextCursor cell = table->cellAt(row, column).firstCursorPosition();
            QTextBlockFormat blockFormat;
            blockFormat.setAlignment(alignment);
            cell.setBlockFormat(blockFormat);
            cell.insertText(text, QTextCharFormat());
        };
        for (int column = 0; column < Columns; ++column)
            write(0, column, headerText(column), Qt::AlignHCenter);
        for (int row = 0; row < DataRows; ++row) {
            for (int column = 0; column < Columns; ++column)
                write(row + 1, column, cellText(row, column), cellAlignment(column));
        }

        document.setPageSize(pageLayout.paintRect(QPageLayout::Millimeter).size()
                             * (layoutDpi / 25.4));
        document.setLayoutEnabled(true);
        pages = document.pageCount();

        QPdfWriter writer(outputPath(dir, "baseline.pdf"));
        writer.setPageLayout(pageLayout);
        document.print(&writer);
    }
    state.counters["pages"] = pages;
}

BENCHMARK(BM_ReportEngine)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_QTextTableBaseline)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

}  // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
