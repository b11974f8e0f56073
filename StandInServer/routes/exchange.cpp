// The data exchange: the stream rosters that the 1C export reads. (What the
// legacy import needs of the collections it fills is their own domains'.)

#include "collections.h"
#include "domains.h"

namespace StandIn {

void addExchangeRoutes(Server &server, DataStore &store)
{
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
