#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QVariant>

class NetworkManagerWrapper;

// How every report reads its server reply. Each value has a default, so an
// empty, failed or odd reply still prints the report's whole layout with
// zeros and blanks instead of stopping the build.
namespace ReportReply {

// A string reads as itself; anything else as "".
QString text(const QJsonValue &value);
// A number reads as its value; anything else (a numeric string too) as 0.
double number(const QJsonValue &value);
// A number with an integral value that fits in 32 bits; anything else,
// 12.5 or "12" among it, as 0.
int integer(const QJsonValue &value);
// The most a count the server sends (places, nights, persons) can be; far
// above what the office holds, far below what a sum of them could overflow.
constexpr int maxCount = 10000000;
// A count from 0 to maxCount; anything else, a negative or an absurd one
// among it, as 0, as a missing count reads.
int count(const QJsonValue &value);
// A missing or non-object value as an empty object.
QJsonObject object(const QJsonValue &value);
// A missing or non-array value as an empty array.
QJsonArray array(const QJsonValue &value);

inline QString text(const QJsonObject &o, const char *key)
{
    return text(o.value(QLatin1String(key)));
}
inline double number(const QJsonObject &o, const char *key)
{
    return number(o.value(QLatin1String(key)));
}
inline int integer(const QJsonObject &o, const char *key)
{
    return integer(o.value(QLatin1String(key)));
}
inline int count(const QJsonObject &o, const char *key)
{
    return count(o.value(QLatin1String(key)));
}
inline QJsonObject object(const QJsonObject &o, const char *key)
{
    return object(o.value(QLatin1String(key)));
}
inline QJsonArray array(const QJsonObject &o, const char *key)
{
    return array(o.value(QLatin1String(key)));
}

// A filter switch as the report queries write it.
inline QString queryFlag(const QVariant &value)
{
    return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
}

// The reply of an authorised GET of `path` (relative to the server root),
// waited for. A failure has been shown by the wrapper's box by the time this
// returns; `failed` tells the caller, the body it carried is parsed all the
// same (a body that is not JSON gives a null document).
QJsonDocument fetch(NetworkManagerWrapper &network, const QString &path, bool *failed = nullptr);

}  // namespace ReportReply
