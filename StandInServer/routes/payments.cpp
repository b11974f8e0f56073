// Payments for stays, the person's bill number they carry, and the pay
// types a payment may name for a person.

#include "collections.h"
#include "domains.h"

namespace StandIn {

namespace {

// The next number of "globals/BillNumber", which is kept as
// {"number": n, "lastChange": date}.
int takeBillNumber(const Server &server, DataStore &store)
{
    const QJsonValue stored = store.global("BillNumber");
    const int next = (stored.isObject() ? stored.toObject().value("number") : stored).toInt() + 1;
    store.setGlobal("BillNumber",
                    QJsonObject{{"number", next},
                                {"lastChange", server.now().date().toString(Qt::ISODate)}});
    return next;
}

}  // namespace

void addPaymentRoutes(Server &server, DataStore &store)
{
    using R = Reference;
    store.addCollection("payments");
    server.rules("payments").node = "payments";
    store.addReference({"payments", "personId", "person", "persons", R::WhenNone::Null,
                        R::OnDelete::Cascade});
    store.addReference({"payments", "payTypeId", "payType", "pay_type"});
    // Left out when there is none: the payment dialog reads a present null as a fixed payer.
    store.addReference({"payments", "payerId", "payer", "pay_type", R::WhenNone::Absent});
    store.addReference({"payments", "cassirId", "cassir", "users"});

    CollectionRules &payments = server.rules("payments");
    // A person's first payment opens the person's bill; the later ones are
    // entered on it. The card shows the number from the POST's reply.
    payments.prepare.append([&server, &store](QJsonObject &payment, const QJsonObject &stored,
                                              const Request &) -> std::optional<Reply> {
        QJsonObject person = store.find("persons", payment.value("personId").toInt());
        if (stored.isEmpty() && !person.isEmpty() && person.value("billNum").toInt() <= 0) {
            person.insert("billNum", takeBillNumber(server, store));
            store.replace("persons", person);
        }
        return std::nullopt;
    });
    payments.derived.insert("billNumber", [&store](const QJsonObject &payment) -> QJsonValue {
        const QJsonObject person = store.find("persons", payment.value("personId").toInt());
        return person.isEmpty() ? QJsonValue(QJsonValue::Undefined) : person.value("billNum").toInt();
    });

    // The pay types for one person: those without a payer and the contracts
    // of the person's organization ("payerOnly=true" leaves the contracts).
    server.rules("pay_type").filters.append([&store](const QJsonObject &payType,
                                                     const Request &request) {
        if (!request.hasQueryItem("person"))
            return true;
        int personId = 0;
        parseId(request.queryValue("person").trimmed(), &personId);
        const int organization = store.find("persons", personId).value("organizationId").toInt();
        const int payer = payType.value("payerId").toInt();
        return payer <= 0 || (organization > 0 && payer == organization);
    });
}

}  // namespace StandIn
