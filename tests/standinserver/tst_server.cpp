#include "standinfixture.h"
#include "testregistry.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>

// The server apart from its domains: the bearer check in front of every
// path, fixtures and the demo data, and the executable.
class StandInServerTest : public StandInTestBase
{
    Q_OBJECT

    // The executable, built next to the tests.
    static QString program()
    {
        return QCoreApplication::applicationDirPath() + "/../StandInServer/standin-server";
    }

    static void write(const QTemporaryDir &dir, const QString &name, const QByteArray &json)
    {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(json);
    }

private slots:

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
        authorization.replace("TOKEN", server->lastToken().toUtf8());
        const QJsonObject before = snapshot();
        HttpClient stranger(server->rootUrl());
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
        QCOMPARE(snapshot(), before);
    }

    void signInsStayValidSideBySide()
    {
        const QString adminToken = server->lastToken();
        HttpClient cashier(server->rootUrl());
        QVERIFY(!cashier.signIn("kassa").isEmpty());
        QVERIFY(server->lastToken() != adminToken);
        QCOMPARE(cashier.get("districts").status, 200);
        QCOMPARE(client->get("districts").status, 200);

        // A user who no longer exists is signed out.
        QVERIFY(server->removeRecord("users", 2));
        QCOMPARE(cashier.get("districts").status, 401);
        QCOMPARE(client->get("districts").status, 200);
    }

    // What the demo users' rights let through: each one's refusals, and the
    // reads that the windows of each role's day make.
    void rightsGuardEveryRoute_data()
    {
        QTest::addColumn<QString>("password");  // empty: not signed in
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        const auto row = [](const char *tag, const char *password, const char *method,
                            const char *path, const QByteArray &body, int status) {
            QTest::newRow(tag) << QString(password) << QByteArray(method) << QString(path) << body
                               << status;
        };
        row("duty reads the passwords", "dezhur", "GET", "users", {}, 403);
        row("duty grants himself rights", "dezhur", "PUT", "users/2",
            R"({"name": "Б", "password": "dezhur", "permissions": {"users": 3}})", 403);
        row("storekeeper pays", "sklad", "POST", "payments", R"({"personId": 1, "summ": 1})", 403);
        row("storekeeper deletes a payment", "sklad", "DELETE", "payments/1", {}, 403);
        row("storekeeper sets a password", "sklad", "PUT", "users/1", R"({"password": "x"})", 403);
        row("storekeeper reads another user", "sklad", "GET", "users/1", {}, 403);
        row("storekeeper sets the checkout hour", "sklad", "PUT", "globals/CheckoutHour",
            R"({"value": "10:00:00"})", 403);
        row("cashier edits the details", "kassa", "PUT", "globals/OrganizationInfo",
            R"({"value": {}})", 403);
        row("duty runs the cash report", "dezhur", "GET", "reports/cass", {}, 403);
        row("page header", "sklad", "GET", "/globals/OrganizationInfo", {}, 200);
        row("checkout hour", "sklad", "GET", "/globals/CheckoutHour", {}, 200);
        row("own record", "sklad", "GET", "users/4", {}, 200);
        row("duty's card: payments", "dezhur", "GET", "persons/1/payments", {}, 200);
        row("duty's card: receipts", "dezhur", "GET", "persons/1/receipts", {}, 200);
        row("duty's card: education", "dezhur", "GET", "persons/1/paid_education_receipts", {}, 200);
        row("cashier's card: organizations", "kassa", "GET", "organizations?excludeArchive=true",
            {}, 200);
        row("cashier's card: positions", "kassa", "GET", "positions", {}, 200);
        row("cashier's statement: streams", "kassa", "GET", "streams", {}, 200);
        row("cashier's receipt: curriculums", "kassa", "GET", "curriculums?paidOnly=true", {}, 200);
        row("stranger's body", "", "POST", "districts", R"({"name": "X"})", 401);
        row("oversized body", "kassa", "POST", "payments", QByteArray(2 << 20, ' '), 413);
    }

    void rightsGuardEveryRoute()
    {
        QFETCH(QString, password);
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QVERIFY(server->loadFixture(StandIn::Server::demoFixturePath()));
        HttpClient user(server->rootUrl());
        QVERIFY(password.isEmpty() || !user.signIn(password).isEmpty());
        const QJsonObject before = snapshot();

        const HttpResult result = user.send(method, path, body);
        QCOMPARE(result.status, status);
        // None of them holds the right on users.
        QVERIFY(!result.body.contains("\"password\""));
        if (status >= 400) {
            QCOMPARE(result.json().object().value("Ok"), QJsonValue(false));
            QVERIFY(!result.json().object().value("message").toString().isEmpty());
            QCOMPARE(snapshot(), before);
        }
        // The body of a stranger, or one too large, is never taken.
        if (status == 401 || status == 413)
            QCOMPARE(server->requests().last().body, QByteArray());
    }

    void executablePrintsRootAndPassword_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("districts");
        QTest::newRow("fixture file")
            << QStringList{"--data", QStringLiteral(LOMI_TEST_DATA_DIR "/fixture.json")} << "secret" << 2;
        QTest::newRow("demo directory by default") << QStringList() << "admin" << 3;
    }

    void executablePrintsRootAndPassword()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, password);
        QFETCH(int, districts);
        if (!QFileInfo::exists(program()))
            QSKIP("standin-server is not built next to the tests");
        QProcess process;
        process.start(program(), arguments);
        QVERIFY(process.waitForStarted());
        while (process.peek(4096).count('\n') < 2)
            QVERIFY2(process.waitForReadyRead(10000), "no output from standin-server");
        const QString root = QString::fromUtf8(process.readLine()).trimmed();
        const QString passwordLine = QString::fromUtf8(process.readLine()).trimmed();
        QVERIFY2(root.startsWith("http://127.0.0.1:") && root.endsWith('/'), qPrintable(root));
        QVERIFY2(passwordLine.endsWith(": " + password), qPrintable(passwordLine));

        HttpClient standalone(root);
        QVERIFY(!standalone.signIn(password).isEmpty());
        QCOMPARE(standalone.get("districts").json().array().size(), districts);
        process.kill();
        process.waitForFinished();
    }

    void executableRefusesAMissingFixture()
    {
        if (!QFileInfo::exists(program()))
            QSKIP("standin-server is not built next to the tests");
        QProcess process;
        process.start(program(), {"--data", "/nonexistent/fixture.json"});
        QVERIFY(process.waitForFinished(10000));
        QVERIFY(process.exitCode() != 0);
        QVERIFY(process.readAllStandardOutput().isEmpty());
    }
    void fixtureDirectoryIsMerged()
    {
        QTemporaryDir dir;
        write(dir, "a.json", R"({"globals": {"CheckoutHour": "11:00:00"},
                                 "districts": [{"id": 1, "name": "A"}],
                                 "property": [{"id": 1, "name": "Утюг"}]})");
        write(dir, "b.json", R"({"globals": {"ReceiptNumber": 3},
                                 "districts": [{"id": 2, "name": "B"}, {"name": "C"}],
                                 "properties": [{"id": 2, "name": "Чайник"}]})");
        write(dir, "notes.txt", "not a fixture");
        QString error;
        QVERIFY2(server->loadFixture(dir.path(), &error), qPrintable(error));
        QCOMPARE(ids(server->collection("districts")), QList<int>({1, 2, 3}));
        QCOMPARE(ids(server->collection("properties")), QList<int>({1, 2}));
        QCOMPARE(server->global("CheckoutHour"), QJsonValue("11:00:00"));
        QCOMPARE(server->global("ReceiptNumber"), QJsonValue(3));
    }

    void fixtureClashesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<QStringList>("named");  // the files the error names
        const QStringList both{"first.json", "second.json"};
        QTest::newRow("record id twice") << QByteArray(R"({"districts": [{"id": 2}, {"id": 1}]})") << both;
        QTest::newRow("by another name") << QByteArray(R"({"properties": [{"id": 5}]})") << both;
        QTest::newRow("globals key twice")
            << QByteArray(R"({"globals": {"CheckoutHour": "10:00:00"}})") << both;
        QTest::newRow("not JSON") << QByteArray(R"({"districts": )") << QStringList{"second.json"};
    }

    void fixtureClashesAreRefused()
    {
        QFETCH(QByteArray, second);
        QFETCH(QStringList, named);
        QTemporaryDir dir;
        write(dir, "first.json", R"({"globals": {"CheckoutHour": "11:00:00"},
                                     "districts": [{"id": 1}], "property": [{"id": 5}]})");
        write(dir, "second.json", second);
        const QJsonObject before = snapshot();
        QString error;
        QVERIFY(!server->loadFixture(dir.path(), &error));
        for (const QString &file : named)
            QVERIFY2(error.contains(file), qPrintable(error));
        QCOMPARE(snapshot(), before);
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
        // A paid-education receipt carries what its curriculum costs: it prints that total.
        for (const QJsonValue &receipt : demo.collection("paid_education_receipts")) {
            const QJsonObject curriculum = demo.record("curriculums", receipt["curriculumId"].toInt());
            QCOMPARE(receipt["summ"].toDouble(), curriculum["cost"].toDouble());
        }

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

    // The demo as a clerk meets it: the card's four-character code field finds
    // every organization, the year filter shows every person, and a person's
    // audit export lists everything done in their card, deletions included.
    void demoShowsEveryRecordWhereTheProgramLooks()
    {
        StandIn::Server demo;
        QString error;
        QVERIFY2(demo.loadFixture(StandIn::Server::demoFixturePath(), &error), qPrintable(error));
        demo.start();
        HttpClient admin(demo.rootUrl());
        QVERIFY(!admin.signIn("admin").isEmpty());

        for (const QJsonValue &row : demo.collection("organizations")) {
            const QString code = row.toObject().value("code").toString();
            QVERIFY2(!code.isEmpty() && code.size() <= 4, qPrintable(code));
            const QString found = QString::fromUtf8(QUrl::toPercentEncoding(code));
            QCOMPARE(admin.get("organizations?code=" + found).json().object().value("id"),
                     row.toObject().value("id"));
        }

        QSet<int> persons;
        for (const QJsonValue &row : demo.collection("persons")) {
            const int id = row.toObject().value("id").toInt();
            persons.insert(id);
            const QDate created = QDateTime::fromString(row.toObject().value("created").toString(),
                                                        Qt::ISODateWithMs)
                                      .date();
            QVERIFY2(created.isValid(), qPrintable(QString::number(id)));
            const QJsonArray year = admin.get(QStringLiteral("persons?pretty=true&year=%1")
                                                  .arg(created.year()))
                                        .json()
                                        .array();
            QVERIFY2(ids(year).contains(id), qPrintable(QString::number(id)));
        }

        int deletions = 0;
        for (const QJsonValue &row : demo.collection("audit")) {
            const QJsonObject entry = row.toObject();
            if (!entry.value("where").toString().contains(QStringLiteral("ФЛ")))
                continue;
            const int target = entry.value("target").toInt();
            const QString what = entry.value("what").toString();
            QVERIFY2(persons.contains(target), qPrintable(what));
            QVERIFY2(ids(admin.get(QStringLiteral("/audit?target=%1").arg(target)).json().array())
                         .contains(entry.value("id").toInt()),
                     qPrintable(what));
            deletions += what.startsWith(QStringLiteral("Удал")) ? 1 : 0;
        }
        QCOMPARE(deletions, 3);
    }
};

LOMI_TEST_CLASS(StandInServerTest)

#include "tst_server.moc"
