#include "legacyimporter.h"

#include "global.h"
#include "messagebox.h"
#include "networkmanagerwrapper.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QUrl>
#include <QVariant>

#include <libpq-fe.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

using Stage = LegacyImporter::Stage;
// Legacy id -> the id the server gave the record.
using IdMap = QMap<int, int>;

// A row copied out of its query; NULL columns are invalid values.
using Values = QList<QVariant>;

// A timestamp as PostgreSQL writes it ("2010-03-28 02:15:00", with
// fractions and an offset when it has them), as the wall clock it shows. It
// is held in UTC only so that nothing later converts it: in a local zone
// with a spring gap, 02:15 of that night does not exist. The offset of a
// timestamp with time zone is dropped: the text is already in the session's
// zone, as the legacy database shows it. Infinity and dates before Christ
// give an invalid value.
QDateTime wallClock(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(' '));
    if (parts.size() != 2)
        return {};
    static const QRegularExpression offset(QStringLiteral("[+-].*$"));
    const QDate date = QDate::fromString(parts.at(0), Qt::ISODate);
    const QTime time = QTime::fromString(QString(parts.at(1)).remove(offset), Qt::ISODateWithMs);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC);
}

// A column of the current row; NULL is an invalid value. The driver reads a
// timestamp through the local time zone, so its text is taken from the
// driver's own result instead.
QVariant legacyValue(const QSqlQuery &query, int column)
{
    if (query.isNull(column))
        return {};
    const QVariant value = query.value(column);
    if (value.typeId() != QMetaType::QDateTime)
        return value;
    const QVariant handle = query.result()->handle();
    if (qstrcmp(handle.typeName(), "pg_result*") != 0)
        return value;
    const PGresult *result = *static_cast<const PGresult *const *>(handle.constData());
    // A forward-only query holds the current row alone.
    const int row = query.isForwardOnly() ? 0 : query.at();
    return wallClock(QString::fromUtf8(PQgetvalue(result, row, column)));
}

