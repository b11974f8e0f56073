#include "testregistry.h"

#include "bill.h"
#include "cassreport.h"
#include "clock.h"
#include "contractpaymentsreport.h"
#include "form1act.h"
#include "guitestbase.h"
#include "mainwindow.h"
#include "nightsreport.h"
#include "paideducationpaymentsreport.h"
#include "paymentsreport.h"
#include "personreport.h"
#include "rawviewwidget.h"
#include "receipt.h"
#include "requesttablemodel.h"
#include "registrationcard.h"
#include "reportreply.h"
#include "roomsreport.h"
#include "summarycassreport.h"

#include <report.h>

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSet>
#include <QTableView>
#include <QTextDocument>

#include <cstdio>
#include <functional>
#include <limits>
#include <memory>

namespace {

// A value's place in a reply: object keys and array indexes from the top.
using Place = QVariantList;

// What a server could send in place of a value: the wrong type, nothing,
// numbers that are no amount or count (JSON has no NaN: a server writes it
// as a string) and sizes no sound reply has. Each goes where it differs from
// what the seed holds, so that the run stays short.
enum Kind { Number = 1, Text = 2, Container = 4, Other = 8, Any = 15 };

Kind kindOf(const QJsonValue &value)
{
    return value.isDouble() ? Number
        : value.isString()  ? Text
        : value.isObject() || value.isArray() ? Container
                                              : Other;
}

struct Hostile
{
    const char *name;
    QJsonValue value;
    int replaces;  // the kinds of seed value it stands in for
};

QList<Hostile> hostileValues()
{
    QJsonValue nested = QJsonArray();
    for (int level = 0; level < 100; ++level)
        nested = level % 2 ? QJsonValue(QJsonObject{{QStringLiteral("id"), nested}})
                           : QJsonValue(QJsonArray{nested});
    return {{"null", QJsonValue::Null, Number | Container},
            {"\"NaN\"", QStringLiteral("NaN"), Number | Container | Other},
            {"1e308", 1e308, Any},
            {"-1e308", -1e308, Number},
            {"INT_MAX", std::numeric_limits<int>::max(), Number},
            {"INT_MIN", std::numeric_limits<int>::min(), Number},
            {"deep nesting", nested, Container},
            {"long string", QString(4000, QChar(0x0416)), Text}};
}

// No reply is read deeper than three keys ("accommodation.byTypes.0.paid"
// of the cash report); below two keys a document's texts are the names of
// records nested in nested ones, many and alike, and are left as they are.
constexpr int deepestKey = 3;
constexpr int deepestText = 2;

// Every place of `value` down to those depths: itself, each member of an
// object and the first member of an array, the others being shaped alike;
// with the kind of value that stands there.
void collectPlaces(const QJsonValue &value, const Place &at, int keys,
                   QList<QPair<Place, Kind>> *places)
{
    if (!value.isString() || keys <= deepestText)
        places->append({at, kindOf(value)});
    if (value.isObject() && keys < deepestKey) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            collectPlaces(it.value(), Place(at) << it.key(), keys + 1, places);
    } else if (value.isArray() && !value.toArray().isEmpty()) {
        collectPlaces(value.toArray().first(), Place(at) << 0, keys, places);
    }
}

QJsonValue replaced(const QJsonValue &value, const Place &place, int depth,
                    const QJsonValue &with)
{
    if (depth == place.size())
        return with;
    if (value.isObject()) {
        QJsonObject object = value.toObject();
        const QString key = place.at(depth).toString();
        object.insert(key, replaced(object.value(key), place, depth + 1, with));
        return object;
    }
    QJsonArray array = value.toArray();
    array.replace(0, replaced(array.first(), place, depth + 1, with));
    return array;
}

