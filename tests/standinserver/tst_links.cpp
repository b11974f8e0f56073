#include "standinfixture.h"
#include "testregistry.h"

// The rates of a room and the property items of an extra service.
class StandInLinksTest : public StandInTestBase
{
    Q_OBJECT

private slots:

    void linkSubCollections()
    {
        QCOMPARE(ids(getArray("rooms/1/rates?availableOnly=true")), IdList({3}));
        QCOMPARE(ids(getArray("rooms/1/rates?availableOnly=false")), IdList({1, 2}));

        QCOMPARE(client->post("rooms/1/rates", R"({"rateId": 3})").status, 200);
        expectRefusal("POST", "rooms/1/rates", R"({"rateId": 3})", 409);  // no second link
        // The legacy import posts the id 0 of a record it could not match.
        QCOMPARE(client->post("rooms/1/rates", R"({"rateId": 0})").status, 200);
        QCOMPARE(ids(getArray("rooms/1/rates?availableOnly=false")), IdList({1, 2, 3}));
        QCOMPARE(client->del("/rooms/1/rates/1").status, 200);
        QCOMPARE(ids(getArray("rooms").at(0).toObject().value("rates").toArray()), IdList({2, 3}));

        // Archived property is never offered; the receipt dialog reads the linked, actual ones.
        QCOMPARE(ids(getArray("extra_services/1/property?availableOnly=true&actualOnly=true")),
                 IdList({2}));
        QCOMPARE(ids(getArray("extra_services/1/property?availableOnly=false")), IdList({1}));
        QCOMPARE(client->post("extra_services/1/property", R"({"propertyId": 3})").status, 200);
        // A repeated item is taken as linked already, not refused and not linked twice.
        QCOMPARE(client->post("extra_services/1/property", R"({"propertyId": 3})").status, 200);
        QCOMPARE(server->record("extra_services", 1).value("propertyIds").toArray(), QJsonArray({1, 3}));
        QCOMPARE(ids(getArray("extra_services/1/property?actualOnly=true")), IdList({1}));
        QCOMPARE(client->del("extra_services/1/property/1").status, 200);
        QCOMPARE(server->record("extra_services", 1).value("propertyIds").toArray(), QJsonArray({3}));
    }
};

LOMI_TEST_CLASS(StandInLinksTest)

#include "tst_links.moc"
