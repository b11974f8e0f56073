#include "standinfixture.h"
#include "testregistry.h"

using StandIn::Failure;
using StandIn::FailureKind;

Q_DECLARE_METATYPE(FailureKind)

// The record of requests and the failure injection.
class StandInFailuresTest : public StandInTestBase
{
    Q_OBJECT

    static Failure failure(FailureKind kind, int onlyCall = 0)
    {
        Failure result;
        result.kind = kind;
        result.onlyCall = onlyCall;
        return result;
    }

private slots:

    void everyRequestIsRecordedAsSent()
    {
        server->clearRequests();
        const QByteArray body = R"({"name": "Южный"})";
        QCOMPARE(client->put("districts/2?pretty=true&date=05.03.2024&code=A b+c", body).status, 200);
        HttpClient stranger(server->rootUrl());
        QCOMPARE(stranger.get("/districts").status, 401);

        const QList<StandIn::Request> all = server->requests();
        QCOMPARE(all.size(), 2);
        const StandIn::Request &put = all.at(0);
        QCOMPARE(put.method, QByteArray("PUT"));
        QCOMPARE(put.path, QStringLiteral("/districts/2"));
        QCOMPARE(put.query, QStringLiteral("pretty=true&date=05.03.2024&code=A%20b+c"));
        QCOMPARE(put.queryValue("date"), QStringLiteral("05.03.2024"));
        QCOMPARE(put.queryValue("code"), QStringLiteral("A b+c"));
        QVERIFY(put.hasQueryItem("pretty") && !put.hasQueryItem("year"));
        QCOMPARE(put.header("authorization"), "Bearer " + server->lastToken().toUtf8());
        QCOMPARE(put.header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(put.body, body);
        QCOMPARE(put.json().object().value("name"), QJsonValue("Южный"));

        QCOMPARE(server->requestsTo("PUT", "districts/2").size(), 1);
        QCOMPARE(server->requestsTo("*", "/districts/2/").size(), 1);
        QCOMPARE(server->requestsTo("GET", "districts").size(), 1);  // the refused one too
        QVERIFY(!server->requestsTo("GET", "districts").at(0).hasHeader("Authorization"));
        server->clearRequests();
        QVERIFY(server->requests().isEmpty());
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
        server->injectFailure("POST", "districts", injected);
        const QJsonObject before = snapshot();

        const HttpResult result = client->post("districts", R"({"name": "Новый"})");
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
        QCOMPARE(snapshot(), before);
        QCOMPARE(client->get("districts").status, 200);
        QCOMPARE(client->post("positions", R"({"name": "Техник"})").status, 201);
        QCOMPARE(server->requestsTo("POST", "districts").size(), 1);

        server->clearFailures();
        QCOMPARE(client->post("districts", R"({"name": "Новый"})").status, 201);
    }

    void failureMatchesPathFormsAndMethods()
    {
        server->injectFailure("*", "/districts/", failure(FailureKind::OkFalse));
        QCOMPARE(client->get("districts?pretty=true").json().object().value("Ok"), QJsonValue(false));
        QCOMPARE(client->post("/districts", "{}").json().object().value("Ok"), QJsonValue(false));
        QCOMPARE(client->get("districts/1").status, 200);

        // Any method is injected even before sign-in (the persons list loads before it).
        HttpClient stranger(server->rootUrl());
        QCOMPARE(stranger.get("districts").json().object().value("Ok"), QJsonValue(false));

        // A later injection for the same key replaces the earlier one; an exact method wins over "*".
        server->injectFailure("*", "districts", failure(FailureKind::EmptyBody));
        QCOMPARE(client->get("districts").body, QByteArray());
        Failure status = failure(FailureKind::Status);
        status.status = 502;
        server->injectFailure("GET", "districts", status);
        QCOMPARE(client->get("districts").status, 502);
        QCOMPARE(client->post("districts", "{}").body, QByteArray());
    }

    void onlyTheNthCallFails()
    {
        server->injectFailure("GET", "districts", failure(FailureKind::Status, 3));
        QList<int> statuses;
        for (int i = 0; i < 5; ++i)
            statuses << client->get(i % 2 ? "/districts" : "districts?pretty=true").status;
        QCOMPARE(statuses, QList<int>({200, 200, 500, 200, 200}));

        // Counting starts again with a new injection.
        server->injectFailure("GET", "districts", failure(FailureKind::Status, 1));
        QCOMPARE(client->get("districts").status, 500);
        QCOMPARE(client->get("districts").status, 200);
    }

    void noReplyLeavesTheRequestHanging()
    {
        server->injectFailure("GET", "districts", failure(FailureKind::NoReply));
        const HttpResult hanging = client->send("GET", "districts", {}, 300);
        QVERIFY(!hanging.finished);
        QCOMPARE(server->requestsTo("GET", "districts").size(), 1);

        // The server goes on serving other requests, and the path once the failure is cleared.
        QCOMPARE(client->get("regions").status, 200);
        server->clearFailures();
        QCOMPARE(client->get("districts").json().array().size(), 2);
    }

    void delayedAnswerArrivesLateAndOthersGoFirst()
    {
        Failure delay = failure(FailureKind::Delay, 2);
        delay.delayMs = 400;
        server->injectFailure("GET", "districts", delay);
        QCOMPARE(client->get("districts").status, 200);  // the first call is not delayed
        QVERIFY(!client->send("GET", "districts", {}, 150).finished);
        const HttpResult late = client->send("GET", "districts", {}, 150);
        QCOMPARE(late.status, 200);  // the third is again on time

        Failure slowError = failure(FailureKind::Status);
        slowError.delayMs = 200;
        server->injectFailure("GET", "regions", slowError);
        QVERIFY(!client->send("GET", "regions", {}, 50).finished);
        const HttpResult answered = client->send("GET", "regions", {}, 2000);
        QCOMPARE(answered.status, 500);
        QCOMPARE(answered.json().object().value("Ok"), QJsonValue(false));

        server->clearFailures();
        delay.onlyCall = 0;
        delay.delayMs = 300;
        server->injectFailure("GET", "districts", delay);
        const HttpResult slow = client->send("GET", "districts", {}, 3000);
        QCOMPARE(slow.json().array().size(), 2);
    }

    void customRoutesWinAndFailuresStillApply()
    {
        int seenUser = 0;
        server->route("GET", "persons/*/accommodation",
                      StandIn::Server::Access::collection("accommodation"),
                      [&](const StandIn::Request &request, const QStringList &parts) {
                          seenUser = server->userIdOf(request);
                          return StandIn::Reply::json(QJsonArray{parts.at(1).toInt()});
                        });
        server->route("GET", "districts", StandIn::Server::Access::collection(),
                      [](const StandIn::Request &, const QStringList &) {
            return StandIn::Reply::json(QJsonArray{QJsonObject{{"id", 42}}});
        });
        QCOMPARE(client->get("persons/7/accommodation").body, QByteArray("[7]"));
        QCOMPARE(seenUser, 1);
        QCOMPARE(ids(client->get("districts").json().array()), QList<int>({42}));
        QCOMPARE(client->get("districts/1").status, 200);  // other routes untouched

        HttpClient stranger(server->rootUrl());
        QCOMPARE(stranger.get("persons/7/accommodation").status, 401);
        server->injectFailure("GET", "persons/7/accommodation", failure(FailureKind::EmptyBody));
        QCOMPARE(client->get("persons/7/accommodation").body, QByteArray());
    }
};

LOMI_TEST_CLASS(StandInFailuresTest)

#include "tst_failures.moc"
