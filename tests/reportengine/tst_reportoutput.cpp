#include "reporttestutil.h"
#include "testregistry.h"

#include "modalhandler.h"

#include "autotableelement.h"
#include "hlineelement.h"
#include "previewdialog.h"
#include "report.h"
#include "reportbuilder.h"
#include "tableelement.h"
#include "textelement.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <algorithm>
#include <memory>
#include <numeric>

using namespace ReportEngine;
using namespace ReportTestUtil;

namespace {

std::unique_ptr<Report> emptyStatement()
{
    auto report = std::make_unique<Report>();
    report->setMargins(10, 10, 10, 10);
    report->setDefaultFont(QFont(QStringLiteral("Times new roman"), 9));
    TextElement title(QStringLiteral("РАСЧЁТНАЯ ВЕДОМОСТЬ"));
    title.setBold(true);
    report->addElement(title, Qt::AlignHCenter);
    return report;
}

// The statement's table of one line a row, its total and signature.
void addStatement(Report &report, int rows, const QList<qreal> &widths = {10, 60, 30})
{
    TableElement table;
    table.setWidth(100);
    table.setHeaderRowCount(1);
    table.setColumnConstraints(widths);
    table.cell(0, 0).addElement(TextElement(QStringLiteral("№ п/п")), Qt::AlignHCenter);
    table.cell(0, 1).addElement(TextElement(QStringLiteral("Фамилия Имя Отчество")));
    table.cell(0, 2).addElement(TextElement(QStringLiteral("Оплачено")), Qt::AlignRight);
    for (int row = 1; row <= rows; ++row) {
        table.cell(row, 0).addElement(TextElement(QString::number(row)), Qt::AlignHCenter);
        table.cell(row, 1).addElement(TextElement(QStringLiteral("Слушатель номер %1").arg(row)));
        table.cell(row, 2).addElement(TextElement(QStringLiteral("%1.00").arg(row * 10)),
                                      Qt::AlignRight);
    }
    table.cell(rows + 1, 0).setColumnSpan(2);
    table.cell(rows + 1, 0).addElement(TextElement(QStringLiteral("ИТОГО")));
    table.cell(rows + 1, 2).addElement(TextElement(QStringLiteral("%1.00").arg(rows * (rows + 1) * 5)),
                                       Qt::AlignRight);
    report.addElement(table);
    HLineElement line;
    line.setDashed(true);
    report.addElement(line);
    report.addElement(TextElement(QStringLiteral("Кассир\t\t___________ /Ёлкина Ж.Щ./")));
}

// A statement long enough for several pages.
std::unique_ptr<Report> longStatement(int rows, const QList<qreal> &widths = {10, 60, 30})
{
    auto report = emptyStatement();
    addStatement(*report, rows, widths);
    return report;
}

// How many of the statement's rows each page holds.
QList<int> rowsByPage(const QString &path, int pages)
{
    QList<int> counts;
    for (int page = 1; page <= pages; ++page)
        counts << int(pdfText(path, page).count(QStringLiteral("Слушатель номер")));
    return counts;
}

// By page, the numbers that start the PDF's lines: what a table whose first
// column holds numbers prints of them.
QList<QStringList> printedNumbers(const QString &path, int pages)
{
    // pdftotext ends every page with a form feed.
    const QStringList texts = pdfText(path).split(QLatin1Char('\f'));
    QList<QStringList> result;
    for (int page = 0; page < pages; ++page) {
        QStringList numbers;
        const QStringList lines = texts.value(page).split(QLatin1Char('\n'));
        for (const QString &line : lines) {
            const QString first = line.simplified().section(QLatin1Char(' '), 0, 0);
            bool isNumber = false;
            first.toInt(&isNumber);
            if (isNumber)
                numbers << first;
        }
        result << numbers;
    }
    return result;
}

// By page, the numbers in the first column of the body's tables as the
// document callers read lays them out; Qt repeats a table's header rows at
// the top of every page it goes on to.
QList<QStringList> laidOutNumbers(QTextDocument *document)
{
    QAbstractTextDocumentLayout *layout = document->documentLayout();
    const qreal pageHeight = document->pageSize().height();
    QList<QStringList> result(document->pageCount());
    const auto add = [&result](qsizetype page, const QString &text) {
        bool isNumber = false;
        text.toInt(&isNumber);
        if (isNumber)
            result[page] << text;
    };
    for (QTextTable *table : tables(document)) {
        const int headerRows = table->format().headerRowCount();
        qsizetype page = -1;
        for (int row = headerRows; row < table->rows(); ++row) {
            const QRectF text = layout->blockBoundingRect(cellBlock(table, row, 0));
            if (qsizetype(text.top() / pageHeight) != page) {
                page = qsizetype(text.top() / pageHeight);
                for (int header = 0; header < headerRows; ++header)
                    add(page, cellText(table, header, 0));
            }
            add(page, cellText(table, row, 0));
        }
    }
    return result;
}

// What prints is written apart from the document callers read, and the
// engine draws most pages of a long table itself from a plan that Qt's
// layout never checks: it must print every page as the document lays it out.
void printsAsLaidOut(Report &report, const QString &path)
{
    const int pages = report.numberOfPages();
    QCOMPARE(pages, report.document()->pageCount());
    QCOMPARE(printedNumbers(path, pages), laidOutNumbers(report.document()));
}

QSizeF pdfPageSize(const QString &path)
{
    const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"))
                    .match(QString::fromUtf8(toolOutput(QStringLiteral("pdfinfo"), {path})));
    return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble())
                            : QSizeF();
}