// The import only reads the legacy database; a read-only session makes sure
// that no statement of it could write. The driver's error, or empty.
QString openReadOnly(QSqlDatabase &db)
{
    if (!db.open())
        return db.lastError().text();
    QSqlQuery session(db);
    if (!session.exec(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY")))
        return session.lastError().text();
    return {};
}

// The driver's error, or empty. A missing table or column fails here;
// unchecked, the exec() that follows would report a syntax error of its own
// instead.
QString prepare(QSqlQuery &query, const QString &statement)
{
    return query.prepare(statement) ? QString() : query.lastError().text();
}

// A legacy row, read by position with the conversions every stage shares.
class Row
{
public:
    explicit Row(const QSqlQuery &query)
        : query(&query)
    {
    }
    explicit Row(const Values &values)
        : values(&values)
    {
    }

    bool isNull(int column) const
    {
        return query ? query->isNull(column) : !values->value(column).isValid();
    }
    QVariant value(int column) const
    {
        return query ? legacyValue(*query, column) : values->value(column);
    }
    QString text(int column) const { return value(column).toString(); }
    int integer(int column) const { return value(column).toInt(); }
    double number(int column) const { return value(column).toDouble(); }
    bool flag(int column) const { return value(column).toBool(); }
    // "2020-09-01"; "" for NULL.
    QString date(int column) const { return value(column).toDate().toString(Qt::ISODateWithMs); }
    // "2024-03-01T14:00:00.000", the legacy wall clock unchanged; "" for NULL.
    QString dateTime(int column) const
    {
        const QVariant v = value(column);
        const QDateTime at = v.typeId() == QMetaType::QDate
                                 ? QDateTime(v.toDate(), QTime(0, 0), Qt::UTC)
                                 : v.toDateTime();
        return at.isValid() ? at.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) : QString();
    }

private:
    const QSqlQuery *query = nullptr;
    const Values *values = nullptr;
};

// A stage that copies one legacy table: each row posted, or, with the
// stage's box off, its id map rebuilt from the server's list by match key.
struct TableStage
{
    Stage stage;
    // Read whole, "select * from" it; the persons' with their joined tables.
    QString table;
    QString endpoint;
    QString startLine;
    QString endLine;
    QString label;
    IdMap *map;
    std::function<QJsonObject(const Row &)> body;
    std::function<QString(const QJsonObject &)> serverKey;
    std::function<QString(const Row &)> legacyKey;
    // Rows the post path passes over without counting them.
    std::function<bool(const Row &)> passOver;
    // Links and records after a row is posted; false ends the run.
    std::function<bool(const Row &, int newId)> afterPost;
};

// The records of one person, each kind from its own legacy table.
struct RecordKind
{
    QString table;
    QString personColumn;
    QString endpoint;
    std::function<bool(const Row &)> passOver;
    std::function<QJsonObject(const Row &, int personId)> body;

    QString statement() const
    {
        return QStringLiteral("select * from %1 where %2 = :whom").arg(table, personColumn);
    }
};

// One person's records, kind by kind, as the reader found them.
struct PersonRecords
{
    QList<QList<Values>> kinds;
    // Why the statement of the next kind (kinds.size()) failed.
    QString error;
};

// The record statements on one connection, prepared once and run for one
// person at a time.
class RecordStatements
{
public:
    RecordStatements(const QSqlDatabase &db, const QList<RecordKind> &kinds)
    {
        queries.reserve(size_t(kinds.size()));
        for (const RecordKind &kind : kinds) {
            queries.emplace_back(db);
            prepareErrors.append(prepare(queries.back(), kind.statement()));
        }
    }

    PersonRecords read(int personId)
    {
        PersonRecords records;
        for (size_t k = 0; k < queries.size() && records.error.isEmpty(); ++k) {
            records.error = prepareErrors.at(qsizetype(k));
            if (records.error.isEmpty())
                readKind(queries[k], personId, &records);
        }
        return records;
    }

private:
    static void readKind(QSqlQuery &query, int personId, PersonRecords *records)
    {
        query.bindValue(QStringLiteral(":whom"), personId);
        if (!query.exec()) {
            records->error = query.lastError().text();
            return;
        }
        const int columns = query.record().count();
        QList<Values> rows;
        while (query.next()) {
            Values values;
            values.reserve(columns);
            for (int c = 0; c < columns; ++c)
                values.append(legacyValue(query, c));
            rows.append(values);
        }
        records->kinds.append(rows);
    }

    std::vector<QSqlQuery> queries;
    QStringList prepareErrors;
};

// Runs the record statements for each person, in the persons' order, on a
// connection of its own in a thread of its own, a little ahead of the
// posting: a round trip to the legacy server then overlaps the wait for the
// server's reply instead of adding to it. The statements are the same, one
// set per person; only the moment they run changes.
class RecordReader
{
public:
    // Opens the reader's connection at once; see openError().
    explicit RecordReader(const QList<RecordKind> &kinds)
        : kinds(kinds)
        , thread([this] { read(); })
    {
    }

    ~RecordReader()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            cancelled = true;
        }
        changed.notify_all();
        thread.join();
    }

    // Why the reader's connection did not open, or empty; waits until it knows.
    QString openError()
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return opened; });
        return connectionError;
    }

    bool isStarted() const { return started; }

    // Reads the records of these persons, in this order.
    void start(const QList<int> &ids)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            personIds = ids;
            started = true;
        }
        changed.notify_all();
    }

    // The next person's records; waits while the reader is behind.
    PersonRecords next()
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return !ready.empty(); });
        PersonRecords records = std::move(ready.front());
        ready.pop_front();
        if (ready.size() == readAhead / 2)
            changed.notify_all();
        return records;
    }

private:
    // Read in long runs, resumed at half: a reader woken for every person
    // costs the posting more than the round trips it hides.
    static constexpr size_t readAhead = 1024;

    void read()
    {
        const QString name = QStringLiteral("lomi-legacy-records");
        {
            QSqlDatabase db = QSqlDatabase::cloneDatabase(QSqlDatabase::defaultConnection, name);
            const QString error = openReadOnly(db);
            {
                const std::lock_guard<std::mutex> lock(mutex);
                connectionError = error;
                opened = true;
            }
            changed.notify_all();
            if (error.isEmpty())
                readAll(db);
        }
        QSqlDatabase::removeDatabase(name);
    }

    void readAll(const QSqlDatabase &db)
    {
        RecordStatements statements(db, kinds);
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return cancelled || started; });
            if (cancelled)
                return;
        }
        for (int personId : std::as_const(personIds)) {
            PersonRecords records = statements.read(personId);
            std::unique_lock<std::mutex> lock(mutex);
            if (ready.size() >= readAhead)
                changed.wait(lock, [this] { return cancelled || ready.size() <= readAhead / 2; });
            if (cancelled)
                break;
            const bool failed = !records.error.isEmpty();
            ready.push_back(std::move(records));
            changed.notify_all();
            if (failed)
                break;  // the run ends at this person
        }
    }

    const QList<RecordKind> kinds;
    std::mutex mutex;
    std::condition_variable changed;
    bool opened = false;
    QString connectionError;
    bool started = false;
    QList<int> personIds;  // set once, before `started`
    std::deque<PersonRecords> ready;
    bool cancelled = false;
    std::thread thread;  // last: starts once the rest is built
};

