#include "standinfixture.h"
#include "testregistry.h"

#include <QDateTime>
#include <QJsonDocument>

// The generic collections: CRUD with nested references, bad input, the list
// filters (the common ones, the clock they read, and the directories' own:
// contracts among the pay types, property written off), link sub-collections,
// and the rules and write hooks that domains register.
class StandInCollectionsTest : public StandInTestBase
{
    Q_OBJECT

private slots:

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

        HttpResult created = client->post(
            collection, R"({"code": "69", "districtId": 2, "name": "Тверская область"})");
        QCOMPARE(created.status, 201);
        const QJsonObject region = created.json().object();
        const int id = region.value("id").toInt();
        QCOMPARE(id, 3);
        QCOMPARE(region.value("district").toObject(), QJsonObject({{"id", 2}, {"name", "Северный"}}));

        const QJsonArray list = getArray(collection + query);
        QCOMPARE(ids(list), IdList({1, 2, 3}));
        QCOMPARE(list.at(2).toObject().value("district").toObject().value("name").toString(),
                 QStringLiteral("Северный"));
        QCOMPARE(list.at(1).toObject().value("district"), QJsonValue(QJsonValue::Null));  // id -1

        const QString item = QStringLiteral("%1/%2").arg(collection).arg(id);
        QCOMPARE(getObject(item + query), region);

        // PUT replaces the record; the id comes from the path, nested objects are not stored.
        const HttpResult updated = client->put(
            item, R"({"id": 99, "code": "69", "districtId": 1, "name": "Тверь", "district": {"id": 2}})");
        QCOMPARE(updated.status, 200);
        QCOMPARE(server->record("regions", id),
                 QJsonObject({{"id", id}, {"code", "69"}, {"districtId", 1}, {"name", "Тверь"}}));
        QCOMPARE(getObject(item).value("district").toObject().value("name").toString(),
                 QStringLiteral("Центральный"));

        QCOMPARE(client->del(item).status, 200);
        QVERIFY(server->record("regions", id).isEmpty());
        QCOMPARE(client->get(item).status, 404);
        QCOMPARE(server->collection("regions").size(), 2);
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
        QVERIFY(!getObject("payments/2").contains("payer"));
        QCOMPARE(getObject("persons/1").value("stream").toObject().value("curriculum").toObject()
                     .value("name"),
                 QJsonValue("Бесплатная"));

