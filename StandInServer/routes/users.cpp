// Users, their permission records and sign-in.

#include "collections.h"
#include "domains.h"

namespace StandIn {

namespace {

// Every permission node the client knows a label for: a new user is given
// all of them, without rights, so that the administration can grant them.
const QStringList permissionNodes = {
    "accommodation", "audit",         "cassReport",       "countHour",   "curriculums",
    "districts",     "extraServices", "organizations",    "payTypes",    "payments",
    "paymentsReport", "persons",      "positions",        "property",    "rates",
    "receiptNumber", "regions",       "registrationCard", "rooms",       "servicePayments",
    "streams",       "users"};

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

QJsonObject Server::allPermissions()
{
    QJsonObject permissions;
    for (const QString &node : permissionNodes)
        permissions.insert(node, 3);
    return permissions;
}

void addUserRoutes(Server &server, DataStore &store)
{
    store.addCollection("users");
    server.rules("users").node = "users";

    // A user's permission record carries its own id and the user's. A user
    // stored without one (older accounts) keeps having none.
    store.addStoreRule("users", [](QJsonObject &user) {
        if (!user.value("permissions").isObject())
            return;
        QJsonObject permissions = user.value("permissions").toObject();
        permissions.insert("id", user.value("id"));
        permissions.insert("userId", user.value("id"));
        user.insert("permissions", permissions);
    });

    CollectionRules &users = server.rules("users");
    // The users window edits name, password and position alone.
    users.keptOnPut = QStringList{"password", "position", "rv", "rv0", "permissions"};
    // A nested user never carries its password or rights.
    users.nestedKeys = QStringList{"name"};
    users.prepare.append([](QJsonObject &user, const QJsonObject &stored, const Request &) -> std::optional<Reply> {
        if (user.contains("permissions") && !user.value("permissions").isObject())
            return Reply::error(422, QStringLiteral("permissions: ожидается объект"));
        if (stored.isEmpty() && !user.contains("permissions")) {
            QJsonObject permissions;
            for (const QString &node : permissionNodes)
                permissions.insert(node, 0);
            user.insert("permissions", permissions);
        }
        return std::nullopt;
    });

    // Every user reads his own record, his rights with it but not his
    // password; another's takes the right on users.
    server.route("GET", "users/*", Server::Access::signedIn(),
                 [&server, &store](const Request &r, const QStringList &parts) {
        QJsonObject user;
        Reply error;
        const bool all = server.allows(r, server.rules("users").node);
        if (!all && parts.at(1) != QString::number(server.userIdOf(r)))
            return forbidden(server.rules("users").node, r.method);
        if (!findRecord(store, "users", parts.at(1), &user, &error))
            return error;
        if (!all)
            user.remove("password");
        return Reply::json(clientView(server, store, "users", user));
    });

    server.route("POST", "login", Server::Access::anyone(),
                 [&server, &store](const Request &r, const QStringList &) {
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
    });
}

}  // namespace StandIn
