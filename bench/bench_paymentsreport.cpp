// The payment statement's build for a 5 000-row reply (two stays and three
// payments a row) up to a laid-out document, beside a baseline that makes
// the same GET of the same bytes and lays out engine tables of the same
// shape, filled from texts computed before timing.
//
// Both read the reply from the in-process stand-in server, which answers
// with the prepared bytes, and both put the common page header on top; so
// the difference is what the report adds: reading the JSON, formatting the
// amounts and dates, and summing.

#include "benchmain.h"
#include "global.h"
#include "loginmanager.h"
#include "messagebox.h"
#include "money.h"
#include "networkmanagerwrapper.h"
#include "paymentsreport.h"
#include "reportshelper.h"
#include "resources.h"
#include "settingsmanager.h"
#include "standinserver.h"

#include <report.h>
#include <tableelement.h>
#include <textelement.h>

#include <QDateTime>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

namespace {

constexpr int Rows = 5000;
const QStringList PayTypes{QStringLiteral("Наличные"), QStringLiteral("Банковская карта"),
                           QStringLiteral("Контракт № 45-К/2026"),
                           QStringLiteral("Безналичный расчёт")};

// The statement as the server sends it, and the cell texts the report
// prints for it, paragraphs joined by "\n".
struct Statement
{
    QByteArray reply;
    QList<QStringList> cells;  // per row, 12 cells
    QStringList total;  // the total row's amounts
};

QString isoDate(int day, int hour)
{
    return QDateTime(QDate(2026, 1, 1).addDays(day), QTime(hour, 0))
        .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

QString shown(const QString &iso, const char *format)
{
    return QDateTime::fromString(iso, Qt::ISODateWithMs).toString(QLatin1String(format));
}

const Statement &statement()
{
    static const Statement prepared = [] {
        Statement s;
        QJsonArray rows;
        double charged = 0;
        double paid = 0;
        for (int i = 0; i < Rows; ++i) {
            QJsonArray stays;
            QStringList numbers, periods, rates, summs, dates, names;
            for (int k = 0; k < 2; ++k) {
                const QString in = isoDate(i % 300 + 4 * k, 12);
                const QString out = isoDate(i % 300 + 4 * k + 4, 12);
                const QString number = QString::number(100 + (i + k) % 60);
                stays.append(QJsonObject{{"number", number},
                                         {"inDate", in},
                                         {"outDate", out},
                                         {"rateCost", 2500},
                                         {"rateHourCost", 110}});
                numbers << number;
                periods << shown(in, "dd.MM.yyyy HH:mm") + " - " + shown(out, "dd.MM.yyyy HH:mm");
                rates << QStringLiteral("2500.00/110.00");
            }
            QJsonArray payments;
            for (int k = 0; k < 3; ++k) {
                const QString date = isoDate(i % 300 + k, 13);
                const QString name = PayTypes.at((i + k) % PayTypes.size());
                payments.append(QJsonObject{{"summ", 1000.5}, {"name", name}, {"payDate", date}});
                summs << QStringLiteral("1000.50");
                dates << shown(date, "dd.MM.yyyy");
                names << name;
            }
            const QString fullname = QStringLiteral("Фамилия%1 Имя Отчество").arg(i);
            const QString payer = i % 3 == 0 ? QStringLiteral("ООО «Технопром»") : QString();
            rows.append(QJsonObject{{"billNum", i + 1},
                                    {"fullname", fullname},
                                    {"payer", payer},
                                    {"total", 20000},
                                    {"paid", 3001.5},
                                    {"accommodation", stays},
                                    {"payments", payments}});
            s.cells.append({QString::number(i + 1),
                            QStringLiteral("%1").arg(i + 1, 4, 10, QLatin1Char('0')), fullname,
                            payer, numbers.join('\n'), periods.join('\n'), rates.join('\n'),
                            QStringLiteral("20000.00"), summs.join('\n'),
                            QStringLiteral("16998.50"), dates.join('\n'), names.join('\n')});
            charged += 20000;
            paid += 3001.5;
        }
        s.reply = QJsonDocument(rows).toJson(QJsonDocument::Compact);
        s.total = {Money::format(charged), Money::format(paid), Money::format(charged - paid)};
        return s;
    }();
    return prepared;
}

// The in-process stand-in with the client pointed at it and signed in; the
// statement path answers with the prepared bytes.
class Server
{
public:
    Server()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("LOMIInfr"));
        QCoreApplication::setApplicationName(QStringLiteral("LOMI"));
        QStandardPaths::setTestModeEnabled(true);
        for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, settings.path());
        initClientResources();
        MessageBox::setAnswerUnqueued(true);

