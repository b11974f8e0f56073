// The globals documents: {"value": ...} at "globals/<name>", read and replaced whole.

#include "collections.h"
#include "domains.h"

namespace StandIn {

void addGlobalsRoutes(Server &server, DataStore &store)
{
    using Access = Server::Access;
    struct Document
    {
        const char *name;
        Access read;
        Access write;
    };
    // Known even before a fixture gives them a value. The page header of
    // every printed document reads the organization's details, and the stay
    // dialog the checkout hour, whatever the user's rights. The details have
    // no node of their own: they are the administrators', who may write users.
    const Document documents[] = {
        {"OrganizationInfo", Access::signedIn(), Access::collection("users")},
        {"CheckoutHour", Access::signedIn(), Access::node("countHour")},
        {"ReceiptNumber", Access::node("receiptNumber"), Access::node("receiptNumber")},
        // The number a person's first payment takes for the bill.
        {"BillNumber", Access::collection("payments"), Access::collection("payments")},
    };

    QStringList known;
    for (const Document &document : documents)
        known.append(QString::fromLatin1(document.name));
    auto unknown = [&store, known](const QString &name) {
        return !store.hasGlobal(name) && !known.contains(name);
    };
    const Server::Handler read = [&store, unknown](const Request &, const QStringList &p) {
        if (unknown(p[1]))
            return Reply::error(404, QStringLiteral("Неизвестный документ: %1").arg(p[1]));
        return Reply::json(QJsonObject{{"value", store.global(p[1])}});
    };
    const Server::Handler write = [&store, unknown](const Request &r, const QStringList &p) {
        if (unknown(p[1]))
            return Reply::error(404, QStringLiteral("Неизвестный документ: %1").arg(p[1]));
        const QJsonDocument document = r.json();
        if (!document.isObject() || !document.object().contains("value"))
            return Reply::error(400, QStringLiteral("Ожидается объект {\"value\": ...}"));
        store.setGlobal(p[1], document.object().value("value"));
        return Reply::json(QJsonObject{{"value", store.global(p[1])}});
    };

    // A document that only a fixture names is the administrators' too.
    server.route("GET", "globals/*", Access::collection("users"), read);
    server.route("PUT", "globals/*", Access::collection("users"), write);
    for (const Document &document : documents) {
        const QString path = QStringLiteral("globals/") + QLatin1String(document.name);
        server.route("GET", path, document.read, read);
        server.route("PUT", path, document.write, write);
    }
}

}  // namespace StandIn
