#pragma once

// What the report endpoints share: reading the query's days and ids, and the
// stored records they join.
//
// Query dates are "dd.MM.yyyy", ranges are inclusive and compare calendar
// days; an id of -1 (or none) means any. A stay lies "in the period" when the
// day it ends does.

#include "collections.h"

#include <algorithm>
#include <functional>

namespace StandIn::Reports {

inline QDate queryDay(const Request &request, const char *key)
{
    return QDate::fromString(request.queryValue(QLatin1String(key)), QStringLiteral("dd.MM.yyyy"));
}

// An unset bound does not bound.
inline bool within(const QDate &day, const QDate &start, const QDate &end)
{
    return day.isValid() && (!start.isValid() || day >= start) && (!end.isValid() || day <= end);
}

// A query id; 0 (any) when absent, -1 or not a number.
inline int queryId(const Request &request, const char *key)
{
    int id = 0;
    return parseId(request.queryValue(QLatin1String(key)), &id) && id > 0 ? id : 0;
}

inline QString dayText(const QJsonValue &stored)
{
    return storedDate(stored).toString(QStringLiteral("dd.MM.yyyy"));
}

inline bool byMomentThenId(const QJsonObject &a, const QJsonObject &b, const char *key)
{
    const QDateTime x = moment(a.value(QLatin1String(key)));
    const QDateTime y = moment(b.value(QLatin1String(key)));
    if (x != y)
        return x < y;
    return a.value("id").toInt() < b.value("id").toInt();
}

inline QList<QJsonObject> objects(const QJsonArray &rows)
{
    QList<QJsonObject> result;
    result.reserve(rows.size());
    for (const QJsonValue &row : rows)
        result.append(row.toObject());
    return result;
}

// The stored records the reports join.
class Records
{
public:
    Records(const Server &server, const DataStore &store)
        : server(server)
        , store(store)
    {
    }

    QJsonObject find(const char *collection, const QJsonValue &id) const
    {
        return store.find(QLatin1String(collection), id.toInt());
    }
    QList<QJsonObject> all(const char *collection) const
    {
        return objects(store.rows(QLatin1String(collection)));
    }
    // The records of a person, by the moment under `key`.
    QList<QJsonObject> of(const char *collection, int personId, const char *key) const
    {
        QList<QJsonObject> result;
        for (const QJsonObject &row : all(collection)) {
            if (row.value("personId").toInt() == personId)
                result.append(row);
        }
        std::sort(result.begin(), result.end(), [key](const QJsonObject &a, const QJsonObject &b) {
            return byMomentThenId(a, b, key);
        });
        return result;
    }
    // The stays of a person in the period, by check-in.
    QList<QJsonObject> staysWithin(int personId, const QDate &start, const QDate &end) const
    {
        QList<QJsonObject> result;
        for (const QJsonObject &stay : of("accommodation", personId, "inDate")) {
            if (within(storedDate(stay.value("outDate")), start, end))
                result.append(stay);
        }
        return result;
    }

    QString fullname(const QJsonObject &person) const
    {
        return derivedValue(server, "persons", "fullname", person).toString();
    }
    QString name(const char *collection, const QJsonValue &id) const
    {
        return find(collection, id).value("name").toString();
    }
    // A person is a listener when a stream is named.
    bool isListener(const QJsonObject &person) const
    {
        return !find("streams", person.value("streamId")).isEmpty();
    }
    // The stream as the cash report prints it, dates as days; undefined for a guest.
    QJsonValue streamOf(const QJsonObject &person) const
    {
        const QJsonObject stream = find("streams", person.value("streamId"));
        if (stream.isEmpty())
            return QJsonValue::Undefined;
        return QJsonObject{{"name", stream.value("name")},
                           {"startDate", dayText(stream.value("startDate"))},
                           {"endDate", dayText(stream.value("endDate"))}};
    }
    // The payer (an organization) of a contract pay type; empty for others.
    QJsonObject payerOf(const QJsonValue &payTypeId) const
    {
        return find("organizations", find("pay_type", payTypeId).value("payerId"));
    }
    // What a paid-education receipt brings in: the curriculum's cost, signed
    // by the pay type (1 paid, 0 awaiting, -1 returned).
    double educationPaid(const QJsonObject &receipt) const
    {
        return find("curriculums", receipt.value("curriculumId")).value("cost").toDouble()
            * find("pay_type", receipt.value("payTypeId")).value("attribute").toInt();
    }

private:
    const Server &server;
    const DataStore &store;
};

// Registers a GET report computed from the records at each request.
inline void addReport(Server &server, DataStore &store, const QString &path,
                      std::function<Reply(const Records &, const Request &)> report)
{
    server.route("GET", path,
                 [&server, &store, report](const Request &request, const QStringList &) {
                     return report(Records(server, store), request);
                 });
}

}  // namespace StandIn::Reports
