#include "documenttesting.h"
#include "testregistry.h"

#include "bill.h"
#include "settingsmanager.h"

using namespace ReportTestUtil;

class BillTest : public DocumentTestBase
{
    Q_OBJECT

    static QStringList sumLines(QTextDocument *document)
    {
        QStringList lines;
        for (const QString &paragraph : bodyParagraphs(document)) {
            if (paragraph.startsWith("Сумма счёта") || paragraph.startsWith("Оплачено")
                || paragraph.startsWith("К оплате"))
                lines << paragraph;
        }
        return lines;
    }

    static QString lastRow(QTextTable *table, int column)
    {
        return cellText(table, table->rows() - 1, column);
    }

private slots:
    void sumsInFiguresAndWords_data()
    {
        QTest::addColumn<QList<double>>("stays");
        QTest::addColumn<QList<double>>("payments");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("underpaid") << QList<double>{1000, 500} << QList<double>{1000}
            << QStringList{"1500.00 руб. (одна тысяча пятьсот рублей 00 копеек)",
                           "1000.00 руб. (одна тысяча рублей 00 копеек)",
                           "500.00 руб. (пятьсот рублей 00 копеек)"};
        QTest::newRow("fully paid") << QList<double>{1500.5} << QList<double>{1500.5}
            << QStringList{"1500.50 руб. (одна тысяча пятьсот рублей 50 копеек)",
                           "1500.50 руб. (одна тысяча пятьсот рублей 50 копеек)",
                           "0.00 руб. (ноль рублей 00 копеек)"};
        QTest::newRow("overpaid") << QList<double>{1000} << QList<double>{1500.30}
            << QStringList{"1000.00 руб. (одна тысяча рублей 00 копеек)",
                           "1500.30 руб. (одна тысяча пятьсот рублей 30 копеек)",
                           "-500.30 руб. (минус пятьсот рублей 30 копеек)"};
        QTest::newRow("a sum a hair below a whole") << QList<double>{1515.12, 285.28, 219.60}
            << QList<double>{}
            << QStringList{"2020.00 руб. (две тысячи двадцать рублей 00 копеек)",
                           "0.00 руб. (ноль рублей 00 копеек)",
                           "2020.00 руб. (две тысячи двадцать рублей 00 копеек)"};
        QTest::newRow("overpaid by less than a rouble") << QList<double>{1000}
            << QList<double>{1000.5}
            << QStringList{"1000.00 руб. (одна тысяча рублей 00 копеек)",
                           "1000.50 руб. (одна тысяча рублей 50 копеек)",
                           "-0.50 руб. (минус ноль рублей 50 копеек)"};
    }

    // The figures, the words and the "ИТОГО" cells all come from the same
    // rounded totals.
    void sumsInFiguresAndWords()
    {
        QFETCH(QList<double>, stays);
        QFETCH(QList<double>, payments);
        QFETCH(QStringList, lines);

        Bill bill;
        bill.setTargetId(addPerson("Суммов", stays, payments));
        QTextDocument *document = built(bill);
        const QStringList printed = sumLines(document);
        const QStringList once{"Сумма счёта: " + lines.at(0) + "\t\tНДС не облагается",
                               "Оплачено: " + lines.at(1), "К оплате: " + lines.at(2)};
        QCOMPARE(printed, once + once);
        const QList<QTextTable *> all = tables(document);
        QCOMPARE(lastRow(all.at(1), 7), lines.at(0).section(' ', 0, 0) + " р.");
        QCOMPARE(lastRow(all.at(2), 3), lines.at(1).section(' ', 0, 0) + " р.");
    }

    void payerRow_data()
    {
        QTest::addColumn<QList<double>>("payments");
        QTest::addColumn<int>("payerOnPayment");
        QTest::addColumn<QStringList>("labels");

        const QStringList without{"ФИО", "Организация", "Основание"};
        QTest::newRow("no payments") << QList<double>{} << -1 << without;
        QTest::newRow("payer on the first") << QList<double>{100, 200} << 0
                                            << QStringList{"ФИО", "Организация", "Плательщик",
                                                           "Основание"};
        QTest::newRow("payer on a later one only") << QList<double>{100, 200} << 1 << without;
    }

    void payerRow()
    {
        QFETCH(QList<double>, payments);
        QFETCH(int, payerOnPayment);
        QFETCH(QStringList, labels);

        Bill bill;
        bill.setTargetId(addPerson("Плательщиков", {1000}, payments, payerOnPayment));
        QTextTable *information = tables(built(bill)).at(0);
        QStringList shown;
        for (int row = 0; row < information->rows(); ++row)
            shown << cellText(information, row, 0);
        QCOMPARE(shown, labels);
        if (labels.contains("Плательщик"))
            QCOMPARE(cellText(information, 2, 1),
                     QString(": ООО «Технопром» (Контракт № 45-К/2026)"));
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
        const QString comment =
            server().global("OrganizationInfo").toObject()["comment"].toString();
        QCOMPARE(paragraphs.count(comment), 2);

        const QList<QTextTable *> all = tables(document);
        QCOMPARE(all.size(), 8);
        QTextTable *information = all.at(0);
        QCOMPARE(cellText(information, 0, 1), QString(": Счетов Иван Петрович"));
        QCOMPARE(cellText(information, 1, 1), QString(": ООО «Технопром»"));
        QCOMPARE(cellText(information, 2, 1), QString(": Приказ № 5 от 09.01.2026"));

        QTextTable *services = all.at(1);
        QCOMPARE(services->rows(), 3);
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
        QCOMPARE(cellText(services, 2, 0), QString("ИТОГО"));

        QTextTable *payments = all.at(2);
        QCOMPARE(cellText(payments, 1, 1), QString("02.12.2026"));
        QCOMPARE(cellText(payments, 1, 2), QString("Наличные"));
        QCOMPARE(cellText(payments, 1, 3), QString("100.00 р."));
        QCOMPARE(payments->cellAt(2, 0).columnSpan(), 3);

        QTextTable *signatures = all.at(3);
        QCOMPARE(cellText(signatures, 0, 2), LoginManager::instance()->getName());
        QCOMPARE(cellText(signatures, 1, 0), QString("Счёт получил"));
        QCOMPARE(cellText(signatures, 1, 2), QString("И.П. Счетов"));

        // Two copies, each closed by a dashed line after its comment.
        const QList<QTextTable *> lines = rules(document);
        QCOMPARE(lines.size(), 2);
        for (QTextTable *line : lines)
            QVERIFY(line->format().property(ReportEngine::HLineElement::RuleProperty).toBool());
        QVERIFY(lines.at(0)->firstPosition() > findBlock(document, comment).position());
        QVERIFY(lines.at(0)->lastPosition() < all.at(4)->firstPosition());
        QVERIFY(lines.at(1)->firstPosition() > all.at(7)->lastPosition());

        // An empty comment adds neither its space nor a paragraph.
        const QJsonValue organization = server().global("OrganizationInfo");
        QJsonObject withoutComment = organization.toObject();
        withoutComment["comment"] = "";
        server().setGlobal("OrganizationInfo", withoutComment);
        const int blocksWith = document->blockCount();
        const int blocksWithout = built(bill)->blockCount();
        server().setGlobal("OrganizationInfo", organization);
        QCOMPARE(blocksWithout, blocksWith - 4);
    }
};

LOMI_TEST_CLASS(BillTest)

#include "tst_bill.moc"
