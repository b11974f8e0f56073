#include "loginmanager.h"

#include "global.h"
#include "permissionmanager.h"
#include "writequeue.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QNetworkRequest>

LoginManager *LoginManager::_instance = nullptr;

LoginManager::LoginManager()
{
    // Sign-in reports its own failures in the sign-in window.
    manager.setChecksDisabled();
    connect(&manager, &QNetworkAccessManager::finished, this, &LoginManager::requestCompleted);
}

LoginManager *LoginManager::instance()
{
    if (!_instance) {
        _instance = new LoginManager();
        // Its transfers run on a thread of their own, which must stop while
        // the application is still whole: left to the end of the process it
        // wakes up among the exit handlers and reads what they freed.
        qAddPostRoutine([] {
            delete _instance;
            _instance = nullptr;
        });
    }
    return _instance;
}

void LoginManager::resetForTesting()
{
    pendingPassword.clear();
    token.clear();
    name.clear();
    acceptedPassword.clear();
    userId = -1;
}

void LoginManager::login(const QString &password)
{
    // Changes still on their way belong to the user signed in now: they go,
    // and are answered, before another one can take over.
    WriteQueue::finishAll();
    pendingPassword = password;
    QJsonObject body;
    body.insert("password", password);
    manager.postUrl(QUrl(Global::endpoint("login")), QJsonDocument(body), false, false);
    Global::showPreloader(nullptr);
}

void LoginManager::requestCompleted(QNetworkReply *reply)
{
    Global::hidePreloader();

    const QJsonDocument document = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply));
    Result result;
    const int previousUserId = userId;

    if (reply->error() != QNetworkReply::NoError) {
        if (reply->error() == QNetworkReply::AuthenticationRequiredError
            || reply->error() == QNetworkReply::ContentOperationNotPermittedError)
            result.message = QStringLiteral("Неверный пароль");
        else
            result.message = NetworkManagerWrapper::failureReason(reply);
    } else {
        const QJsonObject root = document.object();
        const QJsonObject user = root.value("user").toObject();
        const QString newToken = root.value("token").toString();
        if (newToken.isEmpty()) {
            // Without a token every later request would be refused; do not
            // pretend the user is signed in.
            result.message = QStringLiteral("Сервер не выдал ключ доступа");
        } else {
            result.name = user.value("name").toString();
            result.token = newToken;
            result.userId = user.value("id").toInt(0);
            const QVariantMap permissions = user.value("permissions").toObject().toVariantMap();
            for (auto it = permissions.cbegin(); it != permissions.cend(); ++it) {
                if (it.key() == QLatin1String("id") || it.key() == QLatin1String("userId"))
                    continue;
                result.permissions.insert(it.key(), it.value().toInt());
            }
            result.success = true;

            userId = result.userId;
            token = result.token;
            name = result.name;
            acceptedPassword = pendingPassword;
            PermissionManager::instance()->setPermissions(result.permissions);
        }
    }

    reply->deleteLater();
    if (result.success)
        emit signedIn(previousUserId);
    emit loginCompleted(result);
}

void LoginManager::authorizeRequest(QNetworkRequest &request) const
{
    request.setRawHeader("Authorization", QStringLiteral("Bearer %1").arg(token).toUtf8());
}

bool LoginManager::verify(const QString &password) const
{
    return !token.isEmpty() && password == acceptedPassword;
}
