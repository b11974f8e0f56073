// Stays: a person in a room under a rate, from check-in to check-out. The
// server counts the nights, the hours and the cost; the client only shows them.

#include "collections.h"
#include "domains.h"

namespace StandIn {

namespace {

// Stays are counted on the wall clock: a night is 24 hours of the dates as
// written, whatever the zone the server runs in.
QDateTime wallClock(const QJsonValue &value)
{
    // Text without an offset is the wall clock itself: read through the
    // server's zone, a time in that zone's spring gap would not exist.
    const QDateTime written =
        QDateTime::fromString(value.toString() + QLatin1Char('Z'), Qt::ISODateWithMs);
    if (written.isValid())
        return written;
    const QDateTime local = moment(value);
    return local.isValid() ? QDateTime(local.date(), local.time(), Qt::UTC) : QDateTime();
}

}  // namespace

void addAccommodationRoutes(Server &server, DataStore &store)
{
    using R = Reference;
    store.addCollection("accommodation");
    server.rules("accommodation").node = "accommodation";
    store.addReference({"accommodation", "personId", "person", "persons", R::WhenNone::Null,
                        R::OnDelete::Cascade});
    store.addReference({"accommodation", "roomId", "room", "rooms"});
    store.addReference({"accommodation", "rateId", "rate", "rates"});
    store.addReference({"accommodation", "adminId", "admin", "users"});

    CollectionRules &stays = server.rules("accommodation");
    // Computed on every write; what the body says of them (the card's PUT
    // sends zeros) is ignored.
    stays.prepare.append([&store](QJsonObject &stay, const QJsonObject &,
                                  const Request &) -> std::optional<Reply> {
        // Unknown ids were refused before; none at all is refused here.
        if (stay.value("roomId").toInt() <= 0)
            return Reply::error(422, QStringLiteral("roomId: не выбран номер"));
        const int rateId = stay.value("rateId").toInt();
        if (rateId <= 0)
            return Reply::error(422, QStringLiteral("rateId: не выбран тариф"));
        const QDateTime in = wallClock(stay.value("inDate"));
        // An open stay (the legacy import brings them) has no check-out yet,
        // and nothing to count.
        if (in.isValid() && stay.value("outDate").toString().isEmpty()) {
            stay.insert("days", 0);
            stay.insert("hours", 0);
            stay.insert("cost", 0);
            return std::nullopt;
        }
        const QDateTime out = wallClock(stay.value("outDate"));
        if (!in.isValid() || !out.isValid())
            return Reply::error(422, QStringLiteral("inDate, outDate: ожидаются дата и время"));
        if (out <= in)
            return Reply::error(422, QStringLiteral("Дата выезда должна быть позже даты заезда"));

        // A begun hour counts whole; a remainder that rounds up to a whole
        // day is that day, not 24 hours charged at the hourly rate.
        const qint64 seconds = in.secsTo(out);
        qint64 days = seconds / 86400;
        qint64 hours = (seconds % 86400 + 3599) / 3600;
        if (hours == 24) {
            ++days;
            hours = 0;
        }
        const QJsonObject rate = store.find("rates", rateId);
        stay.insert("days", days);
        stay.insert("hours", hours);
        stay.insert("cost", double(days) * rate.value("cost").toDouble()
                                + double(hours) * rate.value("hourCost").toDouble());
        return std::nullopt;
    });
}

}  // namespace StandIn
