#include "reporttesting.h"
#include "testregistry.h"

#include "filedialog.h"
#include "global.h"
#include "modalhandler.h"
#include "personreport.h"
#include "personreportfilterdialog.h"
#include "roomsreport.h"

#include <previewdialog.h>

#include <QFile>
#include <QJsonObject>
#include <QRegularExpression>
#include <QPushButton>
#include <QTemporaryDir>

#include <optional>

using ReportEngine::PreviewDialog;

// The listeners list with its CSV export, and the room occupancy map.
class ListReportsTest : public ReportTestBase
{
    Q_OBJECT

    QTemporaryDir dir;

    void initTest() override
    {
        ReportTestBase::initTest();
        Global::setPreference(QStringLiteral("csvExportPath"), QString());
    }

    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

private slots:
    void listenersListFromTheDefaultFilter()
    {
        PersonReport report;
        ModalHandler::acceptNext<PersonReportFilterDialog>();
        PreviewDialog::setNextResult(1);
        report.exec();

        QCOMPARE(lastQuery("reports/persons"),
                 QString("streamId=-1&curriculumId=-1&fact=false&start=01.01.2026&end=31.12.2026"));
        const PreviewDialog::Shown shown = PreviewDialog::history().first();
        QTextDocument *built = shown.document.get();
        QCOMPARE(shown.pageLayout.orientation(), QPageLayout::Landscape);
        QCOMPARE(shown.pageLayout.margins(QPageLayout::Millimeter), QMarginsF(8, 10, 8, 10));
        QVERIFY(isBold(built, "СПИСОК СЛУШАТЕЛЕЙ"));
        // Streams by start date; 2025's is outside this year.
        QCOMPARE(
            paragraphs(built),
            QStringList({"СПИСОК СЛУШАТЕЛЕЙ", "Программа: Пожарная безопасность (72)",
                         "Поток: ПБ-2 (02.02.2026 - 13.02.2026)", "Программа: Охрана труда (40)",
                         "Поток: ОТ-1 (02.03.2026 - 13.03.2026)"}));
        const QList<QTextTable *> groups = tables(built);
        QCOMPARE(groups.size(), 2);
        const QString header
            = "№ п/п | Ф И О | Дата рождения | Регион | Организация | Должность | Номер";
        QCOMPARE(rows(groups.at(0)), QStringList({header, "1 | Волков Виктор |  |  |  |  | "}));
        // The numbering starts again in every group.
        QCOMPARE(
            rows(groups.at(1)),
            QStringList({header, "1 | Борисов Борис | 02.01.1980 | Москва | Альфа | Инженер | ",
                         "2 | Андреев Андрей | 06.05.1990 |  |  |  | "}));
        QCOMPARE(alignments(groups.at(1), 1), QString("^<^<<<^"));
    }

    // Many streams, one of them longer than a few pages: every stream prints
    // once and in order, with its own table of its listeners, the long one
    // with the header on every page it fills.
    void listenersListOfManyStreamsPrintsEveryStream()
    {
        constexpr int streams = 150;
        constexpr int longStream = 100;  // of 400 listeners, the others of 3
        QJsonArray reply;
        int listener = 0;
        for (int s = 0; s < streams; ++s) {
            QJsonArray persons;
            for (int p = 0; p < (s == longStream ? 400 : 3); ++p)
                persons.append(QJsonObject{{"fullname", QString("Слушатель%1 Петрович").arg(listener++)}});
            reply.append(QJsonObject{
                {"stream", QJsonObject{{"name", QString("Группа%1").arg(s)},
                                       {"startDate", "2026-03-02T00:00:00.000"},
                                       {"endDate", "2026-03-13T00:00:00.000"}}},
                {"persons", persons}});
        }
        answer("reports/persons", QJsonDocument(reply).toJson(QJsonDocument::Compact));
        PersonReport report;
        QTextDocument *built = build(report, {{"streamId", -1}, {"curriculumId", -1},
                                              {"startDate", "01.01.2026"},
                                              {"endDate", "31.12.2026"}, {"fact", false}});
        QCOMPARE(paragraphs(built).filter("Поток: ").size(), streams);

        QTemporaryDir output;
        const QString path = output.filePath("listeners.pdf");
        QVERIFY(document->exportToFile(path));
        const QStringList pages = ReportTestUtil::pdfPages(path);
        QCOMPARE(pages.size(), document->numberOfPages());
        const QString all = pages.join('\n');
        const QRegularExpression group("Поток: Группа(\\d+) ");
        int expected = 0;
        for (auto it = group.globalMatch(all); it.hasNext(); ++expected)
            QCOMPARE(it.next().captured(1).toInt(), expected);
        QCOMPARE(expected, streams);
        const QRegularExpression person("Слушатель(\\d+) ");
        expected = 0;
        for (auto it = person.globalMatch(all); it.hasNext(); ++expected)
            QCOMPARE(it.next().captured(1).toInt(), expected);
        QCOMPARE(expected, listener);

        // A page that the long stream's rows fill alone starts with the header.
        int filledAlone = 0;
        for (const QString &page : pages) {
            if (!page.contains("Группа") && page.contains("Слушатель")) {
                ++filledAlone;
                const qsizetype header = page.indexOf("Должность");
                QVERIFY2(header >= 0 && header < page.indexOf("Слушатель"),
                         qPrintable(page.left(300)));
            }
        }
        QVERIFY2(filledAlone >= 2, qPrintable(QString::number(filledAlone)));
    }

