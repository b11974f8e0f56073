// The journals: receipts and rentals by year, and the register of contracts
// with what each has been paid, awaits and is expected to cost.

#include "collections.h"
#include "domains.h"

namespace StandIn {

namespace {

// The year asked for; none when the query names no year. A year that is not
// a number matches nothing.
struct YearFilter
{
    bool given = false;
    int year = 0;

    explicit YearFilter(const Request &request)
        : given(request.hasQueryItem("year"))
    {
        bool ok = false;
        year = request.queryValue("year").trimmed().toInt(&ok);
        if (!ok)
            year = -1;
    }
    bool keeps(const QJsonValue &date) const { return !given || storedDate(date).year() == year; }
};

QString nameOf(const DataStore &store, const QString &collection, const QJsonValue &id)
{
    return store.find(collection, id.toInt()).value("name").toString();
}

QJsonValue fullnameOf(const Server &server, const DataStore &store, const QJsonValue &personId)
{
    const QJsonObject person = store.find("persons", personId.toInt());
    return person.isEmpty() ? QJsonValue() : derivedValue(server, "persons", "fullname", person);
}

int attributeOf(const DataStore &store, const QJsonValue &payTypeId)
{
    return store.find("pay_type", payTypeId.toInt()).value("attribute").toInt();
}

// One row of the register for a contract (a pay type with a payer).
QJsonObject contractRow(const Server &server, const DataStore &store, const QJsonObject &contract,
                        double rate)
{
    const int id = contract.value("id").toInt();
    const int organization = contract.value("payerId").toInt();
    const QDateTime now = server.now();

    double paid = 0;
    QList<int> awaitingPersons;
    QList<int> paying;  // persons with any payment at all
    for (const QJsonValue &row : store.rows("payments")) {
        const QJsonObject payment = row.toObject();
        const int person = payment.value("personId").toInt();
        if (!paying.contains(person))
            paying.append(person);
        if (payment.value("payerId").toInt() != id)
            continue;
        const int attribute = attributeOf(store, payment.value("payTypeId"));
        if (attribute == 1)
            paid += payment.value("summ").toDouble();
        else if (attribute == 0 && !awaitingPersons.contains(person))
            awaitingPersons.append(person);
    }

    double awaitingPayment = 0;
    double awaitingBill = 0;
    double nights = 0;
    for (const QJsonValue &row : store.rows("accommodation")) {
        const QJsonObject stay = row.toObject();
        const int person = stay.value("personId").toInt();
        if (awaitingPersons.contains(person))
            awaitingPayment += stay.value("cost").toDouble();
        if (organization <= 0
            || store.find("persons", person).value("organizationId").toInt() != organization)
            continue;
        const QDateTime in = moment(stay.value("inDate"));
        const QDateTime out = moment(stay.value("outDate"));
        if (out.isValid() && out <= now && !paying.contains(person))
            awaitingBill += stay.value("cost").toDouble();
        if (out.isValid() && out > now) {
            const QDate from = in.isValid() && in > now ? in.date() : now.date();
            nights += from.daysTo(out.date());
        }
    }

    const double contractCost = contract.value("contractCost").toDouble();
    const double future = rate * nights;
    return QJsonObject{
        {"id", id},
        {"payer", nameOf(store, "organizations", contract.value("payerId"))},
        {"name", contract.value("name")},
        {"startDate", contract.value("startDate")},
        {"endDate", contract.value("endDate")},
        {"contractCost", contractCost},
        {"paid", paid},
        {"awaitingPayment", awaitingPayment},
        {"awaitingBill", awaitingBill},
        {"future", future},
        {"left", contractCost - paid - awaitingPayment - awaitingBill - future},
    };
}

}  // namespace

void addJournalRoutes(Server &server, DataStore &store)
{
    // The extra-service receipts, by the year of payment.
    server.route("GET", "receipts/journal", Server::Access::collection(),
                 [&server, &store](const Request &request, const QStringList &) {
        const YearFilter year(request);
        QJsonArray rows;
        for (const QJsonValue &row : store.rows("receipts")) {
            const QJsonObject receipt = row.toObject();
            if (!year.keeps(receipt.value("payDate")))
                continue;
            const QJsonObject service = store.find("extra_services",
                                                   receipt.value("extraServiceId").toInt());
            rows.append(QJsonObject{
                {"id", receipt.value("id")},
                {"number", receipt.value("number")},
                {"fullname", fullnameOf(server, store, receipt.value("personId"))},
                {"name", service.value("name")},
                {"startDate", receipt.value("startDate")},
                {"endDate", receipt.value("endDate")},
                {"measurement", service.value("measurement")},
                {"amount", receipt.value("amount")},
                {"rate", service.value("rate")},
                {"cost", receipt.value("summ")},
                {"payDate", receipt.value("payDate")},
                {"payType", nameOf(store, "pay_type", receipt.value("payTypeId"))},
                {"cassir", nameOf(store, "users", receipt.value("cassirId"))},
            });
        }
        return Reply::json(rows);
    });

    // The items lent on receipts, by the year the rental began; a return's
    // copy of a receipt lends nothing.
    server.route("GET", "properties/journal", Server::Access::collection(),
                 [&server, &store](const Request &request, const QStringList &) {
        const YearFilter year(request);
        QJsonArray rows;
        for (const QJsonValue &row : store.rows("receipts")) {
            const QJsonObject receipt = row.toObject();
            const QJsonObject item = store.find("properties", receipt.value("propertyId").toInt());
            if (item.isEmpty() || attributeOf(store, receipt.value("payTypeId")) == -1
                || !year.keeps(receipt.value("startDate")))
                continue;
            const QJsonObject service = store.find("extra_services",
                                                   receipt.value("extraServiceId").toInt());
            const int receiver = receipt.value("receiverId").toInt();
            rows.append(QJsonObject{
                {"id", receipt.value("id")},
                {"number", receipt.value("number")},
                {"fullname", fullnameOf(server, store, receipt.value("personId"))},
                {"name", item.value("name")},
                {"index", item.value("number")},
                {"startDate", receipt.value("startDate")},
                {"endDate", receipt.value("endDate")},
                {"measurement", service.value("measurement")},
                {"amount", receipt.value("amount")},
                {"receiveDate", receipt.value("receiveDate")},
                {"receiver", receiver > 0 ? QJsonValue(nameOf(store, "users", receiver)) : QJsonValue()},
            });
        }
        return Reply::json(rows);
    });

    // The contracts whose period overlaps the year (all of them without
    // one), with what has been paid on each: for those who may read payments.
    server.route("GET", "payments/contracts", Server::Access::collection(),
                 [&server, &store](const Request &request, const QStringList &) {
        const YearFilter year(request);
        const double rate = request.queryValue("rate").trimmed().toDouble();
        QJsonArray rows;
        for (const QJsonValue &row : store.rows("pay_type")) {
            const QJsonObject contract = row.toObject();
            if (contract.value("payerId").toInt() <= 0)
                continue;
            const QDate start = storedDate(contract.value("startDate"));
            const QDate end = storedDate(contract.value("endDate"));
            if (year.given && ((start.isValid() && start.year() > year.year)
                               || (end.isValid() && end.year() < year.year)))
                continue;
            rows.append(contractRow(server, store, contract, rate));
        }
        return Reply::json(rows);
    });
}

}  // namespace StandIn
