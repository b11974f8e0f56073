// The reference directories: districts to rooms, pay types, property and
// extra services.

#include "collections.h"
#include "domains.h"

#include <utility>

namespace StandIn {

void addDirectoryRoutes(Server &server, DataStore &store)
{
    // Each directory and the permission node of its list window.
    const std::pair<const char *, const char *> directories[] = {
        {"districts", "districts"},         {"regions", "regions"},
        {"positions", "positions"},         {"organizations", "organizations"},
        {"curriculums", "curriculums"},     {"streams", "streams"},
        {"rates", "rates"},                 {"pay_type", "payTypes"},
        {"extra_services", "extraServices"}, {"rooms", "rooms"}};
    for (const auto &[name, node] : directories) {
        store.addCollection(name);
        server.rules(name).node = node;
    }
    store.addCollection("properties", {"property"});
    server.rules("properties").node = "property";

    store.addReference({"regions", "districtId", "district", "districts"});
    store.addReference({"organizations", "regionId", "region", "regions"});
    store.addReference({"streams", "curriculumId", "curriculum", "curriculums"});
    // As the server sends it: a pay type without a payer has no "payer" key.
    store.addReference({"pay_type", "payerId", "payer", "organizations",
                        Reference::WhenNone::Absent});

    // Property has no validity period: the actual items are those not written off.
    server.rules("properties").filters.append([](const QJsonObject &item, const Request &request) {
        return !isTrue(request.queryValue("actualOnly")) || !item.value("archived").toBool();
    });
    // The contracts: pay types whose payer is an organization.
    server.rules("pay_type").filters.append([&store](const QJsonObject &payType, const Request &request) {
        if (!isTrue(request.queryValue("payerOnly")))
            return true;
        const int payer = payType.value("payerId").toInt();
        return payer > 0 && !store.find("organizations", payer).isEmpty();
    });

    // The person card looks an organization up by its code: one object, or nothing at all.
    server.route("GET", "organizations", Server::Access::collection(),
                 [&server, &store](const Request &request, const QStringList &) {
        if (!request.hasQueryItem("code"))
            return listCollection(server, store, "organizations", request);
        const QString code = request.queryValue("code");
        for (const QJsonValue &row : store.rows("organizations")) {
            const QJsonValue stored = row.toObject().value("code");
            const QString text = stored.isDouble() ? QString::number(stored.toDouble())
                                                   : stored.toString();
            if (text == code)
                return Reply::json(clientView(server, store, "organizations", row.toObject()));
        }
        return Reply::empty();
    });
}

}  // namespace StandIn
