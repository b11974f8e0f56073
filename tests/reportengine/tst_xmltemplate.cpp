#include "reporttestutil.h"
#include "testregistry.h"

#include "errordetails.h"
#include "report.h"
#include "tableelement.h"
#include "textelement.h"
#include "xmlelementhandler.h"

#include <QBuffer>
#include <QDomElement>
#include <QFile>
#include <QStandardItemModel>
#include <QTest>

#include <memory>

using namespace ReportEngine;
using namespace ReportTestUtil;

namespace {

bool load(Report &report, const QByteArray &xml, ErrorDetails *details = nullptr)
{
    QByteArray data = xml;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return report.loadFromXML(&buffer, details);
}

QByteArray inReport(const QByteArray &body)
{
    return "<report xmlns=\"urn:lomi:reports\">" + body + "</report>";
}

std::unique_ptr<QStandardItemModel> orgModel()
{
    auto model = std::make_unique<QStandardItemModel>(1, 2);
    model->setItem(0, 0, new QStandardItem(QStringLiteral("ООО «Ромашка»")));
    model->setItem(0, 1, new QStandardItem(QStringLiteral("г. Москва")));
    return model;
}

// Keeps every text, drops the ones written "drop" and shortens the ones
// marked dateOnly, the way the program's own handler treats dates.
class TestHandler : public XmlElementHandler
{
public:
    explicit TestHandler(int *destroyed = nullptr)
        : m_destroyed(destroyed)
    {
    }
    ~TestHandler() override
    {
        if (m_destroyed)
            ++*m_destroyed;
    }

    bool textElement(TextElement &element, QDomElement &xml) override
    {
        placeholders << xml.text();
        if (element.text() == QLatin1String("drop"))
            return false;
        if (xml.attribute(QStringLiteral("dateOnly")) == QLatin1String("true"))
            element.setText(element.text().left(10));
        return true;
    }

    bool tableElement(TableElement &, QDomElement &xml) override
    {
        return xml.attribute(QStringLiteral("skip")) != QLatin1String("true");
    }

    QStringList placeholders;

private:
    int *m_destroyed;
};

}  // namespace

