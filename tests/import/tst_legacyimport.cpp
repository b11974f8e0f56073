#include "testregistry.h"

#include "guitestbase.h"
#include "importmanagerwidget.h"
#include "legacyimporter.h"
#include "testpostgres.h"

#include <QCheckBox>
#include <QFile>
#include <QJsonArray>
#include <QLineEdit>
#include <QProgressBar>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextBrowser>

#include <memory>

#include <time.h>

namespace {

QStringList linesOf(const QString &fileName)
{
    QFile file(QStringLiteral(LOMI_TEST_DATA_DIR "/") + fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("<cannot read %1>").arg(fileName)};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

}  // namespace

// The import run end to end: a throwaway legacy database in PostgreSQL,
// read by the real page and engine, written into the in-process stand-in.
class LegacyImportTest : public GuiTestBase
{
    Q_OBJECT

    std::unique_ptr<TestPostgres::ScratchDatabase> legacy;
    std::unique_ptr<TestPostgres::ScratchRole> role;  // dropped after its database
    std::unique_ptr<ImportManagerWidget> page;
    // Runs inside the stand-in while it handles a write, the client waiting.
    std::function<void(const StandIn::Write &)> onWrite;

    static QJsonObject fixture(const QJsonObject &records = {})
    {
        QJsonObject data = records;
        QJsonArray users = data.value("users").toArray();
        users.prepend(QJsonObject{{"id", 1}, {"name", "Администратор"}, {"password", "admin"},
                                  {"position", ""},
                                  {"permissions", StandIn::Server::allPermissions()}});
        data.insert("users", users);
        data.insert("globals", QJsonObject{{"OrganizationInfo", QJsonObject{{"name", "Центр"}, {"inn", "1"}}},
                                           {"CheckoutHour", "14:00:00"},
                                           {"ReceiptNumber", 10},
                                           {"BillNumber", QJsonObject{{"number", 5}}}});
        return data;
    }

    void initTest() override
    {
        server().loadFixture(fixture());
        legacy = std::make_unique<TestPostgres::ScratchDatabase>("lomi_import");
        QVERIFY2(legacy->error().isEmpty() && legacy->runFile(LOMI_TEST_DATA_DIR "/legacy.sql"),
                 qPrintable(legacy->error()));
        page = std::make_unique<ImportManagerWidget>();
        fillIn(page.get(), "addressLineEdit",
               qEnvironmentVariable("LOMI_PG_HOST") + ':' + qEnvironmentVariable("LOMI_PG_PORT"));
        fillIn(page.get(), "databaseLineEdit", legacy->name());
        fillIn(page.get(), "userLineEdit", qEnvironmentVariable("LOMI_PG_USER"));
        fillIn(page.get(), "passwordLineEdit", qEnvironmentVariable("LOMI_PG_PASSWORD"));
    }

    void cleanupTest() override
    {
        onWrite = nullptr;
        page.reset();
        // The run leaves its connection open, as the program does.
        QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
        legacy.reset();
        role.reset();
    }

    // "Импорт", Yes, and Ok to each of the boxes that follow.
    void runImport(int boxes)
    {
        MessageBox::setNextAnswer(QMessageBox::Yes);
        for (int i = 0; i < boxes; ++i)
            MessageBox::setNextAnswer(QMessageBox::Ok);
        button(page.get(), "importPushButton")->click();
    }

    // Every check box of the page is a stage's.
    void checkOnly(const QStringList &checked)
    {
        for (QCheckBox *box : page->findChildren<QCheckBox *>())
            box->setChecked(checked.contains(box->objectName()));
    }

    // The log without its times.
    QStringList log() const
    {
        QStringList lines = page->findChild<QTextBrowser *>()->toPlainText().split('\n', Qt::SkipEmptyParts);
        for (QString &line : lines)
            line = line.mid(line.indexOf("] ") + 2);
        return lines;
    }

    // The boxes shown, the confirmations left out.
    static QStringList boxes()
    {
        QStringList titles;
        for (const MessageBox::Record &box : MessageBox::history()) {
            if (box.title != "Вы уверены?")
                titles << box.title;
        }
        return titles;
    }

