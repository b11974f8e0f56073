#include "documenttesting.h"
#include "testregistry.h"

#include "receipt.h"

using namespace ReportTestUtil;

class ReceiptTest : public DocumentTestBase
{
    Q_OBJECT

private slots:
    void serviceAndSum_data()
    {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<QStringList>("service");  // the service row, then "Основание:"
        QTest::addColumn<QString>("inWords");

        const QJsonObject curriculum{{"name", "Охрана труда"}, {"cost", 1500}, {"base", "Договор"}};
        QTest::newRow("extra service")
            << QJsonObject{{"extraService", QJsonObject{{"name", "Прокат утюга"},
                                                        {"measurement", "сутки"}, {"rate", 150},
                                                        {"base", "Приказ № 7"}}},
                           {"amount", 1.5}, {"summ", 1234.05},
                           {"payType", QJsonObject{{"attribute", -1}}}}
            << QStringList{"Прокат утюга", "сутки", "150.00", "1.5", "1234.05", "Приказ № 7"}
            << "одна тысяча двести тридцать четыре рублей 05 копеек";
        QTest::newRow("extra service that is no object")
            << QJsonObject{{"extraService", true}, {"amount", 2}, {"summ", 500},
                           {"curriculum", curriculum}}
            << QStringList{"", "", "0.00", "2", "500.00", ""} << "пятьсот рублей 00 копеек";
        QTest::newRow("paid education")
            << QJsonObject{{"curriculum", curriculum}, {"summ", 1500},
                           {"payType", QJsonObject{{"attribute", 1}}}}
            << QStringList{"Охрана труда", "услуга", "1500.00", "1", "1500.00", "Договор"}
            << "одна тысяча пятьсот рублей 00 копеек";
        QTest::newRow("paid education returned")
            << QJsonObject{{"curriculum", curriculum}, {"summ", 1500.30},
                           {"payType", QJsonObject{{"attribute", -1}}}}
            << QStringList{"Охрана труда", "услуга", "1500.00", "1", "-1500.30", "Договор"}
            << "минус одна тысяча пятьсот рублей 30 копеек";
        QTest::newRow("paid education awaiting payment")
            << QJsonObject{{"curriculum", curriculum}, {"summ", 1500},
                           {"payType", QJsonObject{{"attribute", 0}}}}
            << QStringList{"Охрана труда", "услуга", "1500.00", "1", "0.00", "Договор"}
            << "ноль рублей 00 копеек";
    }

    void serviceAndSum()
    {
        QFETCH(QJsonObject, record);
        QFETCH(QStringList, service);
        QFETCH(QString, inWords);

        Receipt receipt;
        receipt.setObject(record);
        const QList<QTextTable *> all = tables(built(receipt));
        QTextTable *table = all.at(1);
        for (int column = 0; column < 5; ++column)
            QCOMPARE(cellText(table, 1, column), service.at(column));
        QCOMPARE(cellText(table, 2, 4), service.at(4));
        QCOMPARE(cellText(all.at(0), 2, 1), service.at(5));
        QCOMPARE(cellText(all.at(2), 0, 1), inWords);
    }

    void layout()
    {
        Receipt receipt;
        receipt.setPerson("Заказов Пётр Ильич");
        receipt.setObject({{"number", 115}, {"startDate", "2026-11-22T10:00:00.000"},
                           {"endDate", "2026-11-27T10:00:00.000"},
                           {"payDate", "2026-11-22T00:00:00.000"},
                           {"cassir", QJsonObject{{"name", "Козлова Ирина Павловна"}}}});
        QTextDocument *document = built(receipt);

        const QJsonObject organization = server().global("OrganizationInfo").toObject();
        const QStringList copy{organization["name"].toString(),
                               QString("ИНН %1 КПП %2").arg(organization["inn"].toString(),
                                                            organization["kpp"].toString()),
                               organization["address"].toString(),
                               organization["extraAddress"].toString(), "Квитанция №115",
                               "(на оплату услуг)"};
        QCOMPARE(bodyParagraphs(document), copy + copy);

        const QList<QTextTable *> all = tables(document);
        QCOMPARE(cellText(all.at(0), 1, 1), QString("22.11.2026 - 27.11.2026"));
        QTextTable *signatures = all.at(2);
        QCOMPARE(cellText(signatures, 1, 1), QString("__________________П.И. Заказов"));
        QCOMPARE(cellText(signatures, 2, 1), QString("__________________Козлова Ирина Павловна"));
        QCOMPARE(cellText(signatures, 3, 1), QString("22.11.2026"));

        QCOMPARE(rules(document).size(), 2);
    }
};

LOMI_TEST_CLASS(ReceiptTest)

#include "tst_receipt.moc"
