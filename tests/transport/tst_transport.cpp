#include "testregistry.h"

#include "global.h"
#include "guitestbase.h"
#include "networkmanagerwrapper.h"
#include "settingsmanager.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QTcpServer>

using StandIn::Failure;
using StandIn::FailureKind;

// The one door every request passes: headers, synchronous waits, the failure
// box and the time-out, over real HTTP against the stand-in server.
class TransportTest : public GuiTestBase
{
    Q_OBJECT

    QUrl url(const QString &path) const { return QUrl(Global::endpoint(path)); }

    void initTest() override
    {
        SettingsManager::instance()->setValue("connection/root_url", environment().rootUrl());
    }

private slots:
    void initTestCase()
    {
        NetworkManagerWrapper::setTransferTimeoutForTesting(1500);
        QVERIFY(startServer().signIn(TestEnvironment::adminPassword()));
    }

    void headersPerKindOfRequest()
    {
        NetworkManagerWrapper manager;
        const QByteArray bearer = "Bearer " + server().lastToken().toUtf8();

        delete manager.getUrl(url("districts"), true, true);
        MessageBox::setNextAnswer(QMessageBox::Ok);  // the DELETE of a missing record fails
        delete manager.deleteUrl(url("districts/999"), true, true);
        delete manager.postUrl(url("districts"), QJsonDocument(QJsonObject{{"name", "Тест"}}),
                               true, true);

        const auto requests = server().requests();
        QCOMPARE(requests.size(), 3);
        for (const auto &request : requests) {
            QCOMPARE(request.header("Content-Type"), QByteArray("application/json"));
            QCOMPARE(request.header("Authorization"), bearer);
        }
        QCOMPARE(requests.at(0).method, QByteArray("GET"));
        QCOMPARE(requests.at(1).method, QByteArray("DELETE"));
        // Bodies travel as indented JSON.
        QCOMPARE(requests.at(2).body, QJsonDocument(QJsonObject{{"name", "Тест"}})
                                          .toJson(QJsonDocument::Indented));

        // Without authorisation no Authorization header at all.
        server().clearRequests();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        delete manager.getUrl(url("globals/CheckoutHour"), false, true);
        QCOMPARE(server().requests().size(), 1);
        QVERIFY(!server().requests().first().hasHeader("Authorization"));
        QCOMPARE(server().requests().first().header("Content-Type"),
                 QByteArray("application/json"));
    }

