#include "reportreply.h"

#include "global.h"
#include "networkmanagerwrapper.h"

#include <QNetworkReply>
#include <QUrl>

#include <cmath>
#include <limits>

namespace ReportReply {

QString text(const QJsonValue &value)
{
    return value.isString() ? value.toString() : QString();
}

double number(const QJsonValue &value)
{
    return value.isDouble() ? value.toDouble() : 0.0;
}

int integer(const QJsonValue &value)
{
    if (!value.isDouble())
        return 0;
    const double n = value.toDouble();
    if (!std::isfinite(n) || std::trunc(n) != n || n < std::numeric_limits<int>::min()
        || n > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(n);
}

int count(const QJsonValue &value)
{
    const int n = integer(value);
    return n >= 0 && n <= maxCount ? n : 0;
}

QJsonObject object(const QJsonValue &value)
{
    return value.toObject();
}

QJsonArray array(const QJsonValue &value)
{
    return value.toArray();
}

QJsonDocument fetch(NetworkManagerWrapper &network, const QString &path, bool *failed)
{
    // Tolerant parsing percent-encodes what the query leaves raw (blanks,
    // Cyrillic) instead of refusing the URL.
    QNetworkReply *reply
        = network.getUrl(QUrl(Global::endpoint(path), QUrl::TolerantMode), true, true);
    if (failed)
        *failed = reply->error() != QNetworkReply::NoError;
    const QJsonDocument document = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply));
    delete reply;
    return document;
}

}  // namespace ReportReply
