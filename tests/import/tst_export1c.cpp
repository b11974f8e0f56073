#include "testregistry.h"

#include "export1cdialog.h"
#include "filedialog.h"
#include "global.h"
#include "guitestbase.h"
#include "importmanagerwidget.h"
#include "mainwindow.h"
#include "modalhandler.h"
#include "preloaderwidget.h"

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>
#include <QTemporaryDir>

namespace {

QAbstractItemModel *streamsOf(QDialog *dialog)
{
    return dialog->findChild<QTableView *>("tableView")->model();
}

// What a click on a row's check box does; the value the view passes does not matter.
void clickCheck(QDialog *dialog, int row)
{
    QAbstractItemModel *model = streamsOf(dialog);
    model->setData(model->index(row, 2), Qt::Checked, Qt::CheckStateRole);
}

const char *const firstLabel = "01.03.2024 - 15.03.2024 | Поток А";

}  // namespace

// The main window's data exchange entries: the import page, and the rosters
// of chosen streams written for 1C.
class Export1CTest : public GuiTestBase
{
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window;

    static QJsonObject fixture()
    {
        const auto stream = [](int id, const char *name, const char *start) {
            QJsonObject s{{"id", id}, {"name", name}, {"endDate", "2024-03-15T00:00:00.000"}};
            if (start)
                s.insert("startDate", start);
            return s;
        };
        return {{"users", QJsonArray{QJsonObject{{"id", 1}, {"name", "Администратор"},
                                                 {"password", "admin"},
                                                 {"permissions", StandIn::Server::allPermissions()}}}},
                {"streams", QJsonArray{stream(1, "Поток А", "2024-03-01T00:00:00.000"),
                                       stream(2, "Поток Б", nullptr), stream(3, "Поток В", "2024-03-02"),
                                       stream(4, "Поток\r\nГ\n", "2024-03-01T00:00:00.000")}},
                {"persons", QJsonArray{QJsonObject{{"id", 1}, {"surname", "Иванов"}, {"name", "Иван"},
                                                   {"lastname", "Иванович"}, {"streamId", 1}},
                                       QJsonObject{{"id", 2}, {"streamId", 1}},
                                       QJsonObject{{"id", 3}, {"surname", "Петров"}, {"streamId", 3}}}}};
    }

