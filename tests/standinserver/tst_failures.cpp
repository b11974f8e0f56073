#include "standinfixture.h"
#include "testregistry.h"

#include <QTest>

using StandIn::Failure;
using StandIn::FailureKind;

Q_DECLARE_METATYPE(FailureKind)

// The record of requests and the failure injection.
class StandInFailuresTest : public QObject
{
    Q_OBJECT

    StandInFixture f;

    static Failure failure(FailureKind kind, int onlyCall = 0)
    {
        Failure result;
        result.kind = kind;
        result.onlyCall = onlyCall;
        return result;
    }

private slots:
    void init() { QVERIFY(f.setUp()); }
    void cleanup() { f.tearDown(); }

    void everyRequestIsRecordedAsSent()
    {
        f.server->clearRequests();
        const QByteArray body = R"({"name": "Южный"})";
        QCOMPARE(f.client->put("districts/2?pretty=true&date=05.03.2024&code=A b+c", body).status, 200);
        HttpClient stranger(f.server->rootUrl());
        QCOMPARE(stranger.get("/districts").status, 401);

        const QList<StandIn::Request> all = f.server->requests();
        QCOMPARE(all.size(), 2);
        const StandIn::Request &put = all.at(0);
        QCOMPARE(put.method, QByteArray("PUT"));
        QCOMPARE(put.path, QStringLiteral("/districts/2"));
        QCOMPARE(put.query, QStringLiteral("pretty=true&date=05.03.2024&code=A%20b+c"));
        QCOMPARE(put.queryValue("date"), QStringLiteral("05.03.2024"));
        QCOMPARE(put.queryValue("code"), QStringLiteral("A b+c"));
        QVERIFY(put.hasQueryItem("pretty") && !put.hasQueryItem("year"));
        QCOMPARE(put.header("authorization"), "Bearer " + f.server->lastToken().toUtf8());
        QCOMPARE(put.header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(put.body, body);
        QCOMPARE(put.json().object().value("name"), QJsonValue("Южный"));

        QCOMPARE(f.server->requestsTo("PUT", "districts/2").size(), 1);
        QCOMPARE(f.server->requestsTo("*", "/districts/2/").size(), 1);
        QCOMPARE(f.server->requestsTo("GET", "districts").size(), 1);  // the refused one too
        QVERIFY(!f.server->requestsTo("GET", "districts").at(0).hasHeader("Authorization"));
        f.server->clearRequests();
        QVERIFY(f.server->requests().isEmpty());
    }

    void failureModes_data()
    {
        QTest::addColumn<FailureKind>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("injectedBody");
        QTest::addColumn<QString>("expect");  // "body", "notJson", "okFalse", "empty"

        QTest::newRow("status with body")
            << FailureKind::Status << 503 << QByteArray(R"({"Ok": false, "message": "down"})") << "body";
        QTest::newRow("status, empty body") << FailureKind::Status << 404 << QByteArray() << "body";
        QTest::newRow("status 200 with an array")
            << FailureKind::Status << 200 << QByteArray(R"([{"id": 1}])") << "body";
        QTest::newRow("not JSON") << FailureKind::NotJson << 200 << QByteArray() << "notJson";
        QTest::newRow("Ok false") << FailureKind::OkFalse << 200 << QByteArray() << "okFalse";
        QTest::newRow("empty body") << FailureKind::EmptyBody << 200 << QByteArray() << "empty";
    }

    void failureModes()
    {
        QFETCH(FailureKind, kind);
        QFETCH(int, status);
        QFETCH(QByteArray, injectedBody);
        QFETCH(QString, expect);

        Failure injected = failure(kind);
        injected.status = status;
        injected.body = injectedBody;
        f.server->injectFailure("POST", "districts", injected);
        const QJsonObject before = f.snapshot();

        const HttpResult result = f.client->post("districts", R"({"name": "Новый"})");
        QCOMPARE(result.status, status);
        QCOMPARE(result.header("Content-Length").toInt(), result.body.size());
        if (expect == "body") {
            QCOMPARE(result.body, injectedBody);
        } else if (expect == "notJson") {
            QVERIFY(!result.body.isEmpty());
            QJsonParseError error;
            QJsonDocument::fromJson(result.body, &error);
            QVERIFY(error.error != QJsonParseError::NoError);
        } else if (expect == "okFalse") {
            QCOMPARE(result.json().object().value("Ok"), QJsonValue(false));
        } else {
            QCOMPARE(result.body, QByteArray());
        }
        // An injected failure never reaches the data, and other verbs and paths are served.
        QCOMPARE(f.snapshot(), before);
        QCOMPARE(f.client->get("districts").status, 200);
        QCOMPARE(f.client->post("positions", R"({"name": "Техник"})").status, 201);
        QCOMPARE(f.server->requestsTo("POST", "districts").size(), 1);

        f.server->clearFailures();
        QCOMPARE(f.client->post("districts", R"({"name": "Новый"})").status, 201);
    }

    void failureMatchesPathFormsAndMethods()
    {
        f.server->injectFailure("*", "/districts/", failure(FailureKind::OkFalse));
        QCOMPARE(f.client->get("districts?pretty=true").json().object().value("Ok"), QJsonValue(false));
        QCOMPARE(f.client->post("/districts", "{}").json().object().value("Ok"), QJsonValue(false));
        QCOMPARE(f.client->get("districts/1").status, 200);

        // Any method is injected even before sign-in (the persons list loads before it).
        HttpClient stranger(f.server->rootUrl());
        QCOMPARE(stranger.get("districts").json().object().value("Ok"), QJsonValue(false));

        // A later injection for the same key replaces the earlier one; an exact method wins over "*".
        f.server->injectFailure("*", "districts", failure(FailureKind::EmptyBody));
        QCOMPARE(f.client->get("districts").body, QByteArray());
        Failure status = failure(FailureKind::Status);
        status.status = 502;
        f.server->injectFailure("GET", "districts", status);
        QCOMPARE(f.client->get("districts").status, 502);
        QCOMPARE(f.client->post("districts", "{}").body, QByteArray());
    }

    void onlyTheNthCallFails()
    {
        f.server->injectFailure("GET", "districts", failure(FailureKind::Status, 3));
        QList<int> statuses;
        for (int i = 0; i < 5; ++i)
            statuses << f.client->get(i % 2 ? "/districts" : "districts?pretty=true").status;
        QCOMPARE(statuses, QList<int>({200, 200, 500, 200, 200}));

        // Counting starts again with a new injection.
        f.server->injectFailure("GET", "districts", failure(FailureKind::Status, 1));
        QCOMPARE(f.client->get("districts").status, 500);
        QCOMPARE(f.client->get("districts").status, 200);
    }

    void noReplyLeavesTheRequestHanging()
    {
        f.server->injectFailure("GET", "districts", failure(FailureKind::NoReply));
        const HttpResult hanging = f.client->send("GET", "districts", {}, 300);
        QVERIFY(!hanging.finished);
        QCOMPARE(f.server->requestsTo("GET", "districts").size(), 1);

        // The server goes on serving other requests, and the path once the failure is cleared.
        QCOMPARE(f.client->get("regions").status, 200);
        f.server->clearFailures();
        QCOMPARE(f.client->get("districts").json().array().size(), 2);
    }

    void delayedAnswerArrivesLateAndOthersGoFirst()
    {
        Failure delay = failure(FailureKind::Delay, 2);
        delay.delayMs = 400;
        f.server->injectFailure("GET", "districts", delay);
        QCOMPARE(f.client->get("districts").status, 200);  // the first call is not delayed
        QVERIFY(!f.client->send("GET", "districts", {}, 150).finished);
        const HttpResult late = f.client->send("GET", "districts", {}, 150);
        QCOMPARE(late.status, 200);  // the third is again on time

        Failure slowError = failure(FailureKind::Status);
        slowError.delayMs = 200;
        f.server->injectFailure("GET", "regions", slowError);
        QVERIFY(!f.client->send("GET", "regions", {}, 50).finished);
        const HttpResult answered = f.client->send("GET", "regions", {}, 2000);
        QCOMPARE(answered.status, 500);
        QCOMPARE(answered.json().object().value("Ok"), QJsonValue(false));

        f.server->clearFailures();
        delay.onlyCall = 0;
        delay.delayMs = 300;
        f.server->injectFailure("GET", "districts", delay);
        const HttpResult slow = f.client->send("GET", "districts", {}, 3000);
        QCOMPARE(slow.json().array().size(), 2);
    }

    void customRoutesWinAndFailuresStillApply()
    {
        int seenUser = 0;
        f.server->route("GET", "persons/*/accommodation",
                        [&](const StandIn::Request &request, const QStringList &parts) {
                            seenUser = f.server->userIdOf(request);
                            return StandIn::Reply::json(QJsonArray{parts.at(1).toInt()});
                        });
        f.server->route("GET", "districts", [](const StandIn::Request &, const QStringList &) {
            return StandIn::Reply::json(QJsonArray{QJsonObject{{"id", 42}}});
        });
        QCOMPARE(f.client->get("persons/7/accommodation").body, QByteArray("[7]"));
        QCOMPARE(seenUser, 1);
        QCOMPARE(StandInFixture::ids(f.client->get("districts").json().array()), QList<int>({42}));
        QCOMPARE(f.client->get("districts/1").status, 200);  // other routes untouched

        HttpClient stranger(f.server->rootUrl());
        QCOMPARE(stranger.get("persons/7/accommodation").status, 401);
        f.server->injectFailure("GET", "persons/7/accommodation", failure(FailureKind::EmptyBody));
        QCOMPARE(f.client->get("persons/7/accommodation").body, QByteArray());
    }
};

LOMI_TEST_CLASS(StandInFailuresTest)

#include "tst_failures.moc"
