#include "testregistry.h"

#include "guitestbase.h"
#include "mainwindow.h"
#include "permissionmanager.h"
#include "simpleviewwidget.h"

#include <QAction>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

namespace {

struct DirectoryList
{
    const char *action;
    const char *title;
    const char *path;
    const char *node;
    int columns;
    bool hasEditor;
};

// Registration order of the main window.
const QList<DirectoryList> directoryLists = {
    {"districtsAction", "Округа", "/districts", "districts", 2, true},
    {"regionsAction", "Регионы", "/regions", "regions", 4, true},
    {"positionsAction", "Должности", "/positions", "positions", 2, true},
    {"organizationAction", "Организации", "/organizations", "organizations", 6, true},
    {"registerCurriculumAction", "Программы обучения", "/curriculums", "curriculums", 8, true},
    {"registerStreamAction", "Потоки", "/streams", "streams", 6, true},
    {"ratesAction", "Тарифы", "/rates", "rates", 12, true},
    {"payTypeAction", "Способ оплаты", "/pay_type", "payTypes", 7, true},
    {"propertyAction", "Имущество", "/properties", "property", 5, true},
};

}  // namespace

class MainWindowListsTest : public GuiTestBase
{
    Q_OBJECT

    std::unique_ptr<MainWindow> window;

    QAction *action(const char *name) { return window->findChild<QAction *>(name); }

private slots:
    void initTestCase()
    {
        startServer();  // the demo data: every list has rows
        window = std::make_unique<MainWindow>();
        QVERIFY(environment().signIn(TestEnvironment::adminPassword()));
        // The persons view, the first tab, loads at construction and again at
        // the sign-in; those requests are not the lists'.
        QTRY_VERIFY(server().requestsTo("GET", "persons").size() == 2
                    && server().requestsTo("GET", "persons/info").size() == 2);
    }

    void eachListIsFiledUnderItsNode_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < directoryLists.size(); ++i)
            QTest::newRow(directoryLists.at(i).action) << i;
    }

    void eachListIsFiledUnderItsNode()
    {
        QFETCH(int, index);
        const DirectoryList &list = directoryLists.at(index);
        // Only this node readable: only this entry among the lists is enabled.
        PermissionManager::instance()->setPermissions({{list.node, 1}});
        for (const DirectoryList &other : directoryLists)
            QCOMPARE(action(other.action)->isEnabled(), QString(other.node) == list.node);
        PermissionManager::instance()->setPermissions({{list.node, 2}});
        QVERIFY(!action(list.action)->isEnabled());
    }

    void eachListOpensWithItsTitleAndEndpoint_data() { eachListIsFiledUnderItsNode_data(); }

    void eachListOpensWithItsTitleAndEndpoint()
    {
        QFETCH(int, index);
        const DirectoryList &list = directoryLists.at(index);
        QMap<QString, int> everything;
        for (const DirectoryList &each : directoryLists)
            everything.insert(each.node, 3);
        PermissionManager::instance()->setPermissions(everything);

        QVERIFY(action(list.action)->isEnabled());
        auto *widget = qobject_cast<SimpleViewWidget *>(openList(window.get(), list.action));
        QVERIFY(widget);
        QCOMPARE(widget->windowTitle(), QString(list.title));
        QCOMPARE(widget->getPermissionNode(), QString(list.node));

        QTableView *view = tableOf(widget);
        const auto requests = server().requests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().method, QByteArray("GET"));
        QCOMPARE(requests.first().path, QString(list.path));
        QCOMPARE(requests.first().query, QString("pretty=true"));
        QVERIFY(view->model()->rowCount() > 0);
        QCOMPARE(view->model()->columnCount(), list.columns);
        QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(), QString("ID"));
        QCOMPARE(button(widget, "addButton")->isEnabled(), list.hasEditor);

        const int sortSection = QString(list.node) == "property" ? 1 : 0;
        QCOMPARE(view->horizontalHeader()->sortIndicatorSection(), sortSection);
        QCOMPARE(view->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    }
};

LOMI_TEST_CLASS(MainWindowListsTest)

#include "tst_mainwindowlists.moc"
