#include "collections.h"

#include <QSet>

#include <algorithm>
#include <limits>
#include <memory>

namespace StandIn {

namespace {

// A reference value from a body: null, absent or an integral number.
bool referenceId(const QJsonValue &value, int *id)
{
    *id = 0;
    if (value.isNull() || value.isUndefined())
        return true;
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()
        || number != static_cast<double>(static_cast<int>(number)))
        return false;
    *id = static_cast<int>(number);
    return true;
}

bool containsId(const QJsonArray &ids, int id)
{
    return std::any_of(ids.begin(), ids.end(), [id](const QJsonValue &v) { return v.toInt() == id; });
}

Reply notJson()
{
    return Reply::error(400, QStringLiteral("Тело запроса не является объектом JSON"));
}

Reply unknownPath(const QString &path)
{
    return Reply::error(404, QStringLiteral("Неизвестный путь: %1").arg(path));
}

// The handlers of the generic routes, over one server and its store.
class Collections
{
public:
    Collections(const Server &server, DataStore &store)
        : server(server)
        , store(store)
    {
    }

    Reply list(const QString &collection, const Request &request) const;
    Reply get(const QString &collection, const QString &idText) const;
    Reply create(const QString &collection, const Request &request);
    Reply update(const QString &collection, const QString &idText, const Request &request);
    Reply erase(const QString &collection, const QString &idText);

    Reply listLinked(const Link &link, const QString &idText, const Request &request) const;
    Reply addLinked(const Link &link, const QString &idText, const Request &request);
    Reply removeLinked(const Link &link, const QString &idText, const QString &linkedIdText);

private:
    bool passesFilters(const QString &name, const QJsonObject &stored, const Request &request) const;
    // The stored record that "<collection>/<idText>" names; on failure
    // `error` holds the 400 or 404 reply.
    bool locate(const QString &name, const QString &collection, const QString &idText,
                QJsonObject *record, Reply *error) const;
    // The body as a record to store: what the server derives is dropped and
    // every reference checked; on failure `error` holds the reply.
    bool readBody(const QString &name, const Request &request, QJsonObject *body,
                  Reply *error) const;
    // The domains' checks and computed fields, then the record stored.
    Reply write(const QString &name, int id, QJsonObject record, const QJsonObject &stored,
                const Request &request, int status);

    const Server &server;
    DataStore &store;
};

bool Collections::passesFilters(const QString &name, const QJsonObject &stored,
                                const Request &request) const
{
    auto flag = [&request](const char *key) { return isTrue(request.queryValue(key)); };

    if (flag("actualOnly") && (stored.contains("startDate") || stored.contains("endDate"))) {
        const QDate today = server.now().date();
        const QDate start = storedDate(stored.value("startDate"));
        const QDate end = storedDate(stored.value("endDate"));
        if ((start.isValid() && today < start) || (end.isValid() && today > end))
            return false;
    }
    if (flag("excludeArchive") && stored.value("archived").toBool())
        return false;
    if (flag("paidOnly") && !stored.value("paid").toBool())
        return false;
    const QList<CollectionRules::Filter> &filters = server.rules(name).filters;
    return std::all_of(filters.begin(), filters.end(),
                       [&](const CollectionRules::Filter &keeps) { return keeps(stored, request); });
}

Reply Collections::list(const QString &collection, const Request &request) const
{
    const QString name = store.canonicalName(collection);
    if (!store.hasCollection(name))
        return unknownPath(collection);
    QJsonArray result;
    for (const QJsonValue &row : store.rows(name)) {
        const QJsonObject record = row.toObject();
        if (passesFilters(name, record, request))
            result.append(clientView(server, store, name, record));
    }
    return Reply::json(result);
}

bool Collections::locate(const QString &name, const QString &collection, const QString &idText,
                         QJsonObject *record, Reply *error) const
{
    if (!store.hasCollection(name)) {
        *error = unknownPath(collection);
        return false;
    }
    return findRecord(store, collection, idText, record, error);
}

Reply Collections::get(const QString &collection, const QString &idText) const
{
    const QString name = store.canonicalName(collection);
    QJsonObject stored;
    Reply error;
    if (!locate(name, collection, idText, &stored, &error))
        return error;
    return Reply::json(clientView(server, store, name, stored));
}

bool Collections::readBody(const QString &name, const Request &request, QJsonObject *body,
                           Reply *error) const
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(request.body, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        *error = notJson();
        return false;
    }
    QJsonObject object = document.object();

