// Long reports from the server's reply to a written PDF, each at two sizes so
// that growth shows:
//  - the payment statement (two stays and three payments a row) at 10 000
//    and 20 000 rows, beside a floor that reads the same reply and draws the
//    same cells, dates and amounts formatted alike, with QPainter straight
//    onto a QPdfWriter: what writing the cells costs at all. The floor is
//    written here and shares no code with the report or its engine. The
//    statement's "ratio" is its time over the floor's at the same size, its
//    "growth" the time at 20 000 rows over the time at 10 000;
//  - the listeners list with 1 000 and 2 000 streams of ten persons: a
//    report of many small tables, whose "growth" should stay near 2.
//
// Both read the reply from the in-process stand-in server, which answers
// with the prepared bytes. The "Cpu" counters are the same ratios of CPU
// times. The *Preview benchmarks time the preview of the same reports
// against their layout and first page (see reporttiming.h).

#include "benchclient.h"
#include "benchmain.h"
#include "global.h"
#include "loginmanager.h"
#include "paymentsreport.h"
#include "personreport.h"
#include "reporttiming.h"
#include "standinserver.h"

#include <report.h>

#include <QDateTime>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

namespace {

const QStringList PayTypes{QStringLiteral("Наличные"), QStringLiteral("Банковская карта"),
                           QStringLiteral("Контракт № 45-К/2026"),
                           QStringLiteral("Безналичный расчёт")};

QString isoDate(int day, int hour)
{
    return QDateTime(QDate(2026, 1, 1).addDays(day), QTime(hour, 0))
        .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

QByteArray statementReply(int rows)
{
    QJsonArray result;
    for (int i = 0; i < rows; ++i) {
        QJsonArray stays;
        for (int k = 0; k < 2; ++k) {
            stays.append(QJsonObject{{"number", QString::number(100 + (i + k) % 60)},
                                     {"inDate", isoDate(i % 300 + 4 * k, 12)},
                                     {"outDate", isoDate(i % 300 + 4 * k + 4, 12)},
                                     {"rateCost", 2500},
                                     {"rateHourCost", 110}});
        }
        QJsonArray payments;
        for (int k = 0; k < 3; ++k) {
            payments.append(QJsonObject{{"summ", 1000.5},
                                        {"name", PayTypes.at((i + k) % PayTypes.size())},
                                        {"payDate", isoDate(i % 300 + k, 13)}});
        }
        result.append(QJsonObject{
                {"billNum", i + 1},
                {"fullname", QStringLiteral("Фамилия%1 Имя Отчество").arg(i)},
                {"payer", i % 3 == 0 ? QStringLiteral("ООО «Технопром»") : QString()},
                {"total", 20000},
                {"paid", 3001.5},
                {"accommodation", stays},
                {"payments", payments}});
    }
    return QJsonDocument(result).toJson(QJsonDocument::Compact);
}

QByteArray listenersReply(int groups)
{
    QJsonArray result;
    for (int g = 0; g < groups; ++g) {
        QJsonArray persons;
        for (int p = 0; p < 10; ++p) {
            persons.append(QJsonObject{
                    {"fullname", QStringLiteral("Слушатель%1 Имя Отчество").arg(g * 10 + p)},
                    {"birthDate", "17.05.1980"},
                    {"organization",
                     QJsonObject{{"name", QStringLiteral("Организация %1").arg(g % 70)},
                                 {"region", QJsonObject{{"name", "Регион"}}}}},
                    {"position", QJsonObject{{"name", "Инженер"}}},
                    {"room", QJsonObject{{"number", QString::number(100 + p)}}}});
        }
        result.append(QJsonObject{
                {"stream",
                 QJsonObject{{"name", QStringLiteral("Поток %1").arg(g)},
                             {"startDate", isoDate(g % 300, 0)},
                             {"endDate", isoDate(g % 300 + 14, 0)},
                             {"curriculum", QJsonObject{{"name", "Программа"}, {"value", 72}}}}},
                {"persons", persons}});
    }
    return QJsonDocument(result).toJson(QJsonDocument::Compact);
}

// The in-process stand-in with the client pointed at it and signed in.
class Server
{
public:
    Server()
    {
        server.loadFixture(QJsonObject{
            {"users", QJsonArray{QJsonObject{{"id", 1}, {"name", "Админ"}, {"password", "admin"},
                                             {"permissions", StandIn::Server::allPermissions()}}}},
            {"globals",
             QJsonObject{{"OrganizationInfo", QJsonObject{{"name", "Учебный центр"}}}}}});
        server.start();
        signInToStandIn(server.rootUrl(), QStringLiteral("admin"));
    }

    // The path answers with these bytes from now on.
    void answer(const QString &path, const QByteArray &body)
    {
        StandIn::Failure prepared{StandIn::FailureKind::Status, 200};
        prepared.body = body;
        server.injectFailure("GET", path, prepared);
    }

    QTemporaryDir output;

private:
    StandIn::Server server;
};

Server &server()
{
    static Server instance;
    return instance;
}

const QMap<QString, QVariant> StatementValues{{"streamId", -1},      {"start", "01.01.2026"},
                                              {"end", "31.12.2026"}, {"listeners", true},
                                              {"guests", true},      {"debtOnly", false}};

const QMap<QString, QVariant> ListenersValues{{"streamId", -1},
                                              {"curriculumId", -1},
                                              {"startDate", "01.01.2026"},
                                              {"endDate", "31.12.2026"},
                                              {"fact", false}};

const QString StatementPath = QStringLiteral(
        "reports/payments?streamId=-1&start=01.01.2026&end=31.12.2026&listeners=true&guests=true"
        "&debtOnly=false");

// The floor: GET, parse, and per row the twelve cells (one line per stay or
// payment) drawn in their columns with the grid, the header on every page,
// then the total row and the summary's texts.
void drawStatement(const QString &pdfPath, int *pages)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(Global::endpoint(StatementPath)));
    request.setRawHeader("Authorization", "Bearer " + LoginManager::instance()->getToken().toUtf8());
    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const QJsonArray rows = QJsonDocument::fromJson(reply->readAll()).array();
    delete reply;