QString serverName(const QJsonObject &record)
{
    return record.value("name").toString();
}

class Run
{
public:
    explicit Run(const LegacyImporter::Page &page)
        : page(page)
    {
    }

    bool exec();

private:
    bool connectLegacy();
    bool tableStage(const TableStage &stage);
    bool globalsStage();
    bool linkRates(const Row &room, int roomId);
    bool linkProperty(const Row &service, int serviceId);
    bool postRecords(const Row &person, int personId);
    QList<TableStage> tableStages();
    QList<RecordKind> recordKinds();

    // The new record's id; 0 once the failure box has been shown.
    int create(const QString &path, const QJsonObject &body);
    // A request whose reply is not read; false once the failure box has been shown.
    bool send(const QByteArray &verb, const QString &path, const QJsonObject &body);
    // Logs where the run stands and the server's message; false, once the
    // failure box has been shown.
    bool requestFailed(QNetworkReply *reply);
    // "-- <what>: " and where the run stands: the stage, the legacy table and
    // row, and the person and how much of it the server holds. `maybeStored`:
    // the record's write got no answer, so the server may hold it.
    QString placeLine(const QString &what, bool maybeStored = false) const;
    // The server id of a legacy reference; 0, logged, when there is none.
    int lookup(const IdMap &map, const QString &table, int column, int legacyId);
    bool fail(const QString &text);
    bool interrupted() const { return page.stopRequested && page.stopRequested(); }

    const LegacyImporter::Page &page;
    NetworkManagerWrapper network;
    QSqlDatabase legacy;
    std::optional<QSqlQuery> shared;
    QList<RecordKind> kinds;
    // Null when the legacy role may hold one connection only; the records
    // are then read on the first connection, one person at a time.
    std::unique_ptr<RecordReader> reader;
    std::optional<RecordStatements> direct;

    // Where the run stands, for the log line of a failed request.
    struct Place
    {
        QString stage;  // the stage's progress label
        QString table;
        QString rowId;  // empty for a whole table
        QString person;  // "id 1 (Иванов Иван Иванович)" in the persons stage
        bool personPosted = false;
    } place;

    IdMap districts, regions, positions, organizations, curriculums, streams, rates, rooms,
        payTypes, properties, extraServices, users, persons;
};

bool Run::fail(const QString &text)
{
    MessageBox::critical(page.boxParent, QStringLiteral("Ошибка импорта"), text, QMessageBox::Ok);
    return false;
}

int Run::create(const QString &path, const QJsonObject &body)
{
    const std::unique_ptr<QNetworkReply> reply(
        network.postUrl(QUrl(Global::endpoint(path)), QJsonDocument(body), true, true));
    if (NetworkManagerWrapper::outcome(reply.get()) != NetworkManagerWrapper::Outcome::Done) {
        requestFailed(reply.get());
        return 0;
    }
    // Without an id the later stages would link to and file records under 0.
    // toInt gives 0 for anything but a whole number that fits.
    const int id = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply.get())).object().value("id").toInt();
    if (id > 0)
        return id;
    fail(QStringLiteral("Сервер не вернул id записи: %1").arg(path));
    return 0;
}

bool Run::send(const QByteArray &verb, const QString &path, const QJsonObject &body)
{
    const QUrl url(Global::endpoint(path));
    const std::unique_ptr<QNetworkReply> reply(
        verb == "PUT" ? network.putUrl(url, QJsonDocument(body), true, true)
                      : network.postUrl(url, QJsonDocument(body), true, true));
    return NetworkManagerWrapper::outcome(reply.get()) == NetworkManagerWrapper::Outcome::Done
           || requestFailed(reply.get());
}

QString Run::placeLine(const QString &what, bool maybeStored) const
{
    QString line = QStringLiteral("-- %1: импорт %2, таблица %3").arg(what, place.stage, place.table);
    if (!place.rowId.isEmpty())
        line += QStringLiteral(", id ") + place.rowId;
    // Whoever runs the import again must not take such a record for missing.
    const bool personItself = !place.person.isEmpty() && !place.personPosted;
    if (maybeStored && !personItself)
        line += QStringLiteral(": сохранена ли запись, неизвестно, она может быть на сервере");
    // Nothing is rolled back: the user must know which person to look at.
    if (!place.person.isEmpty())
        line += QStringLiteral("; физ. лицо %1 %2")
                    .arg(place.person,
                         place.personPosted ? QStringLiteral("импортировано не полностью")
                         : maybeStored
                             ? QStringLiteral("может быть на сервере: сохранено ли оно, неизвестно")
                             : QStringLiteral("не импортировано"));
    return line;
}