        // Links become arrays of the linked records.
        const QJsonArray rooms = getArray("rooms");
        QCOMPARE(ids(rooms.at(0).toObject().value("rates").toArray()), IdList({1, 2}));
        QCOMPARE(rooms.at(1).toObject().value("rates").toArray(), QJsonArray());
        QCOMPARE(getArray("extra_services").at(0).toObject().value("property").toArray().at(0)
                     .toObject().value("name"),
                 QJsonValue("Утюг"));
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
    }

    void badInputIsRefusedAndChangesNothing()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        expectRefusal(method, path, body, status);
    }

    void deletingALinkedRecordUnlinksIt()
    {
        QCOMPARE(client->del("rates/2").status, 200);
        QCOMPARE(server->record("rooms", 1).value("rateIds").toArray(), QJsonArray({1}));
        QCOMPARE(client->del("properties/1").status, 200);
        QCOMPARE(server->record("extra_services", 1).value("propertyIds").toArray(), QJsonArray());
    }

    void putReplacesAllButTheLinks()
    {
        // A pay type saved without a payer loses it; a room keeps its rate links.
        QCOMPARE(client->put("pay_type/2", R"({"name": "Контракт", "attribute": 1})").status, 200);
        QVERIFY(!getObject("pay_type/2").contains("payer"));
        QCOMPARE(client->put("rooms/1", R"({"number": "101а", "floor": 1, "size": 1})").status, 200);
        QCOMPARE(ids(getObject("rooms/1").value("rates").toArray()), IdList({1, 2}));
    }

    void listFilters_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<IdList>("expected");
        QTest::newRow("rates") << "rates" << IdList{1, 2, 3};
        QTest::newRow("rates actual (open end, future start)") << "rates?actualOnly=true" << IdList{1};
        QTest::newRow("pay types, pretty") << "pay_type?pretty=true" << IdList{1, 2, 3};
        QTest::newRow("organizations without archive") << "organizations?excludeArchive=true" << IdList{1};
        QTest::newRow("same, pretty") << "organizations?excludeArchive=true&pretty=true" << IdList{1};
        QTest::newRow("flag false") << "organizations?excludeArchive=false" << IdList{1, 2};
        QTest::newRow("paid curricula") << "curriculums?paidOnly=true" << IdList{2};
        QTest::newRow("extra services actual") << "extra_services?actualOnly=true" << IdList{1};
        QTest::newRow("unknown query items are ignored") << "districts?foo=bar&year=2024" << IdList{1, 2};
        QTest::newRow("pay types for payments") << "pay_type?payerOnly=false&actualOnly=true" << IdList{1, 2};
        QTest::newRow("payer pay types") << "pay_type?payerOnly=true&actualOnly=true" << IdList{2};
        QTest::newRow("property alias, actual") << "property?actualOnly=true" << IdList{1, 2};
        QTest::newRow("properties") << "/properties" << IdList{1, 2, 3};
    }

    void listFilters()
    {
        QFETCH(QString, path);
        QFETCH(IdList, expected);
        compareIds(path, expected);
    }

    void actualOnlyReadsTheServersClock()
    {
        // Rate 3 starts on 1 January 2098 and has no end.
        QCOMPARE(ids(getArray("rates?actualOnly=true")), IdList({1}));
        server->setNow(QDateTime(QDate(2097, 12, 31), QTime(23, 59)));
        QCOMPARE(ids(getArray("rates?actualOnly=true")), IdList({1}));
        server->setNow(QDateTime(QDate(2098, 1, 1), QTime(0, 0)));
        QCOMPARE(server->now(), QDateTime(QDate(2098, 1, 1), QTime(0, 0)));
        QCOMPARE(ids(getArray("rates?actualOnly=true")), IdList({1, 3}));
        server->setNow({});
        QCOMPARE(ids(getArray("rates?actualOnly=true")), IdList({1}));
    }

    void domainRulesComputeRefuseAndHook()
    {
        QList<QPair<QString, int>> writes;  // path and user of each write the hooks saw
        server->afterWrite([&writes](const StandIn::Write &write) {
            writes.append({write.parts.join('/'), write.userId});
        });
        StandIn::CollectionRules &positions = server->rules("positions");
        positions.prepare.append([](QJsonObject &record, const QJsonObject &stored,
                                    const StandIn::Request &) -> std::optional<StandIn::Reply> {
            if (record.value("name").toString().isEmpty())
                return StandIn::Reply::error(422, "name: требуется значение");
            record.insert("edits", stored.value("edits").toInt() + 1);
            return std::nullopt;
        });
        positions.derived.insert("shout", [](const QJsonObject &stored) -> QJsonValue {
            return stored.value("name").toString().toUpper();
        });

        expectRefusal("POST", "positions", R"({"name": ""})", 422);
        expectRefusal("PUT", "positions/1", R"({"name": ""})", 422);
        const HttpResult created = client->post("positions", R"({"name": "Техник", "shout": "x"})");
        QCOMPARE(created.status, 201);
        QCOMPARE(created.json().object().value("shout"), QJsonValue("ТЕХНИК"));
        QCOMPARE(server->record("positions", 2),
                 QJsonObject({{"id", 2}, {"name", "Техник"}, {"edits", 1}}));
        QCOMPARE(client->put("positions/2", R"({"name": "Механик"})").status, 200);
        QCOMPARE(server->record("positions", 2).value("edits"), QJsonValue(2));
        QCOMPARE(getObject("persons/1").value("position").toObject().value("shout"),
                 QJsonValue("ИНЖЕНЕР"));

        // Reads, refusals and sign-ins are no writes.
        HttpClient cashier(server->rootUrl());
        QVERIFY(!cashier.signIn("kassa").isEmpty());
        QCOMPARE(cashier.del("positions/1").status, 409);
        QCOMPARE(cashier.del("positions/2").status, 200);
        QCOMPARE(writes, (QList<QPair<QString, int>>{{"positions", 1}, {"positions/2", 1},
                                                     {"positions/2", 2}}));
    }
};

LOMI_TEST_CLASS(StandInCollectionsTest)

#include "tst_collections.moc"