    // What the server derives is never taken from a body.
    object.remove("id");
    for (const Reference &r : store.referencesFrom(name)) {
        object.remove(r.nestedKey);
        int id = 0;
        if (!referenceId(object.value(r.idKey), &id)) {
            *error = Reply::error(422, QStringLiteral("%1: ожидается целое число").arg(r.idKey));
            return false;
        }
        if (id > 0 && store.find(r.target, id).isEmpty()) {
            *error = Reply::error(
                422, QStringLiteral("%1: запись %2/%3 не найдена").arg(r.idKey, r.target).arg(id));
            return false;
        }
    }
    for (const Link &l : store.linksOf(name)) {
        object.remove(l.nestedKey);
        object.remove(l.idsKey);
    }
    for (const QString &key : server.rules(name).derived.keys())
        object.remove(key);
    *body = object;
    return true;
}

Reply Collections::write(const QString &name, int id, QJsonObject record, const QJsonObject &stored,
                         const Request &request, int status)
{
    for (const CollectionRules::Prepare &prepare : server.rules(name).prepare) {
        if (const std::optional<Reply> refusal = prepare(record, stored, request))
            return *refusal;
    }
    if (id > 0) {
        record.insert("id", id);
        store.replace(name, record);
    } else {
        id = store.insert(name, record);  // the body has no id: a new one is assigned
    }
    return Reply::json(clientView(server, store, name, store.find(name, id)), status);
}

Reply Collections::create(const QString &collection, const Request &request)
{
    const QString name = store.canonicalName(collection);
    if (!store.hasCollection(name))
        return unknownPath(collection);
    QJsonObject body;
    Reply error;
    if (!readBody(name, request, &body, &error))
        return error;
    return write(name, 0, body, {}, request, 201);
}

Reply Collections::update(const QString &collection, const QString &idText, const Request &request)
{
    const QString name = store.canonicalName(collection);
    QJsonObject old;
    QJsonObject body;
    Reply error;
    if (!locate(name, collection, idText, &old, &error) || !readBody(name, request, &body, &error))
        return error;

    // The body replaces the writable fields; links and the kept keys stay.
    for (const QString &key : server.rules(name).keptOnPut) {
        if (!body.contains(key) && old.contains(key))
            body.insert(key, old.value(key));
    }
    for (const Link &l : store.linksOf(name))
        body.insert(l.idsKey, old.value(l.idsKey));
    return write(name, old.value("id").toInt(), body, old, request, 200);
}

Reply Collections::erase(const QString &collection, const QString &idText)
{
    const QString name = store.canonicalName(collection);
    QJsonObject stored;
    Reply error;
    if (!locate(name, collection, idText, &stored, &error))
        return error;
    const int id = stored.value("id").toInt();
    const QString holder = store.referencedBy(name, id);
    if (!holder.isEmpty())
        return Reply::error(409, QStringLiteral("Запись %1/%2 используется в %3")
                                     .arg(collection).arg(id).arg(holder));
    store.remove(name, id);
    return Reply::json(QJsonObject{{"Ok", true}});
}

Reply Collections::listLinked(const Link &link, const QString &idText,
                              const Request &request) const
{
    QJsonObject holder;
    Reply error;
    if (!findRecord(store, link.collection, idText, &holder, &error))
        return error;

    QSet<int> linked;
    for (const QJsonValue &v : holder.value(link.idsKey).toArray())
        linked.insert(v.toInt());
    // "availableOnly=true" offers what may still be linked; otherwise the linked ones.
    const bool available = isTrue(request.queryValue("availableOnly"));
    QJsonArray result;
    for (const QJsonValue &row : store.rows(link.target)) {
        const QJsonObject record = row.toObject();
        if (linked.contains(record.value("id").toInt()) == available)
            continue;
        if (passesFilters(link.target, record, request))
            result.append(clientView(server, store, link.target, record));
    }
    return Reply::json(result);
}

