#include "standinfixture.h"
#include "testregistry.h"

#include <QDateTime>
#include <QMap>

// Persons: the full name the card reads back, the keys a card's PUT keeps,
// the records that go with a deleted person, and the persons view's list.
class StandInPersonsTest : public StandInTestBase
{
    Q_OBJECT

    // Beside the fixture's person 1 (one stay in January 2020, no cost):
    // 11 imported, 12 without stays registered in March 2024, 13 with a stay
    // in May 2024 and one that covers "today" (10.06.2024), cost 1500.00.
    void addListPersons()
    {
        server->setNow(QDateTime(QDate(2024, 6, 10), QTime(9, 0)));
        server->addRecord("persons", {{"id", 11}, {"surname", "Импортов"}, {"imported", true}});
        server->addRecord("persons", {{"id", 12}, {"surname", "Гостев"},
                                        {"created", "2024-03-01T10:00:00.000"}});
        server->addRecord("persons", {{"id", 13}, {"surname", "Должников"}, {"name", "Олег"},
                                        {"organizationId", 1}, {"streamId", 1}, {"adminId", 1},
                                        {"externalId", 42}, {"comments", "VIP"}});
        server->addRecord("accommodation", {{"personId", 13}, {"roomId", 2}, {"rateId", 1},
                                              {"inDate", "2024-05-01T12:00:00.000"},
                                              {"outDate", "2024-05-05T12:00:00.000"}, {"cost", 1000}});
        server->addRecord("accommodation", {{"personId", 13}, {"roomId", 1}, {"rateId", 1},
                                              {"inDate", "2024-06-08T12:00:00.000"},
                                              {"outDate", "2024-06-12T12:00:00.000"}, {"cost", 500}});
        server->addRecord("payments", {{"personId", 13}, {"summ", 1499.99}});
    }

    QMap<int, QJsonObject> listed(const QString &query)
    {
        QMap<int, QJsonObject> rows;
        for (const QJsonValue &row : client->get("persons?pretty=true" + query).json().array())
            rows.insert(row.toObject().value("id").toInt(), row.toObject());
        return rows;
    }

private slots:
    void putKeepsWhatTheCardDoesNotSend()
    {
        QCOMPARE(getObject("persons/1").value("fullname"), QJsonValue("Иванов Иван Иванович"));

        // A person's admin stays unless the body names one; -1 clears it.
        QCOMPARE(client->put("persons/1", R"({"surname": "Петров", "organizationId": 1})").status, 200);
        QJsonObject person = getObject("persons/1");
        QCOMPARE(person.value("admin").toObject().value("id"), QJsonValue(2));
        QCOMPARE(person.value("billNum"), QJsonValue(7));
        QCOMPARE(person.value("stream"), QJsonValue(QJsonValue::Null));  // left out: none
        QCOMPARE(client->put("persons/1", R"({"surname": "Петров", "adminId": -1})").status, 200);
        QCOMPARE(getObject("persons/1").value("admin"), QJsonValue(QJsonValue::Null));
    }

    void aPersonsRecordsAreListedUnderThePerson()
    {
        const int other = server->addRecord("persons", {{"surname", "Сидоров"}});
        server->addRecord("payments", {{"personId", other}, {"summ", 10}});
        const QJsonArray payments = client->get("persons/1/payments").json().array();
        QVERIFY(!payments.isEmpty());
        for (const QJsonValue &payment : payments)
            QCOMPARE(payment.toObject().value("person").toObject().value("id"), QJsonValue(1));
        QCOMPARE(client->get(QStringLiteral("persons/%1/payments").arg(other)).json().array().size(), 1);
        QCOMPARE(client->get(QStringLiteral("persons/%1/accommodation").arg(other)).json().array(),
                 QJsonArray());
        QCOMPARE(client->get("persons/999/receipts").status, 404);
    }

    void deletingAPersonTakesItsRecordsAlong()
    {
        QCOMPARE(client->del("persons/1").status, 200);
        QCOMPARE(server->collection("accommodation"), QJsonArray());
        QCOMPARE(server->collection("payments"), QJsonArray());
        QCOMPARE(server->collection("rooms").size(), 2);
        // The log keeps what happened to the person, and records the deletion too.
        QCOMPARE(server->collection("audit").size(), 3);
    }

