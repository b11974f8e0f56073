#include "standinfixture.h"
#include "testregistry.h"

// The report endpoints of reports.cpp and paymentreports.cpp over a small
// fixture (data/reports) worked out by hand: four persons, four stays around
// early March 2026, their payments and receipts.
class StandInReportsTest : public StandInTestBase
{
    Q_OBJECT

public:
    StandInReportsTest()
        : StandInTestBase(QStringLiteral("reports/fixture.json"))
    {
    }

private:
    static QJsonValue value(const QJsonDocument &document)
    {
        return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
    }
    QJsonValue get(const QString &path) { return value(client->get(path).json()); }
    static QJsonValue json(const char *text) { return value(QJsonDocument::fromJson(text)); }
    // One key of every element, as text.
    static QStringList column(const QJsonValue &rows, const QString &key)
    {
        QStringList values;
        for (const QJsonValue &row : rows.toArray()) {
            const QJsonValue value = row.toObject().value(key);
            values << (value.isString() ? value.toString() : QString::number(value.toDouble()));
        }
        return values;
    }

private slots:
    void listeners()
    {
        const QString query
            = "reports/persons?streamId=%1&curriculumId=%2&fact=%3&start=%4&end=31.12.2026";
        const QJsonValue groups = get(query.arg(-1).arg(-1).arg("false").arg("01.01.2026"));
        QCOMPARE(groups, json(R"([
            {"stream": {"id": 2, "name": "С2", "startDate": "2026-02-02T00:00:00.000", "endDate": "2026-02-13T00:00:00.000",
                        "curriculum": {"name": "Платная", "value": 72}},
             "persons": [{"id": 3, "fullname": "Гусев Глеб", "birthDate": "", "room": {"number": "102"}}]},
            {"stream": {"id": 1, "name": "С1", "startDate": "2026-03-02T00:00:00.000", "endDate": "2026-03-13T00:00:00.000",
                        "curriculum": {"name": "Охрана", "value": 40}},
             "persons": [{"id": 1, "fullname": "Аверин Антон", "birthDate": "02.01.1980",
                          "organization": {"name": "Альфа", "region": {"name": "Москва"}},
                          "position": {"name": "Инженер"}, "room": {"number": "201"}},
                         {"id": 2, "fullname": "Борин Борис", "birthDate": ""}]}])"));
        // "fact" keeps those with a stay; the stream, the curriculum and the dates narrow the
        // groups.
        const QJsonValue fact = get(query.arg(-1).arg(-1).arg("true").arg("01.01.2026"));
        QCOMPARE(column(fact.toArray().at(1).toObject().value("persons"), "fullname"),
                 QStringList{"Аверин Антон"});
        QCOMPARE(get(query.arg(1).arg(-1).arg("false").arg("01.01.2026")).toArray().size(), 1);
        QCOMPARE(get(query.arg(-1).arg(2).arg("false").arg("01.01.2026")).toArray().size(), 1);
        QCOMPARE(get(query.arg(-1).arg(-1).arg("false").arg("02.03.2026")).toArray().size(), 1);
    }

    void rooms_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("rooms");