Reply Collections::addLinked(const Link &link, const QString &idText, const Request &request)
{
    QJsonObject holder;
    Reply error;
    if (!findRecord(store, link.collection, idText, &holder, &error))
        return error;

    const QJsonDocument document = QJsonDocument::fromJson(request.body);
    if (!document.isObject())
        return notJson();
    const QJsonValue value = document.object().value(link.bodyKey);
    int target = 0;
    if (!value.isDouble() || !referenceId(value, &target) || target < 0)
        return Reply::error(422, QStringLiteral("%1: ожидается идентификатор").arg(link.bodyKey));
    // The legacy import posts the id 0 of a record it could not match: the
    // server takes it and links nothing.
    if (target == 0)
        return Reply::json(clientView(server, store, link.collection, holder));
    if (store.find(link.target, target).isEmpty())
        return Reply::error(422, QStringLiteral("%1: запись %2/%3 не найдена")
                                     .arg(link.bodyKey, link.target).arg(target));

    QJsonArray ids = holder.value(link.idsKey).toArray();
    if (containsId(ids, target) && !link.refuseRepeat)
        return Reply::json(clientView(server, store, link.collection, holder));
    if (containsId(ids, target))
        return Reply::error(409, QStringLiteral("Связь с %1/%2 уже есть").arg(link.target).arg(target));
    ids.append(target);
    holder.insert(link.idsKey, ids);
    store.replace(link.collection, holder);
    return Reply::json(clientView(server, store, link.collection,
                                  store.find(link.collection, holder.value("id").toInt())));
}

Reply Collections::removeLinked(const Link &link, const QString &idText,
                                const QString &linkedIdText)
{
    int id = 0;
    int target = 0;
    if (!parseId(idText, &id) || !parseId(linkedIdText, &target))
        return Reply::error(400, QStringLiteral("Идентификатор не число"));
    QJsonObject holder = store.find(link.collection, id);
    if (holder.isEmpty())
        return Reply::error(404, QStringLiteral("Запись %1/%2 не найдена").arg(link.collection).arg(id));

    QJsonArray ids = holder.value(link.idsKey).toArray();
    if (!containsId(ids, target))
        return Reply::error(404, QStringLiteral("Связь с %1/%2 не найдена").arg(link.target).arg(target));
    for (qsizetype i = ids.size() - 1; i >= 0; --i) {
        if (ids.at(i).toInt() == target)
            ids.removeAt(i);
    }
    holder.insert(link.idsKey, ids);
    store.replace(link.collection, holder);
    return Reply::json(clientView(server, store, link.collection, store.find(link.collection, id)));
}

QJsonObject nestedView(const Server &server, const DataStore &store, const QString &target, int id,
                       int depth);

QJsonObject expand(const Server &server, const DataStore &store, const QString &name,
                   const QJsonObject &stored, int depth)
{
    QJsonObject out = stored;
    // The references have no cycles; the guard only bounds a malformed future entry.
    if (depth > 6)
        return out;

    for (const Reference &r : store.referencesFrom(name)) {
        const int id = stored.value(r.idKey).toInt();
        const QJsonObject nested = id > 0 ? nestedView(server, store, r.target, id, depth)
                                          : QJsonObject();
        if (!nested.isEmpty())
            out.insert(r.nestedKey, nested);
        else if (r.whenNone == Reference::WhenNone::Absent)
            out.remove(r.nestedKey);
        else
            out.insert(r.nestedKey, QJsonValue::Null);
    }
    for (const Link &l : store.linksOf(name)) {
        QJsonArray linked;
        for (const QJsonValue &id : stored.value(l.idsKey).toArray()) {
            const QJsonObject nested = nestedView(server, store, l.target, id.toInt(), depth);
            if (!nested.isEmpty())
                linked.append(nested);
        }
        out.insert(l.nestedKey, linked);
    }
    const QMap<QString, CollectionRules::Derive> &derived = server.rules(name).derived;
    for (auto it = derived.begin(); it != derived.end(); ++it)
        out.insert(it.key(), it.value()(stored));  // an undefined value removes the key
    return out;
}

QJsonObject nestedView(const Server &server, const DataStore &store, const QString &target, int id,
                       int depth)
{
    const QJsonObject stored = store.find(target, id);
    if (stored.isEmpty())
        return {};
    const QStringList &keys = server.rules(target).nestedKeys;
    if (keys.isEmpty())
        return expand(server, store, target, stored, depth + 1);
    QJsonObject out{{"id", id}};
    for (const QString &key : keys)
        out.insert(key, stored.value(key));
    return out;
}

}  // namespace

