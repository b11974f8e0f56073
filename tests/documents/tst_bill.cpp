#include "documenttesting.h"
#include "testregistry.h"

#include "bill.h"
#include "settingsmanager.h"

using namespace ReportTestUtil;

class BillTest : public DocumentTestBase
{
    Q_OBJECT

private slots:
    void sumsInFiguresAndWords_data()
    {
        QTest::addColumn<QList<double>>("stays");
        QTest::addColumn<QList<double>>("payments");
        QTest::addColumn<QStringList>("sums");  // charged, paid, due

        auto row = [](const char *name, QList<double> stays, QList<double> payments,
                      QStringList sums) { QTest::newRow(name) << stays << payments << sums; };
        row("underpaid", {1000, 500}, {1000},
            {"1500.00 руб. (одна тысяча пятьсот рублей 00 копеек)",
             "1000.00 руб. (одна тысяча рублей 00 копеек)",
             "500.00 руб. (пятьсот рублей 00 копеек)"});
        row("fully paid", {1500.5}, {1500.5},
            {"1500.50 руб. (одна тысяча пятьсот рублей 50 копеек)",
             "1500.50 руб. (одна тысяча пятьсот рублей 50 копеек)",
             "0.00 руб. (ноль рублей 00 копеек)"});
        row("overpaid", {1000}, {1500.30},
            {"1000.00 руб. (одна тысяча рублей 00 копеек)",
             "1500.30 руб. (одна тысяча пятьсот рублей 30 копеек)",
             "-500.30 руб. (минус пятьсот рублей 30 копеек)"});
        row("a sum a hair below a whole", {1515.12, 285.28, 219.60}, {},
            {"2020.00 руб. (две тысячи двадцать рублей 00 копеек)",
             "0.00 руб. (ноль рублей 00 копеек)",
             "2020.00 руб. (две тысячи двадцать рублей 00 копеек)"});
        row("overpaid by less than a rouble", {1000}, {1000.5},
            {"1000.00 руб. (одна тысяча рублей 00 копеек)",
             "1000.50 руб. (одна тысяча рублей 50 копеек)",
             "-0.50 руб. (минус ноль рублей 50 копеек)"});
    }

    // The figures, the words and the "ИТОГО" cells come from the same rounded totals.
    void sumsInFiguresAndWords()
    {
        QFETCH(QList<double>, stays);
        QFETCH(QList<double>, payments);
        QFETCH(QStringList, sums);

        Bill bill;
        bill.setTargetId(addPerson("Суммов", stays, payments));
        QTextDocument *document = built(bill);
        const QStringList once{"Сумма счёта: " + sums.at(0) + "\t\tНДС не облагается",
                               "Оплачено: " + sums.at(1), "К оплате: " + sums.at(2)};
        QCOMPARE(bodyParagraphs(document).filter(QRegularExpression("^(Сумма|Опл|К )")),
                 once + once);
        const QList<QTextTable *> all = tables(document);
        const auto total = [](QTextTable *table, int column) {
            return cellText(table, table->rows() - 1, column);
        };
        QCOMPARE(total(all.at(1), 7), sums.at(0).section(' ', 0, 0) + " р.");
        QCOMPARE(total(all.at(2), 3), sums.at(1).section(' ', 0, 0) + " р.");
    }

    void payerRow_data()
    {
        QTest::addColumn<QList<double>>("payments");
        QTest::addColumn<int>("paidUnder");
        QTest::addColumn<QString>("payer");  // empty: no such row

        QTest::newRow("no payments") << QList<double>{} << -1 << "";
        QTest::newRow("first payment") << QList<double>{100, 200} << 0
                                       << ": ООО «Технопром» (Контракт № 45-К/2026)";
        QTest::newRow("a later payment only") << QList<double>{100, 200} << 1 << "";
    }

    void payerRow()
    {
        QFETCH(QList<double>, payments);
        QFETCH(int, paidUnder);
        QFETCH(QString, payer);

        Bill bill;
        bill.setTargetId(addPerson("Плательщиков", {1000}, payments, paidUnder));
        QTextTable *information = tables(built(bill)).at(0);
        QCOMPARE(information->rows(), payer.isEmpty() ? 3 : 4);
        if (!payer.isEmpty())
            QCOMPARE(cellText(information, 2, 0) + cellText(information, 2, 1),
                     "Плательщик" + payer);
    }

    void copiesOnPages_data()
    {
        QTest::addColumn<int>("stays");
        QTest::addColumn<int>("paidUnder");
        QTest::addColumn<int>("pages");  // 0: as many as the copies take

        QTest::newRow("one stay and one payment") << 1 << -1 << 1;
        QTest::newRow("paid under a contract") << 1 << 0 << 1;
        QTest::newRow("copies a page each") << 6 << -1 << 2;
        QTest::newRow("copies longer than a page") << 30 << -1 << 0;
    }