    // A room's places the server sends as a count no room has, or as no
    // number, count as none: the sums stay those of the other rooms.
    void absurdPlacesCountAsNone_data()
    {
        QTest::addColumn<QByteArray>("places");
        QTest::newRow("INT_MAX") << QByteArray("2147483647");
        QTest::newRow("INT_MIN") << QByteArray("-2147483648");
        QTest::newRow("negative") << QByteArray("-3");
        QTest::newRow("huge") << QByteArray("1e308");
        QTest::newRow("NaN as text") << QByteArray("\"NaN\"");
        QTest::newRow("null") << QByteArray("null");
    }

    void absurdPlacesCountAsNone()
    {
        QFETCH(QByteArray, places);
        answer("reports/rooms", "[[{\"floor\": 1, \"number\": \"101\", \"rateSize\": " + places
                                    + ", \"accm\": [{\"fullname\": \"А\"}]},"
                                      " {\"floor\": 1, \"number\": \"102\", \"rateSize\": 1,"
                                      " \"accm\": []}]]");
        RoomsReport report;
        build(report, {{"date", "2026-06-15T09:00:00.000"}, {"floor", -1}, {"free", true},
                       {"occupied", true}});
        const QStringList printed = rows(tables().first());
        QCOMPARE(printed.value(1), "1 этаж (мест - 1, из них занято - 1, свободно - 0)");
        QVERIFY2(printed.value(2).contains("-1 - свободно"), qPrintable(printed.value(2)));
        QCOMPARE(printed.value(4), "Мест всего - 1, в т.ч. свободно - 0, занято - 1");
    }

    void occupancyIsCountedHere()
    {
        answer("reports/rooms", R"([
            [{"floor": 2, "number": "201", "description": "Двухместный", "size": 2, "rateSize": 2,
              "accm": [{"inDate": "2026-06-01T12:00:00.000", "outDate": "2026-06-20T12:00:00.000", "fullname": "А"},
                       {"inDate": "2026-06-02T12:00:00.000", "outDate": "2026-06-21T12:00:00.000", "fullname": "Б"},
                       {"inDate": "2026-06-03T12:00:00.000", "outDate": "2026-06-22T14:00:00.000", "fullname": "В"}]},
             {"floor": 2, "number": "202", "description": "Одноместный", "size": 1, "rateSize": 1}],
            []])");
        RoomsReport report;
        build(report,
              {{"date", "2026-06-15T09:00:00.000"},
               {"floor", 2},
               {"free", false},
               {"occupied", true},
               {"type", "Люкс & душ #1"}});

        // The type reaches the server whole, "&" and "#" included.
        const QList<StandIn::Request> all = server().requestsTo("GET", "reports/rooms");
        const StandIn::Request sent = all.value(all.size() - 1);
        QCOMPARE(sent.queryValue("type"), QString("Люкс & душ #1"));
        QVERIFY(sent.query.startsWith(
            "floor=2&date=2026-06-15T09:00:00.000&free=false&occupied=true&type="));
        QVERIFY(isBold(document->document(), "КАРТА ЗАГРУЗКИ НОМЕРОВ на 2026-06-15T09:00:00.000"));
        QCOMPARE(document->pageOrientation(), QPageLayout::Portrait);