    QStringList wire()
    {
        QStringList lines;
        for (const StandIn::Request &r : server().requests()) {
            QString line = QString::fromLatin1(r.method) + ' ' + r.path;
            if (!r.body.isEmpty())
                line += ' ' + QString::fromUtf8(r.json().toJson(QJsonDocument::Compact));
            lines << line;
        }
        return lines;
    }

    QStringList postedPaths()
    {
        QStringList paths;
        for (const StandIn::Request &r : server().requests()) {
            if (r.method != "GET")
                paths << r.path;
        }
        return paths;
    }

private slots:
    void initTestCase()
    {
        LOMI_REQUIRE_POSTGRES();
        QVERIFY(startServer(fixture()).signIn("admin"));
        server().afterWrite([this](const StandIn::Write &write) {
            if (const auto hook = onWrite)
                hook(write);
        });
    }

    void fullRunCopiesEveryStage()
    {
        runImport(1);
        QCOMPARE(boxTexts("Успех"), QStringList{"Импорт завершен без ошибок."});
        QCOMPARE(wire(), linesOf("full_run.txt"));
        QCOMPARE(log(), linesOf("full_run_log.txt"));
        const auto *bar = page->findChild<QProgressBar *>();
        QCOMPARE(bar->text(), QString("Импорт физ. лиц: 3/3"));
        QCOMPARE(button(page.get(), "importPushButton")->text(), QString("Импорт"));

        const QJsonObject stay = server().expandedRecord("accommodation", 1);
        QCOMPARE(stay.value("person").toObject().value("fullname"), QJsonValue("Иванов Иван Иванович"));
        QCOMPARE(stay.value("room").toObject().value("number"), QJsonValue("101"));
        QCOMPARE(stay.value("rate").toObject().value("name"), QJsonValue("Одноместный"));
        // The item linked twice is linked once.
        QCOMPARE(server().record("extra_services", 1).value("propertyIds").toArray(), QJsonArray({1, 2}));
        QCOMPARE(server().record("rooms", 1).value("rateIds").toArray(), QJsonArray({1, 2, 3}));
        QCOMPARE(server().collection("users").size(), 3);
    }

    // In this zone 02:00 to 03:00 of that night does not exist: read through
    // the local zone, those times would be lost.
    void aDateTimeInASpringGapKeepsItsWallClock()
    {
        const bool hadZone = qEnvironmentVariableIsSet("TZ");
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "Europe/Moscow");
        tzset();
        const auto restore = qScopeGuard([&] {
            hadZone ? qputenv("TZ", zone) : qunsetenv("TZ");
            tzset();
        });
        QVERIFY2(legacy->run("UPDATE payments SET pay_date = '2010-03-28 02:15' WHERE id = 1;\n"
                             "UPDATE accommodation SET in_date = '2010-03-28 02:30',"
                             " out_date = '2010-03-29 12:00' WHERE id = 1;\n"
                             "UPDATE receipts SET start_date = '2024-03-01 10:00:00.25' WHERE id = 1;"),
                 qPrintable(legacy->error()));
        runImport(1);
        QCOMPARE(boxes(), QStringList{"Успех"});
        // path, key, the value one of its bodies holds (an updated row comes last)
        const QList<std::tuple<const char *, const char *, const char *>> expected = {
            {"payments", "payDate", "2010-03-28T02:15:00.000"},
            {"accommodation", "inDate", "2010-03-28T02:30:00.000"},
            {"accommodation", "outDate", "2010-03-29T12:00:00.000"},
            {"receipts", "startDate", "2024-03-01T10:00:00.250"}};
        for (const auto &[path, key, value] : expected) {
            QStringList sent;
            for (const StandIn::Request &r : server().requestsTo("POST", path))
                sent << r.json().object().value(key).toString();
            QVERIFY2(sent.contains(value), qPrintable(path + (": " + sent.join(", "))));
        }
    }

