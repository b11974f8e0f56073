// The stand-in server's report endpoints over real HTTP on loopback, at two
// centre sizes, beside the persons list the persons view reads from the
// same server: a list that joins every person with their stays and payments
// once, and shares none of the report code. Each report's "ratio" counter is
// its time over that list's time at the same size.

#include "benchmain.h"
#include "standinserver.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <map>
#include <memory>

namespace {

constexpr int Sizes[] = {2000, 10000};
constexpr int PersonsPerStream = 25;
constexpr int Rooms = 60;
constexpr int Contracts = 5;

QString isoDay(int day, int hour)
{
    return QDateTime(QDate(2026, 1, 1).addDays(day), QTime(hour, 0))
        .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

// A centre of `persons` persons over one year: four in five are listeners in
// streams of 25; each person has two stays, three payments (one under a
// contract) and an extra-service receipt; one in ten a paid-education receipt.
QJsonObject centre(int persons)
{
    QJsonArray organizations, payTypes, streams, rooms;
    for (int i = 1; i <= 20; ++i)
        organizations.append(QJsonObject{{"id", i}, {"code", QString::number(i)},
                                         {"name", QStringLiteral("Организация %1").arg(i)},
                                         {"regionId", i % 4 + 1}});
    payTypes.append(QJsonObject{{"id", 1}, {"name", "Наличные"}, {"attribute", 1}});
    payTypes.append(QJsonObject{{"id", 2}, {"name", "Банковская карта"}, {"attribute", 1}});
    payTypes.append(QJsonObject{{"id", 3}, {"name", "Возврат"}, {"attribute", -1}});
    for (int c = 0; c < Contracts; ++c)
        payTypes.append(QJsonObject{{"id", 4 + c}, {"name", QStringLiteral("Контракт %1").arg(c + 1)},
                                    {"attribute", 1}, {"payerId", c + 1}});
    const int streamCount = persons / PersonsPerStream;
    for (int s = 1; s <= streamCount; ++s)
        streams.append(QJsonObject{{"id", s}, {"name", QStringLiteral("Поток %1").arg(s)},
                                   {"startDate", isoDay(s * 330 / streamCount, 0)},
                                   {"endDate", isoDay(s * 330 / streamCount + 11, 0)},
                                   {"curriculumId", s % 4 + 1}});
    for (int r = 1; r <= Rooms; ++r)
        rooms.append(QJsonObject{{"id", r}, {"number", QString::number(100 * (r % 3 + 1) + r)},
                                 {"floor", r % 3 + 1}, {"size", 2},
                                 {"description", r % 2 ? "Двухместный" : "Одноместный"}});

    QJsonArray people, stays, payments, receipts, education;
    for (int i = 1; i <= persons; ++i) {
        QJsonObject person{{"id", i}, {"surname", QStringLiteral("Фамилия%1").arg(i)},
                           {"name", "Имя"}, {"lastname", "Отчество"}, {"billNum", i},
                           {"birthDate", isoDay(-9000 - i % 5000, 0)},
                           {"created", isoDay(i % 330, 9)}, {"organizationId", i % 20 + 1},
                           {"positionId", i % 3 + 1}};
        if (i % 5 != 0)
            person.insert("streamId", (i - 1) % streamCount + 1);
        people.append(person);

        const int day = i * 7 % 330;
        for (int k = 0; k < 2; ++k)
            stays.append(QJsonObject{{"personId", i}, {"roomId", (i + k) % Rooms + 1},
                                     {"rateId", k + 1}, {"inDate", isoDay(day + 3 * k, 12)},
                                     {"outDate", isoDay(day + 3 * k + 3, 12)}, {"cost", 7500}});
        const int payTypeOf[] = {1, 2, 4 + i % Contracts};
        for (int k = 0; k < 3; ++k) {
            QJsonObject payment{{"personId", i}, {"summ", 2500}, {"payDate", isoDay(day + k, 13)},
                                {"payTypeId", payTypeOf[k]}, {"cassirId", 1}};
            if (payTypeOf[k] >= 4)
                payment.insert("payerId", payTypeOf[k]);
            payments.append(payment);
        }
        receipts.append(QJsonObject{{"personId", i}, {"extraServiceId", i % 3 + 1}, {"number", i},
                                    {"amount", 2}, {"summ", 200}, {"payDate", isoDay(day, 0)},
                                    {"payTypeId", 1}, {"cassirId", 1}});
        if (i % 10 == 0)
            education.append(QJsonObject{{"personId", i}, {"curriculumId", 2}, {"number", i},
                                         {"payDate", isoDay(day, 0)},
                                         {"startDate", isoDay(day + 1, 0)},
                                         {"endDate", isoDay(day + 12, 0)}, {"payTypeId", 1},
                                         {"cassirId", 1}});
    }

    return QJsonObject{
        {"users", QJsonArray{QJsonObject{{"id", 1}, {"name", "Админ"}, {"password", "admin"},
                                         {"position", "Директор"}, {"rv0", "1"},
                                         {"permissions", StandIn::Server::allPermissions()}}}},
        {"regions", QJsonArray{QJsonObject{{"id", 1}, {"name", "Москва"}},
                               QJsonObject{{"id", 2}, {"name", "Тула"}},
                               QJsonObject{{"id", 3}, {"name", "Тверь"}},
                               QJsonObject{{"id", 4}, {"name", "Калуга"}}}},
        {"organizations", organizations},
        {"positions", QJsonArray{QJsonObject{{"id", 1}, {"name", "Инженер"}},
                                 QJsonObject{{"id", 2}, {"name", "Мастер"}},
                                 QJsonObject{{"id", 3}, {"name", "Техник"}}}},
        {"curriculums", QJsonArray{QJsonObject{{"id", 1}, {"name", "Охрана"}, {"value", 40}},
                                   QJsonObject{{"id", 2}, {"name", "Платная"}, {"value", 72},
                                               {"paid", true}, {"cost", 15000}},
                                   QJsonObject{{"id", 3}, {"name", "Энергетика"}, {"value", 24}},
                                   QJsonObject{{"id", 4}, {"name", "Пожарная"}, {"value", 16}}}},
        {"streams", streams},
        {"rates", QJsonArray{QJsonObject{{"id", 1}, {"name", "Место"}, {"size", 2}, {"cost", 2500},
                                         {"hourCost", 110}},
                             QJsonObject{{"id", 2}, {"name", "Номер"}, {"size", 1},
                                         {"cost", 4000}, {"hourCost", 170}}}},
        {"rooms", rooms},
        {"pay_type", payTypes},
        {"extra_services", QJsonArray{QJsonObject{{"id", 1}, {"name", "Стирка"}, {"measurement", "кг"}, {"rate", 100}},
                                      QJsonObject{{"id", 2}, {"name", "Утюг"}, {"measurement", "сут"}, {"rate", 50}},
                                      QJsonObject{{"id", 3}, {"name", "Сейф"}, {"measurement", "сут"}, {"rate", 80}}}},
        {"persons", people},
        {"accommodation", stays},
        {"payments", payments},
        {"receipts", receipts},
        {"paid_education_receipts", education},
        {"globals", QJsonObject{{"ReceiptNumber", persons}}}};
}

// A stand-in loaded with a centre, and a signed-in client of it.
class Stand
{
public:
    explicit Stand(int persons)
    {
        server.loadFixture(centre(persons));
        server.start();
        bearer = "Bearer " + server.issueToken(1).toUtf8();
    }

    // The seconds one GET takes until its whole body has arrived; negative
    // when it is not answered with 200.
    double get(const QString &path)
    {
        QNetworkRequest request(QUrl(server.rootUrl() + path));
        request.setRawHeader("Authorization", bearer);
        QElapsedTimer timer;
        timer.start();
        QNetworkReply *reply = manager.get(request);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        const QByteArray body = reply->readAll();
        const double seconds = timer.nsecsElapsed() / 1e9;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        delete reply;
        return status == 200 && !body.isEmpty() ? seconds : -1;
    }

private:
    StandIn::Server server;
    QNetworkAccessManager manager;
    QByteArray bearer;
};

Stand &stand(int persons)
{
    static std::map<int, std::unique_ptr<Stand>> stands;
    std::unique_ptr<Stand> &made = stands[persons];
    if (!made)
        made = std::make_unique<Stand>(persons);
    return *made;
}

const QString PersonsList = QStringLiteral("persons?pretty=true");

// The persons list's time at a size: the best of three, measured once.
double floorSeconds(int persons)
{
    static std::map<int, double> measured;
    if (!measured.count(persons)) {
        double best = -1;
        for (int i = 0; i < 3; ++i) {
            const double seconds = stand(persons).get(PersonsList);
            if (seconds >= 0 && (best < 0 || seconds < best))
                best = seconds;
        }
        measured[persons] = best;
    }
    return measured[persons];
}

void timeGet(benchmark::State &state, int persons, const QString &path)
{
    Stand &s = stand(persons);
    const double floor = floorSeconds(persons);
    double total = 0;
    for (auto _ : state) {
        const double seconds = s.get(path);
        if (seconds < 0 || floor < 0) {
            state.SkipWithError("not answered with 200");
            return;
        }
        state.SetIterationTime(seconds);
        total += seconds;
    }
    state.counters["persons"] = persons;
    state.counters["ratio"] = total / double(state.iterations()) / floor;
}

const std::pair<const char *, const char *> Reports[] = {
    {"listeners", "reports/persons?streamId=-1&curriculumId=-1&fact=false&start=01.01.2026&end=31.12.2026"},
    {"rooms", "reports/rooms?date=2026-06-15T15:00:00.000&floor=-1&free=true&occupied=true"},
    {"nights", "reports/nights?start=01.01.2026&end=31.12.2026"},
    {"payments", "reports/payments?streamId=-1&start=01.01.2026&end=31.12.2026&listeners=true&guests=true&debtOnly=false"},
    {"contract", "reports/payments/contract?start=01.01.2026&end=31.12.2026&payerId=-1"},
    {"paid_education", "reports/payments/paid_education?start=01.01.2026&end=31.12.2026&curriculumId=-1"},
    {"cass", "reports/cass?payDate=15.06.2026"},
    {"cass_summary", "reports/cass/summary?start=01.01.2026&end=31.12.2026"},
};

// Per size the floor first, then every report, so that growth reads down the table.
void registerAll()
{
    for (const int persons : Sizes) {
        const std::string size = std::to_string(persons);
        benchmark::RegisterBenchmark(("persons_list/" + size).c_str(),
                                     [persons](benchmark::State &state) {
                                         timeGet(state, persons, PersonsList);
                                     })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        for (const auto &[name, path] : Reports) {
            const QString query = QString::fromLatin1(path);
            benchmark::RegisterBenchmark((std::string("report_") + name + "/" + size).c_str(),
                                         [persons, query](benchmark::State &state) {
                                             timeGet(state, persons, query);
                                         })
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
}

}  // namespace

int main(int argc, char **argv)
{
    registerAll();
    return runBenchmarks(argc, argv);
}
