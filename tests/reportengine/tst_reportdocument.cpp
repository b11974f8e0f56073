#include "reporttestutil.h"
#include "testregistry.h"

#include "autotableelement.h"
#include "hlineelement.h"
#include "report.h"
#include "tableelement.h"
#include "textelement.h"

#include <QAbstractTextDocumentLayout>
#include <QStandardItemModel>
#include <QTest>
#include <QTextTable>

#include <memory>

using namespace ReportEngine;
using namespace ReportTestUtil;

Q_DECLARE_METATYPE(QList<qreal>)

// The document a report builds from elements added in code.
class ReportDocumentTest : public QObject
{
    Q_OBJECT

private slots:
    void lineBreaksStartParagraphsOfTheSameFormat()
    {
        Report report;
        TextElement text(QStringLiteral("  Сумма:\t150.00 \nвторая строка"));
        text.setBold(true);
        report.addElement(text, Qt::AlignRight);

        QTextDocument *document = report.document();
        QCOMPARE(bodyParagraphs(document),
                 QStringList({QStringLiteral("  Сумма:\t150.00 "), QStringLiteral("вторая строка")}));
        for (const QString &line : bodyParagraphs(document)) {
            QCOMPARE(alignmentOf(document, line), Qt::AlignRight);
            QCOMPARE(textFormat(document, line).fontWeight(), int(QFont::Bold));
        }
    }

    void textFormatsApplyOnlyWhatWasSet()
    {
        Report report;
        report.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        QFont family;
        family.setFamilies({QStringLiteral("DejaVu Serif")});
        TextElement serif(QStringLiteral("с засечками"));
        serif.setFont(family);
        TextElement big(QStringLiteral("крупно"));
        big.setPointSize(14);
        big.setItalic(true);
        TextElement sized(QStringLiteral("обычный"), 1);
        report.addElement(serif);
        report.addElement(big);
        report.addElement(sized);

        QTextDocument *document = report.document();
        const QTextCharFormat serifFormat = textFormat(document, QStringLiteral("с засечками"));
        QCOMPARE(serifFormat.fontFamilies().toStringList(), QStringList{"DejaVu Serif"});
        QVERIFY(!serifFormat.hasProperty(QTextFormat::FontPointSize));
        QCOMPARE(textFormat(document, QStringLiteral("крупно")).fontPointSize(), 14.0);
        QVERIFY(textFormat(document, QStringLiteral("крупно")).fontItalic());
        QVERIFY(textFormat(document, QStringLiteral("обычный")).properties().isEmpty());
    }

    void elementsAreCopiedWhenAdded()
    {
        Report report;
        TextElement text(QStringLiteral("до"));
        TableElement table;
        table.cell(0, 0).addElement(TextElement(QStringLiteral("ячейка")));
        report.addElement(text);
        report.addElement(table);
        text.setText(QStringLiteral("после"));
        table.cell(0, 0).addElement(TextElement(QStringLiteral("лишнее")));
        table.cell(3, 3);

        QTextDocument *document = report.document();
        QCOMPARE(bodyParagraphs(document), QStringList{"до"});
        QTextTable *built = tables(document).value(0);
        QVERIFY(built);
        QCOMPARE(built->rows(), 1);
        QCOMPARE(cellText(built, 0, 0), QStringLiteral("ячейка"));
    }

    void additionsAfterLayoutRebuildTheSameDocument()
    {
        Report report;
        report.addElement(TextElement(QStringLiteral("первый")));
        QTextDocument *document = report.document();
        QCOMPARE(report.numberOfPages(), 1);
        report.addElement(TextElement(QStringLiteral("второй")));
        QCOMPARE(report.document(), document);
        QCOMPARE(bodyParagraphs(document), QStringList({"первый", "второй"}));
    }

