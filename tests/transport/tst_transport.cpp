#include "testregistry.h"

#include "global.h"
#include "guitestbase.h"
#include "networkmanagerwrapper.h"
#include "settingsmanager.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkReply>

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

    void failureBoxOncePerFailedReply()
    {
        NetworkManagerWrapper manager;
        server().injectFailure("GET", "districts", Failure{FailureKind::Status, 500});
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QNetworkReply *reply = manager.getUrl(url("districts"), true, true);
        // The box was shown and closed before the synchronous call returned.
        QVERIFY(reply->error() != QNetworkReply::NoError);
        const auto boxes = MessageBox::history();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().icon, QMessageBox::Critical);
        QCOMPARE(boxes.first().title, QString("Request failed"));
        QCOMPARE(boxes.first().text, QString("Failed to execute request to %1: %2")
                                         .arg(reply->url().toString(), reply->errorString()));
        // The body of a failed reply is still there for the caller.
        QVERIFY(!reply->readAll().isEmpty());
        delete reply;

        // A successful reply shows nothing.
        server().clearFailures();
        delete manager.getUrl(url("districts"), true, true);
        QCOMPARE(MessageBox::history().size(), 1);
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
        QNetworkReply *reply = manager.getUrl(url("/globals/OrganizationInfo"), true, true);
        QVERIFY(reply->isFinished());
        QCOMPARE(reply->error(), QNetworkReply::OperationCanceledError);
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
