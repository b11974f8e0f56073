// Users, their permission records and sign-in.

#include "collections.h"
#include "domains.h"

#include <QSet>

namespace StandIn {

namespace {

// Every permission node that some user has, so that a new user can be shown
// all of them.
QStringList permissionNodes(const DataStore &store)
{
    QSet<QString> nodes;
    for (const QJsonValue &user : store.rows("users")) {
        const QJsonObject permissions = user.toObject().value("permissions").toObject();
        for (auto it = permissions.begin(); it != permissions.end(); ++it) {
            if (it.key() != QLatin1String("id") && it.key() != QLatin1String("userId"))
                nodes.insert(it.key());
        }
    }
    QStringList sorted(nodes.begin(), nodes.end());
    sorted.sort();
    return sorted;
}

// The user with this password; -1 when none. An empty password never matches.
int userWithPassword(const DataStore &store, const QString &password)
{
    if (password.isEmpty())
        return -1;
    for (const QJsonValue &user : store.rows("users")) {
        if (user.toObject().value("password").toString() == password)
            return user.toObject().value("id").toInt();
    }
    return -1;
}

}  // namespace

void addUserRoutes(Server &server, DataStore &store)
{
    store.addCollection("users");

    // A user's permission record carries its own id and the user's; a new
    // user starts with every known node and no rights, so that the
    // administration can grant them.
    store.addStoreRule("users", [&store](QJsonObject &user) {
        QJsonObject permissions = user.value("permissions").toObject();
        if (!user.value("permissions").isObject()) {
            for (const QString &node : permissionNodes(store))
                permissions.insert(node, 0);
        }
        permissions.insert("id", user.value("id"));
        permissions.insert("userId", user.value("id"));
        user.insert("permissions", permissions);
    });

    CollectionRules &users = server.rules("users");
    // The users window edits name, password and position alone.
    users.keptOnPut = QStringList{"password", "position", "rv", "rv0", "permissions"};
    // A nested user never carries its password or rights.
    users.nestedKeys = QStringList{"name"};
    users.prepare.append([](QJsonObject &user, const QJsonObject &, const Request &) -> std::optional<Reply> {
        if (user.contains("permissions") && !user.value("permissions").isObject())
            return Reply::error(422, QStringLiteral("permissions: ожидается объект"));
        return std::nullopt;
    });

    server.route("POST", "login", [&server, &store](const Request &r, const QStringList &) {
        const QJsonDocument document = r.json();
        if (!document.isObject())
            return Reply::error(400, QStringLiteral("Ожидается объект {\"password\": ...}"));
        const QJsonValue password = document.object().value("password");
        const int userId = password.isString() ? userWithPassword(store, password.toString()) : -1;
        if (userId < 0)
            return Reply::error(401, QStringLiteral("Неверный пароль"));
        const QString token = server.issueToken(userId);
        const QJsonObject user = store.find("users", userId);
        return Reply::json(QJsonObject{
            {"token", token},
            {"user", QJsonObject{{"id", userId},
                                 {"name", user.value("name")},
                                 {"permissions", user.value("permissions").toObject()}}}});
    }, Server::Access::Anyone);
}

}  // namespace StandIn