    const auto money = [](double value) { return QString::number(value, 'f', 2); };
    const auto date = [](const QJsonValue &value, const QString &format) {
        return QDateTime::fromString(value.toString(), Qt::ISODateWithMs).toString(format);
    };
    const QString dateTime = QStringLiteral("dd.MM.yyyy HH:mm");
    const QString day = QStringLiteral("dd.MM.yyyy");

    QPdfWriter writer(pdfPath);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    QPainter painter(&writer);
    painter.setFont(QFont(QStringLiteral("Times new roman"), 9));
    painter.setPen(QPen(Qt::black, 0.25 * writer.resolution() / 25.4));
    const QRectF area = writer.pageLayout().paintRectPixels(writer.resolution());
    const qreal padding = 0.5 * writer.resolution() / 25.4;

    const qreal percents[] = {2.5, 3.5, 12.8, 17, 3.8, 18.5, 7.9, 6.2, 6.2, 6.2, 6.5, 9};
    const int aligns[] = {Qt::AlignHCenter, Qt::AlignLeft,  Qt::AlignLeft,    Qt::AlignLeft,
                          Qt::AlignHCenter, Qt::AlignLeft,  Qt::AlignLeft,    Qt::AlignRight,
                          Qt::AlignRight,   Qt::AlignRight, Qt::AlignHCenter, Qt::AlignLeft};
    qreal edges[13] = {0};
    for (int c = 0; c < 12; ++c)
        edges[c + 1] = edges[c] + area.width() * percents[c] / 100.1;
    const QStringList header{"№ п/п",     "Счет",     "Ф И О",   "Плательщик",
                             "Номер",     "Период проживания",   "Тариф",
                             "Начислено", "Оплачено", "Остаток", "Дата оплаты",
                             "Способ оплаты / Контракт"};

    qreal y = 0;
    qreal pageTop = 0;
    *pages = 1;
    const auto closePage = [&] {
        painter.drawLine(QLineF(0, pageTop, area.width(), pageTop));
        for (qreal x : edges)
            painter.drawLine(QLineF(x, pageTop, x, y));
    };
    const auto height = [&](const QStringList &cells) {
        qreal tallest = 0;
        for (int c = 0; c < 12; ++c) {
            const QRectF room(0, 0, edges[c + 1] - edges[c] - 2 * padding, area.height());
            tallest = qMax(tallest,
                           painter.boundingRect(room, Qt::TextWordWrap | aligns[c], cells.at(c))
                                   .height());
        }
        return tallest + 2 * padding;
    };
    const auto draw = [&](const QStringList &cells, qreal h) {
        for (int c = 0; c < 12; ++c) {
            const QRectF cell(edges[c] + padding, y + padding, edges[c + 1] - edges[c] - 2 * padding,
                              h - 2 * padding);
            painter.drawText(cell, Qt::TextWordWrap | aligns[c], cells.at(c));
        }
        y += h;
        painter.drawLine(QLineF(0, y, area.width(), y));
    };
    const qreal headerHeight = height(header);
    const auto row = [&](const QStringList &cells) {
        const qreal h = height(cells);
        if (y + h > area.height()) {
            closePage();
            writer.newPage();
            ++*pages;
            y = pageTop = 0;
            draw(header, headerHeight);
        }
        draw(cells, h);
    };