bool Run::requestFailed(QNetworkReply *reply)
{
    // Only a write without an answer may have left a record behind.
    const bool unanswered =
        NetworkManagerWrapper::outcome(reply) == NetworkManagerWrapper::Outcome::Unanswered
        && reply->operation() != QNetworkAccessManager::GetOperation;
    QString line = placeLine(unanswered ? QStringLiteral("Ответ не получен")
                                        : QStringLiteral("Ошибка запроса"),
                             unanswered);
    const QString message = NetworkManagerWrapper::serverMessage(NetworkManagerWrapper::readBody(reply));
    if (!message.isEmpty())
        line += QStringLiteral("; сервер: ") + message;
    page.log(line);
    // A refusal under a successful status has no transport error to name.
    return fail(reply->error() != QNetworkReply::NoError ? NetworkManagerWrapper::failureReason(reply)
                                                         : QStringLiteral("Сервер не сохранил запись."));
}

int Run::lookup(const IdMap &map, const QString &table, int column, int legacyId)
{
    const int id = map.value(legacyId, 0);
    if (id == 0)
        page.log(QStringLiteral("-- Нет соответствия: %1, колонка %2, id %3")
                     .arg(table).arg(column).arg(legacyId));
    return id;
}

bool Run::connectLegacy()
{
    legacy = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"));
    const LegacyImporter::Address address = LegacyImporter::parseAddress(page.address);
    legacy.setHostName(address.host);
    legacy.setPort(address.port);
    legacy.setDatabaseName(page.database);
    legacy.setUserName(page.user);
    legacy.setPassword(page.password);
    const QString error = openReadOnly(legacy);
    if (!error.isEmpty())
        return fail(error);
    shared.emplace(legacy);

    // Opened before the first stage: a role that may hold one connection
    // only would otherwise fail at the first person, with every other stage
    // already posted.
    kinds = recordKinds();
    reader = std::make_unique<RecordReader>(kinds);
    const QString readerError = reader->openError();
    if (!readerError.isEmpty()) {
        reader.reset();
        page.log(QStringLiteral("-- Второе соединение с БД не открылось (%1): записи физ. лиц "
                                "читаются через первое, по одному лицу.")
                     .arg(readerError.simplified()));
    }
    return true;
}

bool Run::exec()
{
    if (!connectLegacy())
        return false;
    const QList<TableStage> stages = tableStages();
    for (const TableStage &stage : stages) {
        // The globals, which replace documents instead of posting rows, come
        // between the users and the persons.
        if (stage.stage == Stage::Persons && !globalsStage())
            return false;
        if (!tableStage(stage))
            return false;
    }
    return true;
}

bool Run::tableStage(const TableStage &stage)
{
    if (interrupted())
        return false;
    page.log(stage.startLine);
    const bool checked = page.isChecked(stage.stage);
    if (!checked)
        page.log(QStringLiteral("-- Этап пропущен."));

    QSqlQuery &query = *shared;
    const bool persons = stage.stage == Stage::Persons;
    const QString joins = QStringLiteral(" pp left join ph_person_passport ppp on ppp.id = pp.id"
                                         " left join ph_person_learn ppl on ppl.id = pp.id"
                                         " left join ph_person_work ppw on ppw.id = pp.id");
    if (!query.exec(QStringLiteral("select * from ") + stage.table + (persons ? joins : QString())))
        return fail(query.lastError().text());
    page.setupProgress(query.size(), stage.label);
    place = {stage.label, stage.table, {}, {}, false};
    int counter = 0;

    if (checked) {
        while (query.next()) {
            // A stop waits for the person's records: a person is imported
            // whole or not at all.
            if (persons && interrupted())
                return false;
            const Row row(query);
            if (stage.passOver && stage.passOver(row))
                continue;
            place.table = stage.table;
            place.rowId = row.text(0);
            if (persons) {
                const QString name = QStringList{row.text(1), row.text(2), row.text(3)}.join(' ');
                place.person = QStringLiteral("id %1 (%2)").arg(row.text(0), name.simplified());
                place.personPosted = false;
            }
            const int id = create(stage.endpoint, stage.body(row));
            if (id == 0)
                return false;
            stage.map->insert(row.integer(0), id);
            if (stage.afterPost && !stage.afterPost(row, id))
                return false;
            page.setProgress(++counter);
        }
    } else {
        const std::unique_ptr<QNetworkReply> reply(
            network.getUrl(QUrl(Global::endpoint(stage.endpoint)), true, true));
        if (reply->error() != QNetworkReply::NoError)
            return requestFailed(reply.get());
        QMap<QString, int> index;  // a later record with the same key wins
        const QJsonArray records = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply.get())).array();
        for (const QJsonValue &record : records)
            index.insert(stage.serverKey(record.toObject()), record.toObject().value("id").toInt());
        while (query.next()) {
            const Row row(query);
            stage.map->insert(row.integer(0), index.value(stage.legacyKey(row), 0));
            page.setProgress(++counter);
        }
    }
    page.log(stage.endLine);
    return true;
}

