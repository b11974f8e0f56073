#include "documenttesting.h"
#include "testregistry.h"

#include "form2act.h"

#include <QAbstractTextDocumentLayout>

using namespace ReportTestUtil;

class ActsTest : public DocumentTestBase
{
    Q_OBJECT

    int addRentalReceipt(const QJsonValue &propertyId)
    {
        return server().addRecord("receipts", {{"personId", addPerson("Актов")}, {"number", 115},
                                               {"extraServiceId", 1}, {"propertyId", propertyId},
                                               {"cassirId", 3}});
    }

    static std::unique_ptr<Form1Act> act(int form)
    {
        return form == 1 ? std::make_unique<Form1Act>() : std::make_unique<Form2Act>();
    }

private slots:
    void bothForms_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("articles");
        QTest::addColumn<QString>("leftHeading");

        QTest::newRow("form 1") << 1 << "№115" << "626, 628" << "Передал движимое имущество";
        QTest::newRow("form 2") << 2 << "№115 Пр" << "626, 627" << "Принял движимое имущество";
    }

    void bothForms()
    {
        QFETCH(int, form);
        QFETCH(QString, number);
        QFETCH(QString, articles);
        QFETCH(QString, leftHeading);

        const int receipt = addRentalReceipt(1);
        server().clearRequests();
        const auto document = act(form);
        // The property printed is the receipt's own, whatever the owner passes.
        document->setTarget(receipt, 4);
        QTextDocument *built = this->built(*document);

        const QList<StandIn::Request> sent = server().requests();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent.first().path, QString("/receipts/%1").arg(receipt));

        const QStringList paragraphs = bodyParagraphs(built);
        const QString cassir = LoginManager::instance()->getName();
        QCOMPARE(paragraphs.count(QString("Форма №%1").arg(form)), 2);
        QCOMPARE(paragraphs.count("Акт приема-передачи движимого имущества " + number), 2);
        QCOMPARE(paragraphs.count(cassir + ","), 2);
        QCOMPARE(paragraphs.filter(articles).size(), 2);

        const QList<QTextTable *> all = tables(built);
        for (int copy = 0; copy < 2; ++copy) {
            QCOMPARE(cellText(all.at(copy * 3), 0, 1), QString("10.12.2026"));
            QCOMPARE(cellText(all.at(copy * 3 + 1), 1, 1), QString("Утюг"));
            QTextTable *signatures = all.at(copy * 3 + 2);
            QCOMPARE(cellText(signatures, 0, 0), leftHeading);
            QCOMPARE(cellText(signatures, 2, 0),
                     "___________________ " + cassir + "\n10.12.2026 09:05");
            QVERIFY(cellText(signatures, 2, 1)
                        .startsWith("___________________ И.П. Актов\n«____»"));
        }

        // First copy, tear-off line, dashed line, second copy; nothing after it.
        const QString tearOff = "Экземпляр акта получил (Заказчик) ___________________";
        QCOMPARE(paragraphs.count(tearOff), 1);
        const int tearOffAt = findBlock(built, tearOff).position();
        const QList<QTextTable *> lines = rules(built);
        QCOMPARE(lines.size(), 1);
        QVERIFY(all.at(2)->lastPosition() < tearOffAt);
        QVERIFY(tearOffAt < lines.first()->firstPosition());
        QVERIFY(lines.first()->lastPosition()
                < built->find(QString("Форма №%1").arg(form), tearOffAt).position());
    }

    void noBlankPage_data()
    {
        QTest::addColumn<bool>("nearTheFoot");

        QTest::newRow("as printed") << false;
        QTest::newRow("ending near the page's foot") << true;
    }

    // The template ends in vertical space; after the second copy that space
    // must not start a page of its own, however near the foot the act ends.
    void noBlankPage()
    {
        QFETCH(bool, nearTheFoot);

        Form1Act act;
        act.setTarget(addRentalReceipt(1), 0);
        QTextDocument *document = built(act);
        if (nearTheFoot) {
            // Space ahead of the act stands for a longer one: its last line
            // then ends 2 mm above the foot of the page.
            QTextBlock last = document->lastBlock();
            while (last.text().isEmpty())
                last = last.previous();
            const qreal end = document->documentLayout()->blockBoundingRect(last).bottom();
            const qreal page = document->pageSize().height();
            const qreal below = (page - end) / page
                                * report->pageLayout().paintRect(QPageLayout::Millimeter).height();
            report = std::make_unique<ReportEngine::Report>();
            report->addVerticalSpacing(below - 2);
            act.build(*report, {});
        }
        const QStringList printed = printedPages();
        QCOMPARE(printed.size(), 1);
        QCOMPARE(printed.first().count("Форма №1"), 2);
    }

    void propertyValuesTheReceiptLacks_data()
    {
        QTest::addColumn<QJsonObject>("property");  // empty: the receipt has none
        QTest::addColumn<QStringList>("printed");   // name, cost, number

        QTest::newRow("no property") << QJsonObject() << QStringList{"", "0.00", ""};
        QTest::newRow("number that is no text")
            << QJsonObject{{"name", "Сейф"}, {"number", 42}, {"cost", 99.999}}
            << QStringList{"Сейф", "100.00", ""};
    }

    void propertyValuesTheReceiptLacks()
    {
        QFETCH(QJsonObject, property);
        QFETCH(QStringList, printed);

        Form1Act act;
        const QJsonValue propertyId =
            property.isEmpty() ? QJsonValue(-1) : server().addRecord("properties", property);
        act.setTarget(addRentalReceipt(propertyId), 0);
        QTextTable *table = tables(built(act)).at(1);
        QCOMPARE((QStringList{cellText(table, 1, 1), cellText(table, 1, 3), cellText(table, 1, 4)}),
                 printed);
    }
};

LOMI_TEST_CLASS(ActsTest)

#include "tst_acts.moc"
