#include "standinfixture.h"
#include "testregistry.h"

// The audit log, whole or for one person, and the entry each write adds.
class StandInAuditTest : public StandInTestBase
{
    Q_OBJECT

private slots:

    void entriesOfOneTarget()
    {
        QCOMPARE(ids(getArray("/audit?target=1")), QList<int>({1}));
        QCOMPARE(ids(getArray("audit?pretty=true")), QList<int>({1, 2}));
        // An entry that concerns no person is nobody's, not person 0's.
        QCOMPARE(ids(getArray("/audit?target=0")), QList<int>());
    }

    void deletionBelongsToThePersonOfTheRecord_data()
    {
        QTest::addColumn<QString>("collection");
        QTest::newRow("stay") << "accommodation";
        QTest::newRow("payment") << "payments";
        QTest::newRow("receipt") << "receipts";
        QTest::newRow("paid education") << "paid_education_receipts";
    }

    // The person's audit export lists the removal of their records, though
    // neither the DELETE nor its answer names the person.
    void deletionBelongsToThePersonOfTheRecord()
    {
        QFETCH(QString, collection);
        const int id = server->addRecord(collection, {{"personId", 1}, {"extraServiceId", 1},
                                                      {"curriculumId", 2}, {"payTypeId", 1}});
        QCOMPARE(client->del(QStringLiteral("%1/%2").arg(collection).arg(id)).status, 200);

        const QJsonArray entries = getArray("/audit?target=1");
        QCOMPARE(entries.size(), 2);
        const QJsonObject removal = entries.last().toObject();
        QCOMPARE(removal.value("where"), QJsonValue(collection));
        QCOMPARE(removal.value("what"), QJsonValue("Удаление"));
    }

    void everyWriteIsRecorded()
    {
        server->setNow(QDateTime(QDate(2024, 3, 1), QTime(9, 5)));
        QCOMPARE(client->put("persons/1", R"({"surname": "Петров"})").status, 200);
        server->setNow(QDateTime(QDate(2019, 6, 1), QTime(8, 0)));
        QCOMPARE(client->post("payments", R"({"personId": 1, "amount": 10})").status, 201);
        QCOMPARE(client->post("positions", R"({"name": "Техник"})").status, 201);
        QCOMPARE(client->del("positions/2").status, 200);
        // Refused and failed writes, reads and sign-ins leave no entry.
        expectRefusal("PUT", "persons/999", "{}", 404);
        HttpClient(server->rootUrl()).signIn("kassa");

        const QJsonArray all = getArray("audit?pretty=true");
        QCOMPARE(all.size(), 6);
        QCOMPARE(all.at(2).toObject(), QJsonObject({{"id", 3},
                                                    {"when", "2024-03-01T09:05:00.000"},
                                                    {"user", "Админ"},
                                                    {"where", "persons"},
                                                    {"what", "Изменение"},
                                                    {"target", 1}}));
        QCOMPARE(all.at(3).toObject().value("what"), QJsonValue("Создание"));
        QCOMPARE(all.at(5).toObject().value("what"), QJsonValue("Удаление"));
        QVERIFY(!all.at(5).toObject().contains("target"));

        // One person's entries in the order they happened, not as stored.
        QCOMPARE(ids(getArray("/audit?target=1")), QList<int>({4, 1, 3}));
    }
};

LOMI_TEST_CLASS(StandInAuditTest)

#include "tst_audit.moc"
