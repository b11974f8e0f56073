#pragma once

#include "connectionsettingsdialog.h"
#include "loginmanager.h"

#include <QWidget>

namespace Ui {
class LoginWidget;
}

// The sign-in window: a password and the way to the connection settings.
class LoginWidget : public QWidget
{
    Q_OBJECT

public:
    explicit LoginWidget(QWidget *parent = nullptr);
    ~LoginWidget() override;

    void reset();
    bool isLoggedIn() const { return loggedIn; }

public slots:
    void tryLogin();
    void completeLogin(const LoginManager::Result &result);

signals:
    void tryFinished(bool ok);

private:
    Ui::LoginWidget *ui;
    bool loggedIn = false;
    ConnectionSettingsDialog settingsDialog;
};