        QTextTable *table = tables().first();
        QCOMPARE(
            rows(table),
            QStringList(
                {"Номер | Вид номера | Мест | Состояние | Период проживания | Ф И О",
                 // Three occupants of two places: one place too few, so the floor has none free.
                 "2 этаж (мест - 3, из них занято - 3, свободно - 0)",
                 "201 | Двухместный | 2 | 1 - занято\n1 - занято\n1 - занято\n-1 - свободно"
                 " | 01.06.2026 - 20.06.2026 12:00\n02.06.2026 - 21.06.2026 12:00\n"
                 "03.06.2026 - 22.06.2026 14:00 | А\nБ\nВ",
                 "202 | Одноместный | 1 | 1 - свободно |  | ",
                 "0 этаж (мест - 0, из них занято - 0, свободно - 0)",
                 "Мест всего - 3, в т.ч. свободно - 0, занято - 3"}));
        QCOMPARE(table->cellAt(1, 0).columnSpan(), 6);
        QCOMPARE(table->cellAt(5, 0).columnSpan(), 6);
        QVERIFY(isBold(document->document(), "2 этаж (мест - 3, из них занято - 3, свободно - 0)"));
        QCOMPARE(alignments(table, 2), QString("^<^<^<"));
    }

    void csvExportWritesEveryListenerSorted()
    {
        answer("reports/persons", R"([
            {"stream": {"name": "Поток А", "startDate": "2026-03-02T00:00:00.000", "endDate": "2026-03-13T00:00:00.000"},
             "persons": [
                {"fullname": "Яковлев Ян", "birthDate": "01.02.1990", "room": {"number": "101"},
                 "organization": {"name": "ООО \u0022Ромашка\u0022", "region": {"name": "Москва"}},
                 "position": {"name": "Инженер; техник"}},
                {"fullname": "Ёлкин Ефим", "birthDate": "03.04.1985"}]},
            {"stream": {"name": "Поток Б", "startDate": "05.05.2026 10:00", "endDate": "нет"},
             "persons": [
                {"fullname": "Андреев Антон", "position": {"name": "строка1\nстрока2"},
                 "stream": {"name": "Свой", "startDate": "2026-06-01T00:00:00.000", "endDate": "2026-06-05T00:00:00.000"}},
                {"fullname": "Борисов Борис"}]},
            [{"fullname": "ёжиков", "stream": {"name": "Массив", "startDate": "2026-07-01T00:00:00.000"}}]
        ])");
        PersonReport report;
        auto *filter = qobject_cast<PersonReportFilterDialog *>(report.filterDialog());
        filter->reset();

        FileDialog::setNextFileName(dir.filePath("first.csv"));
        MessageBox::setNextAnswer(QMessageBox::Ok);
        button(filter, "csvExportButton")->click();

        // By code unit: Ё before А, every capital before ё; numbered over all streams.
        QCOMPARE(
            readFile(dir.filePath("first.csv")),
            QString(
                "№ п/п;Ф И О;Дата рождения;Регион;Организация;Должность;Номер;Поток;Начало;Конец;\n"
                "1;Ёлкин Ефим;03.04.1985;;;;;Поток А;02.03.2026;13.03.2026;\n"
                "2;Андреев Антон;;;;\"строка1\nстрока2\";;Свой;01.06.2026;05.06.2026;\n"
                "3;Борисов Борис;;;;;;Поток Б;05.05.2026;;\n"
                "4;Яковлев Ян;01.02.1990;Москва;\"ООО \"\"Ромашка\"\"\";\"Инженер; техник\";101;"
                "Поток А;02.03.2026;13.03.2026;\n"
                "5;ёжиков;;;;;;Массив;01.07.2026;;\n")
                .toUtf8());
        QCOMPARE(boxTexts("Успех"), QStringList{"Данные успешно экспортированы!"});

        // The next export proposes the directory of the last one.
        FileDialog::setNextFileName(dir.filePath("second.csv"));
        MessageBox::setNextAnswer(QMessageBox::Ok);
        report.exportCsv();
        QCOMPARE(FileDialog::proposedPaths(),
                 QStringList({"/15-06-2026.csv", dir.path() + "/15-06-2026.csv"}));
        QCOMPARE(FileDialog::history(), QStringList({"Экспорт в CSV", "Экспорт в CSV"}));
        QCOMPARE(server().requestsTo("GET", "reports/persons").size(), 2);
    }

    void csvExportFailures_data()
    {
        QTest::addColumn<bool>("requestFails");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("diskFull");

        QTest::newRow("request failed") << true << QString() << QStringList{"Request failed"} << false;
        // Under a successful status: told here, with the server's reason.
        QTest::newRow("read refused") << true << QString() << QStringList{"Ошибка"} << false;
        QTest::newRow("no such directory") << false << "missing/out.csv" << QStringList{"Ошибка"} << false;
        QTest::newRow("disk full") << false << "full.csv" << QStringList{"Ошибка"} << true;
    }

    void csvExportFailures()
    {
        QFETCH(bool, requestFails);
        QFETCH(QString, fileName);
        QFETCH(QStringList, boxes);
        QFETCH(bool, diskFull);

        const QString path = dir.filePath(fileName);
        Global::setPreference("csvExportPath", "/kept");
        const bool refused = boxes == QStringList{"Ошибка"} && requestFails;
        if (refused)
            answer("reports/persons", R"({"Ok": false, "message": "Нет права на чтение"})");
        else if (requestFails)
            fail("reports/persons");
        else
            FileDialog::setNextFileName(path);
        if (refused || !requestFails)
            MessageBox::setNextAnswer(QMessageBox::Ok);
        PersonReport report;
        {
            std::optional<FullDisk> full;
            if (diskFull)
                full.emplace();
            report.exportCsv();
        }

        QStringList titles;
        for (const MessageBox::Record &box : MessageBox::history())
            titles << box.title;
        QCOMPARE(titles, boxes);
        if (requestFails) {
            // No file dialog, no file and the stored directory as it was.
            QVERIFY(FileDialog::history().isEmpty());
            QCOMPARE(Global::getPreference("csvExportPath").toString(), QString("/kept"));
            QVERIFY(!refused || MessageBox::history().first().text.contains("Нет права на чтение"));
        } else {
            QCOMPARE(MessageBox::history().first().text, "Не удалось записать файл " + path);
        }
    }
};

LOMI_TEST_CLASS(ListReportsTest)

#include "tst_listreports.moc"