    // Both copies share a page where they fit; otherwise the second starts
    // at the top of a page, under the first one's comment and cut line.
    void copiesOnPages()
    {
        QFETCH(int, stays);
        QFETCH(int, paidUnder);
        QFETCH(int, pages);

        Bill bill;
        bill.setTargetId(addPerson("Страничкин", QList<double>(stays, 1515.12), {100}, paidUnder));
        built(bill);
        const QStringList printed = printedPages();
        const QJsonObject details = server().global("OrganizationInfo").toObject();
        const QString organization = details["name"].toString();
        const QString comment = details["comment"].toString();
        // What fits hangs on the metrics of the face that stands in for the font.
        if (pages > 0)
            QVERIFY2(printed.size() == pages,
                     qPrintable(QString("%1 pages printed in %2")
                                    .arg(printed.size())
                                    .arg(QFontInfo(QFont("Times new roman")).family())));

        QList<int> starts;  // the page each copy starts on
        for (int page = 0; page < printed.size(); ++page) {
            QCOMPARE(printed.at(page).count("СЧЕТ №7"), printed.at(page).count(organization));
            for (int copy = 0; copy < printed.at(page).count("СЧЕТ №7"); ++copy)
                starts << page;
        }
        QCOMPARE(starts.size(), 2);
        if (starts.first() == starts.last()) {
            QCOMPARE(printed.size(), 1);
            return;
        }
        const int second = starts.last();
        QVERIFY2(printed.at(second).startsWith(organization), qPrintable(printed.at(second)));
        QVERIFY2(printed.at(second - 1).endsWith(comment), qPrintable(printed.at(second - 1)));
        QCOMPARE(printed.at(second).count(comment), second + 1 == printed.size() ? 1 : 0);
    }

    void directionControlsTurnNothingAround_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("override") << QString(QChar(0x202E));
        QTest::newRow("embedding") << QString(QChar(0x202B));
        QTest::newRow("isolate") << QString(QChar(0x2067));
        QTest::newRow("mark") << QString(QChar(0x200F));
    }

    // A control at the head of the first name turns neither the full name
    // nor the short one around, and costs the short one no initial.
    void directionControlsTurnNothingAround()
    {
        QFETCH(QString, control);
        const int id = server().addRecord("persons", {{"surname", "Обратнов"}, {"name", control + "Нуль"},
                                                      {"lastname", "После"}, {"billNum", 7}});
        Bill bill;
        bill.setTargetId(id);
        built(bill);
        const QString printed = printedPages().join('\n');
        QVERIFY2(printed.contains("Обратнов Нуль После") && printed.contains("Н.П. Обратнов"),
                 qPrintable(printed));
    }

    void layout()
    {
        const int id = addPerson("Счетов", {1515.12}, {100});
        Bill bill;
        bill.setTargetId(id);

        // The paths begin with "/": a root with a path of its own loses it.
        const QString root = environment().rootUrl();
        SettingsManager::instance()->setValue("connection/root_url", root + "api/");
        QTextDocument *document = built(bill);
        SettingsManager::instance()->setValue("connection/root_url", root);

        QStringList paths;
        for (const StandIn::Request &request : server().requests()) {
            paths << request.path;
            QCOMPARE(request.header("Content-Type"), QByteArray("application/json"));
            QCOMPARE(request.header("Authorization"), bearer());
        }
        const QString person = QString("/persons/%1").arg(id);
        QCOMPARE(paths, (QStringList{"/globals/OrganizationInfo", person,
                                     person + "/accommodation", person + "/payments"}));

        const QStringList paragraphs = bodyParagraphs(document);
        QCOMPARE(paragraphs.count("СЧЕТ №7\tот 10.12.2026"), 2);
        const QJsonObject organization = server().global("OrganizationInfo").toObject();
        QCOMPARE(paragraphs.count(organization["comment"].toString()), 2);

        const QList<QTextTable *> all = tables(document);
        QCOMPARE(all.size(), 8);
        QCOMPARE(cellText(all.at(0), 2, 1), QString(": Приказ № 5 от 09.01.2026"));
        QTextTable *services = all.at(1);
        const QStringList row{"1", "Проживание", "101 /Одноместный, душ/", "1",
                              "01.12.2026 12:00 - 03.12.2026 15:00", "2500.00 / 110.00", "2 / 3",
                              "1515.12 р."};
        for (int column = 0; column < row.size(); ++column) {
            QCOMPARE(cellText(services, 1, column), row.at(column));
            QCOMPARE(cellBlock(services, 1, column).blockFormat().alignment()
                         & Qt::AlignHorizontal_Mask,
                     column == 7 ? Qt::AlignRight : Qt::AlignHCenter);
        }
        QCOMPARE(services->cellAt(2, 0).columnSpan(), 7);
        QCOMPARE(all.at(2)->cellAt(2, 0).columnSpan(), 3);
        QCOMPARE(cellText(all.at(3), 0, 2), LoginManager::instance()->getName());
        QCOMPARE(cellText(all.at(3), 1, 2), QString("И.П. Счетов"));

        // Two copies, each closed by a dashed line.
        const QList<QTextTable *> lines = rules(document);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.at(0)->lastPosition() < all.at(4)->firstPosition());
        QVERIFY(lines.at(1)->firstPosition() > all.at(7)->lastPosition());

        // An empty comment adds neither its space nor a paragraph.
        const int blocks = document->blockCount();
        QJsonObject withoutComment = organization;
        withoutComment["comment"] = "";
        server().setGlobal("OrganizationInfo", withoutComment);
        const int blocksWithout = built(bill)->blockCount();
        server().setGlobal("OrganizationInfo", organization);
        QCOMPARE(blocksWithout, blocks - 4);
    }
};

LOMI_TEST_CLASS(BillTest)

#include "tst_bill.moc"
