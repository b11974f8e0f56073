#include "datastore.h"

namespace StandIn {

void DataStore::addCollection(const QString &name, const QStringList &names)
{
    if (!registered.contains(name))
        registered.append(name);
    for (const QString &alias : names)
        aliases.insert(alias, name);
    collections.insert(name, collections.value(name));
}

void DataStore::addReference(const Reference &reference)
{
    references.append(reference);
}

void DataStore::addLink(const Link &link)
{
    links.append(link);
}

void DataStore::addStoreRule(const QString &collection, StoreRule rule)
{
    storeRules[collection].append(std::move(rule));
}

QString DataStore::canonicalName(const QString &name) const
{
    return aliases.value(name, name);
}

bool DataStore::hasCollection(const QString &name) const
{
    return collections.contains(canonicalName(name));
}

QStringList DataStore::collectionNames() const
{
    return collections.keys();
}

QList<Reference> DataStore::referencesFrom(const QString &collection) const
{
    const QString canonical = canonicalName(collection);
    QList<Reference> result;
    for (const Reference &r : references) {
        if (r.collection == canonical)
            result.append(r);
    }
    return result;
}

QList<Link> DataStore::linksOf(const QString &collection) const
{
    const QString canonical = canonicalName(collection);
    QList<Link> result;
    for (const Link &l : links) {
        if (l.collection == canonical)
            result.append(l);
    }
    return result;
}

void DataStore::clear()
{
    collections.clear();
    for (const QString &name : registered)
        collections.insert(name, {});
    globals = {};
}

void DataStore::load(const QJsonObject &fixture)
{
    clear();
    globals = fixture.value("globals").toObject();
    for (auto it = fixture.begin(); it != fixture.end(); ++it) {
        if (it.value().isArray())
            setRows(it.key(), it.value().toArray());
    }
}

QJsonArray DataStore::rows(const QString &name) const
{
    QJsonArray result;
    for (const QJsonObject &record : collections.value(canonicalName(name)))
        result.append(record);
    return result;
}

QList<QJsonObject> DataStore::records(const QString &name) const
{
    return collections.value(canonicalName(name)).values();
}

void DataStore::setRows(const QString &name, const QJsonArray &rows)
{
    const QString canonical = canonicalName(name);
    collections[canonical].clear();
    for (const QJsonValue &row : rows) {
        if (row.isObject())
            insert(canonical, row.toObject());
    }
}

QJsonObject DataStore::find(const QString &name, int id) const
{
    const auto table = collections.constFind(canonicalName(name));
    if (table == collections.constEnd())
        return {};
    return table->value(id);
}

int DataStore::insert(const QString &name, QJsonObject record)
{
    const QString canonical = canonicalName(name);
    const Table &table = collections[canonical];
    int id = record.value("id").toInt();
    if (id <= 0 || table.contains(id))
        id = table.isEmpty() ? 1 : table.lastKey() + 1;
    store(canonical, id, record);
    return id;
}

void DataStore::replace(const QString &name, QJsonObject record)
{
    const int id = record.value("id").toInt();
    if (id <= 0)
        insert(name, record);
    else
        store(canonicalName(name), id, record);
}

void DataStore::store(const QString &canonical, int id, QJsonObject record)
{
    record.insert("id", id);
    for (const Link &l : links) {
        if (l.collection == canonical && !record.value(l.idsKey).isArray())
            record.insert(l.idsKey, QJsonArray());
    }
    for (const StoreRule &rule : storeRules.value(canonical))
        rule(record);
    collections[canonical].insert(id, record);
}

bool DataStore::remove(const QString &name, int id)
{
    const QString canonical = canonicalName(name);
    auto table = collections.find(canonical);
    if (table == collections.end() || !table->remove(id))
        return false;

    for (const Reference &r : references) {
        if (r.onDelete != Reference::OnDelete::Cascade || r.target != canonical)
            continue;
        Table &holders = collections[r.collection];
        for (auto it = holders.begin(); it != holders.end();) {
            if (it->value(r.idKey).toInt() == id)
                it = holders.erase(it);
            else
                ++it;
        }
    }
    for (const Link &l : links) {
        if (l.target != canonical)
            continue;
        for (QJsonObject &holder : collections[l.collection]) {
            QJsonArray ids = holder.value(l.idsKey).toArray();
            for (qsizetype i = ids.size() - 1; i >= 0; --i) {
                if (ids.at(i).toInt() == id)
                    ids.removeAt(i);
            }
            holder.insert(l.idsKey, ids);
        }
    }
    return true;
}

QString DataStore::referencedBy(const QString &name, int id) const
{
    const QString canonical = canonicalName(name);
    for (const Reference &r : references) {
        if (r.onDelete != Reference::OnDelete::Refuse || r.target != canonical)
            continue;
        for (const QJsonObject &holder : collections.value(r.collection)) {
            if (holder.value(r.idKey).toInt() == id)
                return QStringLiteral("%1/%2").arg(r.collection).arg(holder.value("id").toInt());
        }
    }
    return {};
}

bool DataStore::hasGlobal(const QString &name) const
{
    return globals.contains(name);
}

QJsonValue DataStore::global(const QString &name) const
{
    return globals.value(name);
}

void DataStore::setGlobal(const QString &name, const QJsonValue &value)
{
    globals.insert(name, value);
}

}  // namespace StandIn
