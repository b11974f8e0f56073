#include "testregistry.h"

#include "districteditdialog.h"
#include "guitestbase.h"
#include "loginmanager.h"
#include "modalhandler.h"
#include "requesttablemodel.h"
#include "simpleviewwidget.h"
#include "viewsfixture.h"

#include <previewdialog.h>

#include <QHeaderView>
#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

using namespace ViewsTest;

namespace {

const JsonTableModel::Headers districtHeaders = {{"ID", "id"}, {"Название", "name"}};

// Every table of a built report, in document order, as rows of cell texts.
QList<QList<QStringList>> tablesOf(const QTextDocument *document)
{
    QList<QList<QStringList>> tables;
    const auto frames = document->rootFrame()->childFrames();
    for (QTextFrame *frame : frames) {
        auto *table = qobject_cast<QTextTable *>(frame);
        if (!table)
            continue;
        QList<QStringList> rows;
        for (int row = 0; row < table->rows(); ++row) {
            QStringList cells;
            for (int column = 0; column < table->columns(); ++column) {
                const QTextTableCell cell = table->cellAt(row, column);
                QTextCursor cursor = cell.firstCursorPosition();
                cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                cells << cursor.selectedText();
            }
            rows << cells;
        }
        tables << rows;
    }
    return tables;
}

}  // namespace

class SimpleViewWidgetTest : public GuiTestBase
{
    Q_OBJECT

    std::unique_ptr<DistrictEditDialog> editor;

    // A list built as the main window builds the districts list.
    std::unique_ptr<SimpleViewWidget> districts(EditDialog *dialog)
    {
        return std::unique_ptr<SimpleViewWidget>(SimpleViewWidget::Builder::create()
                                                     ->withTitle("Округа")
                                                     ->withEndpoint("districts")
                                                     ->withHeaders(districtHeaders)
                                                     ->withEditDialog(dialog)
                                                     ->requires("districts")
                                                     ->build());
    }

    static bool load(SimpleViewWidget *widget)
    {
        return reloadsAfter(widget, [widget] { widget->handleUpdate(); });
    }

