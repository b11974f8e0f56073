// Persons, and the lists of a person's own records that the card reads.

#include "collections.h"
#include "domains.h"

#include <algorithm>
#include <utility>

namespace StandIn {

namespace {

// The records of a collection by the person they belong to.
QHash<int, QJsonArray> byPerson(const DataStore &store, const QString &collection)
{
    QHash<int, QJsonArray> rows;
    for (const QJsonValue &row : store.rows(collection))
        rows[row.toObject().value("personId").toInt()].append(row);
    return rows;
}

qint64 kopecks(const QJsonArray &rows, const char *key)
{
    qint64 sum = 0;
    for (const QJsonValue &row : rows)
        sum += qRound64(row.toObject().value(QLatin1String(key)).toDouble() * 100);
    return sum;
}

// The letter the list paints as a dot: imported, without stays, in debt, settled.
QString markerOf(const QJsonObject &person, const QJsonArray &stays, const QJsonArray &payments)
{
    if (person.value("imported").toBool())
        return "E";
    if (stays.isEmpty())
        return "B";
    return kopecks(stays, "cost") > kopecks(payments, "summ") ? "D" : "V";
}

// A stay's first and last day; an open stay lasts its first day only.
std::pair<QDate, QDate> daysOf(const QJsonObject &stay)
{
    const QDate in = storedDate(stay.value("inDate"));
    const QDate out = storedDate(stay.value("outDate"));
    return {in, out.isValid() ? out : in};
}

bool anyStayOverlaps(const QJsonArray &stays, const QDate &first, const QDate &last)
{
    return std::any_of(stays.begin(), stays.end(), [&](const QJsonValue &stay) {
        const auto [in, out] = daysOf(stay.toObject());
        return in.isValid() && in <= last && out >= first;
    });
}

// The stay the person is in today, else the one that began last.
QJsonObject currentOrLastStay(const QJsonArray &stays, const QDate &today)
{
    QJsonObject last;
    QDate lastIn;
    for (const QJsonValue &value : stays) {
        const QJsonObject stay = value.toObject();
        const auto [in, out] = daysOf(stay);
        if (in.isValid() && in <= today && today <= out)
            return stay;
        if (last.isEmpty() || in > lastIn) {
            last = stay;
            lastIn = in;
        }
    }
    return last;
}

QJsonValue nameOf(const DataStore &store, const QString &collection, int id)
{
    const QJsonObject record = id > 0 ? store.find(collection, id) : QJsonObject();
    return record.isEmpty() ? QJsonValue(QJsonValue::Null) : record.value("name");
}

QJsonObject listRow(const Server &server, const DataStore &store, const QJsonObject &person,
                    const QJsonArray &stays, const QJsonArray &payments)
{
    const QJsonObject organization = store.find("organizations", person.value("organizationId").toInt());
    const QJsonObject stream = store.find("streams", person.value("streamId").toInt());
    const QJsonObject stay = currentOrLastStay(stays, server.now().date());
    const QJsonObject room = store.find("rooms", stay.value("roomId").toInt());
    auto orNull = [](const QJsonValue &value) {
        return value.isUndefined() ? QJsonValue(QJsonValue::Null) : value;
    };
    return {
        {"id", person.value("id")},
        {"marker", markerOf(person, stays, payments)},
        {"fullname", derivedValue(server, "persons", "fullname", person)},
        {"birthDate", orNull(person.value("birthDate"))},
        {"region", nameOf(store, "regions", organization.value("regionId").toInt())},
        {"stream", stream.isEmpty() ? QJsonValue(QJsonValue::Null)
                                    : QJsonObject{{"name", stream.value("name")},
                                                  {"startDate", stream.value("startDate")},
                                                  {"endDate", stream.value("endDate")}}},
        {"in", orNull(stay.value("inDate"))},
        {"out", orNull(stay.value("outDate"))},
        {"room", room.isEmpty() ? QJsonValue(QJsonValue::Null) : room.value("number")},
        {"admin", nameOf(store, "users", person.value("adminId").toInt())},
        {"externalId", orNull(person.value("externalId"))},
        {"comments", person.value("comments").toString()},
    };
}

// The persons view's list: "year=Y" keeps those with a stay in that year, or
// without stays those registered in it; "date=dd.MM.yyyy" those staying that day.
Reply personsList(const Server &server, const DataStore &store, const Request &request)
{
    const bool byYear = request.hasQueryItem("year");
    const int year = request.queryValue("year").toInt();
    const bool byDate = request.hasQueryItem("date");
    const QDate date = QDate::fromString(request.queryValue("date"), "dd.MM.yyyy");

    const QHash<int, QJsonArray> staysOf = byPerson(store, "accommodation");
    const QHash<int, QJsonArray> paymentsOf = byPerson(store, "payments");
    QJsonArray rows;
    for (const QJsonValue &value : store.rows("persons")) {
        const QJsonObject person = value.toObject();
        const int id = person.value("id").toInt();
        const QJsonArray stays = staysOf.value(id);
        if (byYear) {
            const QDate first(year, 1, 1);
            const QDate last(year, 12, 31);
            const bool kept = stays.isEmpty()
                                  ? storedDate(person.value("created")).year() == year && year != 0
                                  : anyStayOverlaps(stays, first, last);
            if (!kept)
                continue;
        }
        if (byDate && !(date.isValid() && anyStayOverlaps(stays, date, date)))
            continue;
        rows.append(listRow(server, store, person, stays, paymentsOf.value(id)));
    }
    return Reply::json(rows);
}

}  // namespace

void addPersonRoutes(Server &server, DataStore &store)
{
    store.addCollection("persons");
    server.rules("persons").node = "persons";

    store.addReference({"persons", "organizationId", "organization", "organizations"});
    store.addReference({"persons", "positionId", "position", "positions"});
    store.addReference({"persons", "streamId", "stream", "streams"});
    store.addReference({"persons", "adminId", "admin", "users"});

    CollectionRules &persons = server.rules("persons");
    // The card writes the name in three parts and reads it back whole.
    persons.derived.insert("fullname", [](const QJsonObject &person) -> QJsonValue {
        if (!person.contains("surname") && !person.contains("name") && !person.contains("lastname"))
            return QJsonValue::Undefined;
        return QStringList{person.value("surname").toString(), person.value("name").toString(),
                           person.value("lastname").toString()}
            .join(' ')
            .simplified();
    });
    // A person's admin and bill number are not part of the card's body, nor
    // when and whence the person came.
    persons.keptOnPut = QStringList{"adminId", "billNum", "created", "imported"};
    persons.prepare.append([&server](QJsonObject &person, const QJsonObject &stored,
                                     const Request &) -> std::optional<Reply> {
        if (stored.isEmpty()) {
            // The card sends none; a person copied from the older system
            // brings the number its printed bills already carry.
            if (!person.value("billNum").isDouble())
                person.insert("billNum", 0);
            person.insert("created", server.now().toString(Qt::ISODateWithMs));
            person.remove("imported");
        }
        return std::nullopt;
    });

    // The card's four lists: the person's records in stored order, as the
    // client reads them, to those who may read the records.
    for (const char *sub : {"accommodation", "payments", "receipts", "paid_education_receipts"}) {
        const QString collection = QString::fromLatin1(sub);
        server.route("GET", "persons/*/" + collection, Server::Access::collection(collection),
                     [&server, &store, collection](const Request &, const QStringList &parts) {
                         return listReferring(server, store, "persons", parts.at(1), collection,
                                              "personId");
                     });
    }

    server.route("GET", "persons", Server::Access::collection(),
                 [&server, &store](const Request &request, const QStringList &) {
        if (!isTrue(request.queryValue("pretty")))
            return listCollection(server, store, "persons", request);
        return personsList(server, store, request);
    });

    // The server's messages about persons, kept as {"personId", "message"}.
    store.addCollection("person_info");
    server.rules("person_info").node = "persons";
    store.addReference({"person_info", "personId", "person", "persons", Reference::WhenNone::Null,
                        Reference::OnDelete::Cascade});
    server.route("GET", "persons/info", Server::Access::collection("person_info"),
                 [&server, &store](const Request &, const QStringList &) {
        QJsonArray rows;
        for (const QJsonValue &value : store.rows("person_info")) {
            const QJsonObject info = value.toObject();
            const QJsonObject person = store.find("persons", info.value("personId").toInt());
            rows.append(QJsonObject{
                {"id", info.value("id")},
                {"fullname", person.isEmpty()
                                 ? QJsonValue(QJsonValue::Null)
                                 : derivedValue(server, "persons", "fullname", person)},
                {"message", info.value("message")}});
        }
        return Reply::json(rows);
    });
}

}  // namespace StandIn