        server.loadFixture(QJsonObject{
            {"users", QJsonArray{QJsonObject{{"id", 1}, {"name", "Админ"}, {"password", "admin"}}}},
            {"globals",
             QJsonObject{{"OrganizationInfo", QJsonObject{{"name", "Учебный центр"}}}}}});
        server.start();
        SettingsManager::instance()->setValue("connection/root_url", server.rootUrl());
        QEventLoop loop;
        QObject::connect(LoginManager::instance(), &LoginManager::loginCompleted, &loop,
                         &QEventLoop::quit);
        LoginManager::instance()->login(QStringLiteral("admin"));
        loop.exec();

        StandIn::Failure prepared{StandIn::FailureKind::Status, 200};
        prepared.body = statement().reply;
        server.injectFailure("GET", "reports/payments", prepared);
    }

private:
    QTemporaryDir settings;
    StandIn::Server server;
};

Server &server()
{
    static Server instance;
    return instance;
}

const QMap<QString, QVariant> Values{{"streamId", -1},      {"start", "01.01.2026"},
                                     {"end", "31.12.2026"}, {"listeners", true},
                                     {"guests", true},      {"debtOnly", false}};

void BM_PaymentsReport(benchmark::State &state)
{
    server();
    PaymentsReport payments;
    int pages = 0;
    for (auto _ : state) {
        ReportEngine::Report report;
        payments.build(report, Values);
        pages = report.numberOfPages();
    }
    state.counters["pages"] = pages;
}

void put(ReportEngine::TableElement &table, int row, int column, const QString &text,
         Qt::Alignment alignment)
{
    for (const QString &paragraph : text.split('\n'))
        table.cell(row, column).addElement(ReportEngine::TextElement(paragraph), alignment);
}

void BM_GetAndTablesBaseline(benchmark::State &state)
{
    server();
    const Statement &s = statement();
    const Qt::Alignment aligns[]
        = {Qt::AlignHCenter, Qt::AlignLeft,  Qt::AlignLeft,    Qt::AlignLeft,
           Qt::AlignHCenter, Qt::AlignLeft,  Qt::AlignLeft,    Qt::AlignRight,
           Qt::AlignRight,   Qt::AlignRight, Qt::AlignHCenter, Qt::AlignLeft};
    const QStringList headers{
        "№ п/п", "Счет",      "Ф И О",    "Плательщик", "Номер",       "Период проживания",
        "Тариф", "Начислено", "Оплачено", "Остаток",    "Дата оплаты", "Способ оплаты / Контракт"};
    NetworkManagerWrapper network;
    int pages = 0;
    for (auto _ : state) {
        QNetworkReply *reply = network.getUrl(
            QUrl(Global::endpoint("reports/payments?streamId=-1&start=01.01.2026&end=31.12.2026"
                                  "&listeners=true&guests=true&debtOnly=false")),
            true, true);
        benchmark::DoNotOptimize(reply->readAll());
        delete reply;

        ReportEngine::Report report;
        ReportsHelper::loadPageHeader(report);
        report.setMargins(10, 10, 10, 10);
        report.setPageOrientation(QPageLayout::Landscape);
        report.setDefaultFont(QFont(QStringLiteral("Times new roman"), 9));
        ReportEngine::TextElement title(QStringLiteral("РАСЧЁТНАЯ ВЕДОМОСТЬ"));
        title.setBold(true);
        report.addElement(title, Qt::AlignCenter);

        ReportEngine::TableElement table;
        table.setHeaderRowCount(1);
        table.setWidth(100);
        table.setColumnConstraints({2.5, 3.5, 12.8, 17, 3.8, 18.5, 7.9, 6.2, 6.2, 6.2, 6.5, 9});
        for (int column = 0; column < 12; ++column)
            put(table, 0, column, headers.at(column), aligns[column]);
        for (int row = 0; row < Rows; ++row) {
            for (int column = 0; column < 12; ++column)
                put(table, row + 1, column, s.cells.at(row).at(column), aligns[column]);
        }
        table.cell(Rows + 1, 0).setColumnSpan(7);
        put(table, Rows + 1, 0, QStringLiteral("ИТОГО:"), Qt::AlignLeft);
        for (int i = 0; i < 3; ++i)
            put(table, Rows + 1, 7 + i, s.total.at(i), Qt::AlignRight);
        table.cell(Rows + 1, 10).setColumnSpan(2);
        report.addVerticalSpacing(5);
        report.addElement(table);
        report.addVerticalSpacing(5);

        ReportEngine::TableElement summary;
        summary.setWidth(100);
        summary.setBorder(0);
        summary.setColumnConstraints({6.5, 8.5, 7.5, 8.5, 8.5, 7.5, 6.5, 8.5, 12.7, 12.7, 12.6});
        for (int row = 0; row < 5; ++row) {
            for (int column : {0, 1, 3, 4, 6, 7, 8, 9, 10})
                put(summary, row, column, QStringLiteral("1000.00 руб."), Qt::AlignLeft);
        }
        report.addElement(summary);

        pages = report.numberOfPages();
    }
    state.counters["pages"] = pages;
}

BENCHMARK(BM_PaymentsReport)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_GetAndTablesBaseline)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

}  // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
