#pragma once

// The domains of the stand-in server, each in its own file. The Server
// constructor calls them, in this order, after addCollectionRoutes.

namespace StandIn {

class DataStore;
class Server;

void addDirectoryRoutes(Server &server, DataStore &store);
void addUserRoutes(Server &server, DataStore &store);
void addPersonRoutes(Server &server, DataStore &store);
void addGlobalsRoutes(Server &server, DataStore &store);
void addAuditRoutes(Server &server, DataStore &store);

}  // namespace StandIn
