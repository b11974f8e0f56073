#include "standinfixture.h"
#include "testregistry.h"

// What the legacy import writes and the 1C export reads.
class StandInExchangeTest : public StandInTestBase
{
    Q_OBJECT

    int created(const QString &path, const QJsonObject &body)
    {
        const HttpResult result = client->post(path, json(body));
        return result.status == 201 ? result.json().object().value("id").toInt() : -result.status;
    }

private slots:
    void takesTheImportsBodies()
    {
        const int region = created("regions", {{"districtId", 0}, {"name", "Тверская"}, {"code", 69}});
        QVERIFY(region > 0);
        QCOMPARE(getObject(QString("regions/%1").arg(region)).value("district"), QJsonValue());
        const int stream = created("streams", {{"name", "Поток 2"}, {"startDate", "2020-09-01"},
                                               {"endDate", ""}, {"curriculumId", 0}});
        QCOMPARE(getObject(QString("streams/%1").arg(stream)).value("startDate"), QJsonValue("2020-09-01"));

        // The bill number of the older system stays, a payment after it too.
        const int person = created("persons", {{"surname", "Петрова"}, {"billNum", 12}, {"adminId", 0}});
        QVERIFY(person > 0);
        QVERIFY(created("payments", {{"personId", person}, {"summ", 100}, {"payTypeId", 1},
                                     {"payDate", "2024-03-01T10:00:00.000"}, {"cassirId", 0}}) > 0);
        QCOMPARE(getObject(QString("persons/%1").arg(person)).value("billNum"), QJsonValue(12));
        QVERIFY(created("accommodation", {{"personId", person}, {"roomId", 1}, {"rateId", 1},
                                          {"inDate", "2024-03-05T12:00:00.000"}, {"outDate", ""}}) > 0);

        // A link to 0 is accepted and links nothing.
        QCOMPARE(client->post("rooms/2/rates", R"({"rateId": 0})").status, 200);
        QCOMPARE(server->record("rooms", 2).value("rateIds").toArray(), QJsonArray());
        QCOMPARE(client->post("extra_services/1/property", R"({"propertyId": 0})").status, 200);

        QCOMPARE(client->put("globals/BillNumber",
                               R"({"value": {"number": 100, "lastChange": "2024-03-01"}})").status, 200);
        QCOMPARE(server->global("BillNumber"),
                 QJsonValue(QJsonObject{{"number", 100}, {"lastChange", "2024-03-01"}}));
    }

    void aStreamsRosterListsItsPersonsInIdOrder()
    {
        server->addRecord("persons", {{"id", 9}, {"streamId", 1}});
        server->addRecord("persons", {{"id", 5}, {"surname", "Сидоров"}, {"streamId", 1}});
        server->addRecord("persons", {{"id", 6}, {"surname", "Чужой"}});
        const QJsonArray roster = client->get("/streams/1/persons").json().array();
        QCOMPARE(ids(roster), QList<int>({1, 5, 9}));
        QCOMPARE(roster.at(1).toObject().value("fullname"), QJsonValue("Сидоров"));
        QVERIFY(!roster.at(2).toObject().contains("fullname"));
        QCOMPARE(client->get("streams/99/persons").status, 404);
        QCOMPARE(client->get("streams/x/persons").status, 400);
    }
};

LOMI_TEST_CLASS(StandInExchangeTest)

#include "tst_exchange.moc"
