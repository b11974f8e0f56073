#pragma once

// The stand-in server's records: every collection, the globals documents and
// the rules that turn stored records (reference ids, link id arrays) into the
// nested objects that the client reads.

#include <QDate>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QMap>
#include <QString>
#include <QStringList>

namespace StandIn {

struct Reply;
struct Request;

class DataStore
{
public:
    DataStore();

    // Replaces every collection and the globals by those of the fixture.
    void load(const QJsonObject &fixture);

    // "property" is another name of "properties"; every other name is itself.
    static QString canonicalName(const QString &name);
    bool hasCollection(const QString &name) const;
    QStringList collectionNames() const;

    // Stored form: reference ids and link id arrays, nothing nested.
    QJsonArray rows(const QString &name) const;
    void setRows(const QString &name, const QJsonArray &rows);
    QJsonObject find(const QString &name, int id) const;  // empty when absent
    int insert(const QString &name, QJsonObject record);  // id taken from the record or assigned
    void replace(const QString &name, QJsonObject record);  // by its id; added when absent
    bool remove(const QString &name, int id);

    // The record as the client reads it: nested references, linked lists, derived keys.
    QJsonObject expand(const QString &name, const QJsonObject &stored, int depth = 0) const;

    bool hasGlobal(const QString &name) const;
    QJsonValue global(const QString &name) const;
    void setGlobal(const QString &name, const QJsonValue &value);

    // Sign-in: the user with this password (-1 when none). An empty password never matches.
    int userWithPassword(const QString &password) const;

    // Endpoint handlers. `collection` is the name as it appeared in the path.
    Reply list(const QString &collection, const Request &request) const;
    Reply get(const QString &collection, const QString &idText) const;
    Reply create(const QString &collection, const Request &request);
    Reply update(const QString &collection, const QString &idText, const Request &request);
    Reply erase(const QString &collection, const QString &idText);

    // Link sub-collections, e.g. "rooms/<id>/rates".
    Reply listLinked(const QString &collection, const QString &idText, const QString &sub,
                     const Request &request) const;
    Reply link(const QString &collection, const QString &idText, const QString &sub,
               const Request &request);
    Reply unlink(const QString &collection, const QString &idText, const QString &sub,
                 const QString &linkedIdText);

    static bool isTrue(const QString &flag);

private:
    using Table = QMap<int, QJsonObject>;

    void store(const QString &name, int id, QJsonObject record);
    QJsonObject nestedObject(const QString &target, int id, int depth) const;
    bool passesFilters(const QString &name, const QJsonObject &stored, const Request &request) const;
    // Validates and cleans a request body; on failure `error` holds the reply to send.
    // The stored collection a path names; on failure `error` holds the 404 reply.
    bool resolve(const QString &collection, QString *name, Reply *error) const;
    // The stored record that "<collection>/<idText>" names; on failure `error`
    // holds the 400 or 404 reply.
    bool locate(const QString &name, const QString &collection, const QString &idText, int *id,
                QJsonObject *record, Reply *error) const;
    bool prepareBody(const QString &name, const Request &request, QJsonObject *body,
                     Reply *error) const;
    QString referencedBy(const QString &name, int id) const;  // empty when unreferenced
    int nextId(const QString &name) const;
    QStringList permissionNodes() const;

    QMap<QString, Table> collections;
    QJsonObject globals;
};

}  // namespace StandIn
