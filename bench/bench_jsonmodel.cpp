// The long lists in the real windows, each beside a floor written here that
// shares no code with the client, measured alternately in the same
// iterations, at 10 000 and 100 000 rows so that growth shows:
//  - Load: a reply's bytes handed to the window's model, until the view is
//    sorted, its columns fitted and painted once; the floor parses the same
//    bytes (QJsonDocument::fromJson) and nothing more.
//  - Keystroke: "петров" typed key by key into the search field, each key
//    timed until the view has been laid out and painted; the floor runs
//    QString::contains (case ignored) over the rows' cell texts, computed
//    once beforehand, for the same text.
//  - Clear: the typed word removed at once (select all, Backspace), until
//    the view shows every row again; the floor is that of the whole word.
// "ratio" is the window's time over the floor's; "worst" is the slowest
// keystroke's own ratio, "first_ms" the first key's time after the load.

#include "benchmain.h"
#include "personsviewwidget.h"
#include "requesttablemodel.h"
#include "simpleviewwidget.h"

#include <QAbstractProxyModel>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QNetworkReply>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <ctime>
#include <map>
#include <memory>

namespace {

const QString typedWord = QStringLiteral("петров");

// The persons list as the server sends it. About one row in nine holds the
// typed word; ё stands in other names, never in the word's rows.
QJsonObject personRow(int i)
{
    static const char *const surnames[] = {"Иванов", "Петров", "Сидорова", "Зелёный", "Смирнов",
                                           "Кузнецова", "Попов", "Лебедев", "Козлов"};
    static const char *const names[] = {"Иван", "Пётр", "Сергей", "Алексей", "Семён", "Анна",
                                        "Ольга"};
    const QString fullname = QStringLiteral("%1 %2 %3").arg(
        QString::fromUtf8(surnames[i % 9]), QString::fromUtf8(names[(i / 9) % 7]),
        QString::fromUtf8(names[(i / 63) % 7]));
    const bool stays = i % 3 != 0;
    return {{"id", i + 1},
            {"marker", QString(QStringLiteral("VDBE").at(i % 4))},
            {"fullname", fullname},
            {"birthDate", QStringLiteral("19%1-05-17T00:00:00.000").arg(50 + i % 50)},
            {"region", QStringLiteral("Регион %1").arg(i % 85)},
            {"stream", QJsonObject{{"name", QStringLiteral("Поток %1").arg(i % 40)},
                                   {"startDate", "2024-03-01T00:00:00.000"},
                                   {"endDate", "2024-03-15T00:00:00.000"}}},
            {"in", stays ? QJsonValue("2024-03-01T14:00:00.000") : QJsonValue()},
            {"out", stays ? QJsonValue("2024-03-15T12:00:00.000") : QJsonValue()},
            {"room", stays ? QJsonValue(QString::number(100 + i % 300)) : QJsonValue()},
            {"admin", "Администратор"},
            {"externalId", i * 7},
            {"comments", i % 17 == 0 ? "оплата по договору" : ""}};
}

const QStringList personKeys = {"id", "marker", "fullname", "birthDate", "region", "stream",
                                "in", "out", "room", "admin", "externalId", "comments"};

// What each cell of a row reads as text: strings as sent, whole numbers in
// digits, anything else (null, an object) as nothing.
QString cellText(const QJsonValue &value)
{
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(value.toInteger());
    return QString();
}

struct Rows
{
    QByteArray bytes;
    QList<QStringList> texts;  // per row, per column of personKeys
};

const Rows &rowsOf(int count)
{
    static std::map<int, std::unique_ptr<Rows>> cache;
    std::unique_ptr<Rows> &rows = cache[count];
    if (!rows) {
        rows = std::make_unique<Rows>();
        QJsonArray array;
        for (int i = 0; i < count; ++i) {
            const QJsonObject row = personRow(i);
            array.append(row);
            QStringList texts;
            for (const QString &key : personKeys)
                texts.append(cellText(row.value(key)));
            rows->texts.append(texts);
        }
        rows->bytes = QJsonDocument(array).toJson(QJsonDocument::Indented);
    }
    return *rows;
}

int plainLoop(const QList<QStringList> &texts, const QString &needle)
{
    int found = 0;
    for (const QStringList &row : texts) {
        for (const QString &text : row) {
            if (text.contains(needle, Qt::CaseInsensitive)) {
                ++found;
                break;
            }
        }
    }
    return found;
}

// A finished reply that hands over the given bytes, as the network would.
class BytesReply : public QNetworkReply
{
public:
    explicit BytesReply(const QByteArray &bytes)
        : bytes(bytes)
    {
        setUrl(QUrl("http://localhost/persons?pretty=true"));
        setOpenMode(QIODevice::ReadOnly);
        setFinished(true);
    }

