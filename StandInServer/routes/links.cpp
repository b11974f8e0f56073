// The rates that may be charged for a room and the property items that may
// be issued under an extra service, linked and unlinked one at a time.

#include "collections.h"
#include "domains.h"

namespace StandIn {

void addLinkRoutes(Server &server, DataStore &store)
{
    addLink(server, store, {"rooms", "rates", "rateIds", "rateId", "rates", "rates"});
    addLink(server, store,
            {"extra_services", "property", "propertyIds", "propertyId", "property", "properties"});
}

}  // namespace StandIn
