#include "standinfixture.h"
#include "testregistry.h"

#include <QJsonDocument>
#include <QTest>

using IdList = QList<int>;

// The generic collections: CRUD with nested references, bad input, filters,
// link sub-collections and the globals documents.
class StandInCollectionsTest : public QObject
{
    Q_OBJECT

    StandInFixture f;

    QJsonObject getObject(const QString &path) { return f.client->get(path).json().object(); }
    QJsonArray getArray(const QString &path) { return f.client->get(path).json().array(); }

private slots:
    void init() { QVERIFY(f.setUp()); }
    void cleanup() { f.tearDown(); }

    void crudWithNestedReference_data()
    {
        QTest::addColumn<QString>("collection");
        QTest::addColumn<QString>("query");
        QTest::newRow("relative") << "regions" << "";
        QTest::newRow("leading slash") << "/regions" << "";
        QTest::newRow("pretty") << "regions" << "?pretty=true";
        QTest::newRow("leading slash, pretty") << "/regions" << "?pretty=true";
    }

    void crudWithNestedReference()
    {
        QFETCH(QString, collection);
        QFETCH(QString, query);

        HttpResult created = f.client->post(
            collection, R"({"code": "69", "districtId": 2, "name": "Тверская область"})");
        QCOMPARE(created.status, 201);
        const QJsonObject region = created.json().object();
        const int id = region.value("id").toInt();
        QCOMPARE(id, 3);
        QCOMPARE(region.value("district").toObject(), QJsonObject({{"id", 2}, {"name", "Северный"}}));

        const QJsonArray list = getArray(collection + query);
        QCOMPARE(StandInFixture::ids(list), IdList({1, 2, 3}));
        QCOMPARE(list.at(2).toObject().value("district").toObject().value("name").toString(),
                 QStringLiteral("Северный"));
        QCOMPARE(list.at(1).toObject().value("district"), QJsonValue(QJsonValue::Null));  // id -1

        const QString item = QStringLiteral("%1/%2").arg(collection).arg(id);
        QCOMPARE(getObject(item + query), region);

        // PUT replaces the record; the id comes from the path, nested objects are not stored.
        const HttpResult updated = f.client->put(
            item, R"({"id": 99, "code": "69", "districtId": 1, "name": "Тверь", "district": {"id": 2}})");
        QCOMPARE(updated.status, 200);
        QCOMPARE(f.server->record("regions", id),
                 QJsonObject({{"id", id}, {"code", "69"}, {"districtId", 1}, {"name", "Тверь"}}));
        QCOMPARE(getObject(item).value("district").toObject().value("name").toString(),
                 QStringLiteral("Центральный"));

        QCOMPARE(f.client->del(item).status, 200);
        QVERIFY(f.server->record("regions", id).isEmpty());
        QCOMPARE(f.client->get(item).status, 404);
        QCOMPARE(f.server->collection("regions").size(), 2);
    }

    void nestedObjectsFollowTheReferenceTable()
    {
        const QJsonObject organization = getObject("organizations/1");
        QCOMPARE(organization.value("region").toObject().value("district").toObject().value("name"),
                 QJsonValue("Центральный"));

        // A payment's payer is a pay type with its own payer; absent when there is none.
        const QJsonObject contract = getObject("payments/1");
        QCOMPARE(contract.value("payer").toObject().value("name"), QJsonValue("Контракт"));
        QCOMPARE(contract.value("payer").toObject().value("payer").toObject().value("name"),
                 QJsonValue("Альфа"));
        QCOMPARE(contract.value("payType").toObject().value("id"), QJsonValue(2));
        const QJsonObject cash = getObject("payments/2");
        QVERIFY(!cash.contains("payer"));

        // Users nested anywhere carry their name only: never a password.
        QCOMPARE(cash.value("cassir").toObject(), QJsonObject({{"id", 2}, {"name", "Кассир"}}));
        const QJsonObject person = getObject("persons/1");
        QCOMPARE(person.value("admin").toObject(), QJsonObject({{"id", 2}, {"name", "Кассир"}}));
        QCOMPARE(person.value("fullname"), QJsonValue("Иванов Иван Иванович"));
        QCOMPARE(person.value("stream").toObject().value("curriculum").toObject().value("name"),
                 QJsonValue("Бесплатная"));
        QVERIFY(!QJsonDocument(getObject("accommodation/1")).toJson().contains("secret"));

        // Links become arrays of the linked records.
        const QJsonArray rooms = getArray("rooms");
        QCOMPARE(StandInFixture::ids(rooms.at(0).toObject().value("rates").toArray()), IdList({1, 2}));
        QCOMPARE(rooms.at(1).toObject().value("rates").toArray(), QJsonArray());
        QCOMPARE(getArray("extra_services").at(0).toObject().value("property").toArray().at(0)
                     .toObject().value("name"),
                 QJsonValue("Утюг"));

        // The users list itself is what the administration edits.
        const QJsonObject user = getArray("users").at(1).toObject();
        for (const char *key : {"password", "position", "rv", "rv0", "permissions"})
            QVERIFY2(user.contains(key), key);
        QCOMPARE(user.value("permissions").toObject().value("id"), QJsonValue(2));
    }

