#pragma once

// The generic collection routes and what domains borrow from them.

#include "datastore.h"
#include "standinserver.h"

#include <QDate>
#include <QDateTime>

namespace StandIn {

// "<collection>" GET (list) and POST, "<collection>/<id>" GET, PUT and
// DELETE, for every collection of the store, with the common list filters
// ("actualOnly" for records with a validity period, "excludeArchive",
// "paidOnly") and the domains' rules. Registered before every domain, so that
// a domain's own routes win.
void addCollectionRoutes(Server &server, DataStore &store);

// A link sub-collection: the store keeps its id arrays, and
// "<collection>/<id>/<sub>" answers GET (the linked records, or with
// "availableOnly=true" those that may still be linked), POST {bodyKey: id}
// and DELETE "<collection>/<id>/<sub>/<linked id>".
void addLink(Server &server, DataStore &store, const Link &link);

// The record as the client reads it: nested references, linked lists and
// derived keys.
QJsonObject clientView(const Server &server, const DataStore &store, const QString &collection,
                       const QJsonObject &stored);
// One derived key of the record, as clientView computes it, without
// expanding the rest; undefined when there is none.
QJsonValue derivedValue(const Server &server, const QString &collection, const QString &key,
                        const QJsonObject &stored);
// What GET "<collection>" answers, for a domain route that serves some
// queries itself and leaves the others to the generic list.
Reply listCollection(const Server &server, DataStore &store, const QString &collection,
                     const Request &request);

// The records of `collection` whose `key` holds the id of "<owner>/<idText>",
// as the client reads them, in stored order; the 400 or 404 of findRecord
// when there is no such owner.
Reply listReferring(const Server &server, const DataStore &store, const QString &owner,
                    const QString &idText, const QString &collection, const QString &key);

// The record that "<collection>/<idText>" names, the collection as the path
// writes it; on failure `error` holds the 400 or 404 reply.
bool findRecord(const DataStore &store, const QString &collection, const QString &idText,
                QJsonObject *record, Reply *error);

// The 403 of a user who lacks the bit `method` needs on `node` (an empty
// node: one that no right opens).
Reply forbidden(const QString &node, const QByteArray &method);

// A query flag: "true", "1" or "yes", in any case.
bool isTrue(const QString &flag);
// An id of the path: false for anything but a decimal integer.
bool parseId(const QString &text, int *id);
// The date of a stored date or date-time text; null when there is none.
QDate storedDate(const QJsonValue &value);
// A stored date-time text; invalid when there is none.
QDateTime moment(const QJsonValue &stored);

}  // namespace StandIn