    void listRowsAndMarkers()
    {
        addListPersons();
        QMap<int, QJsonObject> rows = listed("");
        QCOMPARE(rows.keys(), (QList<int>{1, 11, 12, 13}));
        QCOMPARE(rows[1].value("marker"), QJsonValue("V"));
        QCOMPARE(rows[11].value("marker"), QJsonValue("E"));
        QCOMPARE(rows[12].value("marker"), QJsonValue("B"));
        QCOMPARE(rows[13].value("marker"), QJsonValue("D"));  // a kopeck short

        const QJsonObject expected{
            {"id", 13}, {"marker", "D"}, {"fullname", "Должников Олег"},
            {"birthDate", QJsonValue::Null}, {"region", "Москва"},
            {"stream", QJsonObject{{"name", "Поток"}, {"startDate", "2020-01-01T00:00:00.000"},
                                   {"endDate", "2020-02-01T00:00:00.000"}}},
            {"in", "2024-06-08T12:00:00.000"}, {"out", "2024-06-12T12:00:00.000"}, {"room", "101"},
            {"admin", "Админ"}, {"externalId", 42}, {"comments", "VIP"}};
        QCOMPARE(rows[13], expected);

        // Past the last stay the list shows the one that began last.
        server->setNow(QDateTime(QDate(2025, 1, 1), QTime(9, 0)));
        QCOMPARE(listed("")[13].value("room"), QJsonValue("101"));

        server->addRecord("payments", {{"personId", 13}, {"summ", 0.01}});
        QCOMPARE(listed("")[13].value("marker"), QJsonValue("V"));
    }

    void listFilters_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QList<int>>("ids");
        QTest::newRow("none") << "" << QList<int>{1, 11, 12, 13};
        QTest::newRow("year of a stay") << "&year=2020" << QList<int>{1};
        QTest::newRow("year of stays or of registration") << "&year=2024" << QList<int>{12, 13};
        QTest::newRow("year of nothing") << "&year=2023" << QList<int>{};
        QTest::newRow("a stay's last day") << "&date=03.01.2020" << QList<int>{1};
        QTest::newRow("between two stays") << "&date=06.05.2024" << QList<int>{};
        QTest::newRow("a stay's first day") << "&date=08.06.2024" << QList<int>{13};
        QTest::newRow("no such date") << "&date=31.02.2024" << QList<int>{};
    }

    void listFilters()
    {
        QFETCH(QString, query);
        QFETCH(QList<int>, ids);
        addListPersons();
        QCOMPARE(listed(query).keys(), ids);
    }

    void newPersonsAndMessages()
    {
        server->setNow(QDateTime(QDate(2024, 6, 10), QTime(9, 0)));
        const QJsonObject created =
            client->post("persons", R"({"surname": "Новиков", "imported": true})").json().object();
        const int id = created.value("id").toInt();
        QVERIFY(id > 0);
        QCOMPARE(created.value("billNum"), QJsonValue(0));
        QCOMPARE(listed("&year=2024").keys(), QList<int>{id});
        QCOMPARE(listed("")[id].value("marker"), QJsonValue("B"));

        server->addRecord("person_info", {{"personId", id}, {"message", "Проверьте документ"}});
        server->addRecord("person_info", {{"personId", 1}, {"message", "Долг"}});
        QJsonArray messages = client->get("persons/info").json().array();
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages.at(0).toObject().value("fullname"), QJsonValue("Новиков"));
        QCOMPARE(messages.at(0).toObject().value("message"), QJsonValue("Проверьте документ"));

        // The card's PUT neither moves the person to another year nor forgets the import.
        server->setNow(QDateTime(QDate(2025, 2, 1), QTime(9, 0)));
        QCOMPARE(client->put(QStringLiteral("persons/%1").arg(id), R"({"surname": "Новиков"})").status, 200);
        QCOMPARE(listed("&year=2024").keys(), QList<int>{id});
        QCOMPARE(client->del(QStringLiteral("persons/%1").arg(id)).status, 200);
        QCOMPARE(client->get("persons/info").json().array().size(), 1);
    }
};

LOMI_TEST_CLASS(StandInPersonsTest)

#include "tst_persons.moc"
