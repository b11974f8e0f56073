// The audit log: what users did, read whole or for one person ("target").
// Every successful write adds an entry, as the real server records them.

#include "collections.h"
#include "domains.h"

#include <algorithm>

namespace StandIn {

namespace {

// The person a write concerns: the person written, or the one its body, its
// answer or the record it deleted names; 0 when none.
int targetOf(const Write &write, const QString &collection)
{
    int id = 0;
    if (collection == QLatin1String("persons")) {
        if (write.parts.size() > 1 && parseId(write.parts.at(1), &id))
            return id;
        return QJsonDocument::fromJson(write.reply.body).object().value("id").toInt();
    }
    for (const QByteArray &body : {write.request.body, write.reply.body}) {
        id = QJsonDocument::fromJson(body).object().value("personId").toInt();
        if (id > 0)
            return id;
    }
    return std::max(0, write.previous.value("personId").toInt());
}

QString actionOf(const QByteArray &method)
{
    if (method == "POST")
        return QStringLiteral("Создание");
    if (method == "DELETE")
        return QStringLiteral("Удаление");
    return QStringLiteral("Изменение");
}

}  // namespace

void addAuditRoutes(Server &server, DataStore &store)
{
    store.addCollection("audit");
    server.rules("audit").node = "audit";
    server.rules("audit").filters.append([](const QJsonObject &entry, const Request &request) {
        if (!request.hasQueryItem("target"))
            return true;
        int target = 0;
        // An entry that concerns no person belongs to no id, 0 included.
        return parseId(request.queryValue("target").trimmed(), &target)
               && entry.value("target").isDouble() && entry.value("target").toInt() == target;
    });

    // One person's entries come in the order they happened.
    server.route("GET", "audit", Server::Access::collection(),
                 [&server, &store](const Request &request, const QStringList &) {
        Reply reply = listCollection(server, store, "audit", request);
        if (!request.hasQueryItem("target") || reply.status != 200)
            return reply;
        QJsonArray entries = QJsonDocument::fromJson(reply.body).array();
        QList<QJsonValue> sorted(entries.begin(), entries.end());
        std::stable_sort(sorted.begin(), sorted.end(), [](const QJsonValue &a, const QJsonValue &b) {
            return a.toObject().value("when").toString() < b.toObject().value("when").toString();
        });
        entries = QJsonArray();
        for (const QJsonValue &entry : sorted)
            entries.append(entry);
        return Reply::json(entries);
    });

    server.afterWrite([&server, &store](const Write &write) {
        const QString collection = store.canonicalName(write.parts.value(0));
        if (collection == QLatin1String("audit"))
            return;
        QJsonObject entry{{"when", server.now().toString(Qt::ISODateWithMs)},
                          {"user", store.find("users", write.userId).value("name")},
                          {"where", collection},
                          {"what", actionOf(write.request.method)}};
        if (const int target = targetOf(write, collection))
            entry.insert("target", target);
        store.insert("audit", entry);
    });
}

}  // namespace StandIn
