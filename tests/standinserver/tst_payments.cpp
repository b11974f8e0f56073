#include "standinfixture.h"
#include "testregistry.h"

// Payments: the bill number a person's first payment opens, and the pay types
// offered for a person.
class StandInPaymentsTest : public StandInTestBase
{
    Q_OBJECT

private slots:

    void firstPaymentOpensTheBill()
    {
        const int newcomer = server->addRecord("persons", {{"surname", "Новиков"}, {"billNum", 0}});
        const QByteArray body = json(
            {{"personId", newcomer}, {"summ", 100}, {"payDate", "2020-01-01T12:00:00.000"},
             {"payTypeId", 1}, {"cassirId", 1}});
        server->setNow(QDateTime(QDate(2020, 5, 6), QTime(9, 0)));

        HttpResult first = client->post("payments", body);
        QCOMPARE(first.status, 201);
        QCOMPARE(first.json().object().value("billNumber"), QJsonValue(6));
        QVERIFY(first.json().object().value("id").toInt() > 0);
        QCOMPARE(server->record("persons", newcomer).value("billNum"), QJsonValue(6));
        QCOMPARE(server->global("BillNumber"),
                 QJsonValue(QJsonObject{{"number", 6}, {"lastChange", "2020-05-06"}}));

        // Later payments, and those of a person with a bill, are entered on it.
        QCOMPARE(client->post("payments", body).json().object().value("billNumber"), QJsonValue(6));
        QJsonObject other = QJsonDocument::fromJson(body).object();
        other.insert("personId", 1);
        QCOMPARE(client->post("payments", json(other)).json().object()
                     .value("billNumber"), QJsonValue(7));
        QCOMPARE(server->global("BillNumber").toObject().value("number"), QJsonValue(6));
    }

    void payTypesForAPerson_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<IdList>("expected");
        // Person 1 works for organization 1, whose contract is pay type 2;
        // pay type 4 is organization 2's contract.
        QTest::newRow("payment dialog's list") << "payerOnly=false&actualOnly=true&person=1" << IdList{1, 2};
        QTest::newRow("payer lookup") << "payerOnly=true&actualOnly=true&person=1" << IdList{2};
        QTest::newRow("person of another organization") << "payerOnly=true&person=2" << IdList{4};
        QTest::newRow("person without organization") << "payerOnly=false&person=3" << IdList{1, 3};
        QTest::newRow("no person") << "payerOnly=true" << IdList{2, 4};
    }

    void payTypesForAPerson()
    {
        QFETCH(QString, query);
        QFETCH(IdList, expected);
        server->addRecord("pay_type", {{"id", 4}, {"name", "Контракт Беты"}, {"attribute", 1},
                                       {"payerId", 2}});
        server->addRecord("persons", {{"id", 2}, {"surname", "Бетов"}, {"organizationId", 2}});
        server->addRecord("persons", {{"id", 3}, {"surname", "Свободный"}});
        QCOMPARE(ids(client->get("pay_type?" + query).json().array()), expected);
    }
};

LOMI_TEST_CLASS(StandInPaymentsTest)

#include "tst_payments.moc"
