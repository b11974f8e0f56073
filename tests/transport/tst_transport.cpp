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
    // the box names the server's reason, a write refused with the envelope
    // is a refusal even under a successful status, and a write whose answer
    // the line lost on its way goes out once and is settled as unknown.
    void verdictAndBoxPerReply_data()
    {
        QTest::addColumn<QByteArray>("verb");
        QTest::addColumn<int>("kind");  // -1: served as usual
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("lastLine");
        QTest::addColumn<QString>("before");  // what happened on the line first
        QTest::addColumn<int>("sent");        // the requests the server saw
        using O = NetworkManagerWrapper::Outcome;
        const QByteArray reason = R"({"Ok": false, "message": "Проверка сервера: поле неверно"})";
        const QString failedText = QStringLiteral("Проверка сервера: поле неверно");
        const QString lost = QStringLiteral("Connection lost before the answer came");
        const auto row = [](const char *name, const char *verb, int kind, int outcome) -> QTestData & {
            return QTest::newRow(name) << QByteArray(verb) << kind << QByteArray() << outcome;
        };
        QTest::newRow("422 with a message")
            << QByteArray("POST") << int(FailureKind::Status) << reason << int(O::Refused)
            << "Request failed" << failedText << "" << 1;
        QTest::newRow("500 without a JSON body")
            << QByteArray("PUT") << int(FailureKind::Status) << QByteArray("oops") << int(O::Refused)
            << "Request failed" << "server replied: Internal Server Error" << "" << 1;
        row("envelope on a write", "POST", int(FailureKind::OkFalse), int(O::Refused))
            << "Ошибка" << "Сервер не сохранил запись: Injected failure" << "" << 1;
        row("envelope on a delete", "DELETE", int(FailureKind::OkFalse), int(O::Refused))
            << "Ошибка" << "Сервер не сохранил запись: Injected failure" << "" << 1;
        // A list answered so is empty to its owner, not a failed write.
        row("envelope on a read", "GET", int(FailureKind::OkFalse), int(O::Done)) << QString() << QString() << "" << 1;
        row("not JSON counts as done", "POST", int(FailureKind::NotJson), int(O::Done))
            << QString() << QString() << "" << 1;
        row("no answer", "POST", int(FailureKind::NoReply), int(O::Unanswered))
            << "Request failed" << "Operation canceled" << "" << 1;
        // Stored, and the connection lost before the answer: never sent again.
        for (const char *verb : {"POST", "PUT", "DELETE"}) {
            row(qPrintable(QString("%1, connection closed").arg(verb)), verb, int(FailureKind::Closed), int(O::Unanswered))
                << "Request failed" << lost << "" << 1;
            row(qPrintable(QString("%1, connection reset").arg(verb)), verb, int(FailureKind::Reset), int(O::Unanswered))
                << "Request failed" << lost << "" << 1;
        }
        // The status came, not the whole answer; whether Qt names the close
        // or its refused resend depends on when it reads what came.
        row("POST, answer cut off", "POST", int(FailureKind::CutOff), int(O::Unanswered))
            << "Request failed" << "" << "" << 1;
        row("DELETE, answer cut off", "DELETE", int(FailureKind::CutOff), int(O::Unanswered))
            << "Request failed" << "" << "" << 1;
        row("a read is sent again", "GET", int(FailureKind::Closed), int(O::Done)) << QString() << QString() << "" << 2;
        row("nothing listens", "PUT", -1, int(O::NotSent))
            << "Request failed" << "Connection refused" << "nothing listens" << 0;
        for (const char *verb : {"POST", "PUT", "DELETE"}) {
            row(qPrintable(QString("%1 on a kept-alive connection").arg(verb)), verb, -1, int(O::Done))
                << QString() << QString() << "read" << 1;
            row(qPrintable(QString("%1 after an idle connection was closed").arg(verb)), verb, -1, int(O::Done))
                << QString() << QString() << "read, idle" << 1;
        }
    }

    void verdictAndBoxPerReply()
    {
        QFETCH(QByteArray, verb);
        QFETCH(int, kind);
        QFETCH(QByteArray, body);
        QFETCH(int, outcome);
        QFETCH(QString, title);
        QFETCH(QString, lastLine);
        QFETCH(QString, before);
        QFETCH(int, sent);
        // A write that goes through changes a record nothing refers to.
        const QString path = verb == "POST" ? "districts" : QString("districts/%1").arg(
                                 server().addRecord("districts", {{"name", "Пробный"}}));
        if (kind >= 0) {
            Failure failure{FailureKind(kind), kind == int(FailureKind::Status) ? 422 : 500};
            if (lastLine.contains("Internal Server Error"))
                failure.status = 500;
            if (!body.isEmpty())
                failure.body = body;
            failure.onlyCall = 1;
            server().injectFailure(verb, path, failure);
        }
        if (!title.isEmpty())
            MessageBox::setNextAnswer(QMessageBox::Ok);

        NetworkManagerWrapper manager;
        if (before.startsWith("read"))
            delete manager.getUrl(url("districts"), true, true);
        if (before.endsWith("idle")) {
            server().dropConnections();
            QTest::qWait(100);
        }
        if (before == "nothing listens") {
            QTcpServer gone;
            QVERIFY(gone.listen(QHostAddress::LocalHost));
            const quint16 port = gone.serverPort();
            gone.close();
            SettingsManager::instance()->setValue("connection/root_url", QString("http://127.0.0.1:%1/").arg(port));
        }
        server().clearRequests();
        const QJsonDocument record(QJsonObject{{"name", "Центральный"}});
        QNetworkReply *reply = verb == "GET"    ? manager.getUrl(url(path), true, true)
                               : verb == "PUT"  ? manager.putUrl(url(path), record, true, true)
                               : verb == "POST" ? manager.postUrl(url(path), record, true, true)
                                                : manager.deleteUrl(url(path), true, true);
        QCOMPARE(int(NetworkManagerWrapper::outcome(reply)), outcome);
        QCOMPARE(server().requestsTo(verb, path).size(), sent);
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
        using O = NetworkManagerWrapper::Outcome;
        if (outcome != int(O::Unanswered) && outcome != int(O::NotSent))
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
