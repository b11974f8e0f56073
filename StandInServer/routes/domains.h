#pragma once

// The domains of the stand-in server, each in its own file. The Server
// constructor calls them, in this order, after addCollectionRoutes.
//
// A domain's function, in short (the records of a stay, say):
//
//   store.addCollection("accommodation");
//   store.addReference({"accommodation", "roomId", "room", "rooms"});
//   CollectionRules &stays = server.rules("accommodation");
//   stays.node = "accommodation";   // the permission node that guards its records
//   stays.prepare.append([&store](QJsonObject &stay, const QJsonObject &, const Request &)
//                            -> std::optional<Reply> {
//       if (<check-out not after check-in>)
//           return Reply::error(422, "...");   // nothing is stored
//       stay.insert("cost", <from the rate in store>);
//       return std::nullopt;
//   });
//   stays.filters.append([&server](const QJsonObject &stay, const Request &request) {
//       return <stay matches request.queryValue("date"), compared with server.now()>;
//   });
//   server.route("GET", "reports/nights", Server::Access::collection("accommodation"),
//                [&](const Request &request, const QStringList &) {
//       return Reply::json(<computed from store.rows(...)>);
//   });

namespace StandIn {

class DataStore;
class Server;

void addDirectoryRoutes(Server &server, DataStore &store);
void addLinkRoutes(Server &server, DataStore &store);
void addUserRoutes(Server &server, DataStore &store);
void addPersonRoutes(Server &server, DataStore &store);
void addAccommodationRoutes(Server &server, DataStore &store);
void addPaymentRoutes(Server &server, DataStore &store);
void addReceiptRoutes(Server &server, DataStore &store);
void addJournalRoutes(Server &server, DataStore &store);
void addGlobalsRoutes(Server &server, DataStore &store);
void addAuditRoutes(Server &server, DataStore &store);
void addReportRoutes(Server &server, DataStore &store);
void addPaymentReportRoutes(Server &server, DataStore &store);
void addExchangeRoutes(Server &server, DataStore &store);

}  // namespace StandIn
