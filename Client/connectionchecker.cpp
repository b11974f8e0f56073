#include "connectionchecker.h"

ConnectionChecker::ConnectionChecker(QObject *parent)
    : QObject(parent)
    , manager(nullptr)
{
    connect(&timer, &QTimer::timeout, this, &ConnectionChecker::check);
    timer.start(5000);
}

void ConnectionChecker::check()
{
    timer.stop();
}

void ConnectionChecker::completeCheck(QNetworkReply *)
{
    timer.start(5000);
}