    void initTest() override
    {
        QVERIFY(environment().signIn("admin"));
        server().setCollection("districts", fixture().value("districts").toArray());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startServer(fixture()).signIn("admin"));
        editor = std::make_unique<DistrictEditDialog>();
    }

    void loadRequestsThePrettyListWithBearerOnly_data()
    {
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("query");
        QTest::newRow("plain") << "districts" << "/districts" << "pretty=true";
        QTest::newRow("with query")
            << "districts?excludeArchive=true" << "/districts" << "excludeArchive=true&pretty=true";
    }

    void loadRequestsThePrettyListWithBearerOnly()
    {
        QFETCH(QString, endpoint);
        QFETCH(QString, path);
        QFETCH(QString, query);
        auto widget = districts(editor.get());
        widget->setEndpoint(endpoint);
        QVERIFY(load(widget.get()));

        const auto requests = server().requests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().method, QByteArray("GET"));
        QCOMPARE(requests.first().path, path);
        QCOMPARE(requests.first().query, query);
        QCOMPARE(requests.first().header("Authorization"), bearer());
        QCOMPARE(server().lastToken(), LoginManager::instance()->getToken());
        QVERIFY(!requests.first().hasHeader("Content-Type"));

        // Shown as received, sorted by the id column.
        QCOMPARE(shownIds(widget.get()), QList<int>({1, 2, 12}));
        QCOMPARE(tableOf(widget.get())->model()->headerData(1, Qt::Horizontal).toString(),
                 QString("Название"));
    }

    void emptyEndpointReloadsTheGivenRequest()
    {
        auto widget = std::unique_ptr<SimpleViewWidget>(
            SimpleViewWidget::Builder::create()
                ->withRequest(QNetworkRequest(QUrl(environment().rootUrl() + "districts?x=1")))
                ->withHeaders(districtHeaders)
                ->build());
        QVERIFY(load(widget.get()));
        const auto requests = server().requests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().path, QString("/districts"));
        QCOMPARE(requests.first().query, QString("x=1"));
        QCOMPARE(requests.first().header("Authorization"), bearer());
        QCOMPARE(shownIds(widget.get()).size(), 3);
    }

    void searchFiltersEveryColumnIgnoringCase()
    {
        auto widget = districts(editor.get());
        QVERIFY(load(widget.get()));
        auto *search = widget->findChild<QLineEdit *>("searchLineEdit");
        typeInto(search, "СЕВЕРО");
        QCOMPARE(shownIds(widget.get()), QList<int>({2}));
        search->clear();
        QTest::keyClicks(search, "12");  // the id column counts too
        QCOMPARE(shownIds(widget.get()), QList<int>({12}));
        QTest::keyClick(search, Qt::Key_Backspace);
        QTest::keyClick(search, Qt::Key_Backspace);
        QCOMPARE(shownIds(widget.get()), QList<int>({1, 2, 12}));
    }

    void sortByIsReappliedAfterEveryReload()
    {
        auto widget = districts(editor.get());
        QTableView *view = tableOf(widget.get());
        widget->sort(1, Qt::AscendingOrder);
        QVERIFY(load(widget.get()));
        // "Центральный" < "Южный" < "северо-западный" in code-unit order.
        const QList<int> byName = shownIds(view);
        QCOMPARE(byName.size(), 3);
        QCOMPARE(byName.first(), 1);

        view->sortByColumn(0, Qt::DescendingOrder);  // the user clicks the id header
        QCOMPARE(shownIds(view), QList<int>({12, 2, 1}));
        QVERIFY(reloadsAfter(widget.get(), [&] { button(widget.get(), "refreshButton")->click(); }));
        QCOMPARE(shownIds(view), byName);
        QCOMPARE(view->horizontalHeader()->sortIndicatorSection(), 1);
        QCOMPARE(view->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    }

    void refreshReloadsFromTheServer()
    {
        auto widget = districts(editor.get());
        QVERIFY(load(widget.get()));
        QJsonArray rows = fixture().value("districts").toArray();
        rows.append(QJsonObject{{"id", 20}, {"name", "Новый"}});
        server().setCollection("districts", rows);
        QVERIFY(reloadsAfter(widget.get(), [&] { button(widget.get(), "refreshButton")->click(); }));
        QCOMPARE(shownIds(widget.get()), QList<int>({1, 2, 12, 20}));
        QCOMPARE(server().requestsTo("GET", "districts").size(), 2);
    }

    // Add starts from an empty editor, copy from the selected row; both post
    // what the editor holds then as a new record, and reload.
    void addAndCopyPostTheEditorsRecord_data()
    {
        QTest::addColumn<QByteArray>("pressed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("posted");
        QTest::newRow("add") << QByteArray("addButton") << "" << "Приволжский" << "Приволжский";
        QTest::newRow("copy") << QByteArray("copyButton") << "Южный" << "" << "Южный";
    }

    void addAndCopyPostTheEditorsRecord()
    {
        QFETCH(QByteArray, pressed);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(QString, posted);
        auto widget = districts(editor.get());
        QVERIFY(load(widget.get()));
        editor->fromData({{"name", "left over"}});
        QVERIFY(selectId(widget.get(), 12));
        QString shownName;
        ModalHandler::onNextDialog<DistrictEditDialog>([&](DistrictEditDialog *d) {
            shownName = fieldText(d, "nameLineEdit");
            if (!typed.isEmpty())
                fillIn(d, "nameLineEdit", typed);
            press(d, QDialogButtonBox::Ok);
        });
        server().clearRequests();
        QVERIFY(reloadsAfter(widget.get(), [&] { button(widget.get(), pressed)->click(); }));
        QCOMPARE(shownName, shown);

        // The list is read just before the create, which a lost answer
        // would be looked up in, and again after it.
        const auto requests = server().requests();
        QCOMPARE(requests.size(), 3);
        QCOMPARE(requests.at(0).method + " " + requests.at(0).path.toUtf8(), QByteArray("GET /districts"));
        const StandIn::Request &post = requests.at(1);
        QCOMPARE(post.method, QByteArray("POST"));
        QCOMPARE(post.path, QString("/districts"));
        QCOMPARE(post.query, QString());
        QCOMPARE(post.header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(post.header("Authorization"), bearer());
        QCOMPARE(post.body, indented({{"name", posted}}));
        QCOMPARE(requests.at(2).method, QByteArray("GET"));
        QCOMPARE(shownIds(widget.get()).size(), 4);
    }

    void editPutsToTheRecordWithItsId_data()
    {
        QTest::addColumn<bool>("byDoubleClick");
        QTest::newRow("edit button") << false;
        QTest::newRow("double click") << true;
    }

    void editPutsToTheRecordWithItsId()
    {
        QFETCH(bool, byDoubleClick);
        auto widget = districts(editor.get());
        QVERIFY(load(widget.get()));
        QTableView *view = tableOf(widget.get());
        view->sortByColumn(0, Qt::DescendingOrder);  // view rows differ from model rows
        QVERIFY(selectId(widget.get(), 12));
        QString shownName;
        ModalHandler::onNextDialog<DistrictEditDialog>([&](DistrictEditDialog *d) {
            shownName = fieldText(d, "nameLineEdit");
            fillIn(d, "nameLineEdit", "Южный федеральный");
            press(d, QDialogButtonBox::Ok);
        });
        server().clearRequests();
        QVERIFY(reloadsAfter(widget.get(), [&] {
            if (byDoubleClick)
                emit view->doubleClicked(view->model()->index(shownIds(view).indexOf(12), 1));
            else
                button(widget.get(), "editButton")->click();
        }));
        QCOMPARE(shownName, QString("Южный"));

        const auto puts = server().requestsTo("PUT", "districts/12");
        QCOMPARE(puts.size(), 1);
        QCOMPARE(puts.first().query, QString());
        QCOMPARE(puts.first().header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(puts.first().header("Authorization"), bearer());
        QCOMPARE(puts.first().body, indented({{"id", 12}, {"name", "Южный федеральный"}}));
        QCOMPARE(server().record("districts", 12).value("name").toString(),
                 QString("Южный федеральный"));
    }

    void editTargetsTheRowChosenEvenIfTheListReloadsMeanwhile()
    {
        auto widget = districts(editor.get());
        QVERIFY(load(widget.get()));
        QVERIFY(selectId(widget.get(), 12));
        ModalHandler::onNextDialog<DistrictEditDialog>([&](DistrictEditDialog *d) {
            // An earlier reply reloads the list while the editor is open;
            // the server now lists another record where id 12 was.
            QJsonArray rows = fixture().value("districts").toArray();
            rows.insert(2, QJsonObject{{"id", 5}, {"name", "Вставленный"}});
            server().setCollection("districts", rows);
            QVERIFY(load(widget.get()));
            fillIn(d, "nameLineEdit", "Изменён");
            press(d, QDialogButtonBox::Ok);
        });
        server().clearRequests();
        QVERIFY(reloadsAfter(widget.get(), [&] { button(widget.get(), "editButton")->click(); }));
        QCOMPARE(server().requestsTo("PUT", "districts/12").size(), 1);
        QCOMPARE(server().requestsTo("PUT", "districts/5").size(), 0);
    }

    void cancelledEditorSendsNothing()
    {
        auto widget = districts(editor.get());
        QVERIFY(load(widget.get()));
        QVERIFY(selectId(widget.get(), 2));
        server().clearRequests();
        ModalHandler::rejectNext<DistrictEditDialog>();
        button(widget.get(), "addButton")->click();
        ModalHandler::rejectNext<DistrictEditDialog>();
        button(widget.get(), "editButton")->click();
        ModalHandler::rejectNext<DistrictEditDialog>();
        button(widget.get(), "copyButton")->click();
        // Anything sent would reach the server before this reload's GET.
        QVERIFY(load(widget.get()));
        QCOMPARE(server().requests().size(), 1);
        QCOMPARE(server().requests().first().method, QByteArray("GET"));
    }

    void deleteAsksFirst()
    {
        auto widget = districts(editor.get());
        QVERIFY(load(widget.get()));
        QVERIFY(selectId(widget.get(), 12));
        server().clearRequests();

        MessageBox::setNextAnswer(QMessageBox::No);
        button(widget.get(), "removeButton")->click();
        QCOMPARE(MessageBox::history().size(), 1);
        QCOMPARE(MessageBox::history().first().text, QString("Удалить запись?"));
        QCOMPARE(MessageBox::history().first().icon, QMessageBox::Question);

        MessageBox::setNextAnswer(QMessageBox::Yes);
        QVERIFY(reloadsAfter(widget.get(), [&] { button(widget.get(), "removeButton")->click(); }));
        const auto requests = server().requests();
        QCOMPARE(requests.size(), 2);  // nothing after "No"; the DELETE, then the reload
        QCOMPARE(requests.at(0).method, QByteArray("DELETE"));
        QCOMPARE(requests.at(0).path, QString("/districts/12"));
        QVERIFY(requests.at(0).body.isEmpty());
        QCOMPARE(requests.at(0).header("Authorization"), bearer());
        QCOMPARE(shownIds(widget.get()), QList<int>({1, 2}));
    }

    void buttonsWithoutSelectionDoNothing()
    {
        auto widget = districts(editor.get());
        QVERIFY(load(widget.get()));
        tableOf(widget.get())->clearSelection();
        server().clearRequests();
        button(widget.get(), "editButton")->click();
        button(widget.get(), "copyButton")->click();
        button(widget.get(), "removeButton")->click();
        QVERIFY(MessageBox::history().isEmpty());
        QVERIFY(load(widget.get()));
        QCOMPARE(server().requests().size(), 1);
    }

    void failedWriteIsReportedAndTheListReloads()
    {
        auto widget = districts(editor.get());
        QVERIFY(load(widget.get()));
        server().injectFailure("POST", "districts", StandIn::Failure());
        MessageBox::setNextAnswer(QMessageBox::Ok);
        ModalHandler::onNextDialog<DistrictEditDialog>([](DistrictEditDialog *d) {
            fillIn(d, "nameLineEdit", "Не сохранится");
            press(d, QDialogButtonBox::Ok);
        });
        ModalHandler::rejectNext<DistrictEditDialog>();  // it comes back as typed
        QVERIFY(reloadsAfter(widget.get(), [&] { button(widget.get(), "addButton")->click(); }));
        QCOMPARE(boxesTitled("Request failed").size(), 1);
        QCOMPARE(shownIds(widget.get()), QList<int>({1, 2, 12}));
    }

    void writeButtonsFollowTheUsersRights_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("writes");
        QTest::addColumn<bool>("prints");
        QTest::newRow("read and write") << "admin" << true << true;
        QTest::newRow("read only") << "reader" << false << true;
        QTest::newRow("write only") << "writer" << true << false;
        QTest::newRow("neither") << "nobody" << false << false;
    }

    void writeButtonsFollowTheUsersRights()
    {
        QFETCH(QString, password);
        QFETCH(bool, writes);
        QFETCH(bool, prints);
        auto widget = districts(editor.get());
        // A later sign-in changes the buttons of a window built earlier.
        QVERIFY(environment().signIn(password));
        for (const char *name : {"addButton", "editButton", "removeButton", "copyButton"})
            QCOMPARE(button(widget.get(), name)->isHidden(), !writes);
        QCOMPARE(button(widget.get(), "printButton")->isHidden(), !prints);
        QVERIFY(!button(widget.get(), "refreshButton")->isHidden());
        QVERIFY(!widget->findChild<QLineEdit *>("searchLineEdit")->isHidden());
    }

    void nodeGivenByRequiresAppliesAtOnce()
    {
        QVERIFY(environment().signIn("reader"));
        std::unique_ptr<SimpleViewWidget> unguarded(
            SimpleViewWidget::Builder::create()->withEditDialog(editor.get())->build());
        QVERIFY(!button(unguarded.get(), "addButton")->isHidden());  // the empty node passes
        auto guarded = districts(editor.get());
        QVERIFY(button(guarded.get(), "addButton")->isHidden());
        QVERIFY(!button(guarded.get(), "printButton")->isHidden());
    }

    void featuresHideButtonsWhateverTheRights()
    {
        std::unique_ptr<SimpleViewWidget> widget(SimpleViewWidget::Builder::create()
                                                     ->withEndpoint("districts")
                                                     ->withHeaders(districtHeaders)
                                                     ->withFeatures(SimpleViewWidget::Features())
                                                     ->requires("districts")
                                                     ->build());
        for (const char *name : {"addButton", "editButton", "removeButton", "copyButton",
                                 "printButton"})
            QVERIFY2(button(widget.get(), name)->isHidden(), name);
        QVERIFY(!button(widget.get(), "refreshButton")->isHidden());

        widget->setFeatures(SimpleViewWidget::AddFeature | SimpleViewWidget::PrintFeature);
        QVERIFY(!button(widget.get(), "addButton")->isHidden());
        QVERIFY(!button(widget.get(), "printButton")->isHidden());
        QVERIFY(button(widget.get(), "editButton")->isHidden());
    }

    void printListsEveryLoadedRowUnderThePageHeader()
    {
        using ReportEngine::PreviewDialog;
        auto widget = districts(editor.get());
        QVERIFY(load(widget.get()));
        // Neither the search nor the view's order reaches the print.
        typeInto(widget->findChild<QLineEdit *>("searchLineEdit"), "юж");
        tableOf(widget.get())->sortByColumn(1, Qt::DescendingOrder);
        QCOMPARE(shownIds(widget.get()), QList<int>({12}));

        PreviewDialog::setNextResult(0);
        const QDate today = QDate::currentDate();
        button(widget.get(), "printButton")->click();
        QCOMPARE(PreviewDialog::history().size(), 1);
        const PreviewDialog::Shown shown = PreviewDialog::history().first();

        const auto tables = tablesOf(shown.document.get());
        QVERIFY(tables.size() >= 2);
        // The page header: the organisation at the left, the moment of printing at the right.
        const QStringList header = tables.first().first();
        QCOMPARE(header.first(), QString("Учебный центр «Заря»"));
        QVERIFY2(QRegularExpression("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d$").match(header.last()).hasMatch(),
                 qPrintable(header.last()));
        QVERIFY(header.last().startsWith(today.toString("dd.MM.yyyy"))
                || header.last().startsWith(QDate::currentDate().toString("dd.MM.yyyy")));
        QVERIFY(!shown.text.contains("OrganizationName"));

        // The list: its labels, then every row as received.
        const QList<QStringList> list = tables.last();
        QCOMPARE(list.size(), 4);
        auto lastColumns = [](const QStringList &cells) { return cells.mid(cells.size() - 2); };
        QCOMPARE(lastColumns(list.at(0)), QStringList({"ID", "Название"}));
        QCOMPARE(lastColumns(list.at(1)), QStringList({"1", "Центральный"}));
        QCOMPARE(lastColumns(list.at(2)), QStringList({"2", "северо-западный"}));
        QCOMPARE(lastColumns(list.at(3)), QStringList({"12", "Южный"}));
        QVERIFY(boxesTitled("Error").isEmpty());
    }

    void withoutEditorWritesAreDisabledAndAsserted()
    {
        auto widget = districts(nullptr);
        QVERIFY(load(widget.get()));
        QVERIFY(!button(widget.get(), "addButton")->isEnabled());
        QVERIFY(!button(widget.get(), "editButton")->isEnabled());
        QVERIFY(!button(widget.get(), "copyButton")->isEnabled());
        QVERIFY(button(widget.get(), "removeButton")->isEnabled());
        QVERIFY(button(widget.get(), "refreshButton")->isEnabled());

        server().clearRequests();
        for (int box = 0; box < 3; ++box)
            MessageBox::setNextAnswer(QMessageBox::Ok);
        // A double click, as on the audit log, has nothing to open.
        QTableView *view = tableOf(widget.get());
        emit view->doubleClicked(view->model()->index(0, 1));
        QVERIFY(MessageBox::history().isEmpty());
        widget->handleAdd();
        QVERIFY(selectId(widget.get(), 2));
        widget->duplicate();
        widget->edit(QModelIndex());

        const auto boxes = boxesTitled("Assertion failed");
        QCOMPARE(boxes.size(), 3);
        QCOMPARE(boxes.at(0).text,
                 QString("Client/widgets/simpleviewwidget:138: dialog != nullptr"));
        QCOMPARE(boxes.at(1).text,
                 QString("Client/widgets/simpleviewwidget:158: dialog != nullptr"));
        QCOMPARE(boxes.at(2).text,
                 QString("Client/widgets/simpleviewwidget:110: rowStart.isValid()"));
        QCOMPARE(boxes.at(0).icon, QMessageBox::Warning);
        QVERIFY(load(widget.get()));
        QCOMPARE(server().requests().size(), 1);

        // An editor given later enables the buttons at the next reload.
        widget->setEditDialog(editor.get());
        QVERIFY(load(widget.get()));
        QVERIFY(button(widget.get(), "addButton")->isEnabled());
    }
};

LOMI_TEST_CLASS(SimpleViewWidgetTest)

#include "tst_simpleviewwidget.moc"