    void badInputIsRefusedAndChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");

        QTest::newRow("POST not JSON") << QByteArray("POST") << "districts" << QByteArray("name=x") << 400;
        QTest::newRow("POST array") << QByteArray("POST") << "districts" << QByteArray("[1]") << 400;
        QTest::newRow("POST empty") << QByteArray("POST") << "districts" << QByteArray() << 400;
        QTest::newRow("PUT broken JSON") << QByteArray("PUT") << "districts/1" << QByteArray("{\"name\":") << 400;
        QTest::newRow("missing reference")
            << QByteArray("POST") << "regions" << QByteArray(R"({"name": "x", "districtId": 42})") << 422;
        QTest::newRow("reference as text")
            << QByteArray("POST") << "regions" << QByteArray(R"({"name": "x", "districtId": "1"})") << 422;
        QTest::newRow("reference not whole")
            << QByteArray("POST") << "regions" << QByteArray(R"({"name": "x", "districtId": 1.5})") << 422;
        QTest::newRow("PUT missing reference")
            << QByteArray("PUT") << "persons/1" << QByteArray(R"({"name": "x", "adminId": 42})") << 422;
        QTest::newRow("GET id not a number") << QByteArray("GET") << "districts/abc" << QByteArray() << 400;
        QTest::newRow("PUT id not a number") << QByteArray("PUT") << "districts/1x" << QByteArray("{}") << 400;
        QTest::newRow("DELETE id not a number") << QByteArray("DELETE") << "districts/1.5" << QByteArray() << 400;
        QTest::newRow("GET unknown id") << QByteArray("GET") << "districts/99" << QByteArray() << 404;
        QTest::newRow("PUT unknown id") << QByteArray("PUT") << "districts/99" << QByteArray("{}") << 404;
        QTest::newRow("DELETE unknown id") << QByteArray("DELETE") << "districts/99" << QByteArray() << 404;
        QTest::newRow("unknown collection") << QByteArray("GET") << "nowhere" << QByteArray() << 404;
        QTest::newRow("POST unknown collection") << QByteArray("POST") << "nowhere" << QByteArray("{}") << 404;
        QTest::newRow("unknown sub-path") << QByteArray("GET") << "districts/1/nothing" << QByteArray() << 404;
        QTest::newRow("DELETE a list") << QByteArray("DELETE") << "districts" << QByteArray() << 405;
        QTest::newRow("POST to a record") << QByteArray("POST") << "districts/1" << QByteArray("{}") << 405;
        QTest::newRow("PATCH") << QByteArray("PATCH") << "districts/1" << QByteArray("{}") << 405;
        QTest::newRow("DELETE referenced") << QByteArray("DELETE") << "districts/1" << QByteArray() << 409;
        QTest::newRow("DELETE referenced user") << QByteArray("DELETE") << "users/2" << QByteArray() << 409;
        QTest::newRow("link missing rate")
            << QByteArray("POST") << "rooms/1/rates" << QByteArray(R"({"rateId": 99})") << 422;
        QTest::newRow("link without id") << QByteArray("POST") << "rooms/1/rates" << QByteArray("{}") << 422;
        QTest::newRow("link not JSON") << QByteArray("POST") << "rooms/1/rates" << QByteArray("3") << 400;
        QTest::newRow("link to missing room")
            << QByteArray("POST") << "rooms/99/rates" << QByteArray(R"({"rateId": 1})") << 404;
        QTest::newRow("unlink what is not linked") << QByteArray("DELETE") << "rooms/1/rates/3" << QByteArray() << 404;
        QTest::newRow("unlink id not a number")
            << QByteArray("DELETE") << "extra_services/1/property/x" << QByteArray() << 400;
        QTest::newRow("global without value")
            << QByteArray("PUT") << "globals/CheckoutHour" << QByteArray(R"({"hour": "10:00:00"})") << 400;
        QTest::newRow("unknown global") << QByteArray("GET") << "globals/Nothing" << QByteArray() << 404;
        QTest::newRow("permissions not an object")
            << QByteArray("PUT") << "users/2" << QByteArray(R"({"name": "x", "permissions": 3})") << 422;
    }

    void badInputIsRefusedAndChangesNothing()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        QFETCH(QByteArray, body);
        QFETCH(int, status);

        const QJsonObject before = f.snapshot();
        const HttpResult result = f.client->send(method, path, body);
        QCOMPARE(result.status, status);
        const QJsonObject error = result.json().object();
        QCOMPARE(error.value("Ok"), QJsonValue(false));
        QVERIFY(!error.value("message").toString().isEmpty());
        QCOMPARE(f.snapshot(), before);
        QCOMPARE(f.client->get("districts").status, 200);  // and the server still serves
    }

    void deletingAPersonTakesItsRecordsAlong()
    {
        QCOMPARE(f.client->del("persons/1").status, 200);
        QCOMPARE(f.server->collection("accommodation"), QJsonArray());
        QCOMPARE(f.server->collection("payments"), QJsonArray());
        QCOMPARE(f.server->collection("rooms").size(), 2);
        QCOMPARE(f.server->collection("audit").size(), 2);
    }

    void deletingALinkedRecordUnlinksIt()
    {
        QCOMPARE(f.client->del("rates/2").status, 200);
        QCOMPARE(f.server->record("rooms", 1).value("rateIds").toArray(), QJsonArray({1}));
        QCOMPARE(f.client->del("properties/1").status, 200);
        QCOMPARE(f.server->record("extra_services", 1).value("propertyIds").toArray(), QJsonArray());
    }

    void putKeepsWhatTheWindowsDoNotSend()
    {
        // The user editor sends name, password and position only.
        QCOMPARE(f.client->put("users/2", R"({"name": "Касса", "password": "k2", "position": "Старший"})").status,
                 200);
        QJsonObject user = f.server->record("users", 2);
        QCOMPARE(user.value("name"), QJsonValue("Касса"));
        QCOMPARE(user.value("rv"), QJsonValue("1"));
        QCOMPARE(user.value("permissions").toObject().value("persons"), QJsonValue(1));

        // The permissions table sends the whole user back with the toggled bits.
        user.insert("permissions", QJsonObject{{"persons", 3}, {"users", 1}, {"districts", 0},
                                               {"id", 2}, {"userId", 2}});
        user.insert("rv", QJsonValue::Null);
        QCOMPARE(f.client->put("users/2", StandInFixture::json(user)).status, 200);
        QCOMPARE(f.server->record("users", 2), user);
        HttpClient cashier(f.server->rootUrl());
        QCOMPARE(cashier.signIn("k2").isEmpty(), false);

        // A person's admin stays unless the body names one; -1 clears it.
        QCOMPARE(f.client->put("persons/1", R"({"surname": "Петров", "organizationId": 1})").status, 200);
        QJsonObject person = getObject("persons/1");
        QCOMPARE(person.value("admin").toObject().value("id"), QJsonValue(2));
        QCOMPARE(person.value("billNum"), QJsonValue(7));
        QCOMPARE(person.value("stream"), QJsonValue(QJsonValue::Null));  // left out: none
        QCOMPARE(f.client->put("persons/1", R"({"surname": "Петров", "adminId": -1})").status, 200);
        QCOMPARE(getObject("persons/1").value("admin"), QJsonValue(QJsonValue::Null));

        // A pay type saved without a payer loses it; a room keeps its rate links.
        QCOMPARE(f.client->put("pay_type/2", R"({"name": "Контракт", "attribute": 1})").status, 200);
        QCOMPARE(getObject("pay_type/2").value("payer"), QJsonValue(QJsonValue::Null));
        QCOMPARE(f.client->put("rooms/1", R"({"number": "101а", "floor": 1, "size": 1})").status, 200);
        QCOMPARE(StandInFixture::ids(getObject("rooms/1").value("rates").toArray()), IdList({1, 2}));
    }

    void newUserGetsEveryNodeWithoutRights()
    {
        const HttpResult created =
            f.client->post("users", R"({"name": "Новый", "password": "new", "position": ""})");
        QCOMPARE(created.status, 201);
        const int id = created.json().object().value("id").toInt();
        QCOMPARE(id, 3);
        QCOMPARE(f.server->record("users", id).value("permissions").toObject(),
                 QJsonObject({{"districts", 0}, {"persons", 0}, {"users", 0}, {"id", 3}, {"userId", 3}}));
        HttpClient newcomer(f.server->rootUrl());
        QVERIFY(!newcomer.signIn("new").isEmpty());
    }

    void listFilters_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<IdList>("expected");
        QTest::newRow("rates") << "rates" << IdList{1, 2, 3};
        QTest::newRow("rates actual (open end, future start)") << "rates?actualOnly=true" << IdList{1};
        QTest::newRow("pay types for payments") << "pay_type?payerOnly=false&actualOnly=true" << IdList{1, 2};
        QTest::newRow("payer pay types") << "pay_type?payerOnly=true&actualOnly=true" << IdList{2};
        QTest::newRow("pay types, pretty") << "pay_type?pretty=true" << IdList{1, 2, 3};
        QTest::newRow("organizations without archive") << "organizations?excludeArchive=true" << IdList{1};
        QTest::newRow("same, pretty") << "organizations?excludeArchive=true&pretty=true" << IdList{1};
        QTest::newRow("flag false") << "organizations?excludeArchive=false" << IdList{1, 2};
        QTest::newRow("paid curricula") << "curriculums?paidOnly=true" << IdList{2};
        QTest::newRow("property alias, actual") << "property?actualOnly=true" << IdList{1, 2};
        QTest::newRow("properties") << "/properties" << IdList{1, 2, 3};
        QTest::newRow("extra services actual") << "extra_services?actualOnly=true" << IdList{1};
        QTest::newRow("audit of one person") << "/audit?target=1" << IdList{1};
        QTest::newRow("audit, pretty") << "audit?pretty=true" << IdList{1, 2};
        QTest::newRow("unknown query items are ignored") << "districts?foo=bar&year=2024" << IdList{1, 2};
    }

    void listFilters()
    {
        QFETCH(QString, path);
        QFETCH(IdList, expected);
        const HttpResult result = f.client->get(path);
        QCOMPARE(result.status, 200);
        QVERIFY(result.json().isArray());
        QCOMPARE(StandInFixture::ids(result.json().array()), expected);
    }

    void organizationByRawCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("id");
        QTest::newRow("plain") << "A-1" << 1;
        QTest::newRow("blank, plus and Cyrillic, unencoded") << "Б 2+" << 2;
        QTest::newRow("unknown") << "Z-9" << 0;
    }

    void organizationByRawCode()
    {
        QFETCH(QString, code);
        QFETCH(int, id);
        const HttpResult result = f.client->get("organizations?code=" + code);
        QCOMPARE(result.status, 200);
        if (id == 0) {
            QCOMPARE(result.body, QByteArray());
            return;
        }
        QVERIFY(result.json().isObject());
        QCOMPARE(result.json().object().value("id").toInt(), id);
        QCOMPARE(result.json().object().value("region").toObject().value("name"), QJsonValue("Москва"));
    }

    void linkSubCollections()
    {
        QCOMPARE(StandInFixture::ids(getArray("rooms/1/rates?availableOnly=true")), IdList({3}));
        QCOMPARE(StandInFixture::ids(getArray("rooms/1/rates?availableOnly=false")), IdList({1, 2}));

        QCOMPARE(f.client->post("rooms/1/rates", R"({"rateId": 3})").status, 200);
        QCOMPARE(f.client->post("rooms/1/rates", R"({"rateId": 3})").status, 200);  // no second link
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
        QCOMPARE(StandInFixture::ids(getArray("extra_services/1/property?actualOnly=true")),
                 IdList({1}));
        QCOMPARE(f.client->del("extra_services/1/property/1").status, 200);
        QCOMPARE(f.server->record("extra_services", 1).value("propertyIds").toArray(), QJsonArray({3}));
    }

    void globalsDocuments()
    {
        QCOMPARE(getObject("globals/CheckoutHour"), QJsonObject({{"value", "12:00:00"}}));
        QCOMPARE(getObject("/globals/ReceiptNumber").value("value"), QJsonValue(10));
        QCOMPARE(getObject("globals/BillNumber").value("value").toObject().value("number"), QJsonValue(5));
        QCOMPARE(getObject("/globals/OrganizationInfo").value("value").toObject().value("name"),
                 QJsonValue("Центр"));

        const QJsonObject info{{"name", "Н"}, {"address", "А"}, {"extraAddress", ""},
                               {"inn", "1"}, {"kpp", "2"}, {"comment", "К"}};
        QCOMPARE(f.client->put("globals/OrganizationInfo", StandInFixture::json({{"value", info}})).status,
                 200);
        QCOMPARE(f.client->put("/globals/ReceiptNumber", R"({"value": 41})").status, 200);
        QCOMPARE(f.server->global("OrganizationInfo"), QJsonValue(info));
        QCOMPARE(getObject("globals/ReceiptNumber").value("value"), QJsonValue(41));
    }

    void demoDataIsConsistent()
    {
        StandIn::Server demo;
        QString error;
        QVERIFY2(demo.loadFixture(StandIn::Server::demoFixturePath(), &error), qPrintable(error));

        // Every stored reference and link resolves.
        for (const QString &name : demo.collectionNames()) {
            for (const QJsonValue &row : demo.collection(name)) {
                const QJsonObject stored = row.toObject();
                const int id = stored.value("id").toInt();
                const QJsonObject expanded = demo.expandedRecord(name, id);
                for (auto it = stored.begin(); it != stored.end(); ++it) {
                    const QString where = QStringLiteral("%1/%2 %3").arg(name).arg(id).arg(it.key());
                    if (it.key().endsWith("Id") && it.key() != "externalId" && it.value().toInt() > 0)
                        QVERIFY2(expanded.value(it.key().chopped(2)).isObject(), qPrintable(where));
                    if (it.key().endsWith("Ids"))
                        QVERIFY2(it.value().toArray().size() > 0 || name == "extra_services",
                                 qPrintable(where));
                }
            }
        }
        QCOMPARE(demo.expandedRecord("rooms", 1).value("rates").toArray().size(), 2);

        // The administrator holds every node with both rights.
        demo.start();
        HttpClient admin(demo.rootUrl());
        QVERIFY(!admin.signIn("admin").isEmpty());
        const QJsonObject permissions =
            demo.record("users", 1).value("permissions").toObject();
        for (const char *node : {"persons", "curriculums", "streams", "districts", "regions",
                                 "positions", "organizations", "rates", "rooms", "payTypes",
                                 "extraServices", "property", "users", "audit", "receiptNumber"})
            QVERIFY2(permissions.value(node).toInt() == 3, node);
        HttpClient cashier(demo.rootUrl());
        QVERIFY(!cashier.signIn("kassa").isEmpty());
        QCOMPARE(admin.get("organizations?excludeArchive=true").json().array().size() + 1,
                 admin.get("organizations").json().array().size());
        QCOMPARE(admin.get("pay_type?payerOnly=true").json().array().size(), 1);
        for (const char *global : {"OrganizationInfo", "CheckoutHour", "ReceiptNumber", "BillNumber"})
            QVERIFY2(!demo.global(global).isNull(), global);
    }
};

LOMI_TEST_CLASS(StandInCollectionsTest)

#include "tst_collections.moc"