bool Run::linkRates(const Row &room, int roomId)
{
    static const QRegularExpression marks(QStringLiteral("[se]"));
    QSet<int> linked;
    const QStringList pieces = room.text(6).split(QLatin1Char(','));
    for (const QString &piece : pieces) {
        if (piece.isEmpty())
            continue;
        const int legacyRate = QString(piece).remove(marks).toInt();
        if (linked.contains(legacyRate))
            continue;
        linked.insert(legacyRate);
        const int rateId = lookup(rates, QStringLiteral("rooms"), 6, legacyRate);
        if (!send("POST", QStringLiteral("rooms/%1/rates").arg(roomId), {{"rateId", rateId}}))
            return false;
    }
    return true;
}

bool Run::linkProperty(const Row &service, int serviceId)
{
    QSqlQuery links(legacy);
    const QString error =
        prepare(links, QStringLiteral("select property from property_usl_mapping where usl = :usl"));
    if (!error.isEmpty())
        return fail(error);
    links.bindValue(QStringLiteral(":usl"), service.integer(0));
    if (!links.exec())
        return fail(links.lastError().text());
    // Unlike a room's rates, an item listed twice is linked twice.
    while (links.next()) {
        const int propertyId = lookup(properties, QStringLiteral("property_usl_mapping"), 0,
                                      links.value(0).toInt());
        if (!send("POST", QStringLiteral("extra_services/%1/property").arg(serviceId),
                  {{"propertyId", propertyId}}))
            return false;
    }
    return true;
}

bool Run::postRecords(const Row &person, int personId)
{
    PersonRecords records;
    if (reader) {
        // Started at the first person, for this one and those after it.
        if (!reader->isStarted()) {
            QSqlQuery &persons = *shared;
            const int here = persons.at();
            QList<int> ids;
            do
                ids.append(persons.value(0).toInt());
            while (persons.next());
            persons.seek(here);
            reader->start(ids);
        }
        records = reader->next();
    } else {
        if (!direct)
            direct.emplace(legacy, kinds);
        records = direct->read(person.integer(0));
    }
    place.personPosted = true;
    for (qsizetype k = 0; k < kinds.size(); ++k) {
        if (k == records.kinds.size()) {
            // The connection ended or a statement failed inside the person:
            // the person is on the server with only the records before it.
            place.table = kinds.at(k).table;
            place.rowId.clear();
            page.log(placeLine(QStringLiteral("Ошибка чтения")));
            return fail(records.error);
        }
        const RecordKind &kind = kinds.at(k);
        for (const Values &values : records.kinds.at(k)) {
            const Row row(values);
            if (kind.passOver && kind.passOver(row))
                continue;
            place.table = kind.table;
            place.rowId = row.text(0);
            if (!send("POST", kind.endpoint, kind.body(row, personId)))
                return false;
        }
    }
    return true;
}

