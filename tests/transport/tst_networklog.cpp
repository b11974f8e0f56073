#include "testregistry.h"

#include "global.h"
#include "guitestbase.h"
#include "rawviewwidget.h"
#include "requesttablemodel.h"

#include <QLoggingCategory>
#include <QRegularExpression>

namespace {

QStringList logged;

void keepMessage(QtMsgType, const QMessageLogContext &context, const QString &text)
{
    logged << QStringLiteral("%1: %2").arg(QString::fromUtf8(context.category), text);
}

class DocumentView : public RawViewWidget
{
    Q_OBJECT

public:
    void fromJson(const QJsonDocument &) override {}
    QJsonDocument toJson() override { return {}; }
    NetworkManagerWrapper &network() { return manager; }
};

}  // namespace

class NetworkLogTest : public GuiTestBase
{
    Q_OBJECT

    QJsonObject organization() { return server().collection("organizations").first().toObject(); }

    // Loads the organizations, or the first one as a document; returns what
    // was logged meanwhile.
    QStringList logOfLoading(bool asDocument)
    {
        logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
        if (asDocument) {
            DocumentView view;
            view.setEndpoint(QStringLiteral("organizations/%1").arg(organization()["id"].toInt()));
            QSignalSpy finished(&view.network(), &QNetworkAccessManager::finished);
            view.handleUpdate();
            finished.wait(5000);
        } else {
            QNetworkRequest request(QUrl(Global::endpoint(QStringLiteral("organizations"))));
            LoginManager::instance()->authorizeRequest(request);
            RequestTableModel model;
            model.setRequest(request);
            model.selectSync();
        }
        qInstallMessageHandler(previous);
        return logged;
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
            QSKIP("QT_LOGGING_RULES is set: the default rules can not be tested");
        QVERIFY(startServer().signIn(TestEnvironment::adminPassword()));
    }

    // Replies name persons and give tax numbers: they reach the log only
    // when its category is turned on.
    void repliesAreLoggedOnlyWhenAsked_data()
    {
        QTest::addColumn<bool>("asDocument");
        QTest::newRow("list") << false;
        QTest::newRow("document") << true;
    }

    void repliesAreLoggedOnlyWhenAsked()
    {
        QFETCH(bool, asDocument);
        const QString inn = organization()["inn"].toString();
        QVERIFY(!inn.isEmpty());

        QVERIFY(!logOfLoading(asDocument).join('\n').contains(inn));

        QLoggingCategory::setFilterRules(QStringLiteral("lomi.network.debug=true"));
        const QStringList turnedOn = logOfLoading(asDocument);
        QLoggingCategory::setFilterRules(QString());
        QCOMPARE(turnedOn.filter(inn), turnedOn.filter(QRegularExpression("^lomi.network: ")));
        QCOMPARE(turnedOn.filter(inn).size(), 1);
    }

    // The users list carries passwords in clear; the log never does.
    void passwordsAreMasked()
    {
        const QString password = TestEnvironment::adminPassword();
        QLoggingCategory::setFilterRules(QStringLiteral("lomi.network.debug=true"));
        logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
        QNetworkRequest request(QUrl(Global::endpoint(QStringLiteral("users"))));
        LoginManager::instance()->authorizeRequest(request);
        RequestTableModel model;
        model.setRequest(request);
        model.setHeaders({{"Пароль", "password"}});
        model.selectSync();
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());

        QVERIFY(model.rowCount() > 0);
        QCOMPARE(model.index(0, 0).data().toString().isEmpty(), false);
        const QString log = logged.join('\n');
        QVERIFY(log.contains("\"password\""));
        QVERIFY2(!log.contains(password), qPrintable(log.left(300)));
    }
};

LOMI_TEST_CLASS(NetworkLogTest)

#include "tst_networklog.moc"
