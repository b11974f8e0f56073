#include "standinfixture.h"
#include "testregistry.h"

#include <QJsonDocument>

// Users: sign-in, their permission records, what a nested user shows and
// what a PUT keeps.
class StandInUsersTest : public StandInTestBase
{
    Q_OBJECT

private slots:

    void signInAnswersTokenAndUser()
    {
        HttpClient cashier(server->rootUrl());
        const HttpResult result =
            cashier.post("login", json({{"password", "kassa"}}));
        QCOMPARE(result.status, 200);
        const QJsonObject reply = result.json().object();
        QVERIFY(!reply.value("token").toString().isEmpty());
        QCOMPARE(reply.value("token").toString(), server->lastToken());
        const QJsonObject user = reply.value("user").toObject();
        QCOMPARE(user.value("id").toInt(), 2);
        QCOMPARE(user.value("name").toString(), QStringLiteral("Кассир"));
        const QJsonObject permissions = user.value("permissions").toObject();
        QCOMPARE(permissions.value("persons").toInt(), 1);
        QCOMPARE(permissions.value("userId").toInt(), 2);
        QVERIFY(!user.contains("password"));
    }

    void wrongSignInIsRefused_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::newRow("wrong password") << QByteArray(R"({"password": "nope"})") << 401;
        QTest::newRow("another user's name") << QByteArray(R"({"password": "Админ"})") << 401;
        QTest::newRow("empty password") << QByteArray(R"({"password": ""})") << 401;
        QTest::newRow("password not a string") << QByteArray(R"({"password": 123})") << 401;
        QTest::newRow("no password") << QByteArray("{}") << 401;
        QTest::newRow("not JSON") << QByteArray("password=secret") << 400;
        QTest::newRow("empty body") << QByteArray() << 400;
    }

    void wrongSignInIsRefused()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        const QString before = server->lastToken();
        HttpClient anonymous(server->rootUrl());
        const HttpResult result = anonymous.post("login", body);
        QCOMPARE(result.status, status);
        QVERIFY(result.error != QNetworkReply::NoError);
        QVERIFY(!result.hasHeader("WWW-Authenticate"));
        QCOMPARE(result.json().object().value("Ok"), QJsonValue(false));
        QCOMPARE(server->lastToken(), before);
    }

    void nestedUsersCarryTheirNameOnly()
    {
        QCOMPARE(getObject("payments/2").value("cassir").toObject(),
                 QJsonObject({{"id", 2}, {"name", "Кассир"}}));
        QCOMPARE(getObject("persons/1").value("admin").toObject(),
                 QJsonObject({{"id", 2}, {"name", "Кассир"}}));
        QVERIFY(!QJsonDocument(getObject("accommodation/1")).toJson().contains("secret"));

        // The users list itself is what the administration edits.
        const QJsonObject user = client->get("users").json().array().at(1).toObject();
        for (const char *key : {"password", "position", "rv", "rv0", "permissions"})
            QVERIFY2(user.contains(key), key);
        QCOMPARE(user.value("permissions").toObject().value("id"), QJsonValue(2));
    }

    void putKeepsWhatTheWindowsDoNotSend()
    {
        // The user editor sends name, password and position only.
        QCOMPARE(client->put("users/2", R"({"name": "Касса", "password": "k2", "position": "Старший"})").status,
                 200);
        QJsonObject user = server->record("users", 2);
        QCOMPARE(user.value("name"), QJsonValue("Касса"));
        QCOMPARE(user.value("rv"), QJsonValue("1"));
        QCOMPARE(user.value("permissions").toObject().value("persons"), QJsonValue(1));

        // The permissions table sends the whole user back with the toggled bits.
        user.insert("permissions", QJsonObject{{"persons", 3}, {"users", 1}, {"districts", 0},
                                               {"id", 2}, {"userId", 2}});
        user.insert("rv", QJsonValue::Null);
        QCOMPARE(client->put("users/2", json(user)).status, 200);
        QCOMPARE(server->record("users", 2), user);
        HttpClient cashier(server->rootUrl());
        QCOMPARE(cashier.signIn("k2").isEmpty(), false);

        expectRefusal("PUT", "users/2", R"({"name": "x", "permissions": 3})", 422);
    }

    void newUserGetsEveryNodeWithoutRights()
    {
        const HttpResult created =
            client->post("users", R"({"name": "Новый", "password": "new", "position": ""})");
        QCOMPARE(created.status, 201);
        const int id = created.json().object().value("id").toInt();
        QCOMPARE(id, 3);
        const QJsonObject permissions = server->record("users", id).value("permissions").toObject();
        QCOMPARE(permissions.size(), 22 + 2);
        for (const char *node : {"accommodation", "receiptNumber", "servicePayments", "users"})
            QCOMPARE(permissions.value(node), QJsonValue(0));
        QCOMPARE(permissions.value("userId"), QJsonValue(3));
        HttpClient newcomer(server->rootUrl());
        QVERIFY(!newcomer.signIn("new").isEmpty());
    }

    void userWithoutPermissionRecordKeepsHavingNone()
    {
        server->addRecord("users", {{"id", 9}, {"name", "Старый"}, {"password", "old"}});
        QCOMPARE(client->put("users/9", R"({"name": "Старый", "password": "old2", "position": ""})").status,
                 200);
        QVERIFY(!server->record("users", 9).contains("permissions"));
        HttpClient old(server->rootUrl());
        QVERIFY(!old.signIn("old2").isEmpty());
    }
};

LOMI_TEST_CLASS(StandInUsersTest)

#include "tst_users.moc"
