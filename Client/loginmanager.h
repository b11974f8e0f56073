#pragma once

#include "networkmanagerwrapper.h"

#include <QMap>
#include <QMetaType>
#include <QObject>
#include <QString>

class QNetworkReply;
class QNetworkRequest;

// The signed-in user: token, name, id and the password of the last
// successful sign-in. One per process.
class LoginManager : public QObject
{
    Q_OBJECT

public:
    struct Result
    {
        bool success = false;
        QString message;
        QString token;
        QString name;
        int userId = 0;
        QMap<QString, int> permissions;
    };

    static LoginManager *instance();

    void login(const QString &password);
    void authorizeRequest(QNetworkRequest &request) const;
    bool verify(const QString &password) const;

    QString getToken() const { return token; }
    QString getName() const { return name; }
    int getUserId() const { return userId; }

    // Tests: nobody signed in, as at start-up.
    void resetForTesting();

public slots:
    void requestCompleted(QNetworkReply *reply);

signals:
    // A sign-in succeeded: the shift of `previousUserId` (-1 for none) has
    // ended. Every window drops what it read for him, and what he typed and
    // did not write, before loginCompleted lets the open ones read again.
    void signedIn(int previousUserId);
    void loginCompleted(const LoginManager::Result &result);

private:
    LoginManager();

    NetworkManagerWrapper manager;
    QString pendingPassword;
    QString token;
    QString name;
    QString acceptedPassword;
    int userId = -1;

    static LoginManager *_instance;
};

Q_DECLARE_METATYPE(LoginManager::Result)
