#include "standinfixture.h"
#include "testregistry.h"

// The journals: receipts and rentals by year, and the register of contracts.
class StandInJournalsTest : public StandInTestBase
{
    Q_OBJECT

    void initTest() override
    {
        server->addRecord("pay_type", {{"id", 9}, {"name", "Возврат"}, {"attribute", -1}});
        const QJsonObject lent{{"personId", 1}, {"extraServiceId", 1}, {"number", 12}, {"amount", 2},
                               {"summ", 20}, {"payTypeId", 1}, {"cassirId", 2}, {"propertyId", 2},
                               {"startDate", "2021-12-31T10:00:00.000"},
                               {"payDate", "2022-01-01T00:00:00.000"}, {"receiverId", 1},
                               {"receiveDate", "2022-01-02T09:00:00.000"}};
        QJsonObject returned = lent;
        returned.insert("payTypeId", 9);
        QJsonObject plain = lent;
        plain.remove("propertyId");
        plain.insert("payDate", "2021-06-01T00:00:00.000");
        server->setCollection("receipts", QJsonArray());
        server->addRecord("receipts", lent);
        server->addRecord("receipts", returned);
        server->addRecord("receipts", plain);
    }

private slots:
    void byYear_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<IdList>("expected");
        QTest::newRow("receipts") << "receipts/journal" << IdList{1, 2, 3};
        QTest::newRow("receipts paid in 2022") << "receipts/journal?year=2022" << IdList{1, 2};
        QTest::newRow("receipts, year 0") << "receipts/journal?year=0" << IdList{};
        QTest::newRow("rentals, without the return") << "properties/journal" << IdList{1};
        QTest::newRow("rentals begun in 2021") << "properties/journal?year=2021" << IdList{1};
        QTest::newRow("rentals begun in 2022") << "properties/journal?year=2022" << IdList{};
    }

    void byYear()
    {
        QFETCH(QString, path);
        QFETCH(IdList, expected);
        compareIds(path, expected);
    }

    void rowsCarryNamesNotReferences()
    {
        const QJsonObject receipt = getArray("receipts/journal").at(0).toObject();
        QCOMPARE(receipt.value("fullname"), QJsonValue("Иванов Иван Иванович"));
        QCOMPARE(receipt.value("name"), QJsonValue("Прокат"));
        QCOMPARE(receipt.value("measurement"), QJsonValue("сутки"));
        QCOMPARE(receipt.value("rate"), QJsonValue(10));
        QCOMPARE(receipt.value("cost"), QJsonValue(20));
        QCOMPARE(receipt.value("payType"), QJsonValue("Наличные"));
        QCOMPARE(receipt.value("cassir"), QJsonValue("Кассир"));
        const QJsonObject rental = getArray("properties/journal").at(0).toObject();
        QCOMPARE(rental.value("name"), QJsonValue("Чайник"));
        QCOMPARE(rental.value("index"), QJsonValue("2"));
        QCOMPARE(rental.value("receiver"), QJsonValue("Админ"));
    }

    void contractsRegister()
    {
        // Organization 1's contract (pay type 2, 1000): person 1 has paid 100
        // on it; person 10 has a finished stay and no payment, and a stay
        // with three nights to come; person 11's payment awaits payment.
        server->setNow(QDateTime(QDate(2020, 1, 10), QTime(12, 0)));
        server->addRecord("pay_type", {{"id", 5}, {"name", "Ожидает"}, {"attribute", 0}});
        server->addRecord("persons", {{"id", 10}, {"surname", "Десятов"}, {"organizationId", 1}});
        server->addRecord("persons", {{"id", 11}, {"surname", "Одиннадцатов"}, {"organizationId", 1}});
        server->addRecord("payments", {{"personId", 11}, {"summ", 0}, {"payTypeId", 5}, {"payerId", 2}});
        auto stay = [](int person, const char *in, const char *out, double cost) {
            return QJsonObject{{"personId", person}, {"roomId", 1}, {"rateId", 1},
                               {"inDate", in}, {"outDate", out}, {"cost", cost}};
        };
        server->setCollection("accommodation", {
            stay(1, "2020-01-01T12:00:00.000", "2020-01-03T12:00:00.000", 300),
            stay(10, "2020-01-02T12:00:00.000", "2020-01-04T12:00:00.000", 400),
            stay(10, "2020-01-09T12:00:00.000", "2020-01-13T12:00:00.000", 0),
            stay(11, "2020-01-05T12:00:00.000", "2020-01-06T12:00:00.000", 250)});

        const QJsonArray rows = getArray("payments/contracts?rate=1500.5&year=2050");
        QCOMPARE(ids(rows), IdList{2});
        const QJsonObject contract = rows.at(0).toObject();
        QCOMPARE(contract.value("payer"), QJsonValue("Альфа"));
        QCOMPARE(contract.value("paid").toDouble(), 100.0);
        QCOMPARE(contract.value("awaitingPayment").toDouble(), 250.0);
        QCOMPARE(contract.value("awaitingBill").toDouble(), 400.0);
        QCOMPARE(contract.value("future").toDouble(), 3 * 1500.5);
        QCOMPARE(contract.value("left").toDouble(), 1000 - 100 - 250 - 400 - 3 * 1500.5);

        QCOMPARE(getArray("payments/contracts?rate=0").size(), 1);
        QCOMPARE(getArray("payments/contracts?rate=0&year=2100"), QJsonArray());
    }
};

LOMI_TEST_CLASS(StandInJournalsTest)

#include "tst_journals.moc"
