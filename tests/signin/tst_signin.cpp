#include "testregistry.h"

#include "global.h"
#include "guitestbase.h"
#include "loginmanager.h"
#include "loginwidget.h"
#include "loginwrapper.h"
#include "modalhandler.h"
#include "permissionmanager.h"
#include "settingsmanager.h"
#include "verificationdialog.h"

#include <QLineEdit>
#include <QNetworkReply>
#include <QPushButton>

using StandIn::Failure;
using StandIn::FailureKind;

// Sign-in keeps process-wide state, so the order of these functions matters:
// the first ones run before anybody has signed in.
class SignInTest : public GuiTestBase
{
    Q_OBJECT

    void initTest() override
    {
        SettingsManager::instance()->setValue("connection/root_url", environment().rootUrl());
    }

private slots:
    void initTestCase() { startServer(); }

    void beforeSignInTheBearerIsEmpty()
    {
        QNetworkRequest request(QUrl(Global::endpoint("districts")));
        LoginManager::instance()->authorizeRequest(request);
        QCOMPARE(request.rawHeader("Authorization"), QByteArray("Bearer "));
        QVERIFY(!LoginManager::instance()->verify(QString()));
        QCOMPARE(LoginManager::instance()->getUserId(), -1);
    }

    void wrongPasswordBeforeAnySignIn()
    {
        const auto result = TestEnvironment::login("definitely wrong");
        QVERIFY(!result.success);
        QCOMPARE(result.message, QString("Неверный пароль"));
        QVERIFY(LoginManager::instance()->getToken().isEmpty());
        // The sign-in request carries the JSON type and no authorisation.
        const auto login = server().requestsTo("POST", "login");
        QCOMPARE(login.size(), 1);
        QVERIFY(!login.first().hasHeader("Authorization"));
        QCOMPARE(login.first().json().object().value("password").toString(),
                 QString("definitely wrong"));
        // The transport box is never shown for sign-in.
        QCOMPARE(MessageBox::history().size(), 0);
    }

    void successfulSignIn()
    {
        QSignalSpy permissionsUpdated(PermissionManager::instance(),
                                      &PermissionManager::permissionsUpdated);
        const auto result = TestEnvironment::login(TestEnvironment::adminPassword());
        QVERIFY(result.success);
        QVERIFY(!result.token.isEmpty());
        QCOMPARE(result.token, server().lastToken());
        QVERIFY(!result.name.isEmpty());
        QVERIFY(result.userId > 0);
        QVERIFY(!result.permissions.contains("id"));
        QVERIFY(!result.permissions.contains("userId"));
        QCOMPARE(result.permissions.value("districts"), 3);

        auto *login = LoginManager::instance();
        QCOMPARE(login->getToken(), result.token);
        QCOMPARE(login->getName(), result.name);
        QCOMPARE(login->getUserId(), result.userId);
        QCOMPARE(permissionsUpdated.count(), 1);
        QVERIFY(PermissionManager::instance()->canWrite("districts"));

        // The next request carries the new token.
        QNetworkRequest request(QUrl(Global::endpoint("districts")));
        login->authorizeRequest(request);
        QCOMPARE(request.rawHeader("Authorization"), "Bearer " + result.token.toUtf8());

        QVERIFY(login->verify(TestEnvironment::adminPassword()));
        QVERIFY(!login->verify(TestEnvironment::adminPassword().toUpper()));
        QVERIFY(!login->verify(QString()));
    }

    void failedChangeOfUserKeepsThePreviousUser()
    {
        const QString token = LoginManager::instance()->getToken();
        const auto permissions = PermissionManager::instance()->getPermissions();
        QSignalSpy permissionsUpdated(PermissionManager::instance(),
                                      &PermissionManager::permissionsUpdated);
        const auto result = TestEnvironment::login("wrong again");
        QVERIFY(!result.success);
        QCOMPARE(LoginManager::instance()->getToken(), token);
        QCOMPARE(PermissionManager::instance()->getPermissions(), permissions);
        QCOMPARE(permissionsUpdated.count(), 0);
        QVERIFY(LoginManager::instance()->verify(TestEnvironment::adminPassword()));
    }