    // The records of each person are then read on the connection the stages
    // use, with the same result.
    void aRoleOfOneConnectionImportsAllTheSame()
    {
        role = std::make_unique<TestPostgres::ScratchRole>(*legacy, 1);
        QVERIFY2(role->error().isEmpty(), qPrintable(role->error()));
        fillIn(page.get(), "userLineEdit", role->name());
        fillIn(page.get(), "passwordLineEdit", role->password());
        runImport(1);
        QCOMPARE(boxes(), QStringList{"Успех"});
        QCOMPARE(wire(), linesOf("full_run.txt"));
        const QStringList lines = log();
        QVERIFY2(lines.value(0).startsWith("-- Второе соединение с БД не открылось")
                     && lines.value(0).contains("too many connections for role"),
                 qPrintable(lines.value(0)));
        QCOMPARE(lines.mid(1), linesOf("full_run_log.txt"));
        // The import only reads: the session the run leaves open refuses a write.
        QSqlQuery write(QSqlDatabase::database());
        QVERIFY(!write.exec("CREATE TABLE written (id integer)"));
        QVERIFY2(write.lastError().text().contains("read-only transaction"),
                 qPrintable(write.lastError().text()));
    }

    void skipPathsRebuildTheMapsByMatchKey()
    {
        const QJsonObject records{
            {"users", QJsonArray{QJsonObject{{"id", 2}, {"name", "А"}, {"password", "adm1"}},
                                 QJsonObject{{"id", 3}, {"name", "Б"}, {"password", "kas2"}},
                                 QJsonObject{{"id", 4}, {"name", "В"}, {"password", "kas2"}}}},
            {"positions", QJsonArray{QJsonObject{{"id", 1}, {"name", "Инженер"}},
                                     QJsonObject{{"id", 2}, {"name", "Инженер"}}}},
            {"organizations", QJsonArray{QJsonObject{{"id", 1}, {"name", "ООО Лютик"}}}},
            {"streams", QJsonArray{QJsonObject{{"id", 1}, {"name", "Поток 1"}}}},
            {"curriculums", QJsonArray{QJsonObject{{"id", 1}, {"name", "Охрана труда"}}}},
            {"rates", QJsonArray{QJsonObject{{"id", 1}, {"name", "Одноместный"}, {"type", "Стандарт"},
                                             {"startDate", "2023-09-01T00:00:00.000"}},
                                 QJsonObject{{"id", 2}, {"name", "Двухместный"}, {"type", "Стандарт"},
                                             {"startDate", "2023-09-01"}}}},
            {"rooms", QJsonArray{QJsonObject{{"id", 1}, {"number", "101"}},
                                 QJsonObject{{"id", 2}, {"number", "102"}}}},
            {"pay_type", QJsonArray{QJsonObject{{"id", 1}, {"name", "Наличные"}},
                                    QJsonObject{{"id", 2}, {"name", "Контракт"}}}},
            {"properties", QJsonArray{QJsonObject{{"id", 1}, {"name", "Лыжи"}, {"number", "L-1"}},
                                      QJsonObject{{"id", 2}, {"name", "Самокат"}, {"number", ""}}}},
            {"extra_services", QJsonArray{QJsonObject{{"id", 1}, {"name", "Прокат лыж"}, {"measurement", "сутки"}},
                                          QJsonObject{{"id", 2}, {"name", "Стирка"}, {"measurement", "кг"}}}}};
        server().loadFixture(fixture(records));
        server().clearRequests();
        checkOnly({"personsCheckBox"});
        runImport(1);
        QCOMPARE(boxes(), QStringList{"Успех"});
        for (const QString &path : postedPaths())
            QVERIFY2(QStringList({"/persons", "/accommodation", "/payments", "/receipts",
                                  "/paid_education_receipts"}).contains(path), qPrintable(path));

        // collection, row, key, the server id it must hold (0: none)
        const QList<std::tuple<const char *, int, const char *, int>> expected = {
            {"persons", 0, "adminId", 2},       {"persons", 0, "positionId", 2},
            {"persons", 0, "streamId", 1},      {"persons", 0, "organizationId", 0},
            {"accommodation", 0, "roomId", 1},  {"accommodation", 0, "rateId", 1},
            {"accommodation", 1, "roomId", 2},  {"accommodation", 1, "rateId", 2},
            {"payments", 1, "cassirId", 4},     {"payments", 1, "payerId", 2},
            {"receipts", 0, "extraServiceId", 1}, {"receipts", 0, "propertyId", 1},
            {"receipts", 2, "propertyId", 2},   {"paid_education_receipts", 0, "curriculumId", 1}};
        for (const auto &[collection, row, key, id] : expected) {
            const QJsonObject record = server().collection(collection).at(row).toObject();
            QVERIFY2(record.value(key).toInt() == id,
                     qPrintable(QString("%1[%2].%3 = %4").arg(collection).arg(row).arg(key)
                                    .arg(record.value(key).toInt())));
        }
        QVERIFY(log().contains("-- Нет соответствия: ph_person_work, колонка 1, id 1"));
    }