    // Checks `rows` and exports; the next showing is cancelled.
    void exportRows(const QList<int> &rows, const QString &fileName)
    {
        ModalHandler::onNextDialog<Export1CDialog>([rows](Export1CDialog *d) {
            for (int row : rows)
                clickCheck(d, row);
            button(d, "exportPushButton")->click();
        });
        FileDialog::setNextFileName(fileName);
        ModalHandler::rejectNext<Export1CDialog>();
        window->findChild<QAction *>("export1CAction")->trigger();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startServer(fixture()).signIn("admin"));
        window = std::make_unique<MainWindow>();
    }

    void cleanupTestCase() { window.reset(); }

    void importEntryOpensTheImportPage()
    {
        window->findChild<QAction *>("importAction")->trigger();
        const QList<QMdiSubWindow *> frames = window->findChild<QMdiArea *>()->subWindowList();
        const auto page = std::find_if(frames.begin(), frames.end(), [](QMdiSubWindow *frame) {
            return qobject_cast<ImportManagerWidget *>(frame->widget());
        });
        QVERIFY(page != frames.end());
        QCOMPARE((*page)->widget()->windowTitle(), QString("Помощник импорта"));
    }

    void exportWritesTheCheckedRostersExactly()
    {
        const QString fileName = dir.filePath("roster.txt");
        MessageBox::setNextAnswer(QMessageBox::Ok);
        exportRows({0, 1}, fileName);
        QCOMPARE(boxTexts("Успех"), QStringList{"Данные успешно экспортированы!"});

        QFile file(fileName);
        QVERIFY(file.open(QIODevice::ReadOnly));
        // UTF-8 without a byte-order mark, CR LF; the nameless person is an empty line.
        QCOMPARE(file.readAll(), (QString(firstLabel) + ";\r\nИванов Иван Иванович\r\n\r\n"
                                  " - 15.03.2024 | Поток Б;\r\n").toUtf8());

        // The one busy indicator outlives the dialog that it was shown over.
        const QWidgetList windows = QApplication::topLevelWidgets();
        const auto preloader = std::find_if(windows.begin(), windows.end(), [](QWidget *w) {
            return qobject_cast<PreloaderWidget *>(w);
        });
        QVERIFY(preloader != windows.end());
        QVERIFY(!(*preloader)->isVisible());
        Global::showPreloader();
        Global::hidePreloader();
    }

    void checksFollowTheClicksAndClearOnReload()
    {
        // Recorded in the dialogs, compared once they are closed.
        QList<bool> enabled;
        QVariant toggledTwice;
        QList<QPair<int, QString>> selected{{-1, "not shown"}}, afterReload{{-1, "not shown"}};
        ModalHandler::onNextDialog<Export1CDialog>([&](Export1CDialog *d) {
            QPushButton *exportButton = button(d, "exportPushButton");
            enabled << exportButton->isEnabled();
            clickCheck(d, 2);
            enabled << exportButton->isEnabled();
            clickCheck(d, 2);
            enabled << exportButton->isEnabled();
            toggledTwice = streamsOf(d)->index(2, 2).data(Qt::CheckStateRole);
            clickCheck(d, 1);
            selected = d->getSelectedStreams();
            d->accept();
        });
        FileDialog::setNextFileName(QString());  // cancelled: the dialog comes back, reloaded
        ModalHandler::onNextDialog<Export1CDialog>([&](Export1CDialog *d) {
            enabled << button(d, "exportPushButton")->isEnabled();
            afterReload = d->getSelectedStreams();
            d->reject();
        });
        window->export1C();
        QCOMPARE(enabled, QList<bool>({false, true, false, false}));
        QCOMPARE(toggledTwice, QVariant(Qt::Unchecked));
        QCOMPARE(selected, (QList<QPair<int, QString>>{{2, " - 15.03.2024 | Поток Б"}}));
        QCOMPARE(afterReload, (QList<QPair<int, QString>>()));
        QCOMPARE(server().requestsTo("GET", "streams").size(), 2);
    }

    // The 1C side reads one entry per line.
    void aLineBreakInANameIsWrittenAsABlank()
    {
        StandIn::Failure roster;  // a reply as a server that keeps line breaks in names gives it
        roster.status = 200;
        roster.body = R"([{"fullname": "Сидоров\r\nСидор"}, {"fullname": "Петров\nПётр\r"}])";
        server().injectFailure("GET", "streams/4/persons", roster);
        const QString fileName = dir.filePath("breaks.txt");
        MessageBox::setNextAnswer(QMessageBox::Ok);
        exportRows({3}, fileName);
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QString("01.03.2024 - 15.03.2024 | Поток  Г ;\r\nСидоров  Сидор\r\n"
                                         "Петров Пётр \r\n").toUtf8());
    }

    void aFailedExportWritesNothing_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("rosterFails");
        QTest::addColumn<QString>("error");
        QTest::newRow("unwritable file") << "missing/roster.txt" << false
                                         << "Не удалось записать файл %1";
        QTest::newRow("roster 500") << "failed.txt" << true
                                    << QString("Не удалось получить список слушателей потока ") + firstLabel;
        // Refused under a successful status: no roster without persons.
        QTest::newRow("roster refused") << "refused.txt" << true
                                        << QString("Не удалось получить список слушателей потока ") + firstLabel;
    }

    void aFailedExportWritesNothing()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, rosterFails);
        QFETCH(QString, error);
        const QString path = dir.filePath(fileName);
        if (QByteArray(QTest::currentDataTag()).endsWith("refused")) {
            server().injectFailure("GET", "streams/1/persons", StandIn::Failure{StandIn::FailureKind::OkFalse});
        } else if (rosterFails) {
            server().injectFailure("GET", "streams/1/persons", StandIn::Failure());
            MessageBox::setNextAnswer(QMessageBox::Ok);  // "Request failed"
        }
        MessageBox::setNextAnswer(QMessageBox::Ok);
        exportRows({0, 2}, path);
        QCOMPARE(boxTexts("Ошибка"), QStringList{error.contains("%1") ? error.arg(path) : error});
        QCOMPARE(boxesTitled("Успех").size(), 0);
        QVERIFY(!QFile::exists(path));
    }
};

LOMI_TEST_CLASS(Export1CTest)

#include "tst_export1c.moc"
