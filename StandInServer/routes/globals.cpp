// The globals documents: {"value": ...} at "globals/<name>", read and replaced whole.

#include "collections.h"
#include "domains.h"

namespace StandIn {

void addGlobalsRoutes(Server &server, DataStore &store)
{
    // Known even before a fixture gives them a value.
    static const QStringList known = {"OrganizationInfo", "CheckoutHour", "ReceiptNumber",
                                      "BillNumber"};
    auto unknown = [&store](const QString &name) {
        return !store.hasGlobal(name) && !known.contains(name);
    };

    server.route("GET", "globals/*", [&store, unknown](const Request &, const QStringList &p) {
        if (unknown(p[1]))
            return Reply::error(404, QStringLiteral("Неизвестный документ: %1").arg(p[1]));
        return Reply::json(QJsonObject{{"value", store.global(p[1])}});
    });
    server.route("PUT", "globals/*", [&store, unknown](const Request &r, const QStringList &p) {
        if (unknown(p[1]))
            return Reply::error(404, QStringLiteral("Неизвестный документ: %1").arg(p[1]));
        const QJsonDocument document = r.json();
        if (!document.isObject() || !document.object().contains("value"))
            return Reply::error(400, QStringLiteral("Ожидается объект {\"value\": ...}"));
        store.setGlobal(p[1], document.object().value("value"));
        return Reply::json(QJsonObject{{"value", store.global(p[1])}});
    });
}

}  // namespace StandIn
