// The payment reports: the three statements with the statement's signers,
// the daily cash report and its summary over a period, computed from the
// stored records at each request.

#include "domains.h"
#include "reportrecords.h"

namespace StandIn {

using namespace Reports;

namespace {

// ---- payment statements

Reply paymentsReport(const Records &records, const Request &request)
{
    const QDate start = queryDay(request, "start");
    const QDate end = queryDay(request, "end");
    const int streamId = queryId(request, "streamId");
    const bool listeners = isTrue(request.queryValue("listeners"));
    const bool guests = isTrue(request.queryValue("guests"));
    const bool debtOnly = isTrue(request.queryValue("debtOnly"));

    QJsonArray rows;
    for (const QJsonObject &person : records.all("persons")) {
        const int id = person.value("id").toInt();
        if (!(records.isListener(person) ? listeners : guests)
            || (streamId != 0 && person.value("streamId").toInt() != streamId))
            continue;
        QJsonArray accommodation;
        double total = 0;
        for (const QJsonObject &stay : records.staysWithin(id, start, end)) {
            const QJsonObject rate = records.find("rates", stay.value("rateId"));
            accommodation.append(
                QJsonObject{{"number", records.find("rooms", stay.value("roomId")).value("number")},
                            {"inDate", stay.value("inDate")},
                            {"outDate", stay.value("outDate")},
                            {"rateCost", rate.value("cost").toDouble()},
                            {"rateHourCost", rate.value("hourCost").toDouble()}});
            total += stay.value("cost").toDouble();
        }
        if (accommodation.isEmpty())
            continue;

        QJsonArray payments;
        double paid = 0;
        QString payer;
        for (const QJsonObject &payment : records.of("payments", id, "payDate")) {
            payments.append(
                QJsonObject{{"summ", payment.value("summ").toDouble()},
                            {"name", records.name("pay_type", payment.value("payTypeId"))},
                            {"payDate", payment.value("payDate")}});
            paid += payment.value("summ").toDouble();
            if (payer.isEmpty())
                payer = records.payerOf(payment.value("payTypeId")).value("name").toString();
        }
        if (debtOnly && total - paid <= 0.005)
            continue;
        rows.append(QJsonObject{{"billNum", person.value("billNum").toInt()},
                                {"fullname", records.fullname(person)},
                                {"payer", payer},
                                {"total", total},
                                {"paid", paid},
                                {"accommodation", accommodation},
                                {"payments", payments}});
    }
    return Reply::json(rows);
}

Reply contractReport(const Records &records, const Request &request)
{
    const QDate start = queryDay(request, "start");
    const QDate end = queryDay(request, "end");
    const int payerId = queryId(request, "payerId");

    QJsonArray groups;
    for (const QJsonObject &payType : records.all("pay_type")) {
        const int contract = payType.value("id").toInt();
        if (records.payerOf(contract).isEmpty() || (payerId != 0 && contract != payerId))
            continue;
        QJsonArray entries;
        double groupCost = 0;
        double groupPaid = 0;
        for (const QJsonObject &person : records.all("persons")) {
            const int id = person.value("id").toInt();
            QJsonArray payments;
            double paid = 0;
            for (const QJsonObject &payment : records.of("payments", id, "payDate")) {
                if (payment.value("payTypeId").toInt() != contract
                    && payment.value("payerId").toInt() != contract)
                    continue;
                payments.append(QJsonObject{{"summ", payment.value("summ").toDouble()},
                                            {"payDate", payment.value("payDate")},
                                            {"name", payType.value("name")}});
                paid += payment.value("summ").toDouble();
            }
            if (payments.isEmpty())
                continue;
            QJsonArray accommodation;
            double cost = 0;
            for (const QJsonObject &stay : records.staysWithin(id, start, end)) {
                const QJsonObject rate = records.find("rates", stay.value("rateId"));
                accommodation.append(QJsonObject{
                    {"room",
                     QJsonObject{
                         {"number", records.find("rooms", stay.value("roomId")).value("number")}}},
                    {"rate",
                     QJsonObject{{"cost", rate.value("cost").toDouble()},
                                 {"hourCost", rate.value("hourCost").toDouble()}}},
                    {"inDate", stay.value("inDate")},
                    {"outDate", stay.value("outDate")},
                    {"cost", stay.value("cost").toDouble()}});
                cost += stay.value("cost").toDouble();
            }
            if (accommodation.isEmpty())
                continue;
            entries.append(QJsonObject{{"bill", person.value("billNum").toInt()},
                                       {"fullname", records.fullname(person)},
                                       {"totalCost", cost},
                                       {"totalPaid", paid},
                                       {"accommodation", accommodation},
                                       {"payments", payments}});
            groupCost += cost;
            groupPaid += paid;
        }
        groups.append(QJsonObject{{"name", payType.value("name")},
                                  {"totalCost", groupCost},
                                  {"totalPaid", groupPaid},
                                  {"entries", entries}});
    }
    return Reply::json(groups);
}

// Receipts with a number: those that were issued.
bool numbered(const QJsonObject &receipt)
{
    return receipt.value("number").isDouble();
}

Reply paidEducationReport(const Records &records, const Request &request)
{
    const QDate start = queryDay(request, "start");
    const QDate end = queryDay(request, "end");
    const int curriculumId = queryId(request, "curriculumId");

    QList<QJsonObject> receipts;
    for (const QJsonObject &receipt : records.all("paid_education_receipts")) {
        if (numbered(receipt) && within(storedDate(receipt.value("startDate")), start, end)
            && (curriculumId == 0 || receipt.value("curriculumId").toInt() == curriculumId))
            receipts.append(receipt);
    }
    QJsonArray rows;
    for (const QJsonObject &receipt : byMoment(receipts, "payDate")) {
        const QJsonObject person = records.find("persons", receipt.value("personId"));
        const QJsonObject stream = records.find("streams", person.value("streamId"));
        QJsonObject row{{"number", receipt.value("number")},
                        {"fullname", records.fullname(person)},
                        {"curriculum", records.name("curriculums", receipt.value("curriculumId"))},
                        {"startDate", receipt.value("startDate")},
                        {"endDate", receipt.value("endDate")},
                        {"paid", records.educationPaid(receipt)},
                        {"payDate", receipt.value("payDate")},
                        {"cassir", records.name("users", receipt.value("cassirId"))}};
        if (!stream.isEmpty()) {
            row.insert("stream",
                       QJsonObject{{"name", stream.value("name")},
                                   {"startDate", stream.value("startDate")},
                                   {"endDate", stream.value("endDate")}});
        }
        rows.append(row);
    }
    return Reply::json(rows);
}

// ---- cash report and summary

// A section of the cash reports: its entries, its total and the amounts per
// pay type in order of first appearance.
class CashSection
{
public:
    void add(const QString &payType, double paid)
    {
        total += paid;
        if (!byType.contains(payType))
            typeOrder.append(payType);
        byType[payType] += paid;
    }
    // Adds to the entry of this key (merged lines), or starts one.
    QJsonObject &entry(const QString &key, const QJsonObject &start)
    {
        if (!entryIndex.contains(key)) {
            entryIndex.insert(key, int(entries.size()));
            entries.append(start);
        }
        return entries[entryIndex.value(key)];
    }
    void append(const QJsonObject &entry) { entries.append(entry); }