    y = pageTop = 2 * headerHeight;  // the page header and the title
    painter.drawText(QRectF(0, 0, area.width(), headerHeight), Qt::AlignLeft, "Учебный центр");
    painter.drawText(QRectF(0, headerHeight, area.width(), headerHeight), Qt::AlignHCenter,
                     "РАСЧЁТНАЯ ВЕДОМОСТЬ");
    draw(header, headerHeight);
    double charged = 0;
    double paid = 0;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QJsonObject r = rows.at(i).toObject();
        QStringList numbers, periods, rates, summs, dates, names;
        for (const QJsonValue &value : r.value("accommodation").toArray()) {
            const QJsonObject stay = value.toObject();
            numbers << stay.value("number").toString();
            periods << date(stay.value("inDate"), dateTime) + " - "
                            + date(stay.value("outDate"), dateTime);
            rates << money(stay.value("rateCost").toDouble()) + "/"
                            + money(stay.value("rateHourCost").toDouble());
        }
        for (const QJsonValue &value : r.value("payments").toArray()) {
            const QJsonObject payment = value.toObject();
            summs << money(payment.value("summ").toDouble());
            dates << date(payment.value("payDate"), day);
            names << payment.value("name").toString();
            paid += payment.value("summ").toDouble();
        }
        const double total = r.value("total").toDouble();
        charged += total;
        row({QString::number(i + 1),
             QStringLiteral("%1").arg(r.value("billNum").toInt(), 4, 10, QLatin1Char('0')),
             r.value("fullname").toString(), r.value("payer").toString(), numbers.join('\n'),
             periods.join('\n'), rates.join('\n'), money(total), summs.join('\n'),
             money(total - r.value("paid").toDouble()), dates.join('\n'), names.join('\n')});
    }
    row({"ИТОГО:", "", "", "", "", "", "", money(charged), money(paid), money(charged - paid), "",
         ""});
    closePage();
    for (const char *line : {"Начислено:", "Оплачено:", "Остаток:"}) {
        y += headerHeight;
        painter.drawText(QRectF(0, y, area.width(), headerHeight), Qt::AlignLeft,
                         QString::fromUtf8(line) + " " + money(charged) + " руб.");
    }
}

void BM_StatementFloor(benchmark::State &state)
{
    const int rows = int(state.range(0));
    server().answer(QStringLiteral("reports/payments"), statementReply(rows));
    const QString path = server().output.filePath(QStringLiteral("floor.pdf"));
    int pages = 0;
    for (auto _ : state) {
        const Stopwatch stopwatch;
        drawStatement(path, &pages);
        times("floor")[rows] = elapsed(stopwatch);
        state.SetIterationTime(times("floor")[rows].wall);
    }
    state.counters["pages"] = pages;
    state.counters["MB"] = QFileInfo(path).size() / 1e6;
}

// Builds the report on an empty one and writes it to the PDF file; the runs'
// times are kept under `name` by size.
void exportReport(benchmark::State &state, const char *name, ExtendedReport &source,
                  const QMap<QString, QVariant> &values, const QString &path)
{
    const int size = int(state.range(0));
    int pages = 0;
    for (auto _ : state) {
        const Stopwatch stopwatch;
        ReportEngine::Report report;
        source.build(report, values);
        if (!report.exportToFile(path))
            state.SkipWithError("export failed");
        times(name)[size] = elapsed(stopwatch);
        state.SetIterationTime(times(name)[size].wall);
        pages = report.numberOfPages();
    }
    state.counters["pages"] = pages;
    state.counters["MB"] = QFileInfo(path).size() / 1e6;
    setGrowth(state, times(name));
}

void BM_Statement(benchmark::State &state)
{
    const int rows = int(state.range(0));
    server().answer(QStringLiteral("reports/payments"), statementReply(rows));
    PaymentsReport statement;
    exportReport(state, "statement", statement, StatementValues,
                 server().output.filePath(QStringLiteral("statement.pdf")));
    if (times("floor").contains(rows))
        setRatio(state, "ratio", times("statement")[rows], times("floor")[rows]);
}

void BM_ListenersList(benchmark::State &state)
{
    server().answer(QStringLiteral("reports/persons"), listenersReply(int(state.range(0))));
    PersonReport listeners;
    exportReport(state, "listeners", listeners, ListenersValues,
                 server().output.filePath(QStringLiteral("listeners.pdf")));
}

void BM_StatementPreview(benchmark::State &state)
{
    server().answer(QStringLiteral("reports/payments"), statementReply(int(state.range(0))));
    PaymentsReport statement;
    measurePreview(state, [&statement](ReportEngine::Report &report) {
        statement.build(report, StatementValues);
    });
}

void BM_ListenersPreview(benchmark::State &state)
{
    server().answer(QStringLiteral("reports/persons"), listenersReply(int(state.range(0))));
    PersonReport listeners;
    measurePreview(state, [&listeners](ReportEngine::Report &report) {
        listeners.build(report, ListenersValues);
    });
}

BENCHMARK(BM_StatementFloor)->Arg(10000)->Arg(20000)->UseManualTime()->Iterations(1)
        ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Statement)->Arg(10000)->Arg(20000)->UseManualTime()->Iterations(1)
        ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListenersList)->Arg(1000)->Arg(2000)->UseManualTime()->Iterations(1)
        ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatementPreview)->Arg(10000)->Arg(20000)->UseManualTime()->Iterations(1)
        ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListenersPreview)->Arg(1000)->Arg(2000)->UseManualTime()->Iterations(1)
        ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