QByteArray toBody(const QJsonValue &value)
{
    if (value.isObject())
        return QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    if (value.isArray())
        return QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
    // QJsonDocument holds only objects and arrays: a bare value is written as
    // the one member of an array and cut out.
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

QString describe(const Place &place)
{
    QStringList parts;
    for (const QVariant &part : place)
        parts << part.toString();
    return parts.isEmpty() ? QStringLiteral("<reply>") : parts.join(QLatin1Char('.'));
}

// The loader of a list window, which refreshes it; taken by a member
// pointer, which needs no cast of the window.
struct ListAccess : RawViewWidget
{
    using RawViewWidget::manager;
};

// A build of one of the client's documents and reports, as the user starts it.
using Build = std::function<void(ReportEngine::Report &report)>;

template<typename T>
Build report(const QMap<QString, QVariant> &values)
{
    return [values](ReportEngine::Report &document) { T().build(document, values); };
}

template<typename T>
Build personDocument(int personId)
{
    return [personId](ReportEngine::Report &document) {
        T built;
        built.setTargetId(personId);
        built.build(document, {});
    };
}

Build act(int receiptId, int propertyId)
{
    return [receiptId, propertyId](ReportEngine::Report &document) {
        Form1Act built;
        built.setTarget(receiptId, propertyId);
        built.build(document, {});
    };
}

// The receipt prints the row of the person card's list as it came.
Build receipt(const QString &list)
{
    return [list](ReportEngine::Report &document) {
        NetworkManagerWrapper network;
        Receipt built;
        built.setPerson(QStringLiteral("Иванов Сергей Петрович"));
        built.setObject(ReportReply::fetch(network, list).array().at(0).toObject());
        built.build(document, {});
    };
}

struct Target
{
    const char *name;
    Build build;
};

QList<Target> targets()
{
    const QMap<QString, QVariant> year{{QStringLiteral("startDate"), QStringLiteral("01.01.2026")},
                                       {QStringLiteral("endDate"), QStringLiteral("31.12.2026")}};
    QMap<QString, QVariant> persons = year;
    persons.insert({{QStringLiteral("streamId"), -1},
                    {QStringLiteral("curriculumId"), -1},
                    {QStringLiteral("fact"), false}});
    QMap<QString, QVariant> contracts = year;
    contracts.insert(QStringLiteral("payerId"), -1);
    QMap<QString, QVariant> education = year;
    education.insert(QStringLiteral("curriculumId"), 3);
    return {
        {"cash report", report<CassReport>({{QStringLiteral("date"), QStringLiteral("01.12.2026")}})},
        {"cash summary", report<SummaryCassReport>(year)},
        {"nights report", report<NightsReport>(year)},
        {"persons report", report<PersonReport>(persons)},
        {"rooms report", report<RoomsReport>({{QStringLiteral("date"),
                                                QStringLiteral("2026-12-10T09:00:00.000")},
                                               {QStringLiteral("floor"), -1},
                                               {QStringLiteral("free"), true},
                                               {QStringLiteral("occupied"), true}})},
        {"payments report", report<PaymentsReport>({{QStringLiteral("streamId"), -1},
                                                    {QStringLiteral("start"),
                                                     QStringLiteral("01.01.2026")},
                                                    {QStringLiteral("end"),
                                                     QStringLiteral("31.12.2026")},
                                                    {QStringLiteral("listeners"), true},
                                                    {QStringLiteral("guests"), true},
                                                    {QStringLiteral("debtOnly"), false}})},
        {"contract payments report", report<ContractPaymentsReport>(contracts)},
        {"paid education report", report<PaidEducationPaymentsReport>(education)},
        {"bill", personDocument<Bill>(1)},
        {"registration card", personDocument<RegistrationCard>(1)},
        // The act of return reads its receipt as this one does.
        {"act of issue", act(1, 1)},
        {"extra service receipt", receipt(QStringLiteral("persons/3/receipts"))},
        {"paid education receipt", receipt(QStringLiteral("persons/2/paid_education_receipts"))},
    };
}

}  // namespace

// Every reply a document, a report or a list window reads, taken from the
// stand-in's demo data, is sent back with one value at a time put through
// the hostile values, and the document is built or the list loaded on each:
// a reply no server should send must still give a document or a list, and
// under the sanitizers it must reach no undefined behaviour on the way.
class ReplyMutationTest : public GuiTestBase
{
    Q_OBJECT

    // The office's details and the checkout hour, which every header reads,
    // are mutated once, under the first document that reads them.
    QSet<QString> mutatedGlobals;
    std::unique_ptr<MainWindow> window;

    void initTest() override
    {
        // Whatever box a mutated reply brings up is answered at once.
        resetSeams(true);
        Clock::setNow(QDateTime(QDate(2026, 12, 10), QTime(9, 5)));
        server().setNow(Clock::now());
    }

    void cleanupTest() override
    {
        Clock::setNow({});
        server().setNow({});
    }

    // The body the stand-in answers to a GET of `path` (with its query).
    QByteArray served(const QString &path)
    {
        QNetworkAccessManager network;
        QNetworkRequest request(QUrl(server().rootUrl() + path));
        request.setRawHeader("Authorization", bearer());
        std::unique_ptr<QNetworkReply> reply(network.get(request));
        QEventLoop loop;
        connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        return reply->readAll();
    }

