// The legacy import against the stand-in server's raw POST rate, both in
// records per second (POSTs answered over the run's wall time), in one run:
//  - RawPost: the POSTs of an import run (same paths, bodies and order),
//    replayed one at a time into a fresh stand-in through a bare
//    QNetworkAccessManager with the client's headers, each waited for in a
//    local event loop;
//  - ImportLegacy: ImportManagerWidget::importLegacy over a legacy database
//    of 2 000 persons, each with a stay, a payment, a receipt and a
//    paid-education receipt, into a fresh stand-in. Its "ratio" counter is
//    its rate over RawPost's (run RawPost first, as registered).
// The legacy database lives in the tests' throwaway PostgreSQL server
// (scripts/start-postgres.sh); without one both are skipped with a message.

#include "benchmain.h"
#include "importmanagerwidget.h"
#include "loginmanager.h"
#include "testenvironment.h"
#include "testpostgres.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

namespace {

constexpr int personCount = 2000;

// Persons 1001.. with their four records, over the sample directories.
const char *const persons = R"(
INSERT INTO ph_person SELECT 1000 + g, 'Фамилия' || g, 'Имя', 'Отчество', '1980-05-17', g % 2 = 0,
    NULL, 'г. Москва, ул. Лесная, д. ' || g, '', 1, 1000 + g, g, '+7 900 000-00-00'
    FROM generate_series(1, 2000) g;
INSERT INTO ph_person_passport SELECT 1000 + g, 'Паспорт', '45 09', lpad(g::text, 6, '0'),
    '2004-05-20', 'ОВД района Хамовники г. Москвы' FROM generate_series(1, 2000) g;
INSERT INTO ph_person_learn SELECT 1000 + g, 'курс', 1 FROM generate_series(1, 2000) g;
INSERT INTO ph_person_work SELECT 1000 + g, 1, 1 FROM generate_series(1, 2000) g;
INSERT INTO accommodation SELECT 1000 + g, 1000 + g, 1, '2024-03-01 14:00', '2024-03-05 12:00', 3, 1
    FROM generate_series(1, 2000) g;
INSERT INTO payments SELECT 1000 + g, 1000 + g, 1500.50, '2024-03-01 15:00', 1, 1, 2
    FROM generate_series(1, 2000) g;
INSERT INTO receipts SELECT 1000 + g, 1000 + g, 1, g, 1, '2024-03-01 10:00', '2024-03-03 10:00', 2,
    '2024-03-01', 1, 1, false, NULL, NULL FROM generate_series(1, 2000) g;
INSERT INTO paid_education_receipts SELECT 1000 + g, g, 1, '2024-03-01', 1, 1, 1000 + g,
    '2024-03-01', '2024-03-10' FROM generate_series(1, 2000) g;
CREATE INDEX ON accommodation (whom);
CREATE INDEX ON payments (whom);
CREATE INDEX ON receipts (ph);
CREATE INDEX ON paid_education_receipts (whom);
ANALYZE;
)";

QJsonObject adminOnly()
{
    return {{"users", QJsonArray{QJsonObject{
                          {"id", 1}, {"name", "Администратор"}, {"password", "admin"},
                          {"permissions", StandIn::Server::allPermissions()}}}}};
}

struct Setup
{
    QString unavailable;
    QTemporaryDir settings;
    std::unique_ptr<TestPostgres::ScratchDatabase> legacy;
    QList<StandIn::Request> posts;  // of one import run, for the replay
    double rawRate = 0;
};

std::unique_ptr<Setup> &setup()
{
    static std::unique_ptr<Setup> instance;
    return instance;
}

