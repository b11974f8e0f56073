#include "reporttestutil.h"
#include "testregistry.h"

#include "report.h"
#include "tableelement.h"
#include "textelement.h"

#include <QTemporaryDir>
#include <QTest>

using namespace ReportEngine;
using namespace ReportTestUtil;

// Where a report's pages break around groups kept on one page.
class PageBreakTest : public QObject
{
    Q_OBJECT

    // Builds a report from steps: "text:word", "table:word" (a bordered
    // cell), "space:mm", "begin" and "end" of a group kept together.
    static void fill(Report &report, const QStringList &steps)
    {
        for (const QString &step : steps) {
            const QString argument = step.section(QLatin1Char(':'), 1);
            if (step.startsWith(QLatin1String("text:"))) {
                report.addElement(TextElement(argument));
            } else if (step.startsWith(QLatin1String("table:"))) {
                TableElement table;
                table.setWidth(100);
                table.cell(0, 0).addElement(TextElement(argument));
                report.addElement(table);
            } else if (step.startsWith(QLatin1String("space:"))) {
                report.addVerticalSpacing(argument.toDouble());
            } else if (step == QLatin1String("begin")) {
                report.beginKeepTogether();
            } else if (step == QLatin1String("end")) {
                report.endKeepTogether();
            } else {
                QFAIL(qPrintable(step));
            }
        }
    }

private slots:
    void pagesStartWhereExpected_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("pages");  // the first word printed on each page

        // The page holds 277 mm between its margins. Space right before a
        // table is not drawn, hence a line under the space.
        const QStringList before{"text:Вступление", "space:250", "text:Перед"};
        QTest::newRow("a group right under vertical space")
            << QStringList{"text:Вступление", "space:250", "begin", "text:Группа", "space:30",
                           "text:Конец", "end"}
            << QStringList{"Вступление", "Группа"};
        QTest::newRow("a group that begins with a table")
            << before + QStringList{"begin", "table:Таблица", "space:30", "text:Конец", "end"}
            << QStringList{"Вступление", "Таблица"};
        QTest::newRow("a table group right after a table")
            << before + QStringList{"table:Первая", "begin", "table:Вторая",
                                    "space:30", "text:Конец", "end"}
            << QStringList{"Вступление", "Вторая"};
        QTest::newRow("a long group at the top of the first page")
            << QStringList{"begin", "text:Группа", "space:150", "space:150", "text:Конец", "end"}
            << QStringList{"Группа", "Конец"};
        QTest::newRow("two groups, the second after the first's break")
            << before
                   + QStringList{"begin", "text:Первая", "space:200", "text:Итог", "end", "begin",
                                 "text:Вторая", "space:100", "text:Конец", "end"}
            << QStringList{"Вступление", "Первая", "Вторая"};
    }

    void pagesStartWhereExpected()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, pages);

        Report report;
        report.setMargins(10, 10, 10, 10);
        report.setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 10));
        fill(report, steps);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("pages.pdf"));
        QVERIFY(report.exportToFile(path));
        QStringList printed;
        for (const QString &page : pdfPages(path))
            printed << page.simplified().section(QLatin1Char(' '), 0, 0);
        QCOMPARE(printed, pages);
        QCOMPARE(report.numberOfPages(), pages.size());
    }
};

LOMI_TEST_CLASS(PageBreakTest)

#include "tst_pagebreaks.moc"