        QTest::newRow("all") << "floor=-1&free=true&occupied=true"
                             << "101:1/1 102:2/2; 201:0/2";
        QTest::newRow("free") << "floor=-1&free=true&occupied=false"
                              << "201:0/2";
        QTest::newRow("occupied") << "floor=-1&free=false&occupied=true"
                                  << "101:1/1 102:2/2";
        QTest::newRow("floor") << "floor=2&free=true&occupied=true"
                               << "201:0/2";
        QTest::newRow("type") << "floor=-1&free=true&occupied=true&type=%D0%94%D0%B2%D1%83%D1%85%"
                                 "D0%BC%D0%B5%D1%81%D1%82%D0%BD%D1%8B%D0%B9"
                              << "102:2/2; 201:0/2";
    }

    // Number, occupants and places of each room, floors split by "; ".
    void rooms()
    {
        QFETCH(QString, query);
        QFETCH(QString, rooms);

        const QJsonArray floors
            = get("reports/rooms?date=2026-03-02T15:00:00.000&" + query).toArray();
        QStringList shown;
        for (const QJsonValue &floor : floors) {
            QStringList line;
            for (const QJsonValue &room : floor.toArray()) {
                const QJsonObject r = room.toObject();
                line << QStringLiteral("%1:%2/%3")
                            .arg(r["number"].toString())
                            .arg(r["accm"].toArray().size())
                            .arg(r["rateSize"].toInt());
            }
            shown << line.join(' ');
        }
        QCOMPARE(shown.join("; "), rooms);
    }

    void roomOccupants()
    {
        // The places are the first occupant's rate's; with no date, now.
        server->setNow(QDateTime(QDate(2026, 3, 2), QTime(15, 0)));
        const QJsonObject room = get("reports/rooms?floor=1&free=true&occupied=true")
                                     .toArray()
                                     .at(0)
                                     .toArray()
                                     .at(1)
                                     .toObject();
        QCOMPARE(room.value("accm"), json(R"([
            {"inDate": "2026-02-28T12:00:00.000", "outDate": "2026-03-03T12:00:00.000", "fullname": "Гусев Глеб"},
            {"inDate": "2026-03-02T14:00:00.000", "outDate": "2026-03-04T12:00:00.000", "fullname": "Дёмин Денис"}])"));
        QCOMPARE(room.value("rateSize"), QJsonValue(2));
    }

    void nights()
    {
        QCOMPARE(get("reports/nights?start=01.03.2026&end=31.03.2026"),
                 json(R"({"nights": 9, "persons": 3, "persons2": 2,
                          "floors": [{"floor": 1, "nights": 7}, {"floor": 2, "nights": 2}]})"));
        QCOMPARE(
            get("reports/nights?start=06.03.2026&end=06.03.2026"),
            json(
                R"({"nights": 1, "persons": 1, "persons2": 0, "floors": [{"floor": 2, "nights": 1}]})"));
    }

    void payments()
    {
        const QString query
            = "reports/"
              "payments?streamId=%1&start=%2&end=31.03.2026&listeners=%3&guests=%4&debtOnly=%5";
        const QJsonArray rows
            = get(query.arg(-1).arg("01.03.2026").arg("true").arg("true").arg("false")).toArray();
        QCOMPARE(column(rows, "fullname"),
                 QStringList({"Аверин Антон", "Гусев Глеб", "Дёмин Денис"}));
        QCOMPARE(column(rows, "payer"), QStringList({"Альфа", "Альфа", ""}));
        QCOMPARE(column(rows, "total"), QStringList({"400", "150", "200"}));
        QCOMPARE(column(rows, "paid"), QStringList({"400", "150", "100"}));
        QCOMPARE(rows.at(0).toObject().value("accommodation"), json(R"([
            {"number": "101", "inDate": "2026-03-02T12:00:00.000", "outDate": "2026-03-05T12:00:00.000", "rateCost": 100, "rateHourCost": 10},
            {"number": "201", "inDate": "2026-03-05T12:00:00.000", "outDate": "2026-03-07T10:00:00.000", "rateCost": 50, "rateHourCost": 5}])"));
        QCOMPARE(rows.at(0).toObject().value("payments"), json(R"([
            {"summ": 250, "name": "Наличные", "payDate": "2026-03-02T13:00:00.000"},
            {"summ": 150, "name": "Контракт", "payDate": "2026-03-05T13:00:00.000"}])"));
        QCOMPARE(rows.at(0).toObject().value("billNum"), QJsonValue(7));

        QCOMPARE(column(get(query.arg(-1).arg("01.03.2026").arg("false").arg("true").arg("false")),
                        "fullname"),
                 QStringList{"Дёмин Денис"});
        QCOMPARE(column(get(query.arg(-1).arg("01.03.2026").arg("true").arg("true").arg("true")),
                        "fullname"),
                 QStringList{"Дёмин Денис"});
        QCOMPARE(column(get(query.arg(2).arg("01.03.2026").arg("true").arg("true").arg("false")),
                        "fullname"),
                 QStringList{"Гусев Глеб"});
        // A stay counts by the day it ends.
        QCOMPARE(column(get(query.arg(-1).arg("06.03.2026").arg("true").arg("true").arg("false")),
                        "fullname"),
                 QStringList{"Аверин Антон"});
    }

    void contracts()
    {
        const QJsonArray groups
            = get("reports/payments/contract?start=01.03.2026&end=31.03.2026&payerId=-1").toArray();
        QCOMPARE(groups.size(), 1);
        const QJsonObject group = groups.first().toObject();
        QCOMPARE(group.value("name"), QJsonValue("Контракт"));
        QCOMPARE(group.value("totalCost").toDouble(), 550.0);
        QCOMPARE(group.value("totalPaid").toDouble(), 300.0);
        QCOMPARE(column(group.value("entries"), "fullname"),
                 QStringList({"Аверин Антон", "Гусев Глеб"}));
        QCOMPARE(group.value("entries").toArray().at(0), json(R"({
            "bill": 7, "fullname": "Аверин Антон", "totalCost": 400, "totalPaid": 150,
            "accommodation": [
                {"room": {"number": "101"}, "rate": {"cost": 100, "hourCost": 10}, "inDate": "2026-03-02T12:00:00.000",
                 "outDate": "2026-03-05T12:00:00.000", "cost": 300},
                {"room": {"number": "201"}, "rate": {"cost": 50, "hourCost": 5}, "inDate": "2026-03-05T12:00:00.000",
                 "outDate": "2026-03-07T10:00:00.000", "cost": 100}],
            "payments": [{"summ": 150, "payDate": "2026-03-05T13:00:00.000", "name": "Контракт"}]})"));

        // A payer without entries in the period is kept; a pay type without a payer is none.
        QCOMPARE(get("reports/payments/contract?start=01.01.2025&end=31.12.2025&payerId=2"),
                 json(R"([{"name": "Контракт", "totalCost": 0, "totalPaid": 0, "entries": []}])"));
        QCOMPARE(get("reports/payments/contract?start=01.03.2026&end=31.03.2026&payerId=1"),
                 json("[]"));
    }

    void paidEducationAndSigners()
    {
        QCOMPARE(
            get("reports/payments/paid_education?start=01.03.2026&end=31.03.2026&curriculumId=-1"),
            json(R"([
            {"number": 22, "fullname": "Аверин Антон", "curriculum": "Платная", "paid": -1000, "cassir": "Кассир",
             "startDate": "2026-03-03T00:00:00.000", "endDate": "2026-03-13T00:00:00.000", "payDate": "2026-03-01T00:00:00.000",
             "stream": {"name": "С1", "startDate": "2026-03-02T00:00:00.000", "endDate": "2026-03-13T00:00:00.000"}},
            {"number": 21, "fullname": "Гусев Глеб", "curriculum": "Платная", "paid": 1000, "cassir": "Кассир",
             "startDate": "2026-03-02T00:00:00.000", "endDate": "2026-03-13T00:00:00.000", "payDate": "2026-03-02T00:00:00.000",
             "stream": {"name": "С2", "startDate": "2026-02-02T00:00:00.000", "endDate": "2026-02-13T00:00:00.000"}}])"));
        QCOMPARE(column(get("reports/payments/"
                            "paid_education?start=03.03.2026&end=31.03.2026&curriculumId=2"),
                        "number"),
                 QStringList{"22"});
        QCOMPARE(
            get("reports/payments/paid_education?start=01.03.2026&end=31.03.2026&curriculumId=1"),
            json("[]"));
        QCOMPARE(get("users/rv0"), json(R"([{"position": "Директор", "name": "Админ"}])"));
    }

    // A person's records come by their moments, then by id, whatever order
    // they were stored in: the room of the last stay, the occupants of a
    // room, a statement's stays and payments.
    void recordsComeInTheirMomentsOrder()
    {
        const auto stay = [](int id, int person, int room, const char *in, const char *out) {
            return QJsonObject{{"id", id}, {"personId", person}, {"roomId", room}, {"rateId", 2},
                               {"inDate", in}, {"outDate", out}, {"cost", 50}};
        };
        const auto payment = [](int id, double summ, const char *when) {
            return QJsonObject{{"id", id}, {"personId", 4}, {"summ", summ}, {"payDate", when},
                               {"payTypeId", 1}, {"cassirId", 1}};
        };
        server->addRecord("accommodation",
                          stay(10, 4, 3, "2026-03-01T10:00:00.000", "2026-03-02T10:00:00.000"));
        server->addRecord("accommodation",
                          stay(11, 2, 3, "2026-02-27T10:00:00.000", "2026-03-03T10:00:00.000"));
        server->addRecord("accommodation",
                          stay(12, 1, 2, "2026-02-20T10:00:00.000", "2026-02-21T10:00:00.000"));
        server->addRecord("payments", payment(10, 5, "2026-03-02T15:00:00.000"));
        server->addRecord("payments", payment(11, 7, "2026-03-01T08:00:00.000"));

        const QJsonValue stream = get("reports/persons?streamId=1&curriculumId=-1&fact=false"
                                      "&start=01.01.2026&end=31.12.2026")
                                      .toArray()
                                      .at(0)
                                      .toObject()
                                      .value("persons");
        QCOMPARE(column(stream, "fullname"), QStringList({"Аверин Антон", "Борин Борис"}));
        QStringList rooms;
        for (const QJsonValue &person : stream.toArray())
            rooms << person.toObject().value("room").toObject().value("number").toString();
        QCOMPARE(rooms, QStringList({"201", "201"}));

        const QJsonArray floor
            = get("reports/rooms?date=2026-03-02T09:00:00.000&floor=2&free=true&occupied=true")
                  .toArray()
                  .at(0)
                  .toArray();
        QCOMPARE(column(floor.at(0).toObject().value("accm"), "fullname"),
                 QStringList({"Борин Борис", "Дёмин Денис"}));

        const QJsonObject guest = get("reports/payments?streamId=-1&start=01.03.2026"
                                      "&end=31.03.2026&listeners=false&guests=true&debtOnly=false")
                                      .toArray()
                                      .at(0)
                                      .toObject();
        QCOMPARE(column(guest.value("accommodation"), "number"), QStringList({"201", "102"}));
        QCOMPARE(column(guest.value("payments"), "summ"), QStringList({"7", "100", "5"}));
    }

    void cash()
    {
        QCOMPARE(get("reports/cass?payDate=02.03.2026"), json(R"({
            "accommodation": {"total": 500, "byTypes": [{"name": "Контракт", "paid": 150}, {"name": "Наличные", "paid": 350}],
              "entries": [
                {"bill": 9, "fullname": "Гусев Глеб", "paid": 150, "payType": "Контракт", "cassir": "Кассир",
                 "stream": {"name": "С2", "startDate": "02.02.2026", "endDate": "13.02.2026"}},
                {"bill": 7, "fullname": "Аверин Антон", "paid": 250, "payType": "Наличные", "cassir": "Кассир",
                 "stream": {"name": "С1", "startDate": "02.03.2026", "endDate": "13.03.2026"}},
                {"bill": 11, "fullname": "Дёмин Денис", "paid": 100, "payType": "Наличные", "cassir": "Админ"}]},
            "extraServices": {"total": 50, "byTypes": [{"name": "Наличные", "paid": 30}, {"name": "Контракт", "paid": 20}],
              "entries": [{"name": "Стирка", "unit": "кг", "amount": 5, "paid": 50}]},
            "paidEducation": {"total": 1000, "byTypes": [{"name": "Наличные", "paid": 1000}],
              "entries": [{"name": "Платная", "unit": "курс", "amount": 1, "paid": 1000}]}})"));
    }

    void cashSummary()
    {
        const QJsonObject month
            = get("reports/cass/summary?start=01.03.2026&end=31.03.2026").toObject();
        QCOMPARE(month.value("accommodation"), json(R"({"total": 650,
            "entries": [{"name": "Слушатели", "paid": 550}, {"name": "Гости", "paid": 100}],
            "byTypes": [{"name": "Контракт", "paid": 300}, {"name": "Наличные", "paid": 350}]})"));
        QCOMPARE(month.value("paidEducation"), json(R"({"total": 0,
            "entries": [{"name": "Платная", "unit": "курс", "amount": 0, "paid": 0}],
            "byTypes": [{"name": "Наличные", "paid": 1000}, {"name": "Возврат", "paid": -1000}]})"));
        QCOMPARE(month.value("extraServices").toObject().value("total").toDouble(), 50.0);
        // A category without a payment is left out.
        QCOMPARE(get("reports/cass/summary?start=05.03.2026&end=05.03.2026")
                     .toObject()
                     .value("accommodation")
                     .toObject()
                     .value("entries"),
                 json(R"([{"name": "Слушатели", "paid": 150}])"));
    }
};

LOMI_TEST_CLASS(StandInReportsTest)

#include "tst_reports.moc"
