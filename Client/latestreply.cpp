#include "latestreply.h"

#include <QNetworkReply>

namespace {

const char serialProperty[] = "lomiRequestSerial";
// One count for every list of the program: a serial names one request.
quint64 lastSerial = 0;

}  // namespace

QNetworkReply *LatestReply::sent(QNetworkReply *reply)
{
    latest = ++lastSerial;
    reply->setProperty(serialProperty, latest);
    return reply;
}

bool LatestReply::isLatest(const QNetworkReply *reply) const
{
    // A reply that no list sent (serial 0) stands only while none was sent.
    return reply->property(serialProperty).toULongLong() == latest;
}

void LatestReply::dropPending()
{
    latest = ++lastSerial;
}
