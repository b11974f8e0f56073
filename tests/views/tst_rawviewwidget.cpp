#include "testregistry.h"

#include "guitestbase.h"
#include "rawviewwidget.h"
#include "viewsfixture.h"

#include <QNetworkReply>
#include <QSignalSpy>

using namespace ViewsTest;

namespace {

// A one-document window that remembers what it was shown.
class DocumentView : public RawViewWidget
{
    Q_OBJECT

public:
    void fromJson(const QJsonDocument &document) override { shown << document; }
    QJsonDocument toJson() override { return toSave; }

    NetworkManagerWrapper &network() { return manager; }

    QList<QJsonDocument> shown;
    QJsonDocument toSave;
};

}  // namespace

class RawViewWidgetTest : public GuiTestBase
{
    Q_OBJECT

    static bool finishes(DocumentView &view, const std::function<void()> &action)
    {
        return settlesAfter(view.network(), action);
    }

    void initTest() override { server().setGlobal("CheckoutHour", "12:00:00"); }

private slots:
    void initTestCase() { QVERIFY(startServer(fixture()).signIn("admin")); }

    void loadSendsBearerOnlyAndNoQuery()
    {
        DocumentView view;
        view.setEndpoint("globals/CheckoutHour");
        QVERIFY(finishes(view, [&] { view.handleUpdate(); }));

        const auto gets = server().requestsTo("GET", "globals/CheckoutHour");
        QCOMPARE(gets.size(), 1);
        QCOMPARE(gets.first().query, QString());
        QCOMPARE(gets.first().header("Authorization"), bearer());
        QVERIFY(!gets.first().hasHeader("Content-Type"));
        QCOMPARE(view.shown.size(), 1);
        QCOMPARE(view.shown.first().object().value("value").toString(), QString("12:00:00"));
    }

    void saveSendsIndentedJsonAndLaterLoadsKeepTheContentType()
    {
        DocumentView view;
        view.setEndpoint("globals/CheckoutHour");
        view.toSave = QJsonDocument(QJsonObject{{"value", "14:30:00"}});
        QVERIFY(finishes(view, [&] { view.save(); }));

        const auto puts = server().requestsTo("PUT", "globals/CheckoutHour");
        QCOMPARE(puts.size(), 1);
        QCOMPARE(puts.first().query, QString());
        QCOMPARE(puts.first().header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(puts.first().header("Authorization"), bearer());
        QCOMPARE(puts.first().body, indented({{"value", "14:30:00"}}));
        // The save's reply is no document to show.
        QVERIFY(view.shown.isEmpty());

        QVERIFY(finishes(view, [&] { view.handleUpdate(); }));
        const auto gets = server().requestsTo("GET", "globals/CheckoutHour");
        QCOMPARE(gets.size(), 1);
        QCOMPARE(gets.first().header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(view.shown.size(), 1);
        QCOMPARE(view.shown.first().object().value("value").toString(), QString("14:30:00"));
    }

    void repliesAreReleased()
    {
        DocumentView view;
        view.setEndpoint("globals/CheckoutHour");
        view.toSave = QJsonDocument(QJsonObject{{"value", "10:00:00"}});
        for (int i = 0; i < 3; ++i) {
            QVERIFY(finishes(view, [&] { view.save(); }));
            QVERIFY(finishes(view, [&] { view.handleUpdate(); }));
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(view.network().findChildren<QNetworkReply *>().size(), 0);
    }

    void emptyEndpointSendsTheGivenRequestWithBearer()
    {
        DocumentView view;
        QNetworkRequest request(QUrl(environment().rootUrl() + "globals/CheckoutHour?full=1"));
        request.setRawHeader("X-Probe", "yes");
        view.setRequest(request);
        QVERIFY(finishes(view, [&] { view.handleUpdate(); }));
        const auto gets = server().requestsTo("GET", "globals/CheckoutHour");
        QCOMPARE(gets.size(), 1);
        QCOMPARE(gets.first().query, QString("full=1"));
        QCOMPARE(gets.first().header("X-Probe"), QByteArray("yes"));
        QCOMPARE(gets.first().header("Authorization"), bearer());
    }

    void failedLoadStillReachesTheWindow()
    {
        DocumentView view;
        view.setEndpoint("globals/CheckoutHour");
        StandIn::Failure failure;
        failure.kind = StandIn::FailureKind::NotJson;
        server().injectFailure("GET", "globals/CheckoutHour", failure);
        QVERIFY(finishes(view, [&] { view.handleUpdate(); }));
        QCOMPARE(view.shown.size(), 1);
        QVERIFY(view.shown.first().isNull());
    }
};

LOMI_TEST_CLASS(RawViewWidgetTest)

#include "tst_rawviewwidget.moc"