// A long table with a grid: the first column's numbers stand in the middle
// of their rows, every seventh name takes two lines, the total spans two
// columns, and so does every fifth row's number on request.
std::unique_ptr<Report> gridStatement(int rows, qreal border, qreal width = 100,
                                      Qt::Alignment alignment = Qt::AlignLeft,
                                      const QColor &background = QColor(),
                                      bool subtotals = false)
{
    auto report = emptyStatement();
    TableElement table;
    table.setWidth(width);
    table.setBorder(border);
    table.setHeaderRowCount(1);
    table.setColumnConstraints({10, 60, 30});
    table.cell(0, 0).addElement(TextElement(QStringLiteral("№")));
    table.cell(0, 1).addElement(TextElement(QStringLiteral("Фамилия Имя Отчество")));
    table.cell(0, 2).addElement(TextElement(QStringLiteral("Оплачено")), Qt::AlignRight);
    for (int row = 1; row <= rows; ++row) {
        table.cell(row, 0).addElement(TextElement(QString::number(row)), Qt::AlignCenter);
        table.cell(row, 1).addElement(TextElement(QStringLiteral("Слушатель номер %1").arg(row)));
        if (row % 7 == 0)
            table.cell(row, 1).addElement(TextElement(QStringLiteral("второй строкой")));
        table.cell(row, 2).addElement(TextElement(QStringLiteral("%1.00").arg(row)), Qt::AlignRight);
        if (subtotals && row % 5 == 0)
            table.cell(row, 0).setColumnSpan(2);  // the row number spans the name
    }
    table.cell(rows + 1, 0).setColumnSpan(2);
    table.cell(rows + 1, 0).addElement(TextElement(QStringLiteral("ИТОГО")));
    report->addElement(table, alignment, background);
    return report;
}

// A long table from a model: a grey header row and a grey first column,
// names in italics.
std::unique_ptr<Report> gridModelTable(int rows, qreal border)
{
    auto report = emptyStatement();
    QStandardItemModel model(rows, 2);
    model.setHorizontalHeaderLabels({QStringLiteral("Фамилия Имя Отчество"),
                                     QStringLiteral("Оплачено")});
    for (int row = 0; row < rows; ++row) {
        model.setItem(row, 0, new QStandardItem(QStringLiteral("Слушатель номер %1").arg(row)));
        model.item(row, 0)->setFont(QFont(QStringLiteral("Times new roman"), 10, -1, true));
        model.setItem(row, 1, new QStandardItem(QStringLiteral("%1.00").arg(row)));
        model.item(row, 1)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (row % 5 == 0)
            model.item(row, 0)->setText(model.item(row, 0)->text() + QStringLiteral("\nвторой строкой"));
        model.setVerticalHeaderItem(row, new QStandardItem(QString::number(row + 1)));
    }
    AutoTableElement table(&model);
    table.setWidth(100);
    table.setBorder(border);
    table.setVerticalHeaderVisible(true);
    report->addElement(table);
    return report;
}