    void abort() override {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return bytes.size() - offset + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 length = std::min<qint64>(maxSize, bytes.size() - offset);
        std::copy_n(bytes.constData() + offset, length, data);
        offset += length;
        return length;
    }

private:
    QByteArray bytes;
    qint64 offset = 0;
};

// As a user types: QTest's own key clicks carry Latin-1 only.
void type(QWidget *field, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void erase(QWidget *field)
{
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
}

// The thread's processor time: everything measured runs on this thread, and
// the machine may be busy with other work meanwhile.
class Stopwatch
{
public:
    Stopwatch() { restart(); }
    void restart() { start = now(); }
    double ms() const { return now() - start; }

private:
    static double now()
    {
        timespec time{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
        return double(time.tv_sec) * 1e3 + double(time.tv_nsec) / 1e6;
    }

    double start = 0;
};

// A list window shown on the offscreen screen, with the handles the
// benchmarks drive it by.
struct Window
{
    std::unique_ptr<QWidget> widget;
    QTableView *table = nullptr;
    QLineEdit *search = nullptr;
    RequestTableModel *model = nullptr;

    explicit Window(QWidget *built)
        : widget(built)
        , table(built->findChild<QTableView *>("tableView"))
        , search(built->findChild<QLineEdit *>("searchLineEdit"))
        , model(qobject_cast<RequestTableModel *>(
              qobject_cast<QAbstractProxyModel *>(table->model())->sourceModel()))
    {
        widget->resize(1200, 700);
        widget->show();
        settle();
    }

    // Until the view has taken in every change and painted it.
    void settle()
    {
        QCoreApplication::processEvents();
        table->viewport()->repaint();
    }

    void load(const QByteArray &bytes)
    {
        model->dataFetched(new BytesReply(bytes));
        settle();
    }

    int shownRows() const { return table->model()->rowCount(); }
};

enum WindowKind { Persons, Simple };

std::unique_ptr<Window> makeWindow(WindowKind kind)
{
    if (kind == Persons)
        return std::make_unique<Window>(new PersonsViewWidget);
    JsonTableModel::Headers headers;
    for (const QString &key : personKeys)
        headers.append({key, key});
    return std::make_unique<Window>(SimpleViewWidget::Builder::create()
                                        ->withTitle("Список")
                                        ->withEndpoint("persons")
                                        ->withHeaders(headers)
                                        ->sortBy(0, Qt::DescendingOrder)
                                        ->build());
}

// A benchmark's window over its rows, and the times of the window and of
// the floor summed over the measured steps.
struct Run
{
    const Rows &rows;
    const std::unique_ptr<Window> window;
    double windowMs = 0;
    double floorMs = 0;
    int steps = 0;

    Run(benchmark::State &state, WindowKind kind)
        : rows(rowsOf(int(state.range(0))))
        , window(makeWindow(kind))
    {
    }

    void add(double window, double floor)
    {
        windowMs += window;
        floorMs += floor;
        ++steps;
    }

    void report(benchmark::State &state) const
    {
        state.counters["floor_ms"] = floorMs / steps;
        state.counters["ratio"] = windowMs / floorMs;
    }
};

void Load(benchmark::State &state, WindowKind kind)
{
    Run run(state, kind);
    for (auto _ : state) {
        Stopwatch timer;
        run.window->load(run.rows.bytes);
        const double ms = timer.ms();
        timer.restart();
        const QJsonDocument parsed = QJsonDocument::fromJson(run.rows.bytes);
        run.add(ms, timer.ms());
        benchmark::DoNotOptimize(parsed);
        state.SetIterationTime(ms / 1000);
        run.window->load("[]");
    }
    if (run.window->shownRows() != 0)
        state.SkipWithError("the list was not emptied between loads");
    run.report(state);
}

// Types the word one key at a time; the time of each key and the floor of
// the text it leaves in the field.
void Keystroke(benchmark::State &state, WindowKind kind)
{
    Run run(state, kind);
    run.window->load(run.rows.bytes);
    double worst = 0;
    double firstMs = -1;
    bool sameRows = true;
    for (auto _ : state) {
        double iterationMs = 0;
        for (qsizetype length = 1; length <= typedWord.size(); ++length) {
            Stopwatch timer;
            type(run.window->search, typedWord.mid(length - 1, 1));
            run.window->settle();
            const double ms = timer.ms();
            timer.restart();
            const int found = plainLoop(run.rows.texts, typedWord.left(length));
            const double floor = timer.ms();
            if (length == typedWord.size())
                sameRows = sameRows && found == run.window->shownRows();
            worst = std::max(worst, ms / floor);
            if (firstMs < 0)
                firstMs = ms;
            run.add(ms, floor);
            iterationMs += ms;
        }
        state.SetIterationTime(iterationMs / 1000 / double(typedWord.size()));
        erase(run.window->search);
        run.window->settle();
    }
    if (!sameRows)
        state.SkipWithError("the window and the floor found different rows");
    run.report(state);
    state.counters["worst"] = worst;
    state.counters["first_ms"] = firstMs;
}

void Clear(benchmark::State &state, WindowKind kind)
{
    Run run(state, kind);
    run.window->load(run.rows.bytes);
    for (auto _ : state) {
        type(run.window->search, typedWord);
        run.window->settle();
        Stopwatch timer;
        erase(run.window->search);
        run.window->settle();
        const double ms = timer.ms();
        timer.restart();
        benchmark::DoNotOptimize(plainLoop(run.rows.texts, typedWord));
        run.add(ms, timer.ms());
        state.SetIterationTime(ms / 1000);
    }
    if (run.window->shownRows() != run.rows.texts.size())
        state.SkipWithError("clearing did not bring every row back");
    run.report(state);
}

void registerAll()
{
    const struct
    {
        const char *name;
        WindowKind kind;
    } windows[] = {{"Persons", Persons}, {"SimpleView", Simple}};
    for (const auto &window : windows) {
        const WindowKind kind = window.kind;
        const QByteArray name(window.name);
        for (const auto &[what, run] :
             {std::pair<const char *, void (*)(benchmark::State &, WindowKind)>{"Load", Load},
              {"Keystroke", Keystroke},
              {"Clear", Clear}}) {
            benchmark::RegisterBenchmark((QByteArray(what) + '/' + name).constData(),
                                         [run, kind](benchmark::State &state) { run(state, kind); })
                ->Arg(10000)
                ->Arg(100000)
                ->UseManualTime()
                ->MinTime(2)
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