    void asynchronousCallReturnsAtOnce()
    {
        NetworkManagerWrapper manager;
        QSignalSpy finished(&manager, &QNetworkAccessManager::finished);
        QNetworkReply *reply = manager.getUrl(url("districts"), true, false);
        QVERIFY(!reply->isFinished());
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.first().first().value<QNetworkReply *>(), reply);
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        QVERIFY(QJsonDocument::fromJson(reply->readAll()).isArray());
        delete reply;
    }

    void synchronousCallWaitsForItsOwnReplyAndTheOwnersSlots()
    {
        NetworkManagerWrapper manager;
        QList<QNetworkReply *> handled;
        connect(&manager, &QNetworkAccessManager::finished, this,
                [&](QNetworkReply *r) { handled << r; });

        // An asynchronous request is in flight on the same manager, and its
        // reply comes before the synchronous call's.
        QNetworkReply *earlier = manager.getUrl(url("positions"), true, false);
        Failure late{FailureKind::Delay};
        late.delayMs = 300;
        server().injectFailure("GET", "districts", late);

        QNetworkReply *mine = manager.getUrl(url("districts"), true, true);
        QVERIFY(mine->isFinished());
        QCOMPARE(handled, (QList<QNetworkReply *>{earlier, mine}));
        QCOMPARE(mine->error(), QNetworkReply::NoError);
        QCOMPARE(QJsonDocument::fromJson(mine->readAll()).array().size(),
                 server().collection("districts").size());
        delete earlier;
        delete mine;
    }

    void twoRequestsInFlight()
    {
        NetworkManagerWrapper manager;
        QSignalSpy finished(&manager, &QNetworkAccessManager::finished);
        QNetworkReply *a = manager.getUrl(url("districts"), true, false);
        QNetworkReply *b = manager.getUrl(url("positions"), true, false);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 5000);
        QVERIFY(a->isFinished() && b->isFinished());
        QVERIFY(QJsonDocument::fromJson(a->readAll()).isArray());
        QVERIFY(QJsonDocument::fromJson(b->readAll()).isArray());
        delete a;
        delete b;
    }

    // Every reply is judged once, where it passes, whatever window sent it:
    // the box names the server's reason, and a write refused with the
    // envelope is a refusal even under a successful status.
    void verdictAndBoxPerReply_data()
    {
        QTest::addColumn<QByteArray>("verb");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");  // or, for a redirect, the address named
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("lastLine");
        QTest::addColumn<QString>("followedTo");  // where the request went on, as sent
        // How often it goes, every call failing alike (-1: the first fails),
        // each answer `delayMs` late (then at most: a busy machine is slower).
        QTest::addColumn<int>("goes");
        QTest::addColumn<int>("delayMs");
        // A redirect row whose first `hops` calls are redirected, the next served.
        QTest::addColumn<int>("hops");
        // What comes as the write is redirected: its owner's abort, at once
        // or queued (it lands before the next request starts), or, while
        // the owner's slot waits, its time-out; or its owner's abort as its
        // body goes out or as its answer comes in.
        QTest::addColumn<QByteArray>("race");
        using O = NetworkManagerWrapper::Outcome;
        const auto row = [](const char *name, const char *verb, int kind, int status, const QByteArray &body,
                            O outcome, const QString &title = QString(), const QString &lastLine = QString(),
                            const QString &followedTo = QString(), int goes = -1, int delayMs = 0, int hops = 0,
                            const QByteArray &race = {}) {
            QTest::newRow(name) << QByteArray(verb) << kind << status << body << int(outcome) << title
                                << lastLine << followedTo << goes << delayMs << hops << race;
        };
        const QByteArray reason = R"({"Ok": false, "message": "Проверка сервера: поле неверно"})";
        const QString failedText = QStringLiteral("Проверка сервера: поле неверно");
        row("422 with a message", "POST", int(FailureKind::Status), 422, reason, O::Refused, "Request failed",
            failedText);
        // A 5xx is the server's refusal only with its own message: a page in
        // its place is a gateway's, which may stand before a stored write.
        row("503 with the server's message", "PUT", int(FailureKind::Status), 503, reason, O::Refused,
            "Request failed", failedText);
        row("500 without a JSON body", "PUT", int(FailureKind::Status), 500, "oops", O::Unanswered,
            "Request failed", "server replied: Internal Server Error");
        row("envelope on a write", "POST", int(FailureKind::OkFalse), 0, {}, O::Refused, "Ошибка",
            "Сервер не сохранил запись: Injected failure");
        row("envelope on a delete", "DELETE", int(FailureKind::OkFalse), 0, {}, O::Refused, "Ошибка",
            "Сервер не сохранил запись: Injected failure");
        // A list answered so is empty to its owner, not a failed write.
        row("envelope on a read", "GET", int(FailureKind::OkFalse), 0, {}, O::Done);
        row("not JSON counts as done", "POST", int(FailureKind::NotJson), 0, {}, O::Done);
        row("no answer", "POST", int(FailureKind::NoReply), 0, {}, O::Unanswered, "Request failed",
            "Timed out: no answer in 1.5 s");
        // Served, and the connection lost before the whole answer: a write
        // goes once (its cut-off reason depends on when Qt reads), a read
        // may go again. -1: nothing listens, so nothing left.
        const QString lost = "Connection lost before the answer came";
        for (const char *verb : {"POST", "PUT", "DELETE"}) {
            for (const auto &[kind, name] : {std::pair{FailureKind::Closed, "closed"}, {FailureKind::Reset, "reset"},
                                             {FailureKind::CutOff, "cut off"}})
                row(qPrintable(QString("%1, %2").arg(verb, name)), verb, int(kind), 0, {}, O::Unanswered,
                    "Request failed", kind == FailureKind::CutOff ? "" : lost);
        }
        row("a read sent again", "GET", int(FailureKind::Closed), 0, {}, O::Done);
        row("nothing listens", "PUT", -1, 0, {}, O::NotSent, "Request failed", "Connection refused");
        // Stored behind a proxy that lost the server's answer: unknown.
        const QByteArray proxyPage = "<html><body><h1>Bad Gateway</h1>nginx</body></html>";
        row("POST, 502 after storing", "POST", int(FailureKind::Gateway), 502, proxyPage, O::Unanswered,
            "Request failed", "server replied: Bad Gateway");
        row("DELETE, 504 after storing", "DELETE", int(FailureKind::Gateway), 504, proxyPage, O::Unanswered,
            "Request failed", "server replied: Gateway Timeout");
        row("POST, a mesh proxy's 503 after storing", "POST", int(FailureKind::Gateway), 503,
            "upstream connect error or disconnect/reset before headers. reset reason: connection termination",
            O::Unanswered, "Request failed", "server replied: Service Unavailable");
        row("PUT, a content network's 520 after storing", "PUT", int(FailureKind::Gateway), 520,
            "<html><body>Error 520: Web server is returning an unknown error</body></html>", O::Unanswered,
            "Request failed");
        // A write goes on, as sent, only where the server says it did not
        // take it; any other redirect ends it untaken, naming the address.
        // A read follows them all.
        const quint16 port = QUrl(server().rootUrl()).port();
        const QString root = QString("http://127.0.0.1:%1/").arg(port);
        row("POST, 307 to another path", "POST", int(FailureKind::Redirect), 307, "/districts", O::Done, {}, {},
            "districts");
        row("PUT, 308 to the same path with a slash", "PUT", int(FailureKind::Redirect), 308,
            (root + "districts/1/").toUtf8(), O::Done, {}, {}, "districts/1");
        const QString notOn = "the write was not sent on: the server answered with a redirect (HTTP %1) to %2";
        row("POST, 302", "POST", int(FailureKind::Redirect), 302, "/districts", O::Unanswered, "Request failed",
            notOn.arg(302).arg(root + "districts"));
        row("DELETE, 303", "DELETE", int(FailureKind::Redirect), 303, "/districts/1/", O::Unanswered,
            "Request failed", notOn.arg(303).arg(root + "districts/1/"));
        row("POST, 307 without an address", "POST", int(FailureKind::Redirect), 307, {}, O::Unanswered,
            "Request failed", notOn.arg(307).arg("no address"));
        row("a read moved for good", "GET", int(FailureKind::Redirect), 301, "/districts/2", O::Done, {}, {},
            "districts/2");
        // However many times the server sends a read on within its own
        // origin, up to Qt's limit, the read brings what it sent at last.
        for (const int hops : {1, 2, 3, 20})
            row(qPrintable(QString("a read through %1 redirects").arg(hops)), "GET", int(FailureKind::Redirect),
                hops % 2 ? 302 : 307, "/districts/1", O::Done, {}, {}, "districts/1", hops + 1, 0, hops);
        // No token and no record leave the server's origin: the clerk is told
        // where the server pointed, and where the address is changed.
        for (const auto &[verb, status, address] :
             {std::tuple{"POST", 307, otherOrigin().rootUrl() + "districts/2"},
              {"PUT", 308, QString("http://localhost:%1/districts/2").arg(port)},
              {"DELETE", 307, QString("https://127.0.0.1:%1/districts/2").arg(port)},
              {"GET", 302, otherOrigin().rootUrl() + "districts/2"},
              {"GET", 301, QString("http://localhost:%1/districts/2").arg(port)},
              {"GET", 308, QString("https://127.0.0.1:%1/districts/2").arg(port)}})
            row(qPrintable(QString("%1, %2 to %3").arg(verb).arg(status).arg(address)), verb,
                int(FailureKind::Redirect), status, address.toUtf8(), O::Unanswered, "Request failed",
                "сервер отправил запрос по другому адресу, " + address + ", и туда он не отправлен. Измените "
                "адрес сервера в «Настройки соединения» (кнопка рядом с «Вход» в окне входа)");
        // A write sent round and round goes as often as a browser's, and
        // within one time-out however slowly each hop answers.
        row("POST, 307 to itself for ever", "POST", int(FailureKind::Redirect), 307, "/districts/1", O::Unanswered,
            "Request failed",
            "the write was not sent on after 20 redirects: the server answered with a redirect (HTTP 307) to "
                + root + "districts/1",
            {}, 21);
        row("PUT, 307 to itself, each answer slow", "PUT", int(FailureKind::Redirect), 307, "/districts/1",
            O::Unanswered, "Request failed", "Timed out: no answer in 1.5 s", {}, 2, 900);
        // A write finishes once, and sends nothing more once aborted, from
        // any slot; the box calls a time-out so, and nothing else.
        for (const char *race : {"abort", "queued abort", "time-out"})
            row(qPrintable(QString("PUT, 307, %1 as it is redirected").arg(race)), "PUT", int(FailureKind::Redirect),
                307, "/districts/1", O::Unanswered, "Request failed",
                race == QByteArray("time-out") ? "Timed out: no answer in 1.5 s" : "Operation canceled", {}, 1, 0,
                1, race);
        for (const char *race : {"abort on upload", "abort on download"})
            row(qPrintable(QString("PUT, %1").arg(race)), "PUT", int(FailureKind::Delay), 200, {}, O::Unanswered,
                "Request failed", "Operation canceled", {}, 1, 200, 0, race);
    }

    void verdictAndBoxPerReply()
    {
        QFETCH(QByteArray, verb);
        QFETCH(int, kind);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, outcome);
        QFETCH(QString, title);
        QFETCH(QString, lastLine);
        QFETCH(QString, followedTo);
        QFETCH(int, goes);
        QFETCH(int, delayMs);
        QFETCH(int, hops);
        QFETCH(QByteArray, race);
        Failure failure{FailureKind(kind), status};
        if (kind == int(FailureKind::Redirect))
            failure.location = body;
        else if (!body.isEmpty())
            failure.body = body;
        failure.onlyCall = goes < 0 || hops > 0 ? 1 : 0;
        failure.delayMs = delayMs;
        // Through hops of their own to `body`: districts/1, hop/1, ... hop/<hops - 1>.
        for (int hop = 1; hop < hops; ++hop) {
            Failure on = failure;
            on.location = QString("/hop/%1").arg(hop).toUtf8();
            server().injectFailure(verb, hop == 1 ? "districts/1" : QString("hop/%1").arg(hop - 1), on);
        }
        server().injectFailure(verb, hops > 1 ? QString("hop/%1").arg(hops - 1) : "districts/1", failure);
        if (kind < 0) {
            QTcpServer gone;
            QVERIFY(gone.listen(QHostAddress::LocalHost));
            SettingsManager::instance()->setValue("connection/root_url", QString("http://127.0.0.1:%1/").arg(gone.serverPort()));
        }
        if (!title.isEmpty())
            MessageBox::setNextAnswer(QMessageBox::Ok);

        NetworkManagerWrapper manager;
        const QJsonDocument record(QJsonObject{{"name", "Центральный"}});
        QNetworkReply *reply = verb == "GET"    ? manager.getUrl(url("districts/1"), true, false)
                               : verb == "PUT"  ? manager.putUrl(url("districts/1"), record, true, false)
                               : verb == "POST" ? manager.postUrl(url("districts/1"), record, true, false)
                                                : manager.deleteUrl(url("districts/1"), true, false);
        QSignalSpy metaData(reply, &QNetworkReply::metaDataChanged);
        QSignalSpy progress(reply, &QNetworkReply::downloadProgress);
        QSignalSpy finished(reply, &QNetworkReply::finished);
        QSignalSpy failed(reply, &QNetworkReply::errorOccurred);
        QSignalSpy managerFinished(&manager, &QNetworkAccessManager::finished);
        if (race == "abort")
            connect(reply, &QNetworkReply::redirected, reply, &QNetworkReply::abort);
        if (race == "queued abort")
            connect(reply, &QNetworkReply::redirected, reply, &QNetworkReply::abort, Qt::QueuedConnection);
        if (race == "time-out")
            connect(reply, &QNetworkReply::redirected, this, [] { QTest::qWait(2000); });
        if (race == "abort on upload")
            connect(reply, &QNetworkReply::uploadProgress, reply, &QNetworkReply::abort);
        if (race == "abort on download")
            connect(reply, &QNetworkReply::downloadProgress, reply, &QNetworkReply::abort);
        manager.waitFor(reply);
        // A request that went on after the write ended, and its finish, come later.
        if (!race.isEmpty())
            QTest::qWait(300);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(managerFinished.size(), 1);
        QCOMPARE(failed.size(), reply->error() == QNetworkReply::NoError ? 0 : 1);
        QCOMPARE(int(NetworkManagerWrapper::outcome(reply)), outcome);
        // Nothing but the request itself, with its verb and body, sent on
        // only as the row says. A read may go again whenever Qt sees fit
        // (a slow line): it is counted at least.
        const auto sent = server().requests();
        const qsizetype expected = goes >= 0 ? goes
                                   : kind < 0 ? 0
                                              : 1 + (verb == "GET" && kind == int(FailureKind::Closed))
                                                    + !followedTo.isEmpty();
        if (verb == "GET")
            QVERIFY(sent.size() >= expected);
        else if (delayMs > 0)
            QVERIFY(!sent.isEmpty() && sent.size() <= expected);
        else
            QCOMPARE(sent.size(), expected);
        for (const StandIn::Request &request : sent) {
            QCOMPARE(request.method, verb);
            QCOMPARE(request.body, sent.first().body);
        }
        if (!sent.isEmpty())
            QCOMPARE(sent.first().path, QString("/districts/1"));
        if (!followedTo.isEmpty()) {
            const qsizetype arrived = server().requestsTo(verb, followedTo).size();
            if (verb == "GET")
                QVERIFY(arrived >= 1);
            else
                QCOMPARE(arrived, followedTo == "districts/1" ? 2 : 1);
        }
        // Not another host's nor another port's to see.
        if (followedTo != "districts/2")
            QCOMPARE(server().requestsTo("*", "districts/2").size(), 0);
        QCOMPARE(otherOrigin().requests().size(), 0);
        const auto boxes = MessageBox::history();
        QCOMPARE(boxes.size(), title.isEmpty() ? 0 : 1);
        if (!title.isEmpty()) {
            QCOMPARE(boxes.first().icon, QMessageBox::Critical);
            QCOMPARE(boxes.first().title, title);
            QVERIFY2(boxes.first().text.split('\n').last().endsWith(lastLine),
                     qPrintable(boxes.first().text));
            if (title == "Request failed")
                QVERIFY(boxes.first().text.startsWith(QString("Failed to execute request to %1: ")
                                                          .arg(url("districts/1").toString())));
        }
        // A write's reply reads as any: the headers and signals of the request that answered.
        if (verb != "GET" && reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
            QVERIFY(reply->header(QNetworkRequest::ContentTypeHeader).isValid() && !metaData.isEmpty()
                    && !progress.isEmpty());
        // The body is still there for the owner, who reads it after the box.
        if (NetworkManagerWrapper::outcome(reply) <= NetworkManagerWrapper::Outcome::Refused
            && (kind != int(FailureKind::Redirect) || hops > 0))
            QVERIFY(!NetworkManagerWrapper::readBody(reply).isEmpty());
        // The manager takes its replies with it, a write's requests too.
    }


    void checksDisabledShowNoBox()
    {
        NetworkManagerWrapper manager;
        manager.setChecksDisabled();
        server().injectFailure("GET", "districts", Failure{FailureKind::Status, 404});
        QNetworkReply *reply = manager.getUrl(url("districts"), true, true);
        QVERIFY(reply->error() != QNetworkReply::NoError);
        QCOMPARE(MessageBox::history().size(), 0);
        delete reply;
    }

    void serverThatNeverAnswersEndsByTimeOut()
    {
        NetworkManagerWrapper manager;
        server().injectFailure("*", "globals/OrganizationInfo", Failure{FailureKind::NoReply});
        MessageBox::setNextAnswer(QMessageBox::Ok);
        // An aborted reply has nothing to read, and reading it must not warn.
        QTest::failOnWarning(QRegularExpression("device not open"));
        QNetworkReply *reply = manager.getUrl(url("/globals/OrganizationInfo"), true, true);
        QVERIFY(reply->isFinished());
        QCOMPARE(reply->error(), QNetworkReply::OperationCanceledError);
        QVERIFY(NetworkManagerWrapper::readBody(reply).isEmpty());
        QCOMPARE(MessageBox::history().size(), 1);
        QCOMPARE(MessageBox::history().first().title, QString("Request failed"));
        delete reply;
    }

    void missingRootFailsThroughTheBox()
    {
        SettingsManager::instance()->setValue("connection/root_url", QString());
        NetworkManagerWrapper manager;
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QNetworkReply *reply = manager.getUrl(url("districts"), true, true);
        QVERIFY(reply->error() != QNetworkReply::NoError);
        QCOMPARE(MessageBox::history().size(), 1);
        QVERIFY(MessageBox::history().first().text.startsWith(
            "Failed to execute request to districts: "));
        delete reply;
    }
};

LOMI_TEST_CLASS(TransportTest)

#include "tst_transport.moc"
