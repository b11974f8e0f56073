#include "testregistry.h"

#include "global.h"
#include "guitestbase.h"
#include "loginmanager.h"
#include "networkmanagerwrapper.h"
#include "requesttablemodel.h"

#include <QJsonArray>
#include <QTimer>

using StandIn::Failure;
using StandIn::FailureKind;

class RequestTableModelTest : public GuiTestBase
{
    Q_OBJECT

    QNetworkRequest request(const QString &path) const
    {
        QNetworkRequest r(QUrl(Global::endpoint(path)));
        LoginManager::instance()->authorizeRequest(r);
        return r;
    }

private slots:
    void initTestCase()
    {
        NetworkManagerWrapper::setTransferTimeoutForTesting(1500);
        QVERIFY(startServer().signIn(TestEnvironment::adminPassword()));
    }

    void asynchronousLoad()
    {
        RequestTableModel model;
        model.setHeaders({{"ID", "id"}, {"Название", "name"}});
        model.setRequest(request("districts"));
        QSignalSpy finished(&model, &RequestTableModel::selectFinished);
        model.select();
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(model.rowCount(), server().collection("districts").size());
        QVERIFY(model.rowCount() > 0);

        // The model adds nothing to the request: only the caller's bearer header.
        const auto sent = server().requestsTo("GET", "districts");
        QCOMPARE(sent.size(), 1);
        QVERIFY(!sent.first().hasHeader("Content-Type"));
        QVERIFY(sent.first().header("Authorization").startsWith("Bearer "));

        // Composed under one user and sent after another signed in: it goes
        // with the token of the user signed in when it is sent.
        QVERIFY(environment().signIn("kassa"));
        const QByteArray cashier = bearer();
        model.select();
        QVERIFY(finished.wait(5000));
        QVERIFY(environment().signIn(TestEnvironment::adminPassword()));
        QCOMPARE(server().requestsTo("GET", "districts").last().header("Authorization"), cashier);
    }

    void synchronousLoadWaitsForItsOwnReply()
    {
        RequestTableModel model;
        model.setHeaders({{"ID", "id"}, {"Название", "name"}});
        QSignalSpy finished(&model, &RequestTableModel::selectFinished);

        // An earlier asynchronous load is in flight when the synchronous one
        // starts, and its reply comes first.
        model.setRequest(request("positions"));
        model.select();
        Failure late{FailureKind::Delay};
        late.delayMs = 300;
        server().injectFailure("GET", "districts", late);

        model.setRequest(request("districts"));
        model.selectSync();
        // The earlier load's reply is dropped: a newer request was sent.
        QCOMPARE(finished.count(), 1);
        QCOMPARE(model.rowCount(), server().collection("districts").size());
        const QString firstName = server().collection("districts").first()["name"].toString();
        bool found = false;
        for (int row = 0; row < model.rowCount(); ++row)
            found = found || model.index(row, 1).data().toString() == firstName;
        QVERIFY(found);
        // No box from the model, ever.
        QCOMPARE(MessageBox::history().size(), 0);

        // A newer load sent while the synchronous one waits: the wait ends
        // with its own reply, dropped, and the newer rows come after.
        server().injectFailure("GET", "districts", late);
        QTimer::singleShot(0, &model, [&] {
            model.setRequest(request("positions"));
            model.select();
        });
        model.setRequest(request("districts"));
        model.selectSync();
        QTRY_COMPARE(model.rowCount(), server().collection("positions").size());
        QCOMPARE(finished.count(), 2);
    }

    void bodies_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("failed");  // an unread list, not an empty one

        QTest::newRow("empty array") << QByteArray("[]") << 200 << 0 << false;
        QTest::newRow("Ok false") << QByteArray(R"({"Ok": false, "message": "x"})") << 200 << 0 << true;
        QTest::newRow("Ok true object") << QByteArray(R"({"Ok": true, "id": 3})") << 200 << 1 << false;
        QTest::newRow("Ok as a string") << QByteArray(R"({"Ok": "no"})") << 200 << 0 << true;
        QTest::newRow("Ok null") << QByteArray(R"({"Ok": null})") << 200 << 0 << true;
        QTest::newRow("envelope inside an array is a row")
            << QByteArray(R"([{"Ok": false}, {"id": 2}])") << 200 << 2 << false;
        QTest::newRow("object without Ok") << QByteArray(R"({"id": 3})") << 200 << 1 << false;
        QTest::newRow("not JSON") << QByteArray("<html>oops</html>") << 200 << 0 << true;
        QTest::newRow("empty body") << QByteArray() << 200 << 0 << true;
        // An error reply never becomes a row, whatever its body.
        QTest::newRow("error with an object body")
            << QByteArray(R"({"message": "Internal error"})") << 500 << 0 << true;
        QTest::newRow("error with an array body") << QByteArray(R"([{"id": 1}])") << 404 << 0 << true;
        // The bearer header stays with the server: a redirect elsewhere is not followed.
        QTest::newRow("moved to another server")
            << (otherOrigin().rootUrl() + "positions").toUtf8() << 302 << 0 << true;
    }

    void bodies()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(int, rows);

        RequestTableModel model;
        model.setHeaders({{"ID", "id"}, {"A", "a"}, {"B", "b"}});
        // Start from a loaded model, so emptying is visible.
        model.setRequest(request("districts"));
        model.selectSync();
        QVERIFY(model.rowCount() > 0);

        Failure failure{status / 100 == 3 ? FailureKind::Redirect : FailureKind::Status, status, body};
        failure.location = body;
        server().injectFailure("GET", "positions", failure);
        model.setRequest(request("positions"));
        QSignalSpy finished(&model, &RequestTableModel::selectFinished);
        model.selectSync();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(model.rowCount(), rows);
        QTEST(!model.isRead(), "failed");
        QCOMPARE(otherOrigin().requests().size(), 0);
        // Columns and labels survive an empty load.
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QString("B"));
    }

    void unreachableServerGivesAnEmptyModel()
    {
        RequestTableModel model;
        model.setJson(QJsonDocument(QJsonArray{QJsonObject{{"id", 1}}}));
        QNetworkRequest r(QUrl("http://127.0.0.1:1/districts"));
        model.setRequest(r);
        model.selectSync();
        QCOMPARE(model.rowCount(), 0);
    }
};

LOMI_TEST_CLASS(RequestTableModelTest)

#include "tst_requesttablemodel.moc"
