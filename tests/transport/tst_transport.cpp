#include "testregistry.h"

#include "global.h"
#include "messagebox.h"
#include "networkmanagerwrapper.h"
#include "settingsmanager.h"
#include "testenvironment.h"

#include <QJsonObject>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using StandIn::Failure;
using StandIn::FailureKind;

// The one door every request passes: headers, synchronous waits, the failure
// box and the time-out, over real HTTP against the stand-in server.
class TransportTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;

    QUrl url(const QString &path) const { return QUrl(Global::endpoint(path)); }

private slots:
    void initTestCase()
    {
        NetworkManagerWrapper::setTransferTimeoutForTesting(1500);
        env = std::make_unique<TestEnvironment>();
        QVERIFY(env->signIn(TestEnvironment::adminPassword()));
    }

    void init()
    {
        env->server().clearRequests();
        env->server().clearFailures();
        MessageBox::reset();
        SettingsManager::instance()->setValue("connection/root_url", env->rootUrl());
    }

    void headersPerKindOfRequest()
    {
        NetworkManagerWrapper manager;
        const QByteArray bearer = "Bearer " + env->server().lastToken().toUtf8();

        delete manager.getUrl(url("districts"), true, true);
        delete manager.deleteUrl(url("districts/999"), true, true);
        delete manager.postUrl(url("districts"), QJsonDocument(QJsonObject{{"name", "Тест"}}),
                               true, true);
        MessageBox::reset();  // the DELETE of a missing record fails; not the point here

        const auto requests = env->server().requests();
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
        env->server().clearRequests();
        delete manager.getUrl(url("globals/CheckoutHour"), false, true);
        MessageBox::reset();
        QCOMPARE(env->server().requests().size(), 1);
        QVERIFY(!env->server().requests().first().hasHeader("Authorization"));
        QCOMPARE(env->server().requests().first().header("Content-Type"),
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

        // A request that never gets an answer is in flight on the same manager.
        env->server().injectFailure("GET", "positions", Failure{FailureKind::NoReply});
        QNetworkReply *stuck = manager.getUrl(url("positions"), true, false);

        QNetworkReply *mine = manager.getUrl(url("districts"), true, true);
        QVERIFY(mine->isFinished());
        QVERIFY(!stuck->isFinished());
        QCOMPARE(handled, QList<QNetworkReply *>{mine});
        QCOMPARE(mine->error(), QNetworkReply::NoError);
        delete mine;

        // The stuck one ends by the time-out, through the same failure box.
        QTRY_VERIFY_WITH_TIMEOUT(stuck->isFinished(), 10000);
        QCOMPARE(stuck->error(), QNetworkReply::OperationCanceledError);
        QCOMPARE(MessageBox::history().size(), 1);
        QCOMPARE(MessageBox::history().first().title, QString("Request failed"));
        delete stuck;
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
        env->server().injectFailure("GET", "districts", Failure{FailureKind::Status, 500});
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
        env->server().clearFailures();
        delete manager.getUrl(url("districts"), true, true);
        QCOMPARE(MessageBox::history().size(), 1);
    }

    void checksDisabledShowNoBox()
    {
        NetworkManagerWrapper manager;
        manager.setChecksDisabled();
        env->server().injectFailure("GET", "districts", Failure{FailureKind::Status, 404});
        QNetworkReply *reply = manager.getUrl(url("districts"), true, true);
        QVERIFY(reply->error() != QNetworkReply::NoError);
        QCOMPARE(MessageBox::history().size(), 0);
        delete reply;
    }

    void serverThatNeverAnswersEndsByTimeOut()
    {
        NetworkManagerWrapper manager;
        env->server().injectFailure("*", "globals/OrganizationInfo", Failure{FailureKind::NoReply});
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