    void tableCellsHeaderRowsAndAlignment()
    {
        Report report;
        TableElement table;
        table.setHeaderRowCount(1);
        table.setHeaderColumnCount(3);
        table.setWidth(100);
        table.setBorder(0);
        table.cell(0, 0).addElement(TextElement(QStringLiteral("№")), Qt::AlignHCenter);
        table.cell(0, 1).addElement(TextElement(QStringLiteral("Сумма")), Qt::AlignRight);
        table.cell(1, 0).addElement(TextElement(QStringLiteral("1")), Qt::AlignHCenter);
        table.cell(1, 1).addElement(TextElement(QStringLiteral("10.00")), Qt::AlignRight);
        // A cell addressed twice keeps both contents; inline text continues.
        table.cell(1, 2).addElement(TextElement(QStringLiteral("___ ")));
        table.cell(1, 2).addInlineElement(TextElement(QStringLiteral("Иванов")));
        table.cell(1, 2).addElement(TextElement(QStringLiteral("05.03.2024")), Qt::AlignRight);
        QCOMPARE(table.rowCount(), 2);
        QCOMPARE(table.columnCount(), 3);
        report.addElement(table);

        QTextTable *built = tables(report.document()).value(0);
        QVERIFY(built);
        QCOMPARE(built->rows(), 2);
        QCOMPARE(built->columns(), 3);
        QCOMPARE(built->format().headerRowCount(), 1);
        QCOMPARE(built->format().width(), QTextLength(QTextLength::PercentageLength, 100));
        QCOMPARE(built->format().border(), 0.0);
        QCOMPARE(cellText(built, 0, 1), QStringLiteral("Сумма"));
        QCOMPARE(cellBlock(built, 0, 0).blockFormat().alignment(), Qt::AlignHCenter);
        QCOMPARE(cellBlock(built, 1, 1).blockFormat().alignment(), Qt::AlignRight);
        QCOMPARE(cellText(built, 1, 2), QStringLiteral("___ Иванов\n05.03.2024"));
        QCOMPARE(cellBlock(built, 1, 2).next().blockFormat().alignment(), Qt::AlignRight);
        QCOMPARE(cellText(built, 0, 2), QString());
    }

    // The row is as tall as its three-line first cell; the other cells stand
    // at its top, middle and bottom as their alignment asks.
    void cellsAlignVertically()
    {
        Report report;
        TableElement table;
        table.cell(0, 0).addElement(TextElement(QStringLiteral("один\nдва\nтри")));
        table.cell(0, 1).addElement(TextElement(QStringLiteral("верх")));
        table.cell(0, 2).addElement(TextElement(QStringLiteral("середина")),
                                    Qt::AlignRight | Qt::AlignVCenter);
        table.cell(0, 3).addElement(TextElement(QStringLiteral("низ")), Qt::AlignBottom);
        report.addElement(table);

        QTextTable *built = tables(report.document()).value(0);
        QVERIFY(built);
        QCOMPARE(built->cellAt(0, 2).format().verticalAlignment(), QTextCharFormat::AlignMiddle);
        QCOMPARE(cellBlock(built, 0, 2).blockFormat().alignment(), Qt::AlignRight);
        const auto box = [&](int column) {
            return report.document()->documentLayout()->blockBoundingRect(
                    cellBlock(built, 0, column));
        };
        const qreal top = box(0).top();
        const qreal free = 2 * box(0).height();  // what two more lines take
        QCOMPARE(box(1).top(), top);
        QVERIFY2(qAbs(box(2).top() - (top + free / 2)) < 1,
                 qPrintable(QString::number(box(2).top() - top)));
        QVERIFY2(qAbs(box(3).top() - (top + free)) < 1,
                 qPrintable(QString::number(box(3).top() - top)));
    }

    void columnSpansCoverTheCellsToTheRight()
    {
        Report report;
        TableElement table;
        for (int column = 0; column < 8; ++column)
            table.cell(0, column).addElement(TextElement(QString::number(column)));
        TextElement total(QStringLiteral("ИТОГО"));
        total.setBold(true);  // formats written into a spanning cell must not undo the span
        table.cell(1, 0).setColumnSpan(7);
        table.cell(1, 0).addElement(total);
        table.cell(1, 3).addElement(TextElement(QStringLiteral("под объединением")));
        table.cell(1, 7).addElement(TextElement(QStringLiteral("1500.00")), Qt::AlignRight);
        table.cell(2, 6).setColumnSpan(5);  // past the last column: cut there
        table.cell(2, 6).addElement(TextElement(QStringLiteral("хвост")));
        report.addElement(table);

        QTextTable *built = tables(report.document()).value(0);
        QVERIFY(built);
        QCOMPARE(built->columns(), 8);
        QCOMPARE(built->cellAt(1, 0).columnSpan(), 7);
        QCOMPARE(built->cellAt(1, 6).column(), 0);
        QCOMPARE(cellText(built, 1, 0), QStringLiteral("ИТОГО"));
        QCOMPARE(cellText(built, 1, 7), QStringLiteral("1500.00"));
        QVERIFY(!report.document()->toPlainText().contains(QStringLiteral("под объединением")));
        QCOMPARE(built->cellAt(2, 6).columnSpan(), 2);
        QCOMPARE(cellText(built, 2, 7), QStringLiteral("хвост"));
    }

