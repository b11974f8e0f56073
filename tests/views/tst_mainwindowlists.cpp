#include "testregistry.h"

#include "mainwindow.h"
#include "permissionmanager.h"
#include "simpleviewwidget.h"
#include "testenvironment.h"
#include "viewstesthelpers.h"

#include <QAction>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>

using namespace ViewsTest;

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
    {"organizationAction", "Организации", "/organizations", "organizations", 6, false},
    {"registerCurriculumAction", "Программы обучения", "/curriculums", "curriculums", 8, false},
    {"registerStreamAction", "Потоки", "/streams", "streams", 6, false},
    {"ratesAction", "Тарифы", "/rates", "rates", 12, false},
    {"payTypeAction", "Способ оплаты", "/pay_type", "payTypes", 7, false},
    {"propertyAction", "Имущество", "/properties", "property", 5, false},
};

}  // namespace

class MainWindowListsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<MainWindow> window;

    QAction *action(const char *name) { return window->findChild<QAction *>(name); }

private slots:
    void initTestCase()
    {
        env = std::make_unique<TestEnvironment>();  // the demo data: every list has rows
        window = std::make_unique<MainWindow>();
        QVERIFY(env->signIn(TestEnvironment::adminPassword()));
    }

    void cleanupTestCase()
    {
        window.reset();
        env.reset();
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
        env->server().clearRequests();

        QVERIFY(action(list.action)->isEnabled());
        action(list.action)->trigger();
        QMdiSubWindow *frame = window->findChild<QMdiArea *>("mdiArea")->activeSubWindow();
        QVERIFY(frame);
        auto *widget = qobject_cast<SimpleViewWidget *>(frame->widget());
        QVERIFY(widget);
        QCOMPARE(widget->windowTitle(), QString(list.title));
        QCOMPARE(widget->getPermissionNode(), QString(list.node));

        auto *view = widget->findChild<QTableView *>("tableView");
        QSignalSpy loaded(sourceModel(view), &RequestTableModel::selectFinished);
        QVERIFY(loaded.wait(5000));
        const auto requests = env->server().requests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().method, QByteArray("GET"));
        QCOMPARE(requests.first().path, QString(list.path));
        QCOMPARE(requests.first().query, QString("pretty=true"));
        QVERIFY(view->model()->rowCount() > 0);
        QCOMPARE(view->model()->columnCount(), list.columns);
        QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(), QString("ID"));
        QCOMPARE(widget->findChild<QPushButton *>("addButton")->isEnabled(), list.hasEditor);

        const int sortSection = QString(list.node) == "property" ? 1 : 0;
        QCOMPARE(view->horizontalHeader()->sortIndicatorSection(), sortSection);
        QCOMPARE(view->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    }
};

LOMI_TEST_CLASS(MainWindowListsTest)

#include "tst_mainwindowlists.moc"
