#include "standinfixture.h"
#include "testregistry.h"

// The globals documents, read and replaced whole.
class StandInGlobalsTest : public StandInTestBase
{
    Q_OBJECT

private slots:

    void globalsDocuments()
    {
        QCOMPARE(getObject("globals/CheckoutHour"), QJsonObject({{"value", "12:00:00"}}));
        QCOMPARE(getObject("/globals/ReceiptNumber").value("value"), QJsonValue(10));
        QCOMPARE(getObject("globals/BillNumber").value("value").toObject().value("number"), QJsonValue(5));
        QCOMPARE(getObject("/globals/OrganizationInfo").value("value").toObject().value("name"),
                 QJsonValue("Центр"));

        const QJsonObject info{{"name", "Н"}, {"address", "А"}, {"extraAddress", ""},
                               {"inn", "1"}, {"kpp", "2"}, {"comment", "К"}};
        QCOMPARE(client->put("globals/OrganizationInfo", json({{"value", info}})).status, 200);
        QCOMPARE(client->put("/globals/ReceiptNumber", R"({"value": 41})").status, 200);
        QCOMPARE(server->global("OrganizationInfo"), QJsonValue(info));
        QCOMPARE(getObject("globals/ReceiptNumber").value("value"), QJsonValue(41));

        expectRefusal("PUT", "globals/CheckoutHour", R"({"hour": "10:00:00"})", 400);
        expectRefusal("GET", "globals/Nothing", {}, 404);
    }
};

LOMI_TEST_CLASS(StandInGlobalsTest)

#include "tst_globals.moc"