    void tablesNestInCells()
    {
        Report report;
        TableElement signatures;
        signatures.setBorder(0);
        signatures.cell(0, 0).addElement(TextElement(QStringLiteral("Кассир")));
        signatures.cell(0, 1).addElement(TextElement(QStringLiteral("_____")));
        TableElement summary;
        summary.setWidth(100);
        summary.setColumnConstraints({50});
        summary.cell(0, 0).addElement(TextElement(QStringLiteral("Оплачено: 350.50 руб.")));
        summary.cell(0, 1).addElement(signatures);
        summary.cell(0, 1).addElement(TextElement(QStringLiteral("после")));
        report.addElement(summary);

        const QList<QTextTable *> outer = tables(report.document());
        QCOMPARE(outer.size(), 1);
        const QList<QTextFrame *> inner = outer.first()->childFrames();
        QCOMPARE(inner.size(), 1);
        auto *nested = qobject_cast<QTextTable *>(inner.first());
        QVERIFY(nested);
        QCOMPARE(nested->columns(), 2);
        QCOMPARE(cellText(nested, 0, 0), QStringLiteral("Кассир"));
        QCOMPARE(outer.first()->cellAt(nested->firstPosition()).column(), 1);
        QVERIFY(cellText(outer.first(), 0, 1).endsWith(QStringLiteral("после")));
    }

