#include "standinfixture.h"
#include "testregistry.h"

#include <QTest>

// Persons: the full name the card reads back, the keys a card's PUT keeps,
// and the records that go with a deleted person.
class StandInPersonsTest : public QObject
{
    Q_OBJECT

    StandInFixture f;

    QJsonObject getObject(const QString &path) { return f.client->get(path).json().object(); }

private slots:
    void init() { QVERIFY(f.setUp()); }
    void cleanup() { f.tearDown(); }

    void putKeepsWhatTheCardDoesNotSend()
    {
        QCOMPARE(getObject("persons/1").value("fullname"), QJsonValue("Иванов Иван Иванович"));

        // A person's admin stays unless the body names one; -1 clears it.
        QCOMPARE(f.client->put("persons/1", R"({"surname": "Петров", "organizationId": 1})").status, 200);
        QJsonObject person = getObject("persons/1");
        QCOMPARE(person.value("admin").toObject().value("id"), QJsonValue(2));
        QCOMPARE(person.value("billNum"), QJsonValue(7));
        QCOMPARE(person.value("stream"), QJsonValue(QJsonValue::Null));  // left out: none
        QCOMPARE(f.client->put("persons/1", R"({"surname": "Петров", "adminId": -1})").status, 200);
        QCOMPARE(getObject("persons/1").value("admin"), QJsonValue(QJsonValue::Null));
    }

    void aPersonsRecordsAreListedUnderThePerson()
    {
        const int other = f.server->addRecord("persons", {{"surname", "Сидоров"}});
        f.server->addRecord("payments", {{"personId", other}, {"summ", 10}});
        const QJsonArray payments = f.client->get("persons/1/payments").json().array();
        QVERIFY(!payments.isEmpty());
        for (const QJsonValue &payment : payments)
            QCOMPARE(payment.toObject().value("person").toObject().value("id"), QJsonValue(1));
        QCOMPARE(f.client->get(QStringLiteral("persons/%1/payments").arg(other)).json().array().size(), 1);
        QCOMPARE(f.client->get(QStringLiteral("persons/%1/accommodation").arg(other)).json().array(),
                 QJsonArray());
        QCOMPARE(f.client->get("persons/999/receipts").status, 404);
    }

    void deletingAPersonTakesItsRecordsAlong()
    {
        QCOMPARE(f.client->del("persons/1").status, 200);
        QCOMPARE(f.server->collection("accommodation"), QJsonArray());
        QCOMPARE(f.server->collection("payments"), QJsonArray());
        QCOMPARE(f.server->collection("rooms").size(), 2);
        // The log keeps what happened to the person, and records the deletion too.
        QCOMPARE(f.server->collection("audit").size(), 3);
    }
};

LOMI_TEST_CLASS(StandInPersonsTest)

#include "tst_persons.moc"
