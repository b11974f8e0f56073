// The data exchange: the stream rosters that the 1C export reads. (What the
// legacy import needs of the collections it fills is their own domains'.)

#include "collections.h"
#include "domains.h"

namespace StandIn {

void addExchangeRoutes(Server &server, DataStore &store)
{
    // The roster of a stream, in id order: persons, to those who may read them.
    server.route("GET", "streams/*/persons", Server::Access::collection("persons"),
                 [&server, &store](const Request &, const QStringList &parts) {
                     return listReferring(server, store, "streams", parts.at(1), "persons",
                                          "streamId");
                 });
}

}  // namespace StandIn