// Loading report templates.
class XmlTemplateTest : public QObject
{
    Q_OBJECT

private slots:
    void commonHeaderTemplate()
    {
        Report report;
        auto organisation = orgModel();
        report.associateModel(QStringLiteral("orgInfo"), organisation.get());
        report.associateTextValue(QStringLiteral("currentDate"), QStringLiteral("05.03.2024 14:30"));
        QFile file(QStringLiteral(":/reports/Default.xml"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        ErrorDetails details;
        QVERIFY2(report.loadFromXML(&file, &details), qPrintable(details.message()));
        organisation.reset();  // the run destroys the model right after loading
        report.setMargins(10, 8, 10, 8);
        report.addElement(TextElement(QStringLiteral("СПИСОК СЛУШАТЕЛЕЙ")), Qt::AlignHCenter);

        QCOMPARE(report.defaultFont().family(), QStringLiteral("Times new roman"));
        QCOMPARE(report.defaultFont().pointSizeF(), 11.0);
        QTextDocument *document = report.document();
        const QList<QTextTable *> built = tables(document);
        QCOMPARE(built.size(), 1);
        QTextTable *header = built.first();
        QCOMPARE(header->format().border(), 0.0);
        QCOMPARE(header->format().width(), QTextLength(QTextLength::PercentageLength, 100));
        QCOMPARE(cellText(header, 0, 0), QStringLiteral("ООО «Ромашка»"));
        QCOMPARE(cellText(header, 0, 1), QStringLiteral("05.03.2024 14:30"));
        QCOMPARE(cellBlock(header, 0, 1).blockFormat().alignment(), Qt::AlignRight);
        const QTextCharFormat format = cellBlock(header, 0, 0).begin().fragment().charFormat();
        QVERIFY(format.fontItalic());
        QCOMPARE(format.fontFamilies().toStringList(), QStringList{"Times new roman"});
        QVERIFY(header->firstPosition() <= 1);  // the first page's header stands at the top
        QCOMPARE(bodyParagraphs(document), QStringList{"СПИСОК СЛУШАТЕЛЕЙ"});
    }

    void rootAttributesAreApplied()
    {
        Report report;
        report.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        QVERIFY(load(report, "<report font=\"DejaVu Serif\" pointsize=\"10\" margin-top=\"11\" "
                             "margin-bottom=\"12\" margin-left=\"15\"><text>x</text></report>"));
        QCOMPARE(report.defaultFont().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(report.defaultFont().pointSizeF(), 10.0);
        QCOMPARE(report.margins(), QMarginsF(15, 11, 20, 12));  // right keeps its value

        QVERIFY(load(report, "<report pointsize=\"8\"/>"));
        QCOMPARE(report.defaultFont().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(report.defaultFont().pointSizeF(), 8.0);
    }

    void textValues_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("id with a value") << QByteArray("<text id=\"cassir\">ФИО</text>") << "Петрова";
        QTest::newRow("id without a value") << QByteArray("<text id=\"nobody\">ФИО</text>") << "ФИО";
        QTest::newRow("id with an empty value") << QByteArray("<text id=\"empty\">ФИО</text>") << "";
        QTest::newRow("model cell")
                << QByteArray("<text model=\"orgInfo\" row=\"0\" column=\"1\">Адрес</text>")
                << "г. Москва";
        QTest::newRow("unknown model")
                << QByteArray("<text model=\"person\" row=\"0\" column=\"0\">FIO</text>") << "";
        QTest::newRow("row out of range")
                << QByteArray("<text model=\"orgInfo\" row=\"1\" column=\"0\">FIO</text>") << "";
        QTest::newRow("column out of range")
                << QByteArray("<text model=\"orgInfo\" row=\"0\" column=\"2\">FIO</text>") << "";
        QTest::newRow("character reference") << QByteArray("<text>г.&#9;«__»</text>") << "г.\t«__»";
        QTest::newRow("blanks kept") << QByteArray("<text>  два  </text>") << "  два  ";
        QTest::newRow("blank only") << QByteArray("<text> </text>") << " ";
        QTest::newRow("CDATA") << QByteArray("<text><![CDATA[a < b]]></text>") << "a < b";
    }

    void textValues()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        Report report;
        auto organisation = orgModel();
        report.associateModel(QStringLiteral("orgInfo"), organisation.get());
        report.associateTextValue(QStringLiteral("cassir"), QStringLiteral("Петрова"));
        report.associateTextValue(QStringLiteral("empty"), QString());
        QVERIFY(load(report, inReport(text)));
        QCOMPARE(report.document()->toPlainText(), expected);
    }

    void textAttributes()
    {
        Report report;
        QVERIFY(load(report, inReport("<text alignment=\"right\" pointsize=\"0\">r</text>"
                                      "<text alignment=\"hcenter\" bold=\"true\">c</text>"
                                      "<text alignment=\"justify\" italic=\"true\">j</text>"
                                      "<text alignment=\"left\" pointsize=\"12\">l</text>"
                                      "<text alignment=\"center\">m</text>"
                                      "<text>d</text>")));
        QTextDocument *document = report.document();
        QCOMPARE(alignmentOf(document, "r"), Qt::AlignRight);
        QCOMPARE(alignmentOf(document, "c"), Qt::AlignHCenter);
        QCOMPARE(alignmentOf(document, "j"), Qt::AlignJustify);
        QCOMPARE(alignmentOf(document, "l"), Qt::AlignLeft);
        QCOMPARE(alignmentOf(document, "m"), Qt::AlignHCenter);
        QCOMPARE(alignmentOf(document, "d"), Qt::AlignLeft);
        QVERIFY(!textFormat(document, "r").hasProperty(QTextFormat::FontPointSize));
        QCOMPARE(textFormat(document, "c").fontWeight(), int(QFont::Bold));
        QVERIFY(textFormat(document, "j").fontItalic());
        QCOMPARE(textFormat(document, "l").fontPointSize(), 12.0);
        QVERIFY(textFormat(document, "d").properties().isEmpty());
    }

    void inlineTextContinuesTheParagraph()
    {
        Report report;
        report.associateTextValue(QStringLiteral("number"), QStringLiteral("15"));
        report.associateTextValue(QStringLiteral("cassir"), QStringLiteral("Петрова"));
        report.associateTextValue(QStringLiteral("dateTime"), QStringLiteral("05.03.2024 14:30"));
        QVERIFY(load(report, inReport(
                "<text alignment=\"hcenter\" bold=\"true\">Акт №</text>"
                "<text id=\"number\" bold=\"true\" inline=\"true\">0</text>"
                "<text inline=\"true\" bold=\"true\"> Пр</text>"
                "<table border=\"0\">"
                "<cell row=\"2\" column=\"0\"><text>___ </text>"
                "<text id=\"cassir\" inline=\"true\">cassir</text></cell>"
                "<cell row=\"2\" column=\"0\"><text id=\"dateTime\">00.00</text></cell>"
                "</table>")));
        QTextDocument *document = report.document();
        QCOMPARE(bodyParagraphs(document), QStringList{"Акт №15 Пр"});
        QCOMPARE(alignmentOf(document, QStringLiteral("Акт №15 Пр")), Qt::AlignHCenter);
        QTextTable *table = tables(document).value(0);
        QVERIFY(table);
        QCOMPARE(table->rows(), 3);
        QCOMPARE(cellText(table, 2, 0), QStringLiteral("___ Петрова\n05.03.2024 14:30"));
    }

    void handlerRewritesAndVetoes()
    {
        Report report;
        int destroyed = 0;
        auto *handler = new TestHandler(&destroyed);
        report.setXmlElementHandler(handler);
        report.associateTextValue(QStringLiteral("birth"), QStringLiteral("05.03.2024 14:30"));
        QVERIFY(load(report, inReport(
                "<text id=\"birth\" dateOnly=\"true\">00.00.0000</text>"
                "<text id=\"birth\" dateOnly=\"TRUE\">00.00.0000</text>"
                "<text>drop</text>"
                "<table skip=\"true\"><cell row=\"0\" column=\"0\"><text>скрыто</text></cell></table>"
                "<table><cell row=\"0\" column=\"0\"><text dateOnly=\"true\">31.12.2025 "
                "23:59</text></cell></table>")));
        QCOMPARE(handler->placeholders,
                 QStringList({"00.00.0000", "00.00.0000", "drop", "скрыто", "31.12.2025 23:59"}));
        QTextDocument *document = report.document();
        QCOMPARE(bodyParagraphs(document), QStringList({"05.03.2024", "05.03.2024 14:30"}));
        const QList<QTextTable *> built = tables(document);
        QCOMPARE(built.size(), 1);
        QCOMPARE(cellText(built.first(), 0, 0), QStringLiteral("31.12.2025"));

        // The report owns its handler: replacing it deletes the old one.
        report.setXmlElementHandler(handler);
        QCOMPARE(destroyed, 0);
        report.setXmlElementHandler(new TestHandler(&destroyed));
        QCOMPARE(destroyed, 1);
    }

    void loadsAppend()
    {
        const QByteArray act = "<report font=\"DejaVu Serif\" pointsize=\"10\" margin-top=\"10\">"
                               "<text alignment=\"right\">Форма №1</text>"
                               "<text id=\"number\" bold=\"true\">0</text>"
                               "<table border=\"0\" width=\"100%\"><cell row=\"0\" column=\"0\">"
                               "<text id=\"person\">FIO</text></cell></table>"
                               "<vspace size=\"5\"/></report>";
        Report report;
        report.associateTextValue(QStringLiteral("number"), QStringLiteral("7"));
        report.associateTextValue(QStringLiteral("person"), QStringLiteral("Иванов И.И."));
        QVERIFY(load(report, act));
        report.addElement(TextElement(QStringLiteral("Экземпляр акта получил")));
        QVERIFY(load(report, act));

        QTextDocument *document = report.document();
        QCOMPARE(bodyParagraphs(document),
                 QStringList({"Форма №1", "7", "Экземпляр акта получил", "Форма №1", "7"}));
        const QList<QTextTable *> built = tables(document);
        QCOMPARE(built.size(), 2);
        QCOMPARE(cellText(built.at(1), 0, 0), QStringLiteral("Иванов И.И."));
        QVERIFY(built.at(0)->lastPosition() < findBlock(document, "Экземпляр акта получил").position());
    }

    void autoTableFromTemplate()
    {
        auto stays = std::make_unique<QStandardItemModel>(2, 5);
        stays->setHorizontalHeaderLabels({"с", "по", "Номер", "Мест", "Тариф, за 1 сутки"});
        stays->setItem(1, 4, new QStandardItem(QStringLiteral("1500.00 (руб.)")));
        Report report;
        report.associateModel(QStringLiteral("accommodation"), stays.get());
        QVERIFY(load(report, inReport(
                "<table model=\"accommodation\" width=\"100%\" verticalHeaderVisible=\"false\" "
                "border=\"0\" headerBackground=\"white\"/>"
                "<table model=\"missing\"/>")));
        stays.reset();

        const QList<QTextTable *> built = tables(report.document());
        QCOMPARE(built.size(), 1);
        QTextTable *table = built.first();
        QCOMPARE(table->columns(), 5);
        QCOMPARE(table->rows(), 3);
        QCOMPARE(table->format().border(), 0.0);
        QCOMPARE(cellText(table, 0, 4), QStringLiteral("Тариф, за 1 сутки"));
        QCOMPARE(cellText(table, 2, 4), QStringLiteral("1500.00 (руб.)"));
        QCOMPARE(table->cellAt(0, 0).format().background().color(), QColor(Qt::white));
    }

    void errorsTellWhere_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("messagePart");
        QTest::newRow("mismatched tag") << QByteArray("<report>\n  <text>a</txt>\n</report>")
                                        << 2 << 16 << QString();
        QTest::newRow("unclosed attribute") << QByteArray("<report>\n<vspace size=\"5/>\n</report>\n")
                                            << 3 << 2 << QString();
        QTest::newRow("undeclared entity") << QByteArray("<report>\n\n<text>&nbsp;</text></report>")
                                           << 3 << 13 << QStringLiteral("nbsp");
        QTest::newRow("unknown element")
                << QByteArray("<report>\n  <text>a</text>\n    <footer/>\n</report>") << 3 << 14
                << QStringLiteral("footer");
        QTest::newRow("unknown element in a cell")
                << QByteArray("<report><table>\n<cell row=\"0\" column=\"0\"> <image/></cell>"
                              "</table></report>")
                << 2 << 35 << QStringLiteral("image");
        QTest::newRow("header inside a cell")
                << QByteArray("<report><table><cell><header/></cell></table></report>") << 1 << 31
                << QStringLiteral("header");
        QTest::newRow("bad cell row") << QByteArray("<report><table><cell row=\"-1\"/></table></report>")
                                      << 1 << 32 << QStringLiteral("-1");
        QTest::newRow("unknown alignment")
                << QByteArray("<report>\n<text>a</text><text alignment=\"middle\">b</text></report>")
                << 2 << 40 << QStringLiteral("middle");
        QTest::newRow("tables nested too deep")
                << QByteArray("<report>\n" + QByteArray("<table><cell>").repeated(5000)) << 2
                << 16 * 13 + 8 << QStringLiteral("16");
        QTest::newRow("infinite margin") << QByteArray("<report margin-top=\"inf\"/>") << 1 << 27
                                         << QStringLiteral("margin-top");
        QTest::newRow("padding not a number")
                << QByteArray("<report><table cellpadding=\"nan\"/></report>") << 1 << 35
                << QStringLiteral("cellpadding");
        QTest::newRow("space past any page")
                << QByteArray("<report><vspace size=\"1e999\"/></report>") << 1 << 31
                << QStringLiteral("size");
        QTest::newRow("point size past any page")
                << QByteArray("<report><text pointsize=\"100000\">a</text></report>") << 1 << 34
                << QStringLiteral("pointsize");
        QTest::newRow("a hundred million cells")
                << QByteArray("<report><table><cell row=\"99999\" column=\"999\"/></table></report>")
                << 1 << 48 << QStringLiteral("99999");
        QTest::newRow("wrong root") << QByteArray("<?xml version=\"1.0\"?>\n<document/>") << 2 << 12
                                    << QStringLiteral("document");
        QTest::newRow("empty") << QByteArray() << 1 << 1 << QString();
    }

    void errorsTellWhere()
    {
        QFETCH(QByteArray, xml);
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(QString, messagePart);
        Report report;
        report.addElement(TextElement(QStringLiteral("было")));
        const QMarginsF margins = report.margins();
        ErrorDetails details;
        QVERIFY(!load(report, xml, &details));
        QVERIFY(details.hasError());
        QVERIFY(!details.message().isEmpty());
        QVERIFY2(details.message().contains(messagePart), qPrintable(details.message()));
        QCOMPARE(details.line(), line);
        QCOMPARE(details.column(), column);
        // A failed load leaves the report as it was.
        QCOMPARE(report.document()->toPlainText(), QStringLiteral("было"));
        QCOMPARE(report.margins(), margins);
    }

    void failedLoadAfterContentAddsNothing()
    {
        Report report;
        ErrorDetails details;
        QVERIFY(!load(report, "<report margin-top=\"1\"><text>часть</text><vspace size=\"x\"/>"
                              "<text>", &details));
        QCOMPARE(report.document()->toPlainText(), QString());
        QCOMPARE(report.margins().top(), 20.0);
        QVERIFY(load(report, inReport("<text>целое</text>"), &details));
        QVERIFY(!details.hasError());
    }
};

LOMI_TEST_CLASS(XmlTemplateTest)
#include "tst_xmltemplate.moc"