    void columnConstraints_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<QList<qreal>>("given");
        QTest::addColumn<QList<qreal>>("expected");  // -1: no width of its own
        QTest::newRow("exact") << 3 << QList<qreal>{20, 30, 50} << QList<qreal>{20, 30, 50};
        QTest::newRow("under 100 kept") << 2 << QList<qreal>{49, 49} << QList<qreal>{49, 49};
        QTest::newRow("over 100 scaled") << 2 << QList<qreal>{60, 65} << QList<qreal>{48, 52};
        QTest::newRow("partial") << 3 << QList<qreal>{50} << QList<qreal>{50, -1, -1};
        QTest::newRow("longer than row") << 2 << QList<qreal>{30, 70, 40} << QList<qreal>{30, 70};
    }

    void columnConstraints()
    {
        QFETCH(int, columns);
        QFETCH(QList<qreal>, given);
        QFETCH(QList<qreal>, expected);
        Report report;
        TableElement table;
        table.cell(0, columns - 1);
        table.setColumnConstraints(given);
        report.addElement(table);

        const QList<QTextLength> widths =
                tables(report.document()).value(0)->format().columnWidthConstraints();
        QCOMPARE(widths.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            if (expected.at(i) < 0) {
                QCOMPARE(widths.at(i).type(), QTextLength::VariableLength);
            } else {
                QCOMPARE(widths.at(i).type(), QTextLength::PercentageLength);
                QVERIFY2(qAbs(widths.at(i).rawValue() - expected.at(i)) < 0.01,
                         qPrintable(QString::number(widths.at(i).rawValue())));
            }
        }
    }

    void cellReferencesSurviveGrowth()
    {
        TableElement table;
        Cell &first = table.cell(0, 0);
        for (int row = 0; row < 300; ++row)
            table.cell(row, row % 40);
        first.addElement(TextElement(QStringLiteral("первая")));
        QCOMPARE(table.rowCount(), 300);
        QCOMPARE(table.columnCount(), 40);
        Report report;
        report.addElement(table);
        QCOMPARE(cellText(tables(report.document()).value(0), 0, 0), QStringLiteral("первая"));
    }

    void autoTableCopiesTheModel()
    {
        auto model = std::make_unique<QStandardItemModel>(2, 2);
        model->setHorizontalHeaderLabels({QStringLiteral("Имя"), QStringLiteral("Сумма")});
        model->setHeaderData(1, Qt::Horizontal, int(Qt::AlignRight), Qt::TextAlignmentRole);
        model->setItem(0, 0, new QStandardItem(QStringLiteral("Иванов")));
        model->setItem(0, 1, new QStandardItem(QStringLiteral("10.00")));
        model->item(0, 1)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        model->setItem(1, 0, new QStandardItem(QStringLiteral("Петров")));

        Report report;
        AutoTableElement table(model.get());
        table.setWidth(100);
        table.setHeaderBackground(Qt::white);
        report.addElement(table);
        AutoTableElement plain(model.get());
        plain.setVerticalHeaderVisible(false);
        report.addElement(plain);
        model.reset();

        const QList<QTextTable *> built = tables(report.document());
        QCOMPARE(built.size(), 2);
        QTextTable *withHeader = built.at(0);
        QCOMPARE(withHeader->rows(), 3);
        QCOMPARE(withHeader->columns(), 3);
        QCOMPARE(withHeader->format().headerRowCount(), 1);
        QCOMPARE(cellText(withHeader, 0, 1), QStringLiteral("Имя"));
        QCOMPARE(cellText(withHeader, 2, 0), QStringLiteral("2"));
        QCOMPARE(withHeader->cellAt(0, 2).format().background().color(), QColor(Qt::white));
        QTextTable *bare = built.at(1);
        QCOMPARE(bare->columns(), 2);
        QCOMPARE(cellText(bare, 1, 0), QStringLiteral("Иванов"));
        QCOMPARE(cellText(bare, 2, 1), QString());
        QCOMPARE(cellBlock(bare, 0, 0).blockFormat().alignment(), Qt::AlignHCenter);
        QCOMPARE(cellBlock(bare, 0, 1).blockFormat().alignment(), Qt::AlignRight);
        QCOMPARE(cellBlock(bare, 1, 1).blockFormat().alignment(), Qt::AlignRight);
        QCOMPARE(bare->cellAt(1, 1).format().verticalAlignment(), QTextCharFormat::AlignMiddle);
        QCOMPARE(cellBlock(bare, 1, 0).blockFormat().alignment(), Qt::AlignLeft);
    }

    void pageSetupAndDefaultFont()
    {
        Report report;
        QCOMPARE(report.pageLayout().pageSize().id(), QPageSize::A4);
        report.setMargins(10, 8, 12, 6);
        report.setPageOrientation(QPageLayout::Landscape);
        report.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 11));
        report.addElement(TextElement(QStringLiteral("текст")));
        report.setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 9));

        const QPageLayout layout = report.pageLayout();
        QCOMPARE(layout.pageSize().id(), QPageSize::A4);
        QCOMPARE(layout.orientation(), QPageLayout::Landscape);
        QCOMPARE(layout.margins(QPageLayout::Millimeter), QMarginsF(8, 10, 6, 12));
        QCOMPARE(report.document()->defaultFont().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(report.document()->defaultFont().pointSizeF(), 9.0);
        const QSizeF page = report.document()->pageSize();
        QVERIFY(page.width() > page.height());

        // Margins that would leave nothing to print on are scaled down.
        report.setMargins(200, 200, 200, 200);
        QVERIFY(report.pageLayout().paintRect(QPageLayout::Millimeter).width() >= 19.9);
        QVERIFY(report.pageLayout().paintRect(QPageLayout::Millimeter).height() >= 19.9);
    }

    void spacingRulesAndBackgrounds()
    {
        Report report;
        report.addElement(TextElement(QStringLiteral("на жёлтом")), Qt::AlignLeft,
                          QColor(Qt::yellow));
        report.addVerticalSpacing(10);
        HLineElement dashed;
        dashed.setDashed(true);
        report.addElement(dashed);
        report.addVerticalSpacing(5);  // space directly after a rule still counts
        report.addElement(HLineElement());
        report.addElement(TextElement(QStringLiteral("без фона")), Qt::AlignLeft, QColor());

        QTextDocument *document = report.document();
        QCOMPARE(findBlock(document, QStringLiteral("на жёлтом")).blockFormat().background().color(),
                 QColor(Qt::yellow));
        QVERIFY(!findBlock(document, QStringLiteral("без фона")).blockFormat()
                         .hasProperty(QTextFormat::BackgroundBrush));
        QList<qreal> spaces;
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            if (block.blockFormat().hasProperty(Report::VerticalSpacingProperty))
                spaces << block.blockFormat().doubleProperty(Report::VerticalSpacingProperty);
        }
        QCOMPARE(spaces, QList<qreal>({10, 5}));
        const QList<QTextTable *> lines = rules(document);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.at(0)->format().boolProperty(HLineElement::RuleProperty), true);
        QCOMPARE(lines.at(1)->format().boolProperty(HLineElement::RuleProperty), false);
        QVERIFY(tables(document).isEmpty());
    }
};

LOMI_TEST_CLASS(ReportDocumentTest)
#include "tst_reportdocument.moc"