bool Run::globalsStage()
{
    if (interrupted())
        return false;
    page.log(QStringLiteral("Начало импорта глобальных параметров"));
    const bool checked = page.isChecked(Stage::Globals);
    if (!checked)
        page.log(QStringLiteral("-- Этап пропущен."));
    // The bar shows 0 of 1 for the whole stage.
    page.setupProgress(1, QStringLiteral("глобальных параметров"));

    struct Document
    {
        QString table;
        QString path;
        QList<int> columns;  // the ones the document is made of
        std::function<QJsonValue(const Row &)> value;
    };
    const QList<Document> documents = {
        // "HH:mm:ss" as the checkout hour's own form writes and reads it.
        {"count_hour", "globals/CheckoutHour", {1},
         [](const Row &r) -> QJsonValue {
             return r.value(1).toTime().toString(QStringLiteral("HH:mm:ss"));
         }},
        {"org_info", "globals/OrganizationInfo", {1, 2, 3, 4, 5, 6},
         [](const Row &r) -> QJsonValue {
             return QJsonObject{{"name", r.text(1)}, {"address", r.text(2)},
                                {"extraAddress", r.text(3)}, {"inn", r.text(4)},
                                {"kpp", r.text(5)}, {"comment", r.text(6)}};
         }},
        {"receipt_num", "globals/ReceiptNumber", {0},
         [](const Row &r) -> QJsonValue { return r.integer(0); }},
        {"bill_num", "globals/BillNumber", {0, 1},
         [](const Row &r) -> QJsonValue {
             return QJsonObject{{"number", r.integer(0)}, {"lastChange", r.date(1)}};
         }},
    };

    QSqlQuery &query = *shared;
    for (const Document &document : documents) {
        if (!query.exec(QStringLiteral("select * from ") + document.table))
            return fail(query.lastError().text());
        const bool hasRow = query.next();
        if (!checked)
            continue;
        // An empty table, or a row of NULLs, must not wipe the organization's
        // details or restart the numbering.
        if (!hasRow) {
            page.log(QStringLiteral("-- Таблица %1 пуста, документ не изменён.").arg(document.table));
            continue;
        }
        if (std::all_of(document.columns.begin(), document.columns.end(),
                        [&query](int column) { return query.isNull(column); })) {
            page.log(QStringLiteral("-- В таблице %1 только NULL, документ не изменён.").arg(document.table));
            continue;
        }
        place = {QStringLiteral("глобальных параметров"), document.table, {}, {}, false};
        if (!send("PUT", document.path, {{"value", document.value(Row(query))}}))
            return false;
    }
    page.log(QStringLiteral("Конец импорта глобальных параметров."));
    return true;
}

