#pragma once

#include "networkmanagerwrapper.h"

#include <QObject>
#include <QTimer>

class QNetworkReply;

// Meant to watch the server connection. It fires once, five seconds after
// the main window is built, and sends nothing: no check of the server is
// defined for it.
class ConnectionChecker : public QObject
{
    Q_OBJECT

public:
    explicit ConnectionChecker(QObject *parent = nullptr);

public slots:
    void check();
    void completeCheck(QNetworkReply *reply);

private:
    NetworkManagerWrapper manager;
    QTimer timer;
};
