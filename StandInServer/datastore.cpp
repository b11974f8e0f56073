#include "datastore.h"

#include "standinserver.h"

#include <QDateTime>
#include <QSet>

#include <algorithm>
#include <limits>

namespace StandIn {

namespace {

// A stored reference id and the nested object the client reads in its place.
struct Reference
{
    const char *collection;  // holder of the id
    const char *idKey;
    const char *nestedKey;
    const char *target;
    bool absentWhenNone;  // leave the key out instead of writing null
    bool cascade;         // deleting the target deletes the holder too
};

// The one table of references. A person's stays, payments and receipts go
// with the person; every other reference keeps its target from being deleted.
// A payment's "payer" is left out when there is none: the payment dialog
// reads a present null as a fixed payer.
const Reference references[] = {
    {"regions", "districtId", "district", "districts", false, false},
    {"organizations", "regionId", "region", "regions", false, false},
    {"streams", "curriculumId", "curriculum", "curriculums", false, false},
    {"pay_type", "payerId", "payer", "organizations", false, false},
    {"persons", "organizationId", "organization", "organizations", false, false},
    {"persons", "positionId", "position", "positions", false, false},
    {"persons", "streamId", "stream", "streams", false, false},
    {"persons", "adminId", "admin", "users", false, false},
    {"accommodation", "personId", "person", "persons", false, true},
    {"accommodation", "roomId", "room", "rooms", false, false},
    {"accommodation", "rateId", "rate", "rates", false, false},
    {"accommodation", "adminId", "admin", "users", false, false},
    {"payments", "personId", "person", "persons", false, true},
    {"payments", "payTypeId", "payType", "pay_type", false, false},
    {"payments", "payerId", "payer", "pay_type", true, false},
    {"payments", "cassirId", "cassir", "users", false, false},
    {"receipts", "personId", "person", "persons", false, true},
    {"receipts", "extraServiceId", "extraService", "extra_services", false, false},
    {"receipts", "payTypeId", "payType", "pay_type", false, false},
    {"receipts", "cassirId", "cassir", "users", false, false},
    {"receipts", "propertyId", "property", "properties", false, false},
    {"receipts", "receiverId", "receiver", "users", false, false},
    {"paid_education_receipts", "personId", "person", "persons", false, true},
    {"paid_education_receipts", "curriculumId", "curriculum", "curriculums", false, false},
    {"paid_education_receipts", "payTypeId", "payType", "pay_type", false, false},
    {"paid_education_receipts", "cassirId", "cassir", "users", false, false},
};

// Many-to-many links kept as id arrays and edited through "<collection>/<id>/<sub>".
struct Link
{
    const char *collection;
    const char *sub;        // path segment of the sub-collection
    const char *idsKey;     // stored id array
    const char *bodyKey;    // key of the linking POST's body
    const char *nestedKey;  // array of target records in the output
    const char *target;
};

const Link links[] = {
    {"rooms", "rates", "rateIds", "rateId", "rates", "rates"},
    {"extra_services", "property", "propertyIds", "propertyId", "property", "properties"},
};

// Keys that a PUT keeps from the stored record when its body leaves them out:
// the users window edits name, password and position alone, and a person's
// admin and bill number are not part of the card's body.
const QMap<QString, QStringList> &keptOnPut()
{
    static const QMap<QString, QStringList> kept = {
        {"users", {"password", "position", "rv", "rv0", "permissions"}},
        {"persons", {"adminId", "billNum"}},
    };
    return kept;
}

const QStringList &usualCollections()
{
    static const QStringList names = {
        "districts", "regions", "positions", "organizations", "curriculums", "streams",
        "rates", "pay_type", "properties", "extra_services", "rooms", "users", "persons",
        "accommodation", "payments", "receipts", "paid_education_receipts", "audit"};
    return names;
}

const Link *findLink(const QString &collection, const QString &sub)
{
    for (const Link &l : links)
        if (collection == QLatin1String(l.collection) && sub == QLatin1String(l.sub))
            return &l;
    return nullptr;
}

// Reads an id of the path; false for anything but a decimal integer.
bool parseId(const QString &text, int *id)
{
    bool ok = false;
    *id = text.toInt(&ok);
    return ok;
}

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

void removeId(QJsonArray &ids, int id)
{
    for (qsizetype i = ids.size() - 1; i >= 0; --i) {
        if (ids.at(i).toInt() == id)
            ids.removeAt(i);
    }
}

QDate storedDate(const QJsonValue &value)
{
    const QString text = value.toString();
    if (text.isEmpty())
        return {};
    QDateTime when = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (when.isValid())
        return when.date();
    return QDate::fromString(text.left(10), Qt::ISODate);
}

QString fullName(const QJsonObject &person)
{
    return QStringList{person.value("surname").toString(), person.value("name").toString(),
                       person.value("lastname").toString()}
        .join(' ')
        .simplified();
}

QJsonObject errorBody(const QString &message)
{
    return QJsonObject{{"Ok", false}, {"message", message}};
}

}  // namespace

DataStore::DataStore()
{
    for (const QString &name : usualCollections())
        collections.insert(name, {});
}

bool DataStore::isTrue(const QString &flag)
{
    const QString f = flag.trimmed().toLower();
    return f == "true" || f == "1" || f == "yes";
}

QString DataStore::canonicalName(const QString &name)
{
    return name == QLatin1String("property") ? QStringLiteral("properties") : name;
}

void DataStore::load(const QJsonObject &fixture)
{
    collections.clear();
    for (const QString &name : usualCollections())
        collections.insert(name, {});
    globals = fixture.value("globals").toObject();
    for (auto it = fixture.begin(); it != fixture.end(); ++it) {
        if (it.value().isArray())
            setRows(canonicalName(it.key()), it.value().toArray());
    }
}

bool DataStore::hasCollection(const QString &name) const
{
    return collections.contains(canonicalName(name));
}

QStringList DataStore::collectionNames() const
{
    return collections.keys();
}

QJsonArray DataStore::rows(const QString &name) const
{
    QJsonArray result;
    for (const QJsonObject &record : collections.value(canonicalName(name)))
        result.append(record);
    return result;
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

int DataStore::nextId(const QString &name) const
{
    const Table &table = collections[name];
    return table.isEmpty() ? 1 : table.lastKey() + 1;
}

QStringList DataStore::permissionNodes() const
{
    QSet<QString> nodes;
    for (const QJsonObject &user : collections.value("users")) {
        const QJsonObject permissions = user.value("permissions").toObject();
        for (auto it = permissions.begin(); it != permissions.end(); ++it) {
            if (it.key() != QLatin1String("id") && it.key() != QLatin1String("userId"))
                nodes.insert(it.key());
        }
    }
    QStringList sorted(nodes.begin(), nodes.end());
    sorted.sort();
    return sorted;
}

int DataStore::insert(const QString &name, QJsonObject record)
{
    const QString canonical = canonicalName(name);
    int id = record.value("id").toInt();
    if (id <= 0 || collections.value(canonical).contains(id))
        id = nextId(canonical);
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

    // A user's permission record carries its own id and the user's; a new
    // user starts with every known node and no rights, so that the
    // administration can grant them.
    if (canonical == QLatin1String("users")) {
        QJsonObject permissions = record.value("permissions").toObject();
        if (!record.value("permissions").isObject()) {
            for (const QString &node : permissionNodes())
                permissions.insert(node, 0);
        }
        permissions.insert("id", id);
        permissions.insert("userId", id);
        record.insert("permissions", permissions);
    }
    for (const Link &l : links) {
        if (canonical == QLatin1String(l.collection) && !record.value(l.idsKey).isArray())
            record.insert(l.idsKey, QJsonArray());
    }
    collections[canonical].insert(id, record);
}

bool DataStore::remove(const QString &name, int id)
{
    const QString canonical = canonicalName(name);
    auto table = collections.find(canonical);
    if (table == collections.end() || !table->remove(id))
        return false;

    for (const Reference &r : references) {
        if (!r.cascade || canonical != QLatin1String(r.target))
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
        if (canonical != QLatin1String(l.target))
            continue;
        for (QJsonObject &holder : collections[l.collection]) {
            QJsonArray ids = holder.value(l.idsKey).toArray();
            removeId(ids, id);
            holder.insert(l.idsKey, ids);
        }
    }
    return true;
}

QString DataStore::referencedBy(const QString &name, int id) const
{
    for (const Reference &r : references) {
        if (r.cascade || name != QLatin1String(r.target))
            continue;
        for (const QJsonObject &holder : collections.value(r.collection)) {
            if (holder.value(r.idKey).toInt() == id)
                return QStringLiteral("%1/%2").arg(r.collection).arg(holder.value("id").toInt());
        }
    }
    return {};
}

QJsonObject DataStore::nestedObject(const QString &target, int id, int depth) const
{
    const QJsonObject stored = find(target, id);
    if (stored.isEmpty())
        return {};
    // A nested user never carries its password or rights.
    if (target == QLatin1String("users"))
        return QJsonObject{{"id", id}, {"name", stored.value("name")}};
    return expand(target, stored, depth + 1);
}

QJsonObject DataStore::expand(const QString &name, const QJsonObject &stored, int depth) const
{
    const QString canonical = canonicalName(name);
    QJsonObject out = stored;
    // The table has no cycles; the guard only bounds a malformed future entry.
    if (depth > 6)
        return out;

    for (const Reference &r : references) {
        if (canonical != QLatin1String(r.collection))
            continue;
        const int id = stored.value(r.idKey).toInt();
        const QJsonObject nested = id > 0 ? nestedObject(r.target, id, depth) : QJsonObject();
        if (!nested.isEmpty())
            out.insert(r.nestedKey, nested);
        else if (r.absentWhenNone)
            out.remove(r.nestedKey);
        else
            out.insert(r.nestedKey, QJsonValue::Null);
    }
    for (const Link &l : links) {
        if (canonical != QLatin1String(l.collection))
            continue;
        QJsonArray linked;
        for (const QJsonValue &id : stored.value(l.idsKey).toArray()) {
            const QJsonObject nested = nestedObject(l.target, id.toInt(), depth);
            if (!nested.isEmpty())
                linked.append(nested);
        }
        out.insert(l.nestedKey, linked);
    }
    if (canonical == QLatin1String("persons")
        && (stored.contains("surname") || stored.contains("name") || stored.contains("lastname")))
        out.insert("fullname", fullName(stored));
    return out;
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

int DataStore::userWithPassword(const QString &password) const
{
    if (password.isEmpty())
        return -1;
    for (const QJsonObject &user : collections.value("users")) {
        if (user.value("password").toString() == password)
            return user.value("id").toInt();
    }
    return -1;
}

// ---- list filters -------------------------------------------------------

bool DataStore::passesFilters(const QString &name, const QJsonObject &stored,
                              const Request &request) const
{
    auto flag = [&request](const char *key) { return isTrue(request.queryValue(key)); };

    if (flag("actualOnly")) {
        if (name == QLatin1String("properties")) {
            if (stored.value("archived").toBool())
                return false;
        } else if (stored.contains("startDate") || stored.contains("endDate")) {
            const QDate today = QDate::currentDate();
            const QDate start = storedDate(stored.value("startDate"));
            const QDate end = storedDate(stored.value("endDate"));
            if ((start.isValid() && today < start) || (end.isValid() && today > end))
                return false;
        }
    }
    if (flag("excludeArchive") && stored.value("archived").toBool())
        return false;
    if (flag("paidOnly") && !stored.value("paid").toBool())
        return false;
    if (flag("payerOnly") && name == QLatin1String("pay_type")) {
        const int payer = stored.value("payerId").toInt();
        if (payer <= 0 || find("organizations", payer).isEmpty())
            return false;
    }
    if (name == QLatin1String("audit") && request.hasQueryItem("target")) {
        int target = 0;
        if (!parseId(request.queryValue("target").trimmed(), &target)
            || stored.value("target").toInt() != target)
            return false;
    }
    return true;
}

// ---- generic collection endpoints --------------------------------------

Reply DataStore::list(const QString &collection, const Request &request) const
{
    QString name;
    Reply error;
    if (!resolve(collection, &name, &error))
        return error;

    // The card looks an organization up by its code: one object, or nothing at all.
    if (name == QLatin1String("organizations") && request.hasQueryItem("code")) {
        const QString code = request.queryValue("code");
        for (const QJsonObject &record : collections.value(name)) {
            const QJsonValue stored = record.value("code");
            const QString text = stored.isDouble() ? QString::number(stored.toDouble())
                                                   : stored.toString();
            if (text == code)
                return Reply::json(expand(name, record));
        }
        return Reply::empty();
    }

    QJsonArray result;
    for (const QJsonObject &record : collections.value(name)) {
        if (passesFilters(name, record, request))
            result.append(expand(name, record));
    }
    return Reply::json(result);
}

bool DataStore::resolve(const QString &collection, QString *name, Reply *error) const
{
    *name = canonicalName(collection);
    if (collections.contains(*name))
        return true;
    *error = Reply::error(404, QStringLiteral("Неизвестный путь: %1").arg(collection));
    return false;
}

bool DataStore::locate(const QString &name, const QString &collection, const QString &idText,
                       int *id, QJsonObject *record, Reply *error) const
{
    if (!parseId(idText, id)) {
        *error = Reply::error(400, QStringLiteral("Идентификатор не число: %1").arg(idText));
        return false;
    }
    *record = find(name, *id);
    if (record->isEmpty()) {
        *error = Reply::error(404,
                              QStringLiteral("Запись %1/%2 не найдена").arg(collection).arg(*id));
        return false;
    }
    return true;
}

Reply DataStore::get(const QString &collection, const QString &idText) const
{
    QString name;
    Reply error;
    if (!resolve(collection, &name, &error))
        return error;
    int id = 0;
    QJsonObject stored;
    if (!locate(name, collection, idText, &id, &stored, &error))
        return error;
    return Reply::json(expand(name, stored));
}

bool DataStore::prepareBody(const QString &name, const Request &request, QJsonObject *body,
                            Reply *error) const
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(request.body, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        *error = Reply::error(400, QStringLiteral("Тело запроса не является объектом JSON"));
        return false;
    }
    QJsonObject object = document.object();

    // What the server derives is never taken from a body.
    object.remove("id");
    for (const Reference &r : references) {
        if (name != QLatin1String(r.collection))
            continue;
        object.remove(r.nestedKey);
        int id = 0;
        if (!referenceId(object.value(r.idKey), &id)) {
            *error = Reply::error(422, QStringLiteral("%1: ожидается целое число").arg(r.idKey));
            return false;
        }
        if (id > 0 && find(r.target, id).isEmpty()) {
            *error = Reply::error(
                422, QStringLiteral("%1: запись %2/%3 не найдена").arg(r.idKey, r.target).arg(id));
            return false;
        }
    }
    for (const Link &l : links) {
        if (name == QLatin1String(l.collection)) {
            object.remove(l.nestedKey);
            object.remove(l.idsKey);
        }
    }
    if (name == QLatin1String("persons"))
        object.remove("fullname");
    if (name == QLatin1String("users") && object.contains("permissions")
        && !object.value("permissions").isObject()) {
        *error = Reply::error(422, QStringLiteral("permissions: ожидается объект"));
        return false;
    }
    *body = object;
    return true;
}

Reply DataStore::create(const QString &collection, const Request &request)
{
    QString name;
    Reply error;
    if (!resolve(collection, &name, &error))
        return error;
    QJsonObject body;
    if (!prepareBody(name, request, &body, &error))
        return error;
    const int id = insert(name, body);  // the body has no id: a new one is assigned
    return Reply::json(expand(name, find(name, id)), 201);
}

Reply DataStore::update(const QString &collection, const QString &idText, const Request &request)
{
    QString name;
    Reply error;
    if (!resolve(collection, &name, &error))
        return error;
    int id = 0;
    QJsonObject old;
    if (!locate(name, collection, idText, &id, &old, &error))
        return error;
    QJsonObject body;
    if (!prepareBody(name, request, &body, &error))
        return error;

    // The body replaces the writable fields; links and the kept keys stay.
    for (const QString &key : keptOnPut().value(name)) {
        if (!body.contains(key) && old.contains(key))
            body.insert(key, old.value(key));
    }
    for (const Link &l : links) {
        if (name == QLatin1String(l.collection))
            body.insert(l.idsKey, old.value(l.idsKey));
    }
    store(name, id, body);
    return Reply::json(expand(name, find(name, id)));
}

Reply DataStore::erase(const QString &collection, const QString &idText)
{
    QString name;
    Reply error;
    if (!resolve(collection, &name, &error))
        return error;
    int id = 0;
    QJsonObject stored;
    if (!locate(name, collection, idText, &id, &stored, &error))
        return error;
    const QString holder = referencedBy(name, id);
    if (!holder.isEmpty())
        return Reply::error(409, QStringLiteral("Запись %1/%2 используется в %3")
                                     .arg(collection).arg(id).arg(holder));
    remove(name, id);
    return Reply::json(QJsonObject{{"Ok", true}});
}

// ---- link sub-collections -------------------------------------------------

Reply DataStore::listLinked(const QString &collection, const QString &idText, const QString &sub,
                            const Request &request) const
{
    const Link *l = findLink(canonicalName(collection), sub);
    int id = 0;
    if (!l)
        return Reply::error(404, QStringLiteral("Неизвестный путь: %1/%2").arg(collection, sub));
    QJsonObject holder;
    Reply error;
    if (!locate(QString::fromLatin1(l->collection), collection, idText, &id, &holder, &error))
        return error;

    QSet<int> linked;
    for (const QJsonValue &v : holder.value(l->idsKey).toArray())
        linked.insert(v.toInt());
    // "availableOnly=true" offers what may still be linked; otherwise the linked ones.
    const bool available = isTrue(request.queryValue("availableOnly"));
    QJsonArray result;
    for (const QJsonObject &record : collections.value(l->target)) {
        if (linked.contains(record.value("id").toInt()) == available)
            continue;
        if (passesFilters(l->target, record, request))
            result.append(expand(l->target, record));
    }
    return Reply::json(result);
}

Reply DataStore::link(const QString &collection, const QString &idText, const QString &sub,
                      const Request &request)
{
    const Link *l = findLink(canonicalName(collection), sub);
    int id = 0;
    if (!l)
        return Reply::error(404, QStringLiteral("Неизвестный путь: %1/%2").arg(collection, sub));
    QJsonObject holder;
    Reply error;
    if (!locate(QString::fromLatin1(l->collection), collection, idText, &id, &holder, &error))
        return error;

    const QJsonDocument document = QJsonDocument::fromJson(request.body);
    if (!document.isObject())
        return Reply::error(400, QStringLiteral("Тело запроса не является объектом JSON"));
    int target = 0;
    if (!referenceId(document.object().value(l->bodyKey), &target) || target <= 0)
        return Reply::error(422, QStringLiteral("%1: ожидается идентификатор").arg(l->bodyKey));
    if (find(l->target, target).isEmpty())
        return Reply::error(422, QStringLiteral("%1: запись %2/%3 не найдена")
                                     .arg(l->bodyKey, l->target).arg(target));

    QJsonArray ids = holder.value(l->idsKey).toArray();
    if (!containsId(ids, target)) {
        ids.append(target);
        holder.insert(l->idsKey, ids);
        collections[l->collection].insert(id, holder);
    }
    return Reply::json(expand(l->collection, holder));
}

Reply DataStore::unlink(const QString &collection, const QString &idText, const QString &sub,
                        const QString &linkedIdText)
{
    const Link *l = findLink(canonicalName(collection), sub);
    int id = 0;
    int target = 0;
    if (!l)
        return Reply::error(404, QStringLiteral("Неизвестный путь: %1/%2").arg(collection, sub));
    if (!parseId(idText, &id) || !parseId(linkedIdText, &target))
        return Reply::error(400, QStringLiteral("Идентификатор не число"));
    QJsonObject holder = find(l->collection, id);
    if (holder.isEmpty())
        return Reply::error(404, QStringLiteral("Запись %1/%2 не найдена").arg(collection).arg(id));

    QJsonArray ids = holder.value(l->idsKey).toArray();
    if (!containsId(ids, target))
        return Reply::error(404, QStringLiteral("Связь с %1/%2 не найдена").arg(l->target).arg(target));
    removeId(ids, target);
    holder.insert(l->idsKey, ids);
    collections[l->collection].insert(id, holder);
    return Reply::json(expand(l->collection, holder));
}

}  // namespace StandIn