    void replyThatIsNotJsonIsRefused()
    {
        const QString token = LoginManager::instance()->getToken();
        Failure f;
        f.kind = FailureKind::NotJson;
        server().injectFailure("POST", "login", f);
        const auto result = TestEnvironment::login(TestEnvironment::adminPassword());
        QVERIFY(!result.success);
        QVERIFY(!result.message.isEmpty());
        QCOMPARE(LoginManager::instance()->getToken(), token);
    }

    void otherHttpErrorShowsQtsText()
    {
        server().injectFailure("POST", "login", Failure{FailureKind::Status, 500});
        const auto result = TestEnvironment::login(TestEnvironment::adminPassword());
        QVERIFY(!result.success);
        QVERIFY(result.message != QString("Неверный пароль"));
        QVERIFY(!result.message.isEmpty());
    }

    // The clerk is told where the server pointed, and where to change it.
    void signInSentElsewhere()
    {
        server().injectFailure("POST", "login", {FailureKind::Redirect, 307, {}, 0, 0, {}, "http://localhost:1/"});
        const auto result = TestEnvironment::login(TestEnvironment::adminPassword());
        QVERIFY2(result.message.startsWith("сервер отправил запрос по другому адресу, http://localhost:1/"),
                 qPrintable(result.message));
    }

    void refusedConnection()
    {
        SettingsManager::instance()->setValue("connection/root_url", "http://127.0.0.1:1/");
        const auto result = TestEnvironment::login(TestEnvironment::adminPassword());
        QVERIFY(!result.success);
        QVERIFY2(result.message.contains("refused", Qt::CaseInsensitive), qPrintable(result.message));
    }

    void signInWindow()
    {
        LoginWrapper wrapper;
        LoginWidget *window = wrapper.widget();
        QSignalSpy completed(&wrapper, &LoginWrapper::loginCompleted);
        wrapper.start();
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QString("Вход"));
        QVERIFY(window->windowFlags().testFlag(Qt::Dialog));

        auto *password = window->findChild<QLineEdit *>("passwordLineEdit");
        QCOMPARE(password->echoMode(), QLineEdit::Password);

        // A wrong password keeps the window open with the typed text.
        password->setText("nope");
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QSignalSpy attempts(LoginManager::instance(), &LoginManager::loginCompleted);
        QTest::keyClick(password, Qt::Key_Return);
        QVERIFY(attempts.wait(10000));
        QCOMPARE(attempts.count(), 1);  // Enter starts exactly one sign-in
        QCOMPARE(MessageBox::history().size(), 1);
        QCOMPARE(MessageBox::history().first().title, QString("Ошибка"));
        QCOMPARE(MessageBox::history().first().text, QString("Не удалось войти: Неверный пароль"));
        QVERIFY(window->isVisible());
        QCOMPARE(password->text(), QString("nope"));
        QCOMPARE(completed.count(), 0);

        // Success closes the window before the wrapper tells the main window.
        bool windowHiddenWhenTold = false;
        connect(&wrapper, &LoginWrapper::loginCompleted, this,
                [&] { windowHiddenWhenTold = !window->isVisible(); });
        password->setText(TestEnvironment::adminPassword());
        window->findChild<QPushButton *>("loginPushButton")->click();
        QVERIFY(completed.wait(10000));
        QVERIFY(windowHiddenWhenTold);
        QVERIFY(window->isLoggedIn());

        // Shown again for a change of user, with an empty field.
        wrapper.start();
        QVERIFY(window->isVisible());
        QVERIFY(password->text().isEmpty());
        window->close();
    }

    void verificationDialogChecksWithoutARequest()
    {
        VerificationDialog dialog;
        ModalHandler::onNextDialog<VerificationDialog>([](VerificationDialog *d) {
            d->findChild<QLineEdit *>("passwordLineEdit")->setText(TestEnvironment::adminPassword());
            d->findChild<QPushButton *>("loginButton")->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.findChild<QLineEdit *>("passwordLineEdit")->echoMode(), QLineEdit::Password);
        server().clearRequests();
        QVERIFY(LoginManager::instance()->verify(dialog.getPassword()));
        QVERIFY(!LoginManager::instance()->verify(dialog.getPassword() + " "));
        QCOMPARE(server().requests().size(), 0);
    }
};

LOMI_TEST_CLASS(SignInTest)

#include "tst_signin.moc"
