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
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("lastLine");
        using O = NetworkManagerWrapper::Outcome;
        const QByteArray reason = R"({"Ok": false, "message": "Проверка сервера: поле неверно"})";
        const QString failedText = QStringLiteral("Проверка сервера: поле неверно");
        QTest::newRow("422 with a message")
            << QByteArray("POST") << int(FailureKind::Status) << reason << int(O::Refused)
            << "Request failed" << failedText;
        QTest::newRow("500 without a JSON body")
            << QByteArray("PUT") << int(FailureKind::Status) << QByteArray("oops") << int(O::Refused)
            << "Request failed" << "server replied: Internal Server Error";
        QTest::newRow("envelope on a write")
            << QByteArray("POST") << int(FailureKind::OkFalse) << QByteArray() << int(O::Refused)
            << "Ошибка" << "Сервер не сохранил запись: Injected failure";
        QTest::newRow("envelope on a delete")
            << QByteArray("DELETE") << int(FailureKind::OkFalse) << QByteArray() << int(O::Refused)
            << "Ошибка" << "Сервер не сохранил запись: Injected failure";
        // A list answered so is empty to its owner, not a failed write.
        QTest::newRow("envelope on a read")
            << QByteArray("GET") << int(FailureKind::OkFalse) << QByteArray() << int(O::Done)
            << QString() << QString();
        QTest::newRow("not JSON counts as done")
            << QByteArray("POST") << int(FailureKind::NotJson) << QByteArray() << int(O::Done)
            << QString() << QString();
        QTest::newRow("no answer")
            << QByteArray("POST") << int(FailureKind::NoReply) << QByteArray() << int(O::Unanswered)
            << "Request failed" << "Operation canceled";
        // Served, and the connection lost before the whole answer: a write
        // goes once (its cut-off reason depends on when Qt reads), a read
        // may go again. -1: nothing listens, so nothing left.
        const QString lost = "Connection lost before the answer came";
        for (const char *verb : {"POST", "PUT", "DELETE"}) {
            for (const auto &[kind, name] : {std::pair{FailureKind::Closed, "closed"}, {FailureKind::Reset, "reset"},
                                             {FailureKind::CutOff, "cut off"}})
                QTest::addRow("%s, %s", verb, name) << QByteArray(verb) << int(kind) << QByteArray() << int(O::Unanswered)
                                                    << "Request failed" << (kind == FailureKind::CutOff ? "" : lost);
        }
        QTest::newRow("a read sent again") << QByteArray("GET") << int(FailureKind::Closed) << QByteArray()
                                           << int(O::Done) << QString() << QString();
        QTest::newRow("nothing listens") << QByteArray("PUT") << -1 << QByteArray() << int(O::NotSent)
                                         << "Request failed" << "Connection refused";
    }

    void verdictAndBoxPerReply()
    {
        QFETCH(QByteArray, verb);
        QFETCH(int, kind);
        QFETCH(QByteArray, body);
        QFETCH(int, outcome);
        QFETCH(QString, title);
        QFETCH(QString, lastLine);
        Failure failure{FailureKind(kind), kind == int(FailureKind::Status) ? 422 : 500};
        if (lastLine.contains("Internal Server Error"))
            failure.status = 500;
        if (!body.isEmpty())
            failure.body = body;
        failure.onlyCall = 1;
        server().injectFailure(verb, "districts/1", failure);
        if (kind < 0) {
            QTcpServer gone;
            QVERIFY(gone.listen(QHostAddress::LocalHost));
            SettingsManager::instance()->setValue("connection/root_url", QString("http://127.0.0.1:%1/").arg(gone.serverPort()));
        }
        if (!title.isEmpty())
            MessageBox::setNextAnswer(QMessageBox::Ok);

        NetworkManagerWrapper manager;
        const QJsonDocument record(QJsonObject{{"name", "Центральный"}});
        QNetworkReply *reply = verb == "GET"    ? manager.getUrl(url("districts/1"), true, true)
                               : verb == "PUT"  ? manager.putUrl(url("districts/1"), record, true, true)
                               : verb == "POST" ? manager.postUrl(url("districts/1"), record, true, true)
                                                : manager.deleteUrl(url("districts/1"), true, true);
        QCOMPARE(int(NetworkManagerWrapper::outcome(reply)), outcome);
        QCOMPARE(server().requestsTo(verb, "districts/1").size(),
                 kind < 0 ? 0 : verb == "GET" && kind == int(FailureKind::Closed) ? 2 : 1);
        const auto boxes = MessageBox::history();
        QCOMPARE(boxes.size(), title.isEmpty() ? 0 : 1);
        if (!title.isEmpty()) {
            QCOMPARE(boxes.first().icon, QMessageBox::Critical);
            QCOMPARE(boxes.first().title, title);
            QVERIFY2(boxes.first().text.split('\n').last().endsWith(lastLine),
                     qPrintable(boxes.first().text));
            if (title == "Request failed")
                QVERIFY(boxes.first().text.startsWith(QString("Failed to execute request to %1: ")
                                                          .arg(reply->url().toString())));
        }
        // The body is still there for the owner, who reads it after the box.
        if (NetworkManagerWrapper::outcome(reply) <= NetworkManagerWrapper::Outcome::Refused)
            QVERIFY(!NetworkManagerWrapper::readBody(reply).isEmpty());
        delete reply;
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
