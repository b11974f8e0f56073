#include "standinfixture.h"
#include "testregistry.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

// Sign-in, the bearer check in front of every other path, and the executable.
class StandInSignInTest : public QObject
{
    Q_OBJECT

    StandInFixture f;

private slots:
    void init() { QVERIFY(f.setUp()); }
    void cleanup() { f.tearDown(); }

    void signInAnswersTokenAndUser()
    {
        HttpClient cashier(f.server->rootUrl());
        const HttpResult result =
            cashier.post("login", StandInFixture::json({{"password", "kassa"}}));
        QCOMPARE(result.status, 200);
        const QJsonObject reply = result.json().object();
        QVERIFY(!reply.value("token").toString().isEmpty());
        QCOMPARE(reply.value("token").toString(), f.server->lastToken());
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
        const QString before = f.server->lastToken();
        HttpClient anonymous(f.server->rootUrl());
        const HttpResult result = anonymous.post("login", body);
        QCOMPARE(result.status, status);
        QVERIFY(result.error != QNetworkReply::NoError);
        QVERIFY(!result.hasHeader("WWW-Authenticate"));
        QCOMPARE(result.json().object().value("Ok"), QJsonValue(false));
        QCOMPARE(f.server->lastToken(), before);
    }

    void requestsNeedABearerToken_data()
    {
        QTest::addColumn<QByteArray>("authorization");
        QTest::newRow("no header") << QByteArray();
        QTest::newRow("bearer without token") << QByteArray("Bearer ");
        QTest::newRow("unknown token") << QByteArray("Bearer 0f0f0f0f");
        QTest::newRow("other scheme") << QByteArray("Basic TOKEN");
        QTest::newRow("token alone") << QByteArray("TOKEN");
        QTest::newRow("token glued to the scheme") << QByteArray("BearerTOKEN");
    }

    void requestsNeedABearerToken()
    {
        QFETCH(QByteArray, authorization);
        authorization.replace("TOKEN", f.server->lastToken().toUtf8());
        const QJsonObject before = f.snapshot();
        HttpClient stranger(f.server->rootUrl());
        stranger.setAuthorization(authorization);

        for (const HttpResult &result :
             {stranger.get("districts"), stranger.post("districts", R"({"name": "X"})"),
              stranger.put("globals/CheckoutHour", R"({"value": "10:00:00"})"),
              stranger.del("positions/1"), stranger.get("nowhere/at/all")}) {
            QCOMPARE(result.status, 401);
            QCOMPARE(result.error, QNetworkReply::AuthenticationRequiredError);
            QVERIFY(!result.hasHeader("WWW-Authenticate"));
            QCOMPARE(result.header("Content-Length").toInt(), result.body.size());
            QCOMPARE(result.json().object().value("Ok"), QJsonValue(false));
        }
        QCOMPARE(f.snapshot(), before);
    }

    void signInsStayValidSideBySide()
    {
        const QString adminToken = f.server->lastToken();
        HttpClient cashier(f.server->rootUrl());
        QVERIFY(!cashier.signIn("kassa").isEmpty());
        QVERIFY(f.server->lastToken() != adminToken);
        QCOMPARE(cashier.get("districts").status, 200);
        QCOMPARE(f.client->get("districts").status, 200);

        // A user who no longer exists is signed out.
        QVERIFY(f.server->removeRecord("users", 2));
        QCOMPARE(cashier.get("districts").status, 401);
        QCOMPARE(f.client->get("districts").status, 200);
    }

    void executablePrintsRootAndPassword()
    {
        const QString program = QCoreApplication::applicationDirPath()
                                + "/../StandInServer/standin-server";
        if (!QFileInfo::exists(program))
            QSKIP("standin-server is not built next to the tests");
        QProcess process;
        process.start(program, {"--data", QStringLiteral(LOMI_TEST_DATA_DIR "/fixture.json")});
        QVERIFY(process.waitForStarted());
        while (process.peek(4096).count('\n') < 2)
            QVERIFY2(process.waitForReadyRead(10000), "no output from standin-server");
        const QString root = QString::fromUtf8(process.readLine()).trimmed();
        const QString passwordLine = QString::fromUtf8(process.readLine()).trimmed();
        QVERIFY2(root.startsWith("http://127.0.0.1:") && root.endsWith('/'), qPrintable(root));
        QVERIFY2(passwordLine.endsWith(": secret"), qPrintable(passwordLine));

        HttpClient client(root);
        QVERIFY(!client.signIn("secret").isEmpty());
        QCOMPARE(client.get("districts").json().array().size(), 2);
        process.kill();
        process.waitForFinished();
    }

    void executableRefusesAMissingFixture()
    {
        const QString program = QCoreApplication::applicationDirPath()
                                + "/../StandInServer/standin-server";
        if (!QFileInfo::exists(program))
            QSKIP("standin-server is not built next to the tests");
        QProcess process;
        process.start(program, {"--data", "/nonexistent/fixture.json"});
        QVERIFY(process.waitForFinished(10000));
        QVERIFY(process.exitCode() != 0);
        QVERIFY(process.readAllStandardOutput().isEmpty());
    }
};

LOMI_TEST_CLASS(StandInSignInTest)

#include "tst_signin.moc"