    void anUncheckedPersonsBoxPostsNoRecords()
    {
        server().loadFixture(fixture({{"districts", QJsonArray{QJsonObject{{"id", 1}, {"name", "Центральный"}},
                                                               QJsonObject{{"id", 2}, {"name", "Центральный"}}}}}));
        server().clearRequests();
        checkOnly({"regionsCheckBox"});
        runImport(1);
        QCOMPARE(postedPaths(), QStringList({"/regions", "/regions"}));
        QCOMPARE(server().requestsTo("GET", "persons").size(), 1);
        QCOMPARE(server().collection("regions").at(0).toObject().value("districtId"), QJsonValue(2));
        QCOMPARE(server().collection("regions").at(1).toObject().value("districtId"), QJsonValue(0));
    }

    // A failed request (its box, then the engine's) or a failure of the
    // legacy database (the engine's box alone) leaves what was posted before
    // it. The box gives the reply's or the driver's own error; the log says
    // where the run stood and what the server said.
    void aFailureEndsTheRunWhereItStands_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("uncheck");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("failingCall");  // 0: none injected
        QTest::addColumn<QString>("message");  // of the injected failure; none when empty
        QTest::addColumn<bool>("requestFails");
        QTest::addColumn<int>("records");  // left at `path`
        QTest::addColumn<QString>("box");  // a part of the "Ошибка импорта" box's text
        QTest::addColumn<QString>("lastLog");
        QTest::addColumn<int>("kind");  // of the injected failure
        QTest::newRow("third district")
            << "" << "" << "" << "districts" << 3 << "Injected failure" << true << 2
            << "server replied: Internal Server Error"
            << "-- Ошибка запроса: импорт округов, таблица districts, id 3; сервер: Injected failure"
            << int(StandIn::FailureKind::Status);
        // Without the server's own message a 500 is a gateway's page.
        QTest::newRow("second person, a 500 without the server's message")
            << "" << "" << "" << "persons" << 2 << "" << true << 1
            << "server replied: Internal Server Error"
            << "-- Ответ не получен: импорт физ. лиц, таблица ph_person, id 3; физ. лицо id 3 (Сидоров "
               "Пётр Петрович) может быть на сервере: сохранено ли оно, неизвестно"
            << int(StandIn::FailureKind::Status);
        QTest::newRow("second payment")
            << "" << "" << "" << "payments" << 2 << "Касса закрыта" << true << 1
            << "server replied: Internal Server Error"
            << "-- Ошибка запроса: импорт физ. лиц, таблица payments, id 2; физ. лицо id 1 (Иванов "
               "Иван Иванович) импортировано не полностью; сервер: Касса закрыта"
            << int(StandIn::FailureKind::Status);
        // The stand-in refuses a stay without a room; the updated row now comes last.
        QTest::newRow("stay of no room")
            << "UPDATE accommodation SET room = 99 WHERE id = 1;" << "" << "" << "accommodation" << 0
            << "" << true << 1 << "server replied: Unprocessable Entity"
            << "-- Ошибка запроса: импорт физ. лиц, таблица accommodation, id 1; физ. лицо id 1 "
               "(Иванов Иван Иванович) импортировано не полностью; сервер: roomId: не выбран номер"
            << int(StandIn::FailureKind::Status);
        QTest::newRow("missing table, box off")
            << "DROP TABLE positions;" << "positionsCheckBox" << "" << "regions" << 0 << "" << false
            << 2 << "relation \"positions\" does not exist" << "-- Этап пропущен."
            << int(StandIn::FailureKind::Status);
        QTest::newRow("missing link table")
            << "DROP TABLE property_usl_mapping;" << "" << "" << "extra_services" << 0 << "" << false
            << 1 << "relation \"property_usl_mapping\" does not exist" << "Начало импорта доп. услуг"
            << int(StandIn::FailureKind::Status);
        QTest::newRow("missing link column")
            << "ALTER TABLE property_usl_mapping RENAME COLUMN usl TO service;" << "" << ""
            << "extra_services" << 0 << "" << false << 1 << "column \"usl\" does not exist"
            << "Начало импорта доп. услуг"
            << int(StandIn::FailureKind::Status);
        QTest::newRow("missing record table")
            << "DROP TABLE receipts;" << "" << "" << "payments" << 0 << "" << false << 2
            << "relation \"receipts\" does not exist"
            << "-- Ошибка чтения: импорт физ. лиц, таблица receipts; физ. лицо id 1 (Иванов Иван "
               "Иванович) импортировано не полностью"
            << int(StandIn::FailureKind::Status);
        QTest::newRow("missing record column")
            << "ALTER TABLE payments RENAME COLUMN whom TO person;" << "" << "" << "accommodation" << 0
            << "" << false << 2 << "column \"whom\" does not exist"
            << "-- Ошибка чтения: импорт физ. лиц, таблица payments; физ. лицо id 1 (Иванов Иван "
               "Иванович) импортировано не полностью"
            << int(StandIn::FailureKind::Status);
        QTest::newRow("refused connection") << "" << "" << "127.0.0.1:1" << "districts" << 0 << ""
                                            << false << 0 << "Connection refused" << ""
            << int(StandIn::FailureKind::Status);
        // Stored, and the answer lost: the log must not call the record missing.
        QTest::newRow("second person, connection closed")
            << "" << "" << "" << "persons" << 2 << "" << true << 2 << "Connection lost before the answer came"
            << "-- Ответ не получен: импорт физ. лиц, таблица ph_person, id 3; физ. лицо id 3 (Сидоров "
               "Пётр Петрович) может быть на сервере: сохранено ли оно, неизвестно"
            << int(StandIn::FailureKind::Closed);
        QTest::newRow("second payment behind a gateway")
            << "" << "" << "" << "payments" << 2 << "" << true << 2 << "server replied: Gateway Timeout"
            << "-- Ответ не получен: импорт физ. лиц, таблица payments, id 2: сохранена ли запись, "
               "неизвестно, она может быть на сервере; физ. лицо id 1 (Иванов Иван Иванович) "
               "импортировано не полностью"
            << int(StandIn::FailureKind::Gateway);
        QTest::newRow("third district, answer cut off")
            << "" << "" << "" << "districts" << 3 << "" << true << 3 << ""
            << "-- Ответ не получен: импорт округов, таблица districts, id 3: сохранена ли запись, "
               "неизвестно, она может быть на сервере"
            << int(StandIn::FailureKind::CutOff);
    }

    void aFailureEndsTheRunWhereItStands()
    {
        QFETCH(QString, sql);
        QFETCH(QString, uncheck);
        QFETCH(QString, address);
        QFETCH(QString, path);
        QFETCH(int, failingCall);
        QFETCH(QString, message);
        QFETCH(bool, requestFails);
        QFETCH(QString, box);
        QVERIFY2(legacy->run(sql), qPrintable(legacy->error()));
        if (!uncheck.isEmpty())
            page->findChild<QCheckBox *>(uncheck)->setChecked(false);
        if (!address.isEmpty())
            fillIn(page.get(), "addressLineEdit", address);
        if (failingCall > 0) {
            StandIn::Failure failure;
            QFETCH(int, kind);
            failure.kind = StandIn::FailureKind(kind);
            if (failure.kind == StandIn::FailureKind::Gateway)
                failure.status = 504;
            failure.onlyCall = failingCall;
            failure.body = message.isEmpty() ? QByteArray()
                                             : QJsonDocument(QJsonObject{{"Ok", false}, {"message", message}})
                                                   .toJson();
            server().injectFailure("POST", path, failure);
        }
        QStringList expected{"Ошибка импорта", "Внимание"};
        if (requestFails)
            expected.prepend("Request failed");
        runImport(int(expected.size()));
        QCOMPARE(boxes(), expected);
        QVERIFY2(boxTexts("Ошибка импорта").constFirst().contains(box),
                 qPrintable(boxTexts("Ошибка импорта").constFirst()));
        QCOMPARE(boxTexts("Внимание"),
                 QStringList{"Во время импорта возникли ошибки. Результат неопределен."});
        QTEST(int(server().collection(path).size()), "records");
        QTEST(log().value(log().size() - 1), "lastLog");
        QCOMPARE(button(page.get(), "importPushButton")->text(), QString("Импорт"));
    }

    // The server refuses some writes under a successful status; the run
    // must stop there as after any other refusal, not carry on past a lost record.
    void aRefusalUnderSuccessEndsTheRunToo()
    {
        StandIn::Failure failure;
        failure.kind = StandIn::FailureKind::OkFalse;
        failure.onlyCall = 2;
        server().injectFailure("POST", "payments", failure);
        runImport(3);
        QCOMPARE(boxes(), QStringList({"Ошибка", "Ошибка импорта", "Внимание"}));
        QCOMPARE(boxTexts("Ошибка"), QStringList{"Сервер не сохранил запись: Injected failure"});
        QCOMPARE(server().collection("payments").size(), 1);
        QVERIFY2(log().constLast().endsWith("импортировано не полностью; сервер: Injected failure"),
                 qPrintable(log().constLast()));
    }

    // Links and records under 0 would belong to no record.
    void aReplyWithoutIdEndsTheRun_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("room, empty body") << "rooms" << QByteArray();
        QTest::newRow("person, no id") << "persons" << QByteArray("{}");
    }

    void aReplyWithoutIdEndsTheRun()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, body);
        StandIn::Failure failure;
        failure.status = 200;
        failure.body = body;
        failure.onlyCall = 1;
        server().injectFailure("POST", path, failure);
        runImport(2);
        QCOMPARE(boxes(), QStringList({"Ошибка импорта", "Внимание"}));
        QCOMPARE(boxTexts("Ошибка импорта"), QStringList{"Сервер не вернул id записи: " + path});
        for (const StandIn::Request &request : server().requests()) {
            QVERIFY2(!request.path.contains("/0/"), qPrintable(request.path));
            QVERIFY2(!request.json().object().contains("personId"), request.body.constData());
        }
        QCOMPARE(log().constLast(), "Начало импорта " + QString(path == "rooms" ? "комнат" : "физ. лиц"));
    }

    // Neither an empty table nor a row of NULLs is a value: the details must
    // not be blanked, nor a numbering restarted.
    void anEmptyGlobalsTableChangesNoDocument_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("document");  // not changed; none when empty
        QTest::addColumn<QString>("logLine");  // the last of the stage before its end line
        const QString nulls = "-- В таблице %1 только NULL, документ не изменён.";
        QTest::newRow("no org_info") << "DELETE FROM org_info;" << "OrganizationInfo"
                                     << "-- Таблица org_info пуста, документ не изменён.";
        QTest::newRow("NULL org_info")
            << "UPDATE org_info SET name = NULL, address = NULL, extra_address = NULL, inn = NULL,"
               " kpp = NULL, comment = NULL;"
            << "OrganizationInfo" << nulls.arg("org_info");
        QTest::newRow("NULL count_hour") << "UPDATE count_hour SET hour = NULL;" << "CheckoutHour"
                                         << nulls.arg("count_hour");
        QTest::newRow("NULL receipt_num") << "UPDATE receipt_num SET num = NULL;" << "ReceiptNumber"
                                          << nulls.arg("receipt_num");
        QTest::newRow("NULL bill_num") << "UPDATE bill_num SET num = NULL, last_change = NULL;"
                                       << "BillNumber" << nulls.arg("bill_num");
        QTest::newRow("bill_num without a date") << "UPDATE bill_num SET last_change = NULL;" << ""
                                                 << "Начало импорта глобальных параметров";
    }

    void anEmptyGlobalsTableChangesNoDocument()
    {
        QFETCH(QString, sql);
        QFETCH(QString, document);
        QVERIFY2(legacy->run(sql), qPrintable(legacy->error()));
        checkOnly({"globalsCheckBox"});
        runImport(1);
        QCOMPARE(boxes(), QStringList{"Успех"});
        QStringList paths{"/globals/CheckoutHour", "/globals/OrganizationInfo",
                          "/globals/ReceiptNumber", "/globals/BillNumber"};
        paths.removeOne("/globals/" + document);
        QCOMPARE(postedPaths(), paths);
        if (!document.isEmpty())
            QCOMPARE(server().global(document), fixture().value("globals")[document]);
        if (document != "ReceiptNumber")
            QCOMPARE(server().global("ReceiptNumber"), QJsonValue(41));
        const QStringList lines = log();
        QTEST(lines.value(lines.indexOf("Конец импорта глобальных параметров.") - 1), "logLine");
    }

    // "Стоп" pressed while a request waits: the run ends once the stage, or
    // the person with all the person's records, is done; the page shows the
    // stop at once.
    void stopEndsTheRunBetweenStagesOrPersons_data()
    {
        QTest::addColumn<QString>("pressedAt");  // the first write to this path
        QTest::addColumn<bool>("confirmed");
        // left in districts, regions, persons, accommodation, payments, receipts
        QTest::addColumn<QList<int>>("records");
        QTest::newRow("first district") << "/districts" << true << QList<int>{3, 0, 0, 0, 0, 0};
        QTest::newRow("first stay") << "/accommodation" << true << QList<int>{3, 2, 1, 2, 2, 2};
        QTest::newRow("not confirmed") << "/districts" << false << QList<int>{3, 2, 3, 2, 3, 3};
    }

    void stopEndsTheRunBetweenStagesOrPersons()
    {
        QFETCH(QString, pressedAt);
        QFETCH(bool, confirmed);
        QFETCH(QList<int>, records);
        const QString stopLine = "-- Импорт будет прерван после текущего этапа или физ. лица.";
        bool pressed = false;
        QString textAfterStop;
        bool enabledAfterStop = true;
        QString logAfterStop;
        onWrite = [&](const StandIn::Write &write) {
            if (write.request.path != pressedAt || std::exchange(pressed, true))
                return;
            QPushButton *stop = button(page.get(), "importPushButton");
            MessageBox::setNextAnswer(confirmed ? QMessageBox::Yes : QMessageBox::No);
            stop->click();
            textAfterStop = stop->text();
            enabledAfterStop = stop->isEnabled();
            logAfterStop = log().constLast();
            // Neither asks again nor starts a second run over the first.
            if (confirmed)
                stop->click();
            page->startImport();
            MessageBox::setNextAnswer(QMessageBox::Ok);
        };
        runImport(0);
        QVERIFY(pressed);
        QCOMPARE(button(page.get(), "importPushButton")->text(), QString("Импорт"));
        QVERIFY(button(page.get(), "importPushButton")->isEnabled());
        QList<int> left;
        for (const char *collection : {"districts", "regions", "persons", "accommodation", "payments", "receipts"})
            left << int(server().collection(collection).size());
        QCOMPARE(left, records);
        if (confirmed) {
            QCOMPARE(textAfterStop, QString("Остановка..."));
            QVERIFY(!enabledAfterStop);
            QCOMPARE(logAfterStop, stopLine);
            QCOMPARE(boxTexts("Вы уверены?"),
                     QStringList({"Все данные в текущей БД будут удалены.",
                                  "Отменить импорт? БД может остаться в неопределенном состоянии."}));
            QCOMPARE(boxes(), QStringList{"Внимание"});
            QCOMPARE(boxTexts("Внимание"), QStringList{"Импорт прерван."});
            QCOMPARE(log().constLast(), pressedAt == "/districts" ? QString("Конец импорта округов")
                                                                  : stopLine);
        } else {
            QCOMPARE(textAfterStop, QString("Стоп"));
            QCOMPARE(boxes(), QStringList{"Успех"});
        }
    }
};

// The legacy server's address, taken apart.
class LegacyAddressTest : public QObject
{
    Q_OBJECT

private slots:
    void addressGivesHostAndPort_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("host alone") << "db.local" << "db.local" << 5432;
        QTest::newRow("with port") << "db.local:6543" << "db.local" << 6543;
        QTest::newRow("colon alone") << "db.local:" << "db.local" << 0;
        QTest::newRow("letters") << "db.local:abc" << "db.local" << 0;
        QTest::newRow("third part ignored") << "db.local:6543:x" << "db.local" << 6543;
        QTest::newRow("too large") << "db.local:99999999999" << "db.local" << 0;
    }

    void addressGivesHostAndPort()
    {
        QFETCH(QString, address);
        const LegacyImporter::Address parsed = LegacyImporter::parseAddress(address);
        QTEST(parsed.host, "host");
        QTEST(parsed.port, "port");
    }
};

LOMI_TEST_CLASS(LegacyImportTest)
LOMI_TEST_CLASS(LegacyAddressTest)

#include "tst_legacyimport.moc"
