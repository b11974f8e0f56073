// The rates that may be charged for a room and the property items that may
// be issued under an extra service, linked and unlinked one at a time.

#include "collections.h"
#include "domains.h"

namespace StandIn {

void addLinkRoutes(Server &server, DataStore &store)
{
    addLink(server, store, {"rooms", "rates", "rateIds", "rateId", "rates", "rates"});
    // Legacy data may attach one item to a service twice, and the import
    // posts every such row: the repeat is taken as already done.
    addLink(server, store, {"extra_services", "property", "propertyIds", "propertyId", "property",
                            "properties", false});
}

}  // namespace StandIn
