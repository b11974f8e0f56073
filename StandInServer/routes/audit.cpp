// The audit log: what users did, read whole or for one record ("target").

#include "collections.h"
#include "domains.h"

namespace StandIn {

void addAuditRoutes(Server &server, DataStore &store)
{
    store.addCollection("audit");
    server.rules("audit").filters.append([](const QJsonObject &entry, const Request &request) {
        if (!request.hasQueryItem("target"))
            return true;
        int target = 0;
        return parseId(request.queryValue("target").trimmed(), &target)
               && entry.value("target").toInt() == target;
    });
}

}  // namespace StandIn
