// The data exchange: what the legacy import needs of the collections it
// fills, and the stream rosters that the 1C export reads.

#include "collections.h"
#include "domains.h"

namespace StandIn {

void addExchangeRoutes(Server &server, DataStore &store)
{
    // A person copied from the older system brings the bill number its
    // printed bills already carry; a new person of the card brings none.
    server.rules("persons").prepare.append(
        [](QJsonObject &person, const QJsonObject &stored, const Request &request)
            -> std::optional<Reply> {
            const QJsonValue billNum = request.json().object().value("billNum");
            if (stored.isEmpty() && billNum.isDouble())
                person.insert("billNum", billNum.toInt());
            return std::nullopt;
        });

    // A stay needs a room and a rate: an import that could not translate
    // them must fail rather than store a stay of nowhere. An empty "outDate"
    // is an open stay.
    server.rules("accommodation").prepare.append(
        [](QJsonObject &stay, const QJsonObject &, const Request &) -> std::optional<Reply> {
            for (const char *key : {"roomId", "rateId"}) {
                if (stay.value(key).toInt() <= 0)
                    return Reply::error(422, QStringLiteral("%1: требуется запись").arg(key));
            }
            return std::nullopt;
        });

    // The roster of a stream, in id order.
    server.route("GET", "streams/*/persons",
                 [&server, &store](const Request &, const QStringList &parts) {
                     int streamId = 0;
                     if (!parseId(parts.at(1), &streamId))
                         return Reply::error(400, QStringLiteral("Идентификатор не число: %1")
                                                      .arg(parts.at(1)));
                     if (store.find("streams", streamId).isEmpty())
                         return Reply::error(404, QStringLiteral("Запись streams/%1 не найдена")
                                                      .arg(streamId));
                     QJsonArray rows;
                     for (const QJsonValue &row : store.rows("persons")) {
                         if (row.toObject().value("streamId").toInt() == streamId)
                             rows.append(clientView(server, store, "persons", row.toObject()));
                     }
                     return Reply::json(rows);
                 });
}

}  // namespace StandIn
