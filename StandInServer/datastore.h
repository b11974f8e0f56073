#pragma once

// The stand-in server's records: every collection and the globals documents,
// in stored form (reference ids and link id arrays, nothing nested).
//
// The store knows no collection by name. Each domain registers its
// collections, the references between them and the links that have a
// sub-collection of their own; the store applies those tables when it keeps,
// deletes and reports records.

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

namespace StandIn {

// A stored reference id (`idKey` of `collection`) and the nested object
// (`nestedKey`) that the client reads in its place. Ids of -1, 0, null or
// absent mean none.
struct Reference
{
    enum class WhenNone { Null, Absent };      // none reads as null, or the key is left out
    enum class OnDelete { Refuse, Cascade };   // deleting the target is refused, or takes the holder along

    QString collection;
    QString idKey;
    QString nestedKey;
    QString target;
    WhenNone whenNone = WhenNone::Null;
    OnDelete onDelete = OnDelete::Refuse;
};

// A many-to-many link kept as an id array and edited through
// "<collection>/<id>/<sub>".
struct Link
{
    QString collection;
    QString sub;        // path segment of the sub-collection
    QString idsKey;     // stored id array
    QString bodyKey;    // key of the linking POST's body
    QString nestedKey;  // array of target records as the client reads them
    QString target;
    // A second link of the same pair: refused with 409, or taken as
    // already done (200, nothing linked again).
    bool refuseRepeat = true;
};

class DataStore
{
public:
    // Completes a record each time it is stored, however it arrives
    // (fixture, test, request); the record already holds its "id".
    using StoreRule = std::function<void(QJsonObject &record)>;

    // ---- rules, registered by the domains before the first load
    // A collection that exists, empty, even when a fixture leaves it out;
    // `aliases` name it too in paths and fixtures.
    void addCollection(const QString &name, const QStringList &aliases = {});
    void addReference(const Reference &reference);
    void addLink(const Link &link);
    void addStoreRule(const QString &collection, StoreRule rule);

    QString canonicalName(const QString &name) const;  // an alias's collection; every other name is itself
    bool hasCollection(const QString &name) const;
    QStringList collectionNames() const;
    QList<Reference> referencesFrom(const QString &collection) const;
    QList<Link> linksOf(const QString &collection) const;

    // ---- records
    // Replaces every collection and the globals by those of the fixture: each
    // array member is a collection, "globals" the globals documents.
    void load(const QJsonObject &fixture);

    QJsonArray rows(const QString &name) const;
    QList<QJsonObject> records(const QString &name) const;  // as rows(), without building an array
    void setRows(const QString &name, const QJsonArray &rows);
    QJsonObject find(const QString &name, int id) const;  // empty when absent
    int insert(const QString &name, QJsonObject record);  // id kept when positive and free, else assigned
    void replace(const QString &name, QJsonObject record);  // by its id; added when absent
    // Removes the record with what cascades from it and its links; false when absent.
    bool remove(const QString &name, int id);
    // "<collection>/<id>" of a record whose reference keeps this one from
    // being deleted; empty when there is none.
    QString referencedBy(const QString &name, int id) const;

    bool hasGlobal(const QString &name) const;
    QJsonValue global(const QString &name) const;
    void setGlobal(const QString &name, const QJsonValue &value);

private:
    using Table = QMap<int, QJsonObject>;

    void store(const QString &canonical, int id, QJsonObject record);
    void clear();

    QStringList registered;
    QMap<QString, QString> aliases;  // alias -> collection
    QList<Reference> references;
    QList<Link> links;
    QMap<QString, QList<StoreRule>> storeRules;

    QMap<QString, Table> collections;
    QJsonObject globals;
};

}  // namespace StandIn