    QJsonObject toJson() const
    {
        QJsonArray rows;
        for (const QJsonObject &entry : entries)
            rows.append(entry);
        QJsonArray types;
        for (const QString &name : typeOrder)
            types.append(QJsonObject{{"name", name}, {"paid", byType.value(name)}});
        return QJsonObject{{"entries", rows}, {"total", total}, {"byTypes", types}};
    }

private:
    QList<QJsonObject> entries;
    QMap<QString, int> entryIndex;
    double total = 0;
    QStringList typeOrder;
    QMap<QString, double> byType;
};

// The extra-services and education sections of the pay days in [start, end].
void addReceipts(const Records &records, const QDate &start, const QDate &end, CashSection &extra,
                 CashSection &education)
{
    for (const QJsonObject &receipt : records.all("receipts")) {
        if (!numbered(receipt) || !within(storedDate(receipt.value("payDate")), start, end))
            continue;
        const QJsonObject service = records.find("extra_services", receipt.value("extraServiceId"));
        const double paid = receipt.value("summ").toDouble();
        QJsonObject &entry = extra.entry(QString::number(service.value("id").toInt()),
                                         QJsonObject{{"name", service.value("name")},
                                                     {"unit", service.value("measurement")},
                                                     {"amount", 0},
                                                     {"paid", 0.0}});
        entry.insert("amount", entry.value("amount").toInt()
                                   + records.signOf(receipt) * receipt.value("amount").toInt());
        entry.insert("paid", entry.value("paid").toDouble() + paid);
        extra.add(records.name("pay_type", receipt.value("payTypeId")), paid);
    }
    for (const QJsonObject &receipt : records.all("paid_education_receipts")) {
        if (!numbered(receipt) || !within(storedDate(receipt.value("payDate")), start, end))
            continue;
        const QJsonObject curriculum = records.find("curriculums", receipt.value("curriculumId"));
        const double paid = records.educationPaid(receipt);
        QJsonObject &entry = education.entry(QString::number(curriculum.value("id").toInt()),
                                             QJsonObject{{"name", curriculum.value("name")},
                                                         {"unit", QStringLiteral("курс")},
                                                         {"amount", 0},
                                                         {"paid", 0.0}});
        entry.insert("amount", entry.value("amount").toInt() + records.signOf(receipt));
        entry.insert("paid", entry.value("paid").toDouble() + paid);
        education.add(records.name("pay_type", receipt.value("payTypeId")), paid);
    }
}

Reply cashReply(const CashSection &accommodation, const CashSection &extra,
                const CashSection &education)
{
    return Reply::json(QJsonObject{{"accommodation", accommodation.toJson()},
                                   {"extraServices", extra.toJson()},
                                   {"paidEducation", education.toJson()}});
}

QList<QJsonObject> paymentsOfDays(const Records &records, const QDate &start, const QDate &end)
{
    QList<QJsonObject> payments;
    for (const QJsonObject &payment : records.all("payments")) {
        if (within(storedDate(payment.value("payDate")), start, end))
            payments.append(payment);
    }
    return byMoment(payments, "payDate");
}

Reply cassReport(const Records &records, const Request &request)
{
    const QDate day = queryDay(request, "payDate");
    // An unreadable day matches nothing rather than every day.
    if (!day.isValid())
        return cashReply({}, {}, {});

    CashSection accommodation;
    for (const QJsonObject &payment : paymentsOfDays(records, day, day)) {
        const QJsonObject person = records.find("persons", payment.value("personId"));
        const QString payType = records.name("pay_type", payment.value("payTypeId"));
        QJsonObject entry{{"bill", person.value("billNum").toInt()},
                          {"fullname", records.fullname(person)},
                          {"paid", payment.value("summ").toDouble()},
                          {"payType", payType},
                          {"cassir", records.name("users", payment.value("cassirId"))}};
        const QJsonValue stream = records.streamOf(person);
        if (!stream.isUndefined())
            entry.insert("stream", stream);
        accommodation.append(entry);
        accommodation.add(payType, payment.value("summ").toDouble());
    }
    CashSection extra;
    CashSection education;
    addReceipts(records, day, day, extra, education);
    return cashReply(accommodation, extra, education);
}

Reply cassSummary(const Records &records, const Request &request)
{
    const QDate start = queryDay(request, "start");
    const QDate end = queryDay(request, "end");

    CashSection accommodation;
    double listeners = 0;
    double guests = 0;
    bool anyListener = false;
    bool anyGuest = false;
    for (const QJsonObject &payment : paymentsOfDays(records, start, end)) {
        const double paid = payment.value("summ").toDouble();
        if (records.isListener(records.find("persons", payment.value("personId")))) {
            listeners += paid;
            anyListener = true;
        } else {
            guests += paid;
            anyGuest = true;
        }
        accommodation.add(records.name("pay_type", payment.value("payTypeId")), paid);
    }
    if (anyListener)
        accommodation.append(
            QJsonObject{{"name", QStringLiteral("Слушатели")}, {"paid", listeners}});
    if (anyGuest)
        accommodation.append(QJsonObject{{"name", QStringLiteral("Гости")}, {"paid", guests}});

    CashSection extra;
    CashSection education;
    addReceipts(records, start, end, extra, education);
    return cashReply(accommodation, extra, education);
}

// The signers of the paid-education statement: users with an "rv0".
Reply signers(const Records &records)
{
    QJsonArray rows;
    for (const QJsonObject &user : records.all("users")) {
        const QJsonValue rv0 = user.value("rv0");
        if (!rv0.isNull() && !rv0.isUndefined())
            rows.append(
                QJsonObject{{"position", user.value("position")}, {"name", user.value("name")}});
    }
    return Reply::json(rows);
}
}  // namespace

void addPaymentReportRoutes(Server &server, DataStore &store)
{
    // The statements and their signers under "paymentsReport", both cash
    // reports under "cassReport": the rights the office grants for them.
    const Server::Access statements = Server::Access::node("paymentsReport");
    const Server::Access cash = Server::Access::node("cassReport");
    addReport(server, store, "reports/payments", statements, paymentsReport);
    addReport(server, store, "reports/payments/contract", statements, contractReport);
    addReport(server, store, "reports/payments/paid_education", statements, paidEducationReport);
    addReport(server, store, "reports/cass", cash, cassReport);
    addReport(server, store, "reports/cass/summary", cash, cassSummary);
    // A path of its own, not a user's id.
    addReport(server, store, "users/rv0", statements,
              [](const Records &records, const Request &) { return signers(records); });
}

}  // namespace StandIn
