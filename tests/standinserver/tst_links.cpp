#include "standinfixture.h"
#include "testregistry.h"

#include <QTest>

using IdList = QList<int>;

// The rates of a room and the property items of an extra service.
class StandInLinksTest : public QObject
{
    Q_OBJECT

    StandInFixture f;

    QJsonArray getArray(const QString &path) { return f.client->get(path).json().array(); }

private slots:
    void init() { QVERIFY(f.setUp()); }
    void cleanup() { f.tearDown(); }

    void linkSubCollections()
    {
        QCOMPARE(StandInFixture::ids(getArray("rooms/1/rates?availableOnly=true")), IdList({3}));
        QCOMPARE(StandInFixture::ids(getArray("rooms/1/rates?availableOnly=false")), IdList({1, 2}));

        QCOMPARE(f.client->post("rooms/1/rates", R"({"rateId": 3})").status, 200);
        f.expectRefusal("POST", "rooms/1/rates", R"({"rateId": 3})", 409);  // no second link
        // The legacy import posts the id 0 of a record it could not match.
        QCOMPARE(f.client->post("rooms/1/rates", R"({"rateId": 0})").status, 200);
        QCOMPARE(StandInFixture::ids(getArray("rooms/1/rates?availableOnly=false")), IdList({1, 2, 3}));
        QCOMPARE(f.client->del("/rooms/1/rates/1").status, 200);
        QCOMPARE(StandInFixture::ids(getArray("rooms").at(0).toObject().value("rates").toArray()),
                 IdList({2, 3}));

        // Archived property is never offered; the receipt dialog reads the linked, actual ones.
        QCOMPARE(StandInFixture::ids(
                     getArray("extra_services/1/property?availableOnly=true&actualOnly=true")),
                 IdList({2}));
        QCOMPARE(StandInFixture::ids(getArray("extra_services/1/property?availableOnly=false")),
                 IdList({1}));
        QCOMPARE(f.client->post("extra_services/1/property", R"({"propertyId": 3})").status, 200);
        // A repeated item is taken as linked already, not refused and not linked twice.
        QCOMPARE(f.client->post("extra_services/1/property", R"({"propertyId": 3})").status, 200);
        QCOMPARE(f.server->record("extra_services", 1).value("propertyIds").toArray(),
                 QJsonArray({1, 3}));
        QCOMPARE(StandInFixture::ids(getArray("extra_services/1/property?actualOnly=true")),
                 IdList({1}));
        QCOMPARE(f.client->del("extra_services/1/property/1").status, 200);
        QCOMPARE(f.server->record("extra_services", 1).value("propertyIds").toArray(), QJsonArray({3}));
    }
};

LOMI_TEST_CLASS(StandInLinksTest)

#include "tst_links.moc"
