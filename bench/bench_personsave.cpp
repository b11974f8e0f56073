// Saving a new person in the person card when this year's persons list is
// long: the card reads that list just before the person goes, so that a
// save whose answer is lost is judged by what the server held before it.
//
// The judged: "Записать" on a new person's card, from the click until the
// card shows the stored person. The floor, measured alternately in the same
// iterations and sharing none of the card's code: the persons window loading
// the same list (the same read, until its rows are in), and the person's
// body posted by a plain QNetworkAccessManager. "ratio" is the card's time
// over the floor's, at 10 000 and 20 000 persons this year.

#include "benchclient.h"
#include "benchmain.h"
#include "clock.h"
#include "global.h"
#include "personeditdialog.h"
#include "personsviewwidget.h"
#include "requesttablemodel.h"
#include "standinserver.h"

#include <QAbstractProxyModel>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>

#include <memory>

namespace {

constexpr int Sizes[] = {10000, 20000};
// A day far from New Year, when only this year's list is read.
const QDateTime Now(QDate(2026, 6, 10), QTime(9, 0));

QString isoDay(int day)
{
    return QDateTime(QDate(2026, 1, 1).addDays(day), QTime(9, 0)).toString(Qt::ISODateWithMs);
}

// `persons` registered this year, without stays, as a busy year's list.
QJsonObject year(int persons)
{
    QJsonArray organizations, people;
    for (int i = 1; i <= 20; ++i)
        organizations.append(QJsonObject{{"id", i}, {"code", QString::number(i)},
                                         {"name", QStringLiteral("Организация %1").arg(i)}});
    for (int i = 1; i <= persons; ++i)
        people.append(QJsonObject{{"id", i},
                                  {"surname", QStringLiteral("Фамилия%1").arg(i)},
                                  {"name", "Имя"},
                                  {"lastname", "Отчество"},
                                  {"birthDate", isoDay(-9000 - i % 5000)},
                                  {"created", isoDay(i % 150)},
                                  {"organizationId", i % 20 + 1},
                                  {"comments", i % 17 == 0 ? "оплата по договору" : ""}});
    return {{"users", QJsonArray{QJsonObject{{"id", 1}, {"name", "Админ"}, {"password", "admin"},
                                             {"permissions", StandIn::Server::allPermissions()}}}},
            {"organizations", organizations},
            {"persons", people}};
}

// The in-process stand-in holding a year of `persons`, with the client
// pointed at it and signed in. One at a time: the client's address and
// sign-in are the process's.
StandIn::Server &stand(int persons)
{
    static std::unique_ptr<StandIn::Server> current;
    static int size = 0;
    if (!current || size != persons) {
        Clock::setNow(Now);
        current.reset();
        current = std::make_unique<StandIn::Server>();
        current->loadFixture(year(persons));
        current->setNow(Now);
        current->start();
        signInToStandIn(current->rootUrl(), QStringLiteral("admin"));
        size = persons;
    }
    return *current;
}

RequestTableModel *sourceOf(QTableView *view)
{
    QAbstractItemModel *model = view->model();
    while (auto *proxy = qobject_cast<QAbstractProxyModel *>(model))
        model = proxy->sourceModel();
    return qobject_cast<RequestTableModel *>(model);
}

// The floor's write: the body the card sends, posted as it is.
double plainPost(QNetworkAccessManager &manager, const QJsonObject &person)
{
    QNetworkRequest request(QUrl(Global::endpoint(QStringLiteral("persons"))));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setRawHeader("Authorization", "Bearer " + LoginManager::instance()->getToken().toUtf8());
    QElapsedTimer timer;
    timer.start();
    QNetworkReply *reply = manager.post(request, QJsonDocument(person).toJson(QJsonDocument::Indented));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = timer.nsecsElapsed() / 1e9;
    const bool stored = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() / 100 == 2;
    delete reply;
    return stored ? seconds : -1;
}

void BM_SaveNewPerson(benchmark::State &state)
{
    const int persons = int(state.range(0));
    StandIn::Server &server = stand(persons);
    PersonsViewWidget list;
    RequestTableModel *rows = sourceOf(list.findChild<QTableView *>(QStringLiteral("tableView")));
    PersonEditDialog card;
    QNetworkAccessManager plain;
    double saving = 0, floor = 0;
    int serial = 0;
    for (auto _ : state) {
        const QString surname = QStringLiteral("Новиков%1").arg(++serial);
        card.setupFromId(-1);
        card.findChild<QLineEdit *>(QStringLiteral("fioLineEdit"))->setText(surname + " Илья Ильич");
        const int before = server.collection("persons").size();
        QElapsedTimer timer;
        timer.start();
        card.findChild<QPushButton *>(QStringLiteral("writePushButton"))->click();
        const double saved = timer.nsecsElapsed() / 1e9;
        if (server.collection("persons").size() != before + 1 || !card.windowTitle().startsWith(surname)) {
            state.SkipWithError("the card did not store the person");
            return;
        }

        QSignalSpy loaded(rows, &RequestTableModel::selectFinished);
        timer.restart();
        list.update();
        if (!loaded.wait(60000) || !rows->isRead()) {
            state.SkipWithError("the persons list did not load");
            return;
        }
        const double load = timer.nsecsElapsed() / 1e9;
        QJsonObject person{{"surname", QStringLiteral("Плоский%1").arg(serial)}, {"name", "Илья"},
                           {"lastname", "Ильич"}};
        const double post = plainPost(plain, person);
        if (post < 0) {
            state.SkipWithError("the plain post was not stored");
            return;
        }
        state.SetIterationTime(saved);
        saving += saved;
        floor += load + post;
    }
    state.counters["persons"] = persons;
    state.counters["ratio"] = saving / floor;
}

}  // namespace

BENCHMARK(BM_SaveNewPerson)->Arg(Sizes[0])->Arg(Sizes[1])->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
