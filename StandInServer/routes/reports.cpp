// The accommodation reports: the listeners list, room occupancy and the
// nights, computed from the stored records at each request.

#include "domains.h"
#include "reportrecords.h"

#include <QSet>

namespace StandIn {

using namespace Reports;

namespace {

// ---- listeners list

QJsonObject listener(const Records &records, const QJsonObject &person,
                     const QList<QJsonObject> &stays)
{
    const QJsonObject organization = records.find("organizations", person.value("organizationId"));
    QJsonObject result{{"id", person.value("id")},
                       {"fullname", records.fullname(person)},
                       {"birthDate", dayText(person.value("birthDate"))}};
    if (!organization.isEmpty()) {
        result.insert(
            "organization",
            QJsonObject{
                {"name", organization.value("name")},
                {"region",
                 QJsonObject{{"name", records.name("regions", organization.value("regionId"))}}}});
    }
    const QJsonObject position = records.find("positions", person.value("positionId"));
    if (!position.isEmpty())
        result.insert("position", QJsonObject{{"name", position.value("name")}});
    if (!stays.isEmpty()) {
        const QJsonObject room = records.find("rooms", stays.last().value("roomId"));
        result.insert("room", QJsonObject{{"number", room.value("number")}});
    }
    return result;
}

Reply personsReport(const Records &records, const Request &request)
{
    const int streamId = queryId(request, "streamId");
    const int curriculumId = queryId(request, "curriculumId");
    const bool fact = isTrue(request.queryValue("fact"));
    const QDate start = queryDay(request, "start");
    const QDate end = queryDay(request, "end");

    QList<QJsonObject> streams;
    for (const QJsonObject &stream : records.all("streams")) {
        if ((streamId == 0 || stream.value("id").toInt() == streamId)
            && (curriculumId == 0 || stream.value("curriculumId").toInt() == curriculumId)
            && within(storedDate(stream.value("startDate")), start, end))
            streams.append(stream);
    }

    QJsonArray groups;
    for (const QJsonObject &stream : byMoment(streams, "startDate")) {
        QJsonArray persons;
        for (const QJsonObject &person :
             records.referring("persons", "streamId", stream.value("id").toInt())) {
            const QList<QJsonObject> stays
                = records.of("accommodation", person.value("id").toInt(), "inDate");
            if (fact && stays.isEmpty())
                continue;
            persons.append(listener(records, person, stays));
        }
        const QJsonObject curriculum = records.find("curriculums", stream.value("curriculumId"));
        groups.append(
            QJsonObject{{"stream",
                         QJsonObject{{"id", stream.value("id")},
                                     {"name", stream.value("name")},
                                     {"startDate", stream.value("startDate")},
                                     {"endDate", stream.value("endDate")},
                                     {"curriculum",
                                      QJsonObject{{"name", curriculum.value("name")},
                                                  {"value", curriculum.value("value")}}}}},
                        {"persons", persons}});
    }
    return Reply::json(groups);
}

// ---- room occupancy

Reply roomsReport(const Server &server, const Records &records, const Request &request)
{
    QDateTime at = QDateTime::fromString(request.queryValue("date"), Qt::ISODateWithMs);
    if (!at.isValid())
        at = server.now();
    int floor = 0;
    const bool anyFloor = !parseId(request.queryValue("floor"), &floor) || floor == -1;
    const bool free = isTrue(request.queryValue("free"));
    const bool occupied = isTrue(request.queryValue("occupied"));
    const bool byType = request.hasQueryItem("type");
    const QString type = request.queryValue("type");

    QList<QJsonObject> rooms;
    for (const QJsonObject &room : records.all("rooms")) {
        if ((anyFloor || room.value("floor").toInt() == floor)
            && (!byType || room.value("description").toString() == type))
            rooms.append(room);
    }
    std::stable_sort(rooms.begin(), rooms.end(), [](const QJsonObject &a, const QJsonObject &b) {
        const int x = a.value("floor").toInt();
        const int y = b.value("floor").toInt();
        return x != y ? x < y : a.value("number").toString() < b.value("number").toString();
    });

    QJsonArray floors;
    QJsonArray group;
    for (const QJsonObject &room : rooms) {
        QJsonArray occupants;
        int rateSize = room.value("size").toInt();
        for (const QJsonObject &stay :
             records.referring("accommodation", "roomId", room.value("id").toInt(), "inDate")) {
            if (!(moment(stay.value("inDate")) <= at && at < moment(stay.value("outDate"))))
                continue;
            if (occupants.isEmpty())
                rateSize = records.find("rates", stay.value("rateId")).value("size").toInt();
            occupants.append(QJsonObject{
                {"inDate", stay.value("inDate")},
                {"outDate", stay.value("outDate")},
                {"fullname", records.fullname(records.find("persons", stay.value("personId")))}});
        }
        const bool keep = (free && occupied) || (free && occupants.size() < rateSize)
            || (occupied && !occupants.isEmpty());
        if (!keep)
            continue;
        if (!group.isEmpty() && group.first().toObject().value("floor") != room.value("floor")) {
            floors.append(group);
            group = QJsonArray();
        }
        group.append(QJsonObject{{"id", room.value("id")},
                                 {"floor", room.value("floor")},
                                 {"number", room.value("number")},
                                 {"description", room.value("description")},
                                 {"size", room.value("size")},
                                 {"rateSize", rateSize},
                                 {"accm", occupants}});
    }
    if (!group.isEmpty())
        floors.append(group);
    return Reply::json(floors);
}

// ---- nights

// The nights of a stay inside the period: the days from its first up to the
// day before its last.
qint64 nightsWithin(const QJsonObject &stay, const QDate &start, const QDate &end)
{
    const QDate in = storedDate(stay.value("inDate"));
    const QDate out = storedDate(stay.value("outDate"));
    if (!in.isValid() || !out.isValid())
        return 0;
    const QDate first = start.isValid() ? std::max(in, start) : in;
    const QDate last = end.isValid() ? std::min(out.addDays(-1), end) : out.addDays(-1);
    return std::max<qint64>(0, first.daysTo(last) + 1);
}

Reply nightsReport(const Records &records, const Request &request)
{
    const QDate start = queryDay(request, "start");
    const QDate end = queryDay(request, "end");

    qint64 nights = 0;
    QSet<int> persons;
    QMap<int, qint64> byFloor;
    // Each person's first stay begins at the earliest check-in.
    QMap<int, QDate> firstDay;
    for (const QJsonObject &stay : records.all("accommodation")) {
        const int person = stay.value("personId").toInt();
        const QDate in = storedDate(stay.value("inDate"));
        if (in.isValid() && (!firstDay.contains(person) || in < firstDay.value(person)))
            firstDay.insert(person, in);
        const qint64 count = nightsWithin(stay, start, end);
        if (count == 0)
            continue;
        nights += count;
        persons.insert(person);
        byFloor[records.find("rooms", stay.value("roomId")).value("floor").toInt()] += count;
    }
    int arrived = 0;
    for (const int person : persons)
        arrived += within(firstDay.value(person), start, end) ? 1 : 0;

    QJsonArray floors;
    for (auto it = byFloor.cbegin(); it != byFloor.cend(); ++it)
        floors.append(QJsonObject{{"floor", it.key()}, {"nights", it.value()}});
    return Reply::json(QJsonObject{{"nights", nights},
                                   {"persons", int(persons.size())},
                                   {"persons2", arrived},
                                   {"floors", floors}});
}

}  // namespace

void addReportRoutes(Server &server, DataStore &store)
{
    // Each report to those who may read the records it is about.
    using Access = Server::Access;
    addReport(server, store, "reports/persons", Access::collection("persons"), personsReport);
    addReport(server, store, "reports/rooms", Access::collection("rooms"),
              [&server](const Records &records, const Request &request) {
                  return roomsReport(server, records, request);
              });
    addReport(server, store, "reports/nights", Access::collection("accommodation"), nightsReport);
}

}  // namespace StandIn
