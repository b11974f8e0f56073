#include "standinfixture.h"
#include "testregistry.h"

// Stays: the nights, hours and cost the server computes, and the stays it refuses.
class StandInAccommodationTest : public StandInTestBase
{
    Q_OBJECT

    static QByteArray stay(int roomId, int rateId, const QString &in, const QString &out)
    {
        return json({{"personId", 1}, {"roomId", roomId}, {"rateId", rateId},
                     {"inDate", in}, {"outDate", out}, {"adminId", 1}});
    }

private slots:

    void costIsComputedOnEveryWrite()
    {
        // Two whole days and three and a half hours: the half hour counts as an hour.
        HttpResult created = client->post(
            "accommodation", stay(1, 1, "2020-03-01T12:00:00.000", "2020-03-03T15:30:00.000"));
        QCOMPARE(created.status, 201);
        QJsonObject row = created.json().object();
        QCOMPARE(row.value("days").toInt(), 2);
        QCOMPARE(row.value("hours").toInt(), 4);
        QCOMPARE(row.value("cost").toDouble(), 2 * 2500.0 + 4 * 100.0);
        QCOMPARE(row.value("admin").toObject().value("name"), QJsonValue("Админ"));
        QCOMPARE(row.value("rate").toObject().value("hourCost"), QJsonValue(100));
        QCOMPARE(row.value("room").toObject().value("number"), QJsonValue("101"));

        // The card's PUT sends zeros; the server counts again.
        QJsonObject edit = QJsonDocument::fromJson(
            stay(1, 1, "2020-03-01T12:00:00.000", "2020-03-02T12:00:00.000")).object();
        edit.insert("days", 0);
        edit.insert("hours", 0);
        edit.insert("cost", 0);
        const QString path = QStringLiteral("accommodation/%1").arg(row.value("id").toInt());
        QCOMPARE(client->put(path, json(edit)).status, 200);
        row = client->get(path).json().object();
        QCOMPARE(row.value("days").toInt(), 1);
        QCOMPARE(row.value("hours").toInt(), 0);
        QCOMPARE(row.value("cost").toDouble(), 2500.0);
    }

    void aBegunHourCountsWholeUpToADay_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("hours");
        QTest::newRow("a second past a day") << "2020-03-01T12:00:00.000" << "2020-03-02T12:00:01.000" << 1 << 1;
        QTest::newRow("seconds short of a week") << "2020-03-01T12:00:30.000" << "2020-03-08T12:00:00.000"
                                                 << 7 << 0;
    }

    void aBegunHourCountsWholeUpToADay()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QFETCH(int, days);
        QFETCH(int, hours);
        const QJsonObject row = client->post("accommodation", stay(1, 1, in, out)).json().object();
        QCOMPARE(row.value("days").toInt(), days);
        QCOMPARE(row.value("hours").toInt(), hours);
        QCOMPARE(row.value("cost").toDouble(), days * 2500.0 + hours * 100.0);
    }

    void staysWithoutRoomRateOrLengthAreRefused_data()
    {
        QTest::addColumn<QByteArray>("body");
        const QString in = "2020-03-01T12:00:00.000";
        const QString out = "2020-03-02T12:00:00.000";
        QTest::newRow("room 0") << stay(0, 1, in, out);
        QTest::newRow("rate -1") << stay(1, -1, in, out);
        QTest::newRow("unknown room") << stay(99, 1, in, out);
        QTest::newRow("unknown rate") << stay(1, 99, in, out);
        QTest::newRow("check-out at check-in") << stay(1, 1, in, in);
        QTest::newRow("check-out before check-in") << stay(1, 1, out, in);
        QTest::newRow("no dates") << stay(1, 1, "", "");
        // As the legacy import sends them.
        QTest::newRow("import, room 0") << QByteArray(R"({"personId": 1, "roomId": 0, "rateId": 1})");
        QTest::newRow("import, no rate") << QByteArray(R"({"personId": 1, "roomId": 1})");
    }

    void staysWithoutRoomRateOrLengthAreRefused()
    {
        QFETCH(QByteArray, body);
        expectRefusal("POST", "accommodation", body, 422);
        expectRefusal("PUT", "accommodation/1", body, 422);
    }
};

LOMI_TEST_CLASS(StandInAccommodationTest)

#include "tst_accommodation.moc"
