#pragma once

// What the report endpoints share: reading the query's days and ids, and the
// stored records they join.
//
// Query dates are "dd.MM.yyyy", ranges are inclusive and compare calendar
// days; an id of -1 (or none) means any. A stay lies "in the period" when the
// day it ends does.

#include "collections.h"

#include <QHash>

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

// The records by the moment under `key`, then by id. Each moment is read
// once: parsing it in every comparison made the sort dominate a report.
inline QList<QJsonObject> byMoment(const QList<QJsonObject> &rows, const char *key)
{
    struct Keyed
    {
        QDateTime when;
        int id;
        qsizetype row;
    };
    QList<Keyed> keys;
    keys.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        keys.append({moment(rows.at(i).value(QLatin1String(key))), rows.at(i).value("id").toInt(), i});
    std::sort(keys.begin(), keys.end(), [](const Keyed &a, const Keyed &b) {
        return a.when != b.when ? a.when < b.when : a.id < b.id;
    });
    QList<QJsonObject> result;
    result.reserve(rows.size());
    for (const Keyed &k : keys)
        result.append(rows.at(k.row));
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
    // A collection in stored order, read once per request.
    QList<QJsonObject> all(const char *collection) const
    {
        const QString name = QLatin1String(collection);
        const auto cached = collections.constFind(name);
        if (cached != collections.constEnd())
            return *cached;
        return *collections.insert(name, store.records(name));
    }
    // The records whose `idKey` holds `id`: by the moment under `orderKey`
    // then by id, or in stored order when there is no `orderKey`. The
    // collection is grouped once per request, so that a report over every
    // person does not scan it for each of them.
    QList<QJsonObject> referring(const char *collection, const char *idKey, int id,
                                 const char *orderKey = nullptr) const
    {
        const QString index = QStringLiteral("%1/%2/%3")
                                  .arg(QLatin1String(collection), QLatin1String(idKey),
                                       QLatin1String(orderKey));
        auto groups = indexes.constFind(index);
        if (groups == indexes.constEnd()) {
            QHash<int, QList<QJsonObject>> grouped;
            const QList<QJsonObject> rows = all(collection);
            for (const QJsonObject &row : orderKey ? byMoment(rows, orderKey) : rows)
                grouped[row.value(QLatin1String(idKey)).toInt()].append(row);
            groups = indexes.insert(index, grouped);
        }
        return groups->value(id);
    }
    // The records of a person, by the moment under `key`.
    QList<QJsonObject> of(const char *collection, int personId, const char *key) const
    {
        return referring(collection, "personId", personId, key);
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
    // A return (its pay type's attribute is -1) counts its quantity against
    // the sale; -1 for a return, 1 otherwise.
    int signOf(const QJsonObject &receipt) const
    {
        return find("pay_type", receipt.value("payTypeId")).value("attribute").toInt() == -1 ? -1
                                                                                                : 1;
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
    mutable QHash<QString, QList<QJsonObject>> collections;
    mutable QHash<QString, QHash<int, QList<QJsonObject>>> indexes;
};

// Registers a GET report computed from the records at each request, to the
// users `access` lets through.
inline void addReport(Server &server, DataStore &store, const QString &path,
                      const Server::Access &access,
                      std::function<Reply(const Records &, const Request &)> report)
{
    server.route("GET", path, access,
                 [&server, &store, report](const Request &request, const QStringList &) {
                     return report(Records(server, store), request);
                 });
}

}  // namespace StandIn::Reports
