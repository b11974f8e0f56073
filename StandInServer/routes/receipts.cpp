// Receipts: extra services sold to a person (with the item lent on them) and
// paid education. The server numbers them, prices them, records returns and
// the hand-back of a lent item.

#include "collections.h"
#include "domains.h"

#include <cmath>

namespace StandIn {

namespace {

// "number": absent or null stays null (a receipt awaiting payment has none),
// 0 takes the next "globals/ReceiptNumber", any other number is kept.
CollectionRules::Prepare numbering(DataStore &store)
{
    return [&store](QJsonObject &receipt, const QJsonObject &, const Request &) -> std::optional<Reply> {
        const QJsonValue number = receipt.value("number");
        if (number.isUndefined() || number.isNull()) {
            receipt.insert("number", QJsonValue::Null);
            return std::nullopt;
        }
        const double value = number.toDouble(-1);
        if (!number.isDouble() || value != std::floor(value) || value < 0 || value > 999999)
            return Reply::error(422, QStringLiteral("number: ожидается номер квитанции"));
        if (value == 0) {
            const int next = store.global("ReceiptNumber").toInt() + 1;
            store.setGlobal("ReceiptNumber", next);
            receipt.insert("number", next);
        }
        return std::nullopt;
    };
}

// The pay type that marks a return: the first with attribute -1 valid today.
int returnPayType(const Server &server, const DataStore &store)
{
    const QDate today = server.now().date();
    for (const QJsonValue &row : store.rows("pay_type")) {
        const QJsonObject payType = row.toObject();
        const QDate start = storedDate(payType.value("startDate"));
        const QDate end = storedDate(payType.value("endDate"));
        if (payType.value("attribute").toInt() == -1 && (!start.isValid() || start <= today)
            && (!end.isValid() || today <= end))
            return payType.value("id").toInt();
    }
    return 0;
}

// A return is a receipt under a pay type whose attribute is -1.
bool isReturn(const DataStore &store, const QJsonObject &receipt)
{
    return store.find("pay_type", receipt.value("payTypeId").toInt()).value("attribute").toInt()
           == -1;
}

// What the server charges for an extra service: a return's sum is negative,
// also when the receipt dialog sends a return back after an edit.
double signedSum(const DataStore &store, const QJsonObject &receipt, double sum)
{
    return isReturn(store, receipt) ? -sum : sum;
}

// Why a receipt cannot be returned (a return, or one already returned);
// empty when it can. The card's "Возврат" acts at once, so a second click
// would otherwise refund one sale twice.
QString returnRefused(const DataStore &store, const QString &collection, const QJsonObject &receipt)
{
    if (receipt.contains("returnOf") || isReturn(store, receipt))
        return QStringLiteral("Квитанция сама является возвратом");
    const int id = receipt.value("id").toInt();
    for (const QJsonObject &other : store.records(collection)) {
        if (other.value("returnOf").toInt() == id)
            return QStringLiteral("Возврат по квитанции уже оформлен");
    }
    return {};
}

// POST "<collection>/<id>/return", with no body: a copy of the receipt under
// the return pay type, dated the day of the return, its sum negated where the
// sum is signed (`signsSum`); the copy keeps the id of the receipt it returns
// under "returnOf".
void addReturnRoute(Server &server, DataStore &store, const QString &collection, bool signsSum)
{
    server.route("POST", collection + "/*/return", Server::Access::collection(),
                 [&server, &store, collection, signsSum](const Request &, const QStringList &parts) {
                     QJsonObject copy;
                     Reply error;
                     if (!findRecord(store, collection, parts.at(1), &copy, &error))
                         return error;
                     const QString refused = returnRefused(store, collection, copy);
                     if (!refused.isEmpty())
                         return Reply::error(409, refused);
                     const int payType = returnPayType(server, store);
                     if (payType <= 0)
                         return Reply::error(422, QStringLiteral("Нет способа оплаты «Возврат»"));
                     copy.insert("returnOf", copy.take("id"));
                     copy.insert("payTypeId", payType);
                     if (signsSum)
                         copy.insert("summ", -copy.value("summ").toDouble());
                     copy.insert("payDate",
                                 QDateTime(server.now().date(), QTime(0, 0)).toString(Qt::ISODateWithMs));
                     const int created = store.insert(collection, copy);
                     return Reply::json(clientView(server, store, collection,
                                                   store.find(collection, created)),
                                        201);
                 });
}

}  // namespace

void addReceiptRoutes(Server &server, DataStore &store)
{
    using R = Reference;
    const R::WhenNone null = R::WhenNone::Null;
    const R::OnDelete cascade = R::OnDelete::Cascade;
    store.addCollection("receipts");
    store.addCollection("paid_education_receipts");
    // Both are the card's payments for services, by receipt number.
    server.rules("receipts").node = "servicePayments";
    server.rules("paid_education_receipts").node = "servicePayments";
    store.addReference({"receipts", "personId", "person", "persons", null, cascade});
    store.addReference({"receipts", "extraServiceId", "extraService", "extra_services"});
    store.addReference({"receipts", "payTypeId", "payType", "pay_type"});
    store.addReference({"receipts", "cassirId", "cassir", "users"});
    store.addReference({"receipts", "propertyId", "property", "properties"});
    store.addReference({"receipts", "receiverId", "receiver", "users"});
    store.addReference({"paid_education_receipts", "personId", "person", "persons", null, cascade});
    store.addReference({"paid_education_receipts", "curriculumId", "curriculum", "curriculums"});
    store.addReference({"paid_education_receipts", "payTypeId", "payType", "pay_type"});
    store.addReference({"paid_education_receipts", "cassirId", "cassir", "users"});

    CollectionRules &receipts = server.rules("receipts");
    // The receipt dialog never sends the hand-back of the item: that is
    // "receipts/<id>/property"'s, and an edit of the receipt keeps it.
    receipts.keptOnPut = QStringList{"actNumber", "receiveDate", "receiverId", "returnOf"};
    receipts.prepare.append([&store](QJsonObject &receipt, const QJsonObject &stored,
                                     const Request &) -> std::optional<Reply> {
        const QJsonObject service = store.find("extra_services",
                                               receipt.value("extraServiceId").toInt());
        if (service.isEmpty())
            return Reply::error(422, QStringLiteral("extraServiceId: не выбрана услуга"));
        receipt.insert("summ", signedSum(store, receipt,
                                         service.value("rate").toDouble()
                                             * receipt.value("amount").toDouble()));
        receipt.insert("received", stored.isEmpty() ? receipt.value("received").toBool()
                                                    : stored.value("received").toBool());
        return std::nullopt;
    });
    receipts.prepare.append(numbering(store));

    CollectionRules &education = server.rules("paid_education_receipts");
    education.keptOnPut = QStringList{"returnOf"};
    education.prepare.append([&store](QJsonObject &receipt, const QJsonObject &,
                                      const Request &) -> std::optional<Reply> {
        const QJsonObject curriculum = store.find("curriculums",
                                                  receipt.value("curriculumId").toInt());
        if (curriculum.isEmpty())
            return Reply::error(422, QStringLiteral("curriculumId: не выбрана программа"));
        // Unsigned: its readers (the printed receipt, the statements) sign a
        // paid-education sum by the pay type's attribute, so a negative sum
        // under "Возврат" would print the refund as a payment.
        receipt.insert("summ", curriculum.value("cost").toDouble());
        return std::nullopt;
    });
    education.prepare.append(numbering(store));

    // Which sale a return refunds is the stand-in's own note, kept for its
    // refusal of a second return: the records the client reads carry no such
    // key, so the client must not come to rely on it.
    for (CollectionRules *rules : {&receipts, &education})
        rules->derived.insert("returnOf",
                             [](const QJsonObject &) { return QJsonValue(QJsonValue::Undefined); });

    addReturnRoute(server, store, "receipts", true);
    addReturnRoute(server, store, "paid_education_receipts", false);

    // The hand-back of the item lent on a receipt, written on the receipt.
    server.route("POST", "receipts/*/property", Server::Access::collection(),
                 [&server, &store](const Request &request, const QStringList &parts) {
        QJsonObject receipt;
        Reply error;
        if (!findRecord(store, "receipts", parts.at(1), &receipt, &error))
            return error;
        const QJsonDocument document = request.json();
        if (!document.isObject())
            return Reply::error(400, QStringLiteral("Тело запроса не является объектом JSON"));
        const QJsonObject body = document.object();
        if (receipt.value("propertyId").toInt() <= 0)
            return Reply::error(422, QStringLiteral("По квитанции не выдавалось имущество"));
        const int receiver = body.value("receiverId").toInt();
        if (receiver > 0 && store.find("users", receiver).isEmpty())
            return Reply::error(422, QStringLiteral("receiverId: запись users/%1 не найдена")
                                         .arg(receiver));
        const QDateTime when = moment(body.value("receiveDate"));
        if (!when.isValid())
            return Reply::error(422, QStringLiteral("receiveDate: ожидаются дата и время"));
        receipt.insert("actNumber", body.value("actNumber").toInt());
        receipt.insert("received", body.value("received").toBool());
        receipt.insert("receiveDate", when.toString(Qt::ISODateWithMs));
        receipt.insert("receiverId", receiver);
        store.replace("receipts", receipt);
        return Reply::json(clientView(server, store, "receipts", receipt));
    });
}

}  // namespace StandIn