void addCollectionRoutes(Server &server, DataStore &store)
{
    const auto c = std::make_shared<Collections>(server, store);
    const Server::Access own = Server::Access::collection();
    server.route("GET", "*", own, [c](const Request &r, const QStringList &p) {
        return c->list(p[0], r);
    });
    server.route("POST", "*", own, [c](const Request &r, const QStringList &p) {
        return c->create(p[0], r);
    });
    server.route("GET", "*/*", own, [c](const Request &, const QStringList &p) {
        return c->get(p[0], p[1]);
    });
    server.route("PUT", "*/*", own, [c](const Request &r, const QStringList &p) {
        return c->update(p[0], p[1], r);
    });
    server.route("DELETE", "*/*", own, [c](const Request &, const QStringList &p) {
        return c->erase(p[0], p[1]);
    });
}

void addLink(Server &server, DataStore &store, const Link &link)
{
    store.addLink(link);
    const auto c = std::make_shared<Collections>(server, store);
    const QString path = link.collection + "/*/" + link.sub;
    // A link is edited with the record that holds it.
    const Server::Access holder = Server::Access::collection(link.collection);
    server.route("GET", path, holder, [c, link](const Request &r, const QStringList &p) {
        return c->listLinked(link, p[1], r);
    });
    server.route("POST", path, holder, [c, link](const Request &r, const QStringList &p) {
        return c->addLinked(link, p[1], r);
    });
    server.route("DELETE", path + "/*", holder, [c, link](const Request &, const QStringList &p) {
        return c->removeLinked(link, p[1], p[3]);
    });
}

QJsonObject clientView(const Server &server, const DataStore &store, const QString &collection,
                       const QJsonObject &stored)
{
    return expand(server, store, store.canonicalName(collection), stored, 0);
}

QJsonValue derivedValue(const Server &server, const QString &collection, const QString &key,
                        const QJsonObject &stored)
{
    const CollectionRules::Derive derive = server.rules(collection).derived.value(key);
    return derive ? derive(stored) : QJsonValue(QJsonValue::Undefined);
}

Reply listCollection(const Server &server, DataStore &store, const QString &collection,
                     const Request &request)
{
    return Collections(server, store).list(collection, request);
}

Reply listReferring(const Server &server, const DataStore &store, const QString &owner,
                    const QString &idText, const QString &collection, const QString &key)
{
    QJsonObject record;
    Reply error;
    if (!findRecord(store, owner, idText, &record, &error))
        return error;
    const int id = record.value("id").toInt();
    QJsonArray rows;
    for (const QJsonValue &row : store.rows(collection)) {
        if (row.toObject().value(key).toInt() == id)
            rows.append(clientView(server, store, collection, row.toObject()));
    }
    return Reply::json(rows);
}

bool findRecord(const DataStore &store, const QString &collection, const QString &idText,
                QJsonObject *record, Reply *error)
{
    int id = 0;
    if (!parseId(idText, &id)) {
        *error = Reply::error(400, QStringLiteral("Идентификатор не число: %1").arg(idText));
        return false;
    }
    *record = store.find(collection, id);
    if (record->isEmpty()) {
        *error = Reply::error(404, QStringLiteral("Запись %1/%2 не найдена").arg(collection).arg(id));
        return false;
    }
    return true;
}

Reply forbidden(const QString &node, const QByteArray &method)
{
    if (node.isEmpty())
        return Reply::error(403,
                            QStringLiteral("Недостаточно прав: этот путь не открыт ни одним правом"));
    return Reply::error(403, QStringLiteral("Недостаточно прав: нужно право на %1 «%2»")
                                 .arg(method == "GET" ? QStringLiteral("чтение")
                                                      : QStringLiteral("запись"),
                                      node));
}

bool isTrue(const QString &flag)
{
    const QString f = flag.trimmed().toLower();
    return f == "true" || f == "1" || f == "yes";
}

bool parseId(const QString &text, int *id)
{
    bool ok = false;
    *id = text.toInt(&ok);
    return ok;
}

QDate storedDate(const QJsonValue &value)
{
    const QString text = value.toString();
    if (text.isEmpty())
        return {};
    const QDateTime when = moment(value);
    if (when.isValid())
        return when.date();
    return QDate::fromString(text.left(10), Qt::ISODate);
}

QDateTime moment(const QJsonValue &stored)
{
    return QDateTime::fromString(stored.toString(), Qt::ISODateWithMs);
}

}  // namespace StandIn