QList<TableStage> Run::tableStages()
{
    const auto legacyName = [](int column) {
        return [column](const Row &row) { return row.text(column); };
    };
    const auto pair = [](const char *first, const char *second) {
        return [first, second](const QJsonObject &record) {
            return record.value(first).toString() + QLatin1Char(' ') + record.value(second).toString();
        };
    };

    QList<TableStage> stages;
    stages.append({Stage::Districts, "districts", "districts", "Начало импорта округов",
                   "Конец импорта округов", "округов", &districts,
                   [](const Row &r) { return QJsonObject{{"name", r.text(1)}}; }, serverName,
                   legacyName(1), {}, {}});
    stages.append({Stage::Regions, "regions", "regions", "Начало импорта регионов",
                   "Конец импорта регионов", "регионов", &regions,
                   [this](const Row &r) {
                       return QJsonObject{{"districtId", lookup(districts, "regions", 1, r.integer(1))},
                                          {"name", r.text(2)},
                                          {"code", r.integer(3)}};
                   },
                   serverName, legacyName(2), {}, {}});
    stages.append({Stage::Positions, "positions", "positions", "Начало импорта должностей",
                   "Конец импорта должностей.", "должностей", &positions,
                   [](const Row &r) { return QJsonObject{{"name", r.text(1)}}; }, serverName,
                   legacyName(1), {}, {}});
    stages.append({Stage::Organizations, "orgs", "organizations",
                   "Начало импорта организаций", "Конец импорта организаций.", "организаций",
                   &organizations,
                   [this](const Row &r) {
                       return QJsonObject{{"name", r.text(1)},
                                          {"code", r.text(2)},
                                          {"regionId", lookup(regions, "orgs", 3, r.integer(3))},
                                          {"inn", r.text(7)},
                                          {"archived", r.flag(8)}};
                   },
                   serverName, legacyName(1), {}, {}});
    stages.append({Stage::Curriculums, "learning_progs", "curriculums",
                   "Начало импорта программ обучения", "Конец импорта программ обучения.",
                   "программ обучения", &curriculums,
                   [](const Row &r) {
                       return QJsonObject{{"name", r.text(1)},     {"value", r.text(2)},
                                          {"externalId", r.integer(3)}, {"paid", r.flag(4)},
                                          {"cost", r.number(5)},   {"archived", r.flag(6)},
                                          {"base", r.text(7)}};
                   },
                   serverName, legacyName(1), {}, {}});
    stages.append({Stage::Streams, "streams", "streams", "Начало импорта потоков",
                   "Конец импорта потоков.", "потоков", &streams,
                   [this](const Row &r) {
                       return QJsonObject{
                           {"name", r.text(1)},
                           {"startDate", r.date(2)},
                           {"endDate", r.date(3)},
                           {"curriculumId", lookup(curriculums, "streams", 4, r.integer(4))},
                           {"externalId", r.integer(5)}};
                   },
                   serverName, legacyName(1), {}, {}});
    stages.append({Stage::Rates, "rates", "rates", "Начало импорта тарифов",
                   "Конец импорта тарифов.", "тарифов", &rates,
                   [](const Row &r) {
                       return QJsonObject{{"type", r.text(1)},       {"name", r.text(2)},
                                          {"cost", r.number(3)},     {"hourCost", r.number(4)},
                                          {"startDate", r.date(5)},  {"endDate", r.date(6)},
                                          {"size", r.integer(7)},    {"primary", r.flag(8)},
                                          {"base", r.text(9)},       {"comments", r.text(10)},
                                          {"notes", r.text(11)}};
                   },
                   [](const QJsonObject &rate) {
                       return rate.value("name").toString() + '_' + rate.value("type").toString()
                              + '_' + Global::formatDate(rate.value("startDate").toString());
                   },
                   [](const Row &r) {
                       return r.text(2) + '_' + r.text(1) + '_'
                              + r.value(5).toDate().toString(QStringLiteral("dd.MM.yyyy"));
                   },
                   {}, {}});
    stages.append({Stage::Rooms, "rooms", "rooms", "Начало импорта комнат",
                   "Конец импорта комнат.", "комнат", &rooms,
                   [](const Row &r) {
                       return QJsonObject{{"number", r.text(1)},
                                          {"floor", r.integer(2)},
                                          {"size", r.integer(3)},
                                          {"description", r.text(4)}};
                   },
                   [](const QJsonObject &room) { return room.value("number").toString(); },
                   legacyName(1), {}, [this](const Row &r, int id) { return linkRates(r, id); }});
    stages.append({Stage::PayTypes, "pay_type", "pay_type", "Начало импорта способов оплаты",
                   "Конец импорта способов оплаты.", "способов оплаты", &payTypes,
                   [this](const Row &r) {
                       QJsonObject payType{{"name", r.text(1)},      {"attribute", r.integer(2)},
                                           {"startDate", r.date(4)}, {"endDate", r.date(5)},
                                           {"contractCost", r.number(6)}};
                       if (!r.isNull(3))
                           payType.insert("payerId", lookup(organizations, "pay_type", 3, r.integer(3)));
                       return payType;
                   },
                   serverName, legacyName(1), {}, {}});
    stages.append({Stage::Property, "property", "properties", "Начало импорта имущества",
                   "Конец импорта имущества.", "имущества", &properties,
                   [](const Row &r) {
                       return QJsonObject{{"name", r.text(1)},
                                          {"number", r.text(2)},
                                          {"cost", r.number(3)},
                                          {"archived", r.flag(4)}};
                   },
                   pair("name", "number"),
                   [](const Row &r) { return r.text(1) + QLatin1Char(' ') + r.text(2); }, {}, {}});
    stages.append({Stage::ExtraServices, "extra_usl", "extra_services",
                   "Начало импорта доп. услуг", "Конец импорта доп. услуг.", "доп. услуги",
                   &extraServices,
                   [](const Row &r) {
                       return QJsonObject{{"name", r.text(1)},    {"measurement", r.text(2)},
                                          {"rate", r.number(3)},  {"endDate", r.date(4)},
                                          {"base", r.text(5)},    {"startDate", r.date(6)},
                                          {"param", r.integer(7)}};
                   },
                   pair("name", "measurement"),
                   [](const Row &r) { return r.text(1) + QLatin1Char(' ') + r.text(2); }, {},
                   [this](const Row &r, int id) { return linkProperty(r, id); }});
    stages.append({Stage::Users, "users", "users", "Начало импорта пользователи",
                   "Конец импорта пользователей.", "пользователей", &users,
                   [](const Row &r) {
                       QJsonObject user{{"name", r.text(1)},
                                        {"password", r.text(2)},
                                        {"position", r.text(3)}};
                       if (!r.isNull(4))
                           user.insert("rv", r.integer(4));
                       if (!r.isNull(5))
                           user.insert("rv0", r.integer(5));
                       return user;
                   },
                   [](const QJsonObject &user) { return user.value("password").toString(); },
                   legacyName(2), [](const Row &r) { return r.integer(0) == 0; }, {}});
    stages.append({Stage::Persons, "ph_person", "persons", "Начало импорта физ. лиц",
                   "Конец импорта физ. лиц.", "физ. лиц", &persons,
                   [this](const Row &r) {
                       QJsonObject person{
                           {"surname", r.text(1)},
                           {"name", r.text(2)},
                           {"lastname", r.text(3)},
                           {"birthDate", r.date(4)},
                           {"gender", r.flag(5) ? 0 : 1},
                           {"address", r.text(7)},
                           {"comments", r.text(8)},
                           {"billNum", r.integer(10)},
                           {"sensitive", QJsonObject{{"type", r.text(14)},
                                                     {"series", r.text(15)},
                                                     {"number", r.text(16)},
                                                     {"date", r.date(17)},
                                                     {"whom", r.text(18)}}}};
                       if (r.integer(9) != 0)
                           person.insert("adminId", lookup(users, "ph_person", 9, r.integer(9)));
                       if (!r.isNull(11))
                           person.insert("externalId", r.integer(11));
                       if (!r.isNull(12))
                           person.insert("phone", r.text(12));
                       // The joined tables' own positions name them in the log.
                       if (!r.isNull(21))
                           person.insert("streamId", lookup(streams, "ph_person_learn", 2, r.integer(21)));
                       if (!r.isNull(23))
                           person.insert("organizationId",
                                         lookup(organizations, "ph_person_work", 1, r.integer(23)));
                       if (!r.isNull(24))
                           person.insert("positionId", lookup(positions, "ph_person_work", 2, r.integer(24)));
                       return person;
                   },
                   [](const QJsonObject &person) {
                       return QString::number(person.value("billNum").toInt());
                   },
                   legacyName(10), {}, [this](const Row &r, int id) { return postRecords(r, id); }});
    return stages;
}