    // Each GET since the test's record began is answered again, once per
    // mutation of its seed, and `consume` reads it each time.
    void mutateReads(const std::function<void()> &consume)
    {
        QStringList reads;
        for (const StandIn::Request &request : server().requests()) {
            const QString path = request.path.mid(1);
            if (request.method == "GET" && !mutatedGlobals.contains(path)) {
                if (path.startsWith(QLatin1String("globals/")))
                    mutatedGlobals.insert(path);
                reads << path + (request.query.isEmpty() ? QString() : "?" + request.query);
            }
        }
        reads.removeDuplicates();
        QVERIFY(!reads.isEmpty());

        const QList<Hostile> hostile = hostileValues();
        const bool trace = qEnvironmentVariableIsSet("LOMI_MUTATION_TRACE");
        int mutations = 0;
        for (const QString &read : reads) {
            const QString path = read.section(QLatin1Char('?'), 0, 0);
            const QJsonDocument seed = QJsonDocument::fromJson(served(read));
            const QJsonValue root = seed.isObject() ? QJsonValue(seed.object())
                                                    : QJsonValue(seed.array());
            QList<QPair<Place, Kind>> places;
            collectPlaces(root, {}, 0, &places);
            for (const auto &[place, kind] : places) {
                for (const Hostile &value : hostile) {
                    if (!(value.replaces & kind))
                        continue;
                    const QByteArray mutation = QStringLiteral("%1: %2 = %3")
                                                    .arg(path, describe(place),
                                                         QLatin1String(value.name))
                                                    .toUtf8();
                    StandIn::Failure answer{StandIn::FailureKind::Status, 200};
                    answer.body = toBody(replaced(root, place, 0, value.value));
                    server().injectFailure("GET", path, answer);
                    // A sanitizer's report ends the process before QtTest can
                    // name the mutation; LOMI_MUTATION_TRACE=1 names each first.
                    if (trace)
                        std::fprintf(stderr, "%s\n", mutation.constData());
                    consume();
                    if (QTest::currentTestFailed())
                        QFAIL(mutation.constData());
                    ++mutations;
                }
            }
            server().clearFailures();
        }
        qInfo("%d mutations of %s", mutations, qPrintable(reads.join(QStringLiteral(", "))));
    }

    static void build(const Build &target)
    {
        ReportEngine::Report document;
        target(document);
    }

private slots:
    void initTestCase()
    {
        startServer();
        // Built before the sign-in, as the program starts.
        window = std::make_unique<MainWindow>();
        QVERIFY(environment().signIn(TestEnvironment::adminPassword()));
        // The persons view loads at construction and again at the sign-in.
        QTRY_VERIFY(server().requestsTo("GET", "persons").size() == 2
                    && server().requestsTo("GET", "persons/info").size() == 2);
    }

    void cleanupTestCase() { window.reset(); }

    void documentSurvivesHostileReplies_data()
    {
        QTest::addColumn<int>("target");
        const QList<Target> all = targets();
        for (int i = 0; i < all.size(); ++i)
            QTest::newRow(all.at(i).name) << i;
    }

    void documentSurvivesHostileReplies()
    {
        QFETCH(int, target);
        const Build document = targets().at(target).build;
        build(document);
        mutateReads([&] { build(document); });
    }

    void listSurvivesHostileReplies_data()
    {
        QTest::addColumn<QByteArray>("action");
        for (const char *action :
             {"districtsAction", "regionsAction", "positionsAction", "organizationAction",
              "registerCurriculumAction", "registerStreamAction", "ratesAction", "payTypeAction",
              "propertyAction", "roomsAction", "extraServicesAction", "receiptsJournalAction",
              "propertyJournalAction", "contractJournalAction", "usersAction", "auditAction",
              "registerPersonAction"})
            QTest::newRow(action) << QByteArray(action);
    }

    // A list shows what its reply holds through its delegates: the list is
    // loaded again, as its refresh does, and every cell of each of its tables
    // read as it would be drawn.
    void listSurvivesHostileReplies()
    {
        QFETCH(QByteArray, action);
        auto *entry = window->findChild<QAction *>(QString::fromLatin1(action));
        QVERIFY(entry && entry->isEnabled());
        auto *area = window->findChild<QMdiArea *>();
        const QList<QMdiSubWindow *> before = area->subWindowList();
        entry->trigger();
        // The persons list stands open from the start; the entry brings it up.
        QWidget *list = area->activeSubWindow() ? area->activeSubWindow()->widget() : nullptr;
        for (QMdiSubWindow *opened : area->subWindowList())
            list = before.contains(opened) ? list : opened->widget();
        QVERIFY(list);

        std::function<bool()> reload;
        if (auto *raw = qobject_cast<RawViewWidget *>(list)) {
            NetworkManagerWrapper &network = raw->*&ListAccess::manager;
            reload = [raw, &network] { return settlesAfter(network, [raw] { raw->handleUpdate(); }); };
        } else {
            RequestTableModel *model = sourceModel(list);
            QVERIFY(model);
            reload = [model] {
                model->selectSync();
                return true;
            };
        }
        const QList<QTableView *> views = list->findChildren<QTableView *>();
        const auto load = [&] {
            QVERIFY(reload());
            for (QTableView *view : views) {
                const QAbstractItemModel *shown = view->model();
                for (int row = 0; row < shown->rowCount(); ++row) {
                    for (int column = 0; column < shown->columnCount(); ++column) {
                        QAbstractItemDelegate *delegate = view->itemDelegateForColumn(column);
                        styleOption(delegate ? delegate : view->itemDelegate(),
                                    shown->index(row, column));
                    }
                }
            }
        };
        // The window's own first load, queued when it opened, goes first.
        QTest::qWait(0);
        server().clearRequests();
        load();
        mutateReads(load);
    }
};

LOMI_TEST_CLASS(ReplyMutationTest)

#include "tst_replymutation.moc"
