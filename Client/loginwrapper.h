#pragma once

#include "loginwidget.h"

#include <QObject>

// Owns the sign-in window and tells the main window when a sign-in succeeded.
class LoginWrapper : public QObject
{
    Q_OBJECT

public:
    explicit LoginWrapper(QObject *parent = nullptr);

    LoginWidget *widget() { return &loginWidget; }

public slots:
    void start();
    void processTry(bool ok);

signals:
    void loginCompleted();

private:
    LoginWidget loginWidget;
};