// Runs the import into `env`; its wall time in seconds, negative on failure.
double importInto(TestEnvironment &env)
{
    if (!TestEnvironment::signIn("admin"))
        return -1;
    ImportManagerWidget page;
    const auto fill = [&page](const char *name, const QString &text) {
        page.findChild<QLineEdit *>(name)->setText(text);
    };
    fill("addressLineEdit", qEnvironmentVariable("LOMI_PG_HOST") + ':' + qEnvironmentVariable("LOMI_PG_PORT"));
    fill("databaseLineEdit", setup()->legacy->name());
    fill("userLineEdit", qEnvironmentVariable("LOMI_PG_USER"));
    fill("passwordLineEdit", qEnvironmentVariable("LOMI_PG_PASSWORD"));
    env.server().clearRequests();
    QElapsedTimer timer;
    timer.start();
    const bool done = page.importLegacy();
    const double seconds = timer.nsecsElapsed() / 1e9;
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
    return done ? seconds : -1;
}

QList<StandIn::Request> postsOf(StandIn::Server &server)
{
    QList<StandIn::Request> posts;
    for (const StandIn::Request &request : server.requests()) {
        if (request.method == "POST")
            posts.append(request);
    }
    return posts;
}

const Setup *prepared(benchmark::State &state)
{
    if (!setup()) {
        setup() = std::make_unique<Setup>();
        // The legacy database is dropped while the application still exists.
        qAddPostRoutine([] { setup().reset(); });
        Setup &s = *setup();
        // The client's settings go to a directory of the run's own.
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, s.settings.path());
        s.unavailable = TestPostgres::unavailable();
        if (s.unavailable.isEmpty()) {
            s.legacy = std::make_unique<TestPostgres::ScratchDatabase>("lomi_bench");
            if (!s.legacy->runFile(LOMI_LEGACY_SQL) || !s.legacy->run(persons))
                s.unavailable = s.legacy->error();
        }
        if (s.unavailable.isEmpty()) {
            TestEnvironment env(adminOnly());
            if (importInto(env) < 0)
                s.unavailable = QStringLiteral("The import run failed");
            s.posts = postsOf(env.server());
        }
    }
    if (!setup()->unavailable.isEmpty()) {
        state.SkipWithError(qPrintable(setup()->unavailable));
        return nullptr;
    }
    return setup().get();
}

void BM_RawPost(benchmark::State &state)
{
    const Setup *s = prepared(state);
    if (!s)
        return;
    for (auto _ : state) {
        TestEnvironment env(adminOnly());
        TestEnvironment::signIn("admin");
        const QByteArray bearer = "Bearer " + LoginManager::instance()->getToken().toUtf8();
        QNetworkAccessManager manager;
        env.server().clearRequests();
        QElapsedTimer timer;
        timer.start();
        for (const StandIn::Request &post : s->posts) {
            QNetworkRequest request(QUrl(env.rootUrl() + post.path.mid(1)));
            request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
            request.setRawHeader("Authorization", bearer);
            QNetworkReply *reply = manager.post(request, post.body);
            QEventLoop loop;
            QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
            loop.exec();
            reply->readAll();
            delete reply;
        }
        const double seconds = timer.nsecsElapsed() / 1e9;
        const double posts = double(postsOf(env.server()).size());
        state.SetIterationTime(seconds);
        setup()->rawRate = posts / seconds;
        state.counters["records/s"] = setup()->rawRate;
        state.counters["posts"] = posts;
    }
}
BENCHMARK(BM_RawPost)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ImportLegacy(benchmark::State &state)
{
    if (!prepared(state))
        return;
    for (auto _ : state) {
        TestEnvironment env(adminOnly());
        const double seconds = importInto(env);
        if (seconds < 0) {
            state.SkipWithError("The import run failed");
            break;
        }
        const double posts = double(postsOf(env.server()).size());
        state.SetIterationTime(seconds);
        const double rate = posts / seconds;
        state.counters["records/s"] = rate;
        state.counters["posts"] = posts;
        if (setup()->rawRate > 0)
            state.counters["ratio"] = rate / setup()->rawRate;
    }
}
BENCHMARK(BM_ImportLegacy)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
