// The report endpoints: the listeners list, room occupancy, the three
// payment statements with the signers, the cash report and its summary, and
// the nights. Everything is computed from the stored records at each request.
//
// Query dates are "dd.MM.yyyy", ranges are inclusive and compare calendar
// days; an id of -1 (or none) means any. A stay lies "in the period" when the
// day it ends does.

#include "collections.h"
#include "domains.h"

#include <QDateTime>
#include <QSet>

#include <algorithm>

namespace StandIn {

namespace {

QDate queryDay(const Request &request, const char *key)
{
    return QDate::fromString(request.queryValue(QLatin1String(key)), QStringLiteral("dd.MM.yyyy"));
}

// An unset bound does not bound.
bool within(const QDate &day, const QDate &start, const QDate &end)
{
    return day.isValid() && (!start.isValid() || day >= start) && (!end.isValid() || day <= end);
}

// A query id; 0 (any) when absent, -1 or not a number.
int queryId(const Request &request, const char *key)
{
    int id = 0;
    return parseId(request.queryValue(QLatin1String(key)), &id) && id > 0 ? id : 0;
}

QString dayText(const QJsonValue &stored)
{
    return storedDate(stored).toString(QStringLiteral("dd.MM.yyyy"));
}

QDateTime moment(const QJsonValue &stored)
{
    return QDateTime::fromString(stored.toString(), Qt::ISODateWithMs);
}

bool byIdAndMoment(const QJsonObject &a, const QJsonObject &b, const char *key)
{
    const QDateTime x = moment(a.value(QLatin1String(key)));
    const QDateTime y = moment(b.value(QLatin1String(key)));
    if (x != y)
        return x < y;
    return a.value("id").toInt() < b.value("id").toInt();
}

QList<QJsonObject> objects(const QJsonArray &rows)
{
    QList<QJsonObject> result;
    result.reserve(rows.size());
    for (const QJsonValue &row : rows)
        result.append(row.toObject());
    return result;
}

// The stored records the reports join, read once per request.
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
            return byIdAndMoment(a, b, key);
        });
        return result;
    }

    QString fullname(const QJsonObject &person) const
    {
        const auto derive = server.rules("persons").derived.value("fullname");
        return derive ? derive(person).toString() : QString();
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
    std::stable_sort(streams.begin(), streams.end(),
                     [](const QJsonObject &a, const QJsonObject &b) {
                         return byIdAndMoment(a, b, "startDate");
                     });

    QJsonArray groups;
    for (const QJsonObject &stream : streams) {
        QJsonArray persons;
        for (const QJsonObject &person : records.all("persons")) {
            if (person.value("streamId").toInt() != stream.value("id").toInt())
                continue;
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

    QList<QJsonObject> stays = records.all("accommodation");
    std::sort(stays.begin(), stays.end(), [](const QJsonObject &a, const QJsonObject &b) {
        return byIdAndMoment(a, b, "inDate");
    });

    QJsonArray floors;
    QJsonArray group;
    for (const QJsonObject &room : rooms) {
        QJsonArray occupants;
        int rateSize = room.value("size").toInt();
        for (const QJsonObject &stay : stays) {
            if (stay.value("roomId").toInt() != room.value("id").toInt()
                || !(moment(stay.value("inDate")) <= at && at < moment(stay.value("outDate"))))
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

// ---- payment statements

Reply paymentsReport(const Records &records, const Request &request)
{
    const QDate start = queryDay(request, "start");
    const QDate end = queryDay(request, "end");
    const int streamId = queryId(request, "streamId");
    const bool listeners = isTrue(request.queryValue("listeners"));
    const bool guests = isTrue(request.queryValue("guests"));
    const bool debtOnly = isTrue(request.queryValue("debtOnly"));

    QJsonArray rows;
    for (const QJsonObject &person : records.all("persons")) {
        const int id = person.value("id").toInt();
        if (!(records.isListener(person) ? listeners : guests)
            || (streamId != 0 && person.value("streamId").toInt() != streamId))
            continue;
        QJsonArray accommodation;
        double total = 0;
        for (const QJsonObject &stay : records.of("accommodation", id, "inDate")) {
            if (!within(storedDate(stay.value("outDate")), start, end))
                continue;
            const QJsonObject rate = records.find("rates", stay.value("rateId"));
            accommodation.append(
                QJsonObject{{"number", records.find("rooms", stay.value("roomId")).value("number")},
                            {"inDate", stay.value("inDate")},
                            {"outDate", stay.value("outDate")},
                            {"rateCost", rate.value("cost").toDouble()},
                            {"rateHourCost", rate.value("hourCost").toDouble()}});
            total += stay.value("cost").toDouble();
        }
        if (accommodation.isEmpty())
            continue;

        QJsonArray payments;
        double paid = 0;
        QString payer;
        for (const QJsonObject &payment : records.of("payments", id, "payDate")) {
            payments.append(
                QJsonObject{{"summ", payment.value("summ").toDouble()},
                            {"name", records.name("pay_type", payment.value("payTypeId"))},
                            {"payDate", payment.value("payDate")}});
            paid += payment.value("summ").toDouble();
            if (payer.isEmpty())
                payer = records.payerOf(payment.value("payTypeId")).value("name").toString();
        }
        if (debtOnly && total - paid <= 0.005)
            continue;
        rows.append(QJsonObject{{"billNum", person.value("billNum").toInt()},
                                {"fullname", records.fullname(person)},
                                {"payer", payer},
                                {"total", total},
                                {"paid", paid},
                                {"accommodation", accommodation},
                                {"payments", payments}});
    }
    return Reply::json(rows);
}

Reply contractReport(const Records &records, const Request &request)
{
    const QDate start = queryDay(request, "start");
    const QDate end = queryDay(request, "end");
    const int payerId = queryId(request, "payerId");

    QJsonArray groups;
    for (const QJsonObject &payType : records.all("pay_type")) {
        const int contract = payType.value("id").toInt();
        if (records.payerOf(contract).isEmpty() || (payerId != 0 && contract != payerId))
            continue;
        QJsonArray entries;
        double groupCost = 0;
        double groupPaid = 0;
        for (const QJsonObject &person : records.all("persons")) {
            const int id = person.value("id").toInt();
            QJsonArray payments;
            double paid = 0;
            for (const QJsonObject &payment : records.of("payments", id, "payDate")) {
                if (payment.value("payTypeId").toInt() != contract
                    && payment.value("payerId").toInt() != contract)
                    continue;
                payments.append(QJsonObject{{"summ", payment.value("summ").toDouble()},
                                            {"payDate", payment.value("payDate")},
                                            {"name", payType.value("name")}});
                paid += payment.value("summ").toDouble();
            }
            QJsonArray accommodation;
            double cost = 0;
            for (const QJsonObject &stay : records.of("accommodation", id, "inDate")) {
                if (!within(storedDate(stay.value("outDate")), start, end))
                    continue;
                const QJsonObject rate = records.find("rates", stay.value("rateId"));
                accommodation.append(QJsonObject{
                    {"room",
                     QJsonObject{
                         {"number", records.find("rooms", stay.value("roomId")).value("number")}}},
                    {"rate",
                     QJsonObject{{"cost", rate.value("cost").toDouble()},
                                 {"hourCost", rate.value("hourCost").toDouble()}}},
                    {"inDate", stay.value("inDate")},
                    {"outDate", stay.value("outDate")},
                    {"cost", stay.value("cost").toDouble()}});
                cost += stay.value("cost").toDouble();
            }
            if (payments.isEmpty() || accommodation.isEmpty())
                continue;
            entries.append(QJsonObject{{"bill", person.value("billNum").toInt()},
                                       {"fullname", records.fullname(person)},
                                       {"totalCost", cost},
                                       {"totalPaid", paid},
                                       {"accommodation", accommodation},
                                       {"payments", payments}});
            groupCost += cost;
            groupPaid += paid;
        }
        groups.append(QJsonObject{{"name", payType.value("name")},
                                  {"totalCost", groupCost},
                                  {"totalPaid", groupPaid},
                                  {"entries", entries}});
    }
    return Reply::json(groups);
}

// Receipts with a number: those that were issued.
bool numbered(const QJsonObject &receipt)
{
    return receipt.value("number").isDouble();
}

Reply paidEducationReport(const Records &records, const Request &request)
{
    const QDate start = queryDay(request, "start");
    const QDate end = queryDay(request, "end");
    const int curriculumId = queryId(request, "curriculumId");

    QList<QJsonObject> receipts;
    for (const QJsonObject &receipt : records.all("paid_education_receipts")) {
        if (numbered(receipt) && within(storedDate(receipt.value("startDate")), start, end)
            && (curriculumId == 0 || receipt.value("curriculumId").toInt() == curriculumId))
            receipts.append(receipt);
    }
    std::sort(receipts.begin(), receipts.end(), [](const QJsonObject &a, const QJsonObject &b) {
        return byIdAndMoment(a, b, "payDate");
    });

    QJsonArray rows;
    for (const QJsonObject &receipt : receipts) {
        const QJsonObject person = records.find("persons", receipt.value("personId"));
        const QJsonObject stream = records.find("streams", person.value("streamId"));
        QJsonObject row{{"number", receipt.value("number")},
                        {"fullname", records.fullname(person)},
                        {"curriculum", records.name("curriculums", receipt.value("curriculumId"))},
                        {"startDate", receipt.value("startDate")},
                        {"endDate", receipt.value("endDate")},
                        {"paid", records.educationPaid(receipt)},
                        {"payDate", receipt.value("payDate")},
                        {"cassir", records.name("users", receipt.value("cassirId"))}};
        if (!stream.isEmpty()) {
            row.insert("stream",
                       QJsonObject{{"name", stream.value("name")},
                                   {"startDate", stream.value("startDate")},
                                   {"endDate", stream.value("endDate")}});
        }
        rows.append(row);
    }
    return Reply::json(rows);
}

// ---- cash report and summary

// A section of the cash reports: its entries, its total and the amounts per
// pay type in order of first appearance.
class CashSection
{
public:
    void add(const QString &payType, double paid)
    {
        total += paid;
        if (!byType.contains(payType))
            typeOrder.append(payType);
        byType[payType] += paid;
    }
    // Adds to the entry of this key (merged lines), or starts one.
    QJsonObject &entry(const QString &key, const QJsonObject &start)
    {
        if (!entryIndex.contains(key)) {
            entryIndex.insert(key, int(entries.size()));
            entries.append(start);
        }
        return entries[entryIndex.value(key)];
    }
    void append(const QJsonObject &entry) { entries.append(entry); }

    QJsonObject toJson() const
    {
        QJsonArray rows;
        for (const QJsonObject &entry : entries)
            rows.append(entry);
        QJsonArray types;
        for (const QString &name : typeOrder)
            types.append(QJsonObject{{"name", name}, {"paid", byType.value(name)}});
        return QJsonObject{{"entries", rows}, {"total", total}, {"byTypes", types}};
    }

private:
    QList<QJsonObject> entries;
    QMap<QString, int> entryIndex;
    double total = 0;
    QStringList typeOrder;
    QMap<QString, double> byType;
};

// The extra-services and education sections of the pay days in [start, end].
void addReceipts(const Records &records, const QDate &start, const QDate &end, CashSection &extra,
                 CashSection &education)
{
    for (const QJsonObject &receipt : records.all("receipts")) {
        if (!numbered(receipt) || !within(storedDate(receipt.value("payDate")), start, end))
            continue;
        const QJsonObject service = records.find("extra_services", receipt.value("extraServiceId"));
        const double paid = receipt.value("summ").toDouble();
        QJsonObject &entry = extra.entry(QString::number(service.value("id").toInt()),
                                         QJsonObject{{"name", service.value("name")},
                                                     {"unit", service.value("measurement")},
                                                     {"amount", 0},
                                                     {"paid", 0.0}});
        entry.insert("amount", entry.value("amount").toInt() + receipt.value("amount").toInt());
        entry.insert("paid", entry.value("paid").toDouble() + paid);
        extra.add(records.name("pay_type", receipt.value("payTypeId")), paid);
    }
    for (const QJsonObject &receipt : records.all("paid_education_receipts")) {
        if (!numbered(receipt) || !within(storedDate(receipt.value("payDate")), start, end))
            continue;
        const QJsonObject curriculum = records.find("curriculums", receipt.value("curriculumId"));
        const double paid = records.educationPaid(receipt);
        QJsonObject &entry = education.entry(QString::number(curriculum.value("id").toInt()),
                                             QJsonObject{{"name", curriculum.value("name")},
                                                         {"unit", QStringLiteral("курс")},
                                                         {"amount", 0},
                                                         {"paid", 0.0}});
        entry.insert("amount", entry.value("amount").toInt() + 1);
        entry.insert("paid", entry.value("paid").toDouble() + paid);
        education.add(records.name("pay_type", receipt.value("payTypeId")), paid);
    }
}

QList<QJsonObject> paymentsOfDays(const Records &records, const QDate &start, const QDate &end)
{
    QList<QJsonObject> payments;
    for (const QJsonObject &payment : records.all("payments")) {
        if (within(storedDate(payment.value("payDate")), start, end))
            payments.append(payment);
    }
    std::sort(payments.begin(), payments.end(), [](const QJsonObject &a, const QJsonObject &b) {
        return byIdAndMoment(a, b, "payDate");
    });
    return payments;
}

Reply cassReport(const Records &records, const Request &request)
{
    const QDate day = queryDay(request, "payDate");
    // An unreadable day matches nothing rather than every day.
    if (!day.isValid())
        return Reply::json(QJsonObject{{"accommodation", CashSection().toJson()},
                                       {"extraServices", CashSection().toJson()},
                                       {"paidEducation", CashSection().toJson()}});

    CashSection accommodation;
    for (const QJsonObject &payment : paymentsOfDays(records, day, day)) {
        const QJsonObject person = records.find("persons", payment.value("personId"));
        const QString payType = records.name("pay_type", payment.value("payTypeId"));
        QJsonObject entry{{"bill", person.value("billNum").toInt()},
                          {"fullname", records.fullname(person)},
                          {"paid", payment.value("summ").toDouble()},
                          {"payType", payType},
                          {"cassir", records.name("users", payment.value("cassirId"))}};
        const QJsonValue stream = records.streamOf(person);
        if (!stream.isUndefined())
            entry.insert("stream", stream);
        accommodation.append(entry);
        accommodation.add(payType, payment.value("summ").toDouble());
    }
    CashSection extra;
    CashSection education;
    addReceipts(records, day, day, extra, education);
    return Reply::json(QJsonObject{{"accommodation", accommodation.toJson()},
                                   {"extraServices", extra.toJson()},
                                   {"paidEducation", education.toJson()}});
}

Reply cassSummary(const Records &records, const Request &request)
{
    const QDate start = queryDay(request, "start");
    const QDate end = queryDay(request, "end");

    CashSection accommodation;
    double listeners = 0;
    double guests = 0;
    bool anyListener = false;
    bool anyGuest = false;
    for (const QJsonObject &payment : paymentsOfDays(records, start, end)) {
        const double paid = payment.value("summ").toDouble();
        if (records.isListener(records.find("persons", payment.value("personId")))) {
            listeners += paid;
            anyListener = true;
        } else {
            guests += paid;
            anyGuest = true;
        }
        accommodation.add(records.name("pay_type", payment.value("payTypeId")), paid);
    }
    if (anyListener)
        accommodation.append(
            QJsonObject{{"name", QStringLiteral("Слушатели")}, {"paid", listeners}});
    if (anyGuest)
        accommodation.append(QJsonObject{{"name", QStringLiteral("Гости")}, {"paid", guests}});

    CashSection extra;
    CashSection education;
    addReceipts(records, start, end, extra, education);
    return Reply::json(QJsonObject{{"accommodation", accommodation.toJson()},
                                   {"extraServices", extra.toJson()},
                                   {"paidEducation", education.toJson()}});
}

// The signers of the paid-education statement: users with an "rv0".
Reply signers(const Records &records)
{
    QJsonArray rows;
    for (const QJsonObject &user : records.all("users")) {
        const QJsonValue rv0 = user.value("rv0");
        if (!rv0.isNull() && !rv0.isUndefined())
            rows.append(
                QJsonObject{{"position", user.value("position")}, {"name", user.value("name")}});
    }
    return Reply::json(rows);
}

}  // namespace

void addReportRoutes(Server &server, DataStore &store)
{
    const auto add
        = [&server, &store](const QString &path,
                            std::function<Reply(const Records &, const Request &)> report) {
              server.route("GET", path,
                           [&server, &store, report](const Request &request, const QStringList &) {
                               return report(Records(server, store), request);
                           });
          };
    add("reports/persons", personsReport);
    add("reports/rooms", [&server](const Records &records, const Request &request) {
        return roomsReport(server, records, request);
    });
    add("reports/nights", nightsReport);
    add("reports/payments", paymentsReport);
    add("reports/payments/contract", contractReport);
    add("reports/payments/paid_education", paidEducationReport);
    add("reports/cass", cassReport);
    add("reports/cass/summary", cassSummary);
    // A path of its own, not a user's id.
    add("users/rv0", [](const Records &records, const Request &) { return signers(records); });
}

}  // namespace StandIn