QList<RecordKind> Run::recordKinds()
{
    QList<RecordKind> list;
    list.append({"accommodation", "whom", "accommodation", {},
                 [this](const Row &r, int personId) {
                     QJsonObject stay{{"personId", personId},
                                      {"roomId", lookup(rooms, "accommodation", 2, r.integer(2))},
                                      {"inDate", r.dateTime(3)},
                                      {"outDate", r.dateTime(4)},
                                      {"rateId", lookup(rates, "accommodation", 5, r.integer(5))}};
                     if (r.integer(6) != 0)
                         stay.insert("adminId", lookup(users, "accommodation", 6, r.integer(6)));
                     return stay;
                 }});
    list.append({"payments", "whom", "payments", {},
                 [this](const Row &r, int personId) {
                     QJsonObject payment{
                         {"personId", personId},
                         {"summ", r.number(2)},
                         {"payDate", r.dateTime(3)},
                         {"payTypeId", lookup(payTypes, "payments", 4, r.integer(4))},
                         {"cassirId", lookup(users, "payments", 5, r.integer(5))}};
                     // The payer of a payment is a pay type.
                     if (!r.isNull(6))
                         payment.insert("payerId", lookup(payTypes, "payments", 6, r.integer(6)));
                     return payment;
                 }});
    list.append({"receipts", "ph", "receipts", {},
                 [this](const Row &r, int personId) {
                     QJsonObject receipt{
                         {"personId", personId},
                         {"extraServiceId", lookup(extraServices, "receipts", 2, r.integer(2))},
                         {"number", r.integer(3)},
                         {"cassirId", lookup(users, "receipts", 4, r.integer(4))},
                         {"startDate", r.dateTime(5)},
                         {"endDate", r.dateTime(6)},
                         {"amount", r.integer(7)},
                         {"payDate", r.date(8)}};
                     if (!r.isNull(9))
                         receipt.insert("payTypeId", lookup(payTypes, "receipts", 9, r.integer(9)));
                     if (!r.isNull(10))
                         receipt.insert("propertyId", lookup(properties, "receipts", 10, r.integer(10)));
                     if (!r.isNull(11))
                         receipt.insert("received", r.flag(11));
                     if (!r.isNull(12))
                         receipt.insert("receiverId", lookup(users, "receipts", 12, r.integer(12)));
                     if (!r.isNull(13))
                         receipt.insert("receiveDate", r.date(13));
                     return receipt;
                 }});
    list.append({"paid_education_receipts", "whom", "paid_education_receipts",
                 // Without a number, a pay date or a cashier it is no receipt.
                 [](const Row &r) { return r.isNull(1) || r.isNull(3) || r.isNull(5); },
                 [this](const Row &r, int personId) {
                     return QJsonObject{
                         {"personId", personId},
                         {"curriculumId",
                          lookup(curriculums, "paid_education_receipts", 2, r.integer(2))},
                         {"number", r.integer(1)},
                         {"payDate", r.date(3)},
                         {"payTypeId", lookup(payTypes, "paid_education_receipts", 4, r.integer(4))},
                         {"cassirId", lookup(users, "paid_education_receipts", 5, r.integer(5))},
                         {"startDate", r.date(7)},
                         {"endDate", r.date(8)}};
                 }});
    return list;
}

}  // namespace

LegacyImporter::Address LegacyImporter::parseAddress(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    Address address;
    address.host = parts.value(0);
    address.port = parts.size() >= 2 ? parts.at(1).toInt(nullptr, 10) : 5432;
    return address;
}

bool LegacyImporter::run(const Page &page)
{
    return Run(page).exec();
}