// Part of a page as the report prints it, or as Qt draws the document
// callers read, one layout pixel an image pixel.
QImage paintedRegion(const Report &report, const QRectF &region)
{
    const qreal pageHeight = report.document()->pageSize().height();
    const int index = int(region.top() / pageHeight);
    QImage image(region.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(-region.left(), index * pageHeight - region.top());
    report.paintPage(&painter, index);
    return image;
}

QImage drawnByQt(QTextDocument *document, const QRectF &region)
{
    QImage image(region.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(-region.topLeft());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    context.clip = region;
    document->documentLayout()->draw(&painter, context);
    return image;
}

bool dark(const QImage &page, int x, int y)
{
    return qGray(page.pixel(x, y)) < 128;
}

// Where each horizontal line above `height` starts, looking down the page at
// four fifths of its width, right of the tables' first column.
QList<int> lineTops(const QImage &page, int height)
{
    QList<int> lines;
    for (int y = 1, x = page.width() * 4 / 5; y < height; ++y) {
        if (dark(page, x, y) && !dark(page, x, y - 1))
            lines << y;
    }
    return lines;
}

}  // namespace

// What a report prints, and the preview that prints it.
class ReportOutputTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        PreviewDialog::reset();
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext (poppler-utils) is needed to read the PDF files back");
    }

    void pdfCarriesEveryRowOnceAndTheHeaderOnEveryPage()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("отчёт.pdf"));
        auto report = longStatement(120);
        const int pages = report->numberOfPages();
        QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
        QVERIFY(report->exportToFile(path));
        QCOMPARE(pdfPageSize(path).toSize(), QSize(595, 842));  // A4 in points

        const QString all = pdfText(path);
        QVERIFY2(all.contains(QStringLiteral("РАСЧЁТНАЯ ВЕДОМОСТЬ")), qPrintable(all));
        QVERIFY(all.contains(QStringLiteral("Слушатель номер 3")));
        QVERIFY(all.contains(QStringLiteral("/Ёлкина Ж.Щ./")));
        for (int row : {1, 60, 120})
            QCOMPARE(all.count(QStringLiteral("Слушатель номер %1 ").arg(row)), 1);
        QCOMPARE(all.count(QStringLiteral("Фамилия Имя Отчество")), pages);

        const QString second = pdfText(path, 2);
        QCOMPARE(second.count(QStringLiteral("Фамилия Имя Отчество")), 1);
        const QString firstLine = second.trimmed().section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(firstLine.contains(QStringLiteral("Оплачено")), qPrintable(firstLine));
        QVERIFY(!second.contains(QStringLiteral("РАСЧЁТНАЯ ВЕДОМОСТЬ")));
        QVERIFY(pdfText(path, pages).contains(QStringLiteral("/Ёлкина Ж.Щ./")));
    }

    // A table long enough to be written one table a page: every row once,
    // in order, the total after the last, the header at the top of every
    // page and nowhere else, each page's rows filling it as one table would,
    // no page left without rows, and every piece with the same columns.
    void longTablePrintsLikeOneTable_data()
    {
        QTest::addColumn<QList<qreal>>("widths");  // none: the columns take what they need
        QTest::newRow("stated widths") << QList<qreal>{10, 60, 30};
        QTest::newRow("widths from the contents") << QList<qreal>();
    }

    void longTablePrintsLikeOneTable()
    {
        QFETCH(QList<qreal>, widths);
        constexpr int rows = 700;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.pdf"));
        auto report = longStatement(rows, widths);
        const int pages = report->numberOfPages();
        QVERIFY(report->exportToFile(path));
        printsAsLaidOut(*report, path);

        QStringList lines;
        int pagesWithRows = 0;
        for (int page = 1; page <= pages; ++page) {
            const QStringList onPage = pdfText(path, page).split(QLatin1Char('\n'),
                                                                  Qt::SkipEmptyParts);
            int header = 0;
            while (header < onPage.size()
                   && !onPage.at(header).contains(QStringLiteral("Фамилия Имя Отчество")))
                ++header;
            const bool hasRows = !onPage.filter(QStringLiteral("Слушатель номер")).isEmpty();
            // Only what follows the table may stand on a page of its own.
            QVERIFY2(hasRows || page == pages, qPrintable(QString::number(page)));
            if (hasRows) {
                QVERIFY2(header < onPage.size(), qPrintable(onPage.join(QLatin1Char('\n'))));
                if (page > 1)
                    QCOMPARE(header, 0);
                ++pagesWithRows;
            }
            lines << onPage;
        }
        QCOMPARE(lines.filter(QStringLiteral("Фамилия Имя Отчество")).size(), pagesWithRows);
        const QStringList listed = lines.filter(QStringLiteral("Слушатель номер"));
        QCOMPARE(listed.size(), rows);
        for (int row = 0; row < rows; ++row) {
            QVERIFY2(listed.at(row).contains(QStringLiteral("Слушатель номер %1 ").arg(row + 1)),
                     qPrintable(listed.at(row)));
        }
        QVERIFY(lines.filter(QStringLiteral("ИТОГО")).value(0).contains(
                QStringLiteral("%1.00").arg(rows * (rows + 1) * 5)));
        QVERIFY(pdfText(path, pages).contains(QStringLiteral("/Ёлкина Ж.Щ./")));

        // Written as several tables, all with the header row and the same
        // column edges.
        const QList<QTextTable *> pieces = tables(report->document());
        QVERIFY2(pieces.size() >= 2, qPrintable(QString::number(pieces.size())));
        QAbstractTextDocumentLayout *layout = report->document()->documentLayout();
        const auto edges = [layout](QTextTable *table) {
            QList<int> result;
            for (int column = 0; column < 3; ++column)
                result << qRound(layout->blockBoundingRect(cellBlock(table, 0, column)).left());
            return result;
        };
        for (QTextTable *piece : pieces) {
            QCOMPARE(cellText(piece, 0, 1), QStringLiteral("Фамилия Имя Отчество"));
            QCOMPARE(edges(piece), edges(pieces.first()));
        }
        QCOMPARE(firstUnfilledPage(pieces, 1), -1);
    }

    // A long table whose columns take what their contents need is written
    // in pieces with the widths the whole table would have: those that the
    // rows with its widest word and its widest line give, wherever they are.
    void longTableTakesTheWidthsOfItsWidestCells_data()
    {
        QTest::addColumn<int>("wordRow");
        QTest::addColumn<int>("lineRow");
        QTest::newRow("both in the first rows") << 3 << 20;
        QTest::newRow("both far down") << 640 << 690;
        QTest::newRow("one in each half") << 10 << 560;
    }

    void longTableTakesTheWidthsOfItsWidestCells()
    {
        QFETCH(int, wordRow);
        QFETCH(int, lineRow);
        const auto text = [&](int row, int column) {
            if (row == wordRow && column == 2)
                return QStringLiteral("Сверхдлинноеслововстолбцебезпробелов");
            if (row == lineRow && column == 1)
                return QStringLiteral("Слушатель с очень длинным описанием в одну строку %1").arg(row);
            return QStringLiteral("Строка");
        };
        const auto report = [&](const QList<int> &rows) {
            auto built = emptyStatement();
            TableElement table;
            table.setWidth(100);
            table.setHeaderRowCount(1);
            for (int column = 0; column < 3; ++column)
                table.cell(0, column).addElement(TextElement(QStringLiteral("Столбец %1").arg(column)));
            for (int at = 0; at < rows.size(); ++at) {
                for (int column = 0; column < 3; ++column)
                    table.cell(at + 1, column).addElement(TextElement(text(rows.at(at), column)));
            }
            built->addElement(table);
            return built;
        };
        const auto edges = [](Report &built) {
            QTextDocument *document = built.document();
            QTextTable *table = tables(document).first();
            QList<int> result;
            for (int column = 0; column < 3; ++column) {
                const QRectF box = document->documentLayout()->blockBoundingRect(
                        cellBlock(table, 0, column));
                result << qRound(box.left()) << qRound(box.right());
            }
            return result;
        };

        QList<int> all(700);
        std::iota(all.begin(), all.end(), 0);
        auto whole = report(all);
        QVERIFY(tables(whole->document()).size() >= 2);
        auto widest = report({wordRow, lineRow});
        QCOMPARE(tables(widest->document()).size(), 1);
        QCOMPARE(edges(*whole), edges(*widest));
    }

    // A group kept together that moves to the next page pushes the long
    // table after it down; the table's pieces still meet at page breaks, so
    // no page between its first and its last is left part empty.
    void longTableAfterAKeptGroupFillsItsPages()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kept.pdf"));
        auto report = emptyStatement();
        for (int line = 1; line <= 60; ++line)
            report->addElement(TextElement(QStringLiteral("Строка вступления %1").arg(line)));
        report->beginKeepTogether();
        for (int line = 1; line <= 15; ++line)
            report->addElement(TextElement(QStringLiteral("Условие %1").arg(line)));
        report->endKeepTogether();
        addStatement(*report, 500);
        const int pages = report->numberOfPages();
        QVERIFY(report->exportToFile(path));

        printsAsLaidOut(*report, path);
        QVERIFY(!pdfText(path, 1).contains(QStringLiteral("Условие")));
        const QString second = pdfText(path, 2);
        QVERIFY2(second.contains(QStringLiteral("Условие 1\n"))
                         && second.contains(QStringLiteral("Условие 15")),
                 qPrintable(second));
        const QList<int> counts = rowsByPage(path, pages);
        QCOMPARE(std::accumulate(counts.cbegin(), counts.cend(), 0), 500);
        const auto withRows = [](int count) { return count > 0; };
        const auto first = std::find_if(counts.cbegin(), counts.cend(), withRows);
        const auto last = std::find_if(counts.crbegin(), counts.crend(), withRows).base() - 1;
        QVERIFY2(last - first >= 3, qPrintable(QString::number(last - first)));
        const int full = *std::max_element(counts.cbegin(), counts.cend());
        for (auto page = first + 1; page != last; ++page)
            QVERIFY2(*page == full, qPrintable(QString::number(page - counts.cbegin() + 1)));
    }

    // The preview draws the pages as they come into view: at first only
    // those the window shows, then the page it is turned to.
    void previewDrawsThePagesInView()
    {
        auto report = longStatement(400);
        const int pages = report->numberOfPages();
        QVERIFY2(pages >= 6, qPrintable(QString::number(pages)));
        int atFirst = -1;
        int turnedTo = -1;
        int afterTurning = -1;
        ModalHandler::onNextDialog<PreviewDialog>([&](PreviewDialog *dialog) {
            dialog->grab();
            atFirst = dialog->renderedPages();
            QAction *next = nullptr;
            for (QAction *action : dialog->findChildren<QAction *>()) {
                if (action->text() == QStringLiteral("Следующая страница"))
                    next = action;
            }
            for (int step = 0; next && step < pages; ++step)
                next->trigger();
            turnedTo = dialog->currentPage();
            dialog->grab();
            afterTurning = dialog->renderedPages();
            dialog->reject();
        });
        PreviewDialog preview(report.get());
        QCOMPARE(preview.exec(), 0);
        QVERIFY2(atFirst >= 1 && atFirst <= 2, qPrintable(QString::number(atFirst)));
        QVERIFY2(turnedTo >= pages - 1, qPrintable(QString::number(turnedTo)));
        // The pages passed on the way were never in view.
        QVERIFY2(afterTurning > atFirst && afterTurning <= atFirst + 2,
                 qPrintable(QStringLiteral("%1 then %2").arg(atFirst).arg(afterTurning)));
    }

    void landscapeTurnsThePage()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("landscape.pdf"));
        auto portrait = longStatement(120);
        auto landscape = longStatement(120);
        landscape->setPageOrientation(QPageLayout::Landscape);
        QVERIFY(landscape->numberOfPages() > portrait->numberOfPages());
        QVERIFY(landscape->exportToFile(path));
        QCOMPARE(pdfPageSize(path).toSize(), QSize(842, 595));
    }

    void bordersDrawAtLeastAHairline_data()
    {
        QTest::addColumn<qreal>("border");
        QTest::newRow("none") << 0.0;
        QTest::newRow("a tenth") << 0.1;
        QTest::newRow("the list print's half") << 0.5;
        QTest::newRow("default") << 1.0;
    }

    // A grid line is a row of dark pixels across the table, from margin to
    // margin, at 100 dpi.
    void bordersDrawAtLeastAHairline()
    {
        QFETCH(qreal, border);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("grid.pdf"));
        Report report;
        report.setMargins(10, 10, 10, 10);
        TableElement table;
        table.setWidth(100);
        table.setBorder(border);
        table.setPadding(0);
        for (int row = 0; row < 4; ++row)
            table.cell(row, 0).addElement(TextElement(QString::number(row)));
        table.cell(0, 2);  // an empty column to look down through
        report.addElement(table);
        QVERIFY(report.exportToFile(path));
        const QImage page = pdfPage(path, 1, 100);
        QVERIFY(!page.isNull());

        const QList<int> lines = lineTops(page, page.height() / 2);
        QCOMPARE(lines.size(), border > 0 ? 5 : 0);
        const int left = page.width() * 10 / 210 + 1;
        const int right = page.width() * 200 / 210 - 1;
        for (int y : lines) {
            for (int x = left; x <= right; ++x)
                QVERIFY2(dark(page, x, y), qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
        }
    }

    // Most pages of a long table are drawn by the engine rather than by Qt:
    // they must look as Qt draws the same rows of the document callers read
    // (header, grid, texts, backgrounds), at the top of a page and at its
    // bottom, also where a narrower table stands centred, its place on the
    // page not a whole pixel, where a row spans a column edge, and where
    // cells stand in the middle of a row.
    void longTableDrawsAsQtWould_data()
    {
        QTest::addColumn<qreal>("border");
        QTest::addColumn<int>("kind");
        QTest::newRow("hairline") << 0.1 << 0;
        QTest::newRow("the list print's half") << 0.5 << 0;
        QTest::newRow("default") << 1.0 << 0;
        QTest::newRow("centred and narrower") << 1.0 << 1;
        QTest::newRow("on a background of its own") << 1.0 << 2;
        QTest::newRow("a model's, its header on grey, cells in the middle") << 0.5 << 3;
        QTest::newRow("no grid") << 0.0 << 0;
    }

    void longTableDrawsAsQtWould()
    {
        QFETCH(qreal, border);
        QFETCH(int, kind);
        std::unique_ptr<Report> report;
        if (kind == 0)
            report = gridStatement(700, border, 100, Qt::AlignLeft, QColor(), true);
        else if (kind == 1)
            report = gridStatement(700, border, 73.3, Qt::AlignHCenter);
        else if (kind == 2)
            report = gridStatement(700, border, 100, Qt::AlignLeft, QColor(0xee, 0xee, 0xff));
        else
            report = gridModelTable(700, border);
        QTextDocument *document = report->document();
        const QList<QTextTable *> pieces = tables(document);
        QVERIFY2(pieces.size() >= 4, qPrintable(QString::number(pieces.size())));
        QCOMPARE(report->numberOfPages(), document->pageCount());
        QAbstractTextDocumentLayout *layout = document->documentLayout();
        const auto band = [layout](QTextTable *table, bool top) {
            const QRectF box = layout->frameBoundingRect(table).adjusted(-5, -5, 5, 5);
            const qreal height = qMin<qreal>(box.height(), 600);
            return QRectF(box.left(), top ? box.top() : box.bottom() - height, box.width(), height)
                    .toAlignedRect();
        };
        const QList<QRect> regions{band(pieces.at(1), true), band(pieces.at(1), false),
                                   band(pieces.at(pieces.size() - 2), false),
                                   band(pieces.last(), false)};
        for (qsizetype i = 0; i < regions.size(); ++i) {
            const QImage engine = paintedRegion(*report, regions.at(i));
            const QImage qt = drawnByQt(document, regions.at(i));
            // The engine lays the texts out and adds up their places itself;
            // a glyph's edge may come out a grey level or two apart.
            int differing = 0;
            for (int y = 0; y < qt.height(); ++y) {
                const auto *qtLine = reinterpret_cast<const QRgb *>(qt.constScanLine(y));
                const auto *engineLine = reinterpret_cast<const QRgb *>(engine.constScanLine(y));
                if (std::equal(qtLine, qtLine + qt.width(), engineLine))
                    continue;
                for (int x = 0; x < qt.width(); ++x)
                    differing += qAbs(qGray(qtLine[x]) - qGray(engineLine[x])) > 2;
            }
            QVERIFY2(differing == 0, qPrintable(QStringLiteral("region %1: %2 pixels differ")
                                                        .arg(i)
                                                        .arg(differing)));
        }
    }

    // Printing draws the engine's grid too: on a page of a piece, a line
    // across the table above the header, below it and below every row.
    void longTablePrintsItsGrid()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("grid.pdf"));
        auto report = gridStatement(700, 1.0);
        const int pages = report->numberOfPages();
        QVERIFY(report->exportToFile(path));
        const int page = pages - 1;
        const int rows = int(pdfText(path, page).count(QStringLiteral("Слушатель номер")));
        QVERIFY2(rows > 10, qPrintable(QString::number(rows)));
        const QImage image = pdfPage(path, page, 100);
        QVERIFY(!image.isNull());

        const QList<int> lines = lineTops(image, image.height());
        QCOMPARE(lines.size(), rows + 2);
        const int left = image.width() * 20 / 210 + 1;
        const int right = image.width() * 190 / 210 - 1;
        for (int y : lines) {
            for (int x = left; x <= right; ++x)
                QVERIFY2(dark(image, x, y), qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
        }
    }

    // A long table's pages are planned from its rows' heights, and a text
    // that repeats is measured once: once for each width and font it stands
    // in. A plan that took one for another would miss its pages, and the
    // table would be written again without one. The header changes where
    // the first piece leaves off: with the text's own header it ends within
    // a 128th of a page of the page's foot, where Qt takes what follows to
    // begin a page later.
    void longTablePlansRepeatedTextsForEachWidthAndFont_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qreal>("pointSize");  // of the text in every other narrow cell
        QTest::addColumn<bool>("textHeader");  // the header holds the text too
        const QString wrapped =
                QStringLiteral("Оплачено наличными в кассе учреждения по договору номер");
        QTest::newRow("wrapped in the narrower column") << wrapped << 0.0 << false;
        QTest::newRow("wrapped, the first piece ending at the page's foot")
                << wrapped << 0.0 << true;
        QTest::newRow("in a larger font") << QStringLiteral("Оплачено") << 16.0 << false;
    }

    void longTablePlansRepeatedTextsForEachWidthAndFont()
    {
        QFETCH(QString, text);
        QFETCH(qreal, pointSize);
        QFETCH(bool, textHeader);
        auto report = emptyStatement();
        TableElement table;
        table.setWidth(100);
        table.setHeaderRowCount(1);
        table.setColumnConstraints({10, 60, 30});
        const QStringList header{QStringLiteral("№"), QStringLiteral("Назначение"),
                                 QStringLiteral("Примечание")};
        for (int row = 0; row <= 700; ++row) {
            table.cell(row, 0).addElement(TextElement(QString::number(row)));
            table.cell(row, 1).addElement(TextElement(row > 0 || textHeader ? text : header.at(1)));
            TextElement narrow(row > 0 || textHeader ? text : header.at(2));
            if (row % 2 == 0)
                narrow.setPointSize(pointSize);
            table.cell(row, 2).addElement(narrow);
        }
        report->addElement(table);

        const QList<QTextTable *> pieces = tables(report->document());
        QVERIFY2(pieces.size() >= 3, qPrintable(QString::number(pieces.size())));
        QCOMPARE(firstUnfilledPage(pieces, 1), -1);

        // No page left blank between two pieces.
        QAbstractTextDocumentLayout *layout = report->document()->documentLayout();
        const qreal pageHeight = report->document()->pageSize().height();
        for (qsizetype i = 1; i < pieces.size(); ++i) {
            QCOMPARE(int(layout->frameBoundingRect(pieces.at(i)).top() / pageHeight),
                     int(layout->frameBoundingRect(pieces.at(i - 1)).bottom() / pageHeight) + 1);
        }

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("planned.pdf"));
        QVERIFY(report->exportToFile(path));
        printsAsLaidOut(*report, path);
        if (QTest::currentTestFailed())
            return;
        // Planned, each piece after the first stands on a page of its own.
        for (qsizetype i = 1; i < pieces.size(); ++i) {
            QTextTable *piece = pieces.at(i);
            const auto pageOf = [&](int row) {
                return int(layout->blockBoundingRect(cellBlock(piece, row, 0)).top() / pageHeight);
            };
            QCOMPARE(pageOf(piece->rows() - 1), pageOf(1));
        }
    }

    // Pages the printer's ranges leave out take no sheet of their own.
    void printingChosenPagesPrintsOnlyThem()
    {
        QTemporaryDir dir;
        auto report = longStatement(200);
        QVERIFY(report->numberOfPages() >= 3);
        const QString whole = dir.filePath(QStringLiteral("whole.pdf"));
        QVERIFY(report->exportToFile(whole));
        const QStringList all = pdfPages(whole);

        const QString chosen = dir.filePath(QStringLiteral("chosen.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(chosen);
        QPageRanges ranges;
        ranges.addPage(1);
        ranges.addPage(3);
        printer.setPageRanges(ranges);
        report->print(&printer);
        QCOMPARE(pdfPages(chosen), (QStringList{all.at(0), all.at(2)}));
    }

    void exportToAnUnwritablePlaceFails()
    {
        QTemporaryDir dir;
        auto report = longStatement(1);
        QVERIFY(!report->exportToFile(dir.filePath(QStringLiteral("нет/такой/папки.pdf"))));
        QVERIFY(!report->exportToFile(QString()));
    }

    void previewSeamAnswersWithoutAWindow()
    {
        QTemporaryDir dir;
        const QString printed = dir.filePath(QStringLiteral("printed.pdf"));
        PreviewDialog::setNextResult(0);
        PreviewDialog::setNextResult(1, printed);
        QCOMPARE(PreviewDialog::pendingResults(), 2);

        auto closed = longStatement(2);
        int firstResult;
        {
            PreviewDialog preview(closed.get());
            firstResult = preview.exec();
            QVERIFY(!preview.isVisible());
        }
        auto report = longStatement(120);
        report->setPageOrientation(QPageLayout::Landscape);
        const int pages = report->numberOfPages();
        PreviewDialog preview(report.get());
        QCOMPARE(preview.exec(), 1);
        QCOMPARE(preview.result(), 1);
        report.reset();  // the report run destroys the report after the preview

        QCOMPARE(firstResult, 0);
        QCOMPARE(PreviewDialog::pendingResults(), 0);
        const QList<PreviewDialog::Shown> shown = PreviewDialog::history();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0).result, 0);
        QCOMPARE(shown.at(0).report, closed.get());
        QVERIFY(shown.at(0).pdfPath.isEmpty());
        QCOMPARE(shown.at(1).result, 1);
        QCOMPARE(shown.at(1).pageCount, pages);
        QCOMPARE(shown.at(1).pageLayout.orientation(), QPageLayout::Landscape);
        QVERIFY(shown.at(1).text.contains(QStringLiteral("Слушатель номер 120")));
        // A long table may be written as several, each with its header row.
        int dataRows = 0;
        for (QTextTable *table : tables(shown.at(1).document.get()))
            dataRows += table->rows() - table->format().headerRowCount();
        QCOMPARE(dataRows, 121);  // and the total
        QCOMPARE(shown.at(1).pdfPath, printed);
        QVERIFY(pdfText(printed).contains(QStringLiteral("Слушатель номер 120")));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("other.pdf"))));
    }

    void realPreviewShowsThePagesAndClosesWithoutPrinting()
    {
        auto report = longStatement(120);
        const int pages = report->numberOfPages();
        int shownPages = -1;
        PreviewDialog::Zoom zoom = PreviewDialog::Zoom::Custom;
        int rendered = -1;
        QSize size;
        int hiddenButtons = -1;
        ModalHandler::onNextDialog<PreviewDialog>([&](PreviewDialog *dialog) {
            shownPages = dialog->pageCount();
            zoom = dialog->zoom();
            dialog->grab();
            rendered = dialog->renderedPages();
            size = dialog->size();
            auto *toolBar = dialog->findChild<QToolBar *>();
            hiddenButtons = 0;
            for (QAction *action : toolBar->actions()) {
                if (!action->isSeparator() && !toolBar->widgetForAction(action)->isVisible())
                    ++hiddenButtons;
            }
            dialog->reject();
        });
        PreviewDialog preview(report.get());  // nobody sizes it, as the list's print
        QCOMPARE(preview.exec(), 0);
        QCOMPARE(shownPages, pages);
        QCOMPARE(zoom, PreviewDialog::Zoom::FitWidth);
        QVERIFY2(rendered >= 1 && rendered < pages, qPrintable(QString::number(rendered)));
        const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
        QVERIFY2(size.width() >= screen.width() * 2 / 3 && size.height() >= screen.height() * 2 / 3,
                 qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
        QCOMPARE(hiddenButtons, 0);
        QVERIFY(ModalHandler::unexpectedDialogs().isEmpty());
        QVERIFY(PreviewDialog::history().isEmpty());
    }

    void printingFromThePreviewAccepts()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("from-preview.pdf"));
        auto report = longStatement(5);
        ModalHandler::onNextDialog<PreviewDialog>([path](PreviewDialog *dialog) {
            dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog->printer()->setOutputFileName(path);
            QAction *print = nullptr;
            for (QAction *action : dialog->findChildren<QAction *>()) {
                if (action->text().startsWith(QStringLiteral("Печать")))
                    print = action;
            }
            QVERIFY(print);
            // After this handler has returned, so that the print dialog gets its own.
            QMetaObject::invokeMethod(print, &QAction::trigger, Qt::QueuedConnection);
        });
        ModalHandler::onNextDialog<QPrintDialog>([](QPrintDialog *dialog) { dialog->accept(); });

        PreviewDialog preview(report.get());
        QCOMPARE(preview.exec(), 1);
        QVERIFY(ModalHandler::unexpectedDialogs().isEmpty());
        QVERIFY(pdfText(path).contains(QStringLiteral("Слушатель номер 5")));
    }
};

LOMI_TEST_CLASS(ReportOutputTest)
#include "tst_reportoutput.moc"
