#pragma once

#include "messagebox.h"
#include "testenvironment.h"

#include <QByteArray>
#include <QDialogButtonBox>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPushButton>
#include <QStringList>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTest>

#include <functional>
#include <memory>

class QAbstractItemDelegate;
class QNetworkAccessManager;
class QDialog;
class QLineEdit;
class QTableView;
class RequestTableModel;

// The base of every test class that drives the client's windows or its
// requests.
//
// Before each test it empties the seams (message boxes, file dialogs,
// previews, modal handlers) and the stand-in server's failures and request
// record. After each test it fails the test on a dialog the test did not
// answer: a message box or file dialog without a queued answer, a modal
// dialog without a handler, a preview without a result. An answer queued and
// never used fails it too. Set-up of a class's own goes into initTestCase()
// and initTest(), never into slots named init() or cleanup(), which would
// hide the base's (the harness refuses such a class).
//
// A whole test against the stand-in server:
//
//     #include "guitestbase.h"
//     #include "mainwindow.h"
//     #include "testregistry.h"
//
//     class PositionsListTest : public GuiTestBase
//     {
//         Q_OBJECT
//
//     private slots:
//         void initTestCase() { startServer(); }
//
//         void deleteAsksFirst()
//         {
//             const int id = server().addRecord("positions", {{"name", "Кастелянша"}});
//             MainWindow window;  // before the sign-in, as the program starts
//             QVERIFY(environment().signIn(TestEnvironment::adminPassword()));
//             QWidget *list = openList(&window, "positionsAction");
//             QVERIFY(list && selectId(list, id));
//             MessageBox::setNextAnswer(QMessageBox::Yes);
//             QVERIFY(reloadsAfter(list, [&] { button(list, "removeButton")->click(); }));
//             QCOMPARE(boxTexts("Вы уверены?"), QStringList{"Удалить запись?"});
//             QCOMPARE(server().requestsTo("DELETE", QString("positions/%1").arg(id)).size(), 1);
//             QVERIFY(!shownIds(list).contains(id));
//         }
//     };
//
//     LOMI_TEST_CLASS(PositionsListTest)
//
//     #include "tst_positionslist.moc"
//
// The helpers are protected and not slots, so QtTest does not run them as tests.
class GuiTestBase : public QObject
{
    Q_OBJECT

public:
    // A fixture file (or directory) of the area's data, e.g.
    // fixtureFile(LOMI_TEST_DATA_DIR "/fixture.json"); the run stops when it cannot be read.
    static QJsonObject fixtureFile(const QString &path);

    // Empties the seams: queued answers, handlers and results, and what they
    // recorded. With `answerUnqueued` a box or file dialog without a queued
    // answer gets its default one at once; without it, it opens as a modal
    // window, which the modal handler rejects and reports.
    static void resetSeams(bool answerUnqueued);

protected:
    // Per-test set-up and tear-down of the derived class: initTest() after
    // the seams and failures are reset and before the request record is,
    // cleanupTest() before the checks.
    virtual void initTest() {}
    virtual void cleanupTest() {}

    // The stand-in server with a fixture of the test's own; without one, the demo data.
    TestEnvironment &startServer(const QJsonObject &fixture = QJsonObject());
    TestEnvironment &environment() { return *env; }
    StandIn::Server &server() { return env->server(); }
    StandIn::Server &otherOrigin() { return env->otherOrigin(); }
    // "Bearer <token>" of the signed-in user.
    static QByteArray bearer();

    // Lists: the windows holding a "tableView", or the view itself.
    static QTableView *tableOf(QWidget *list);
    static RequestTableModel *sourceModel(QWidget *list);
    // The ids (column 0) of the rows shown, top to bottom.
    static QList<int> shownIds(QWidget *list);
    static int rowOf(QWidget *list, int id);
    static bool selectId(QWidget *list, int id);
    // The editor open in a cell of `view`; null when none is.
    static QLineEdit *cellEditor(QTableView *view);
    // A double click on the cell, as the window system sends one.
    static void doubleClick(QTableView *view, const QModelIndex &cell);
    // A cell as its delegate draws it (the option's text is the text shown).
    static QStyleOptionViewItem styleOption(const QAbstractItemDelegate *delegate,
                                            const QModelIndex &index);
    // Runs `action` and waits for the list's next load to end.
    static bool reloadsAfter(QWidget *list, const std::function<void()> &action);
    // Runs `action` and waits until `manager` has finished a reply and has
    // none left in flight: what the action sent, and what their answers sent
    // on (a reload after a write), has been handled by its owners. A reply
    // still on its way from before ends no wait by itself. False when
    // nothing finishes, or something is still in flight after 5 s.
    static bool settlesAfter(QNetworkAccessManager &manager, const std::function<void()> &action);
    // Triggers a main window's entry and waits for the list it opens to load;
    // null when it does not. The main window enables its entries when a user
    // signs in after it was built.
    static QWidget *openList(QWidget *mainWindow, const char *action);

    // Forms.
    static QPushButton *button(QWidget *parent, const char *name);
    static void press(QDialog *dialog, QDialogButtonBox::StandardButton which);
    static void fillIn(QWidget *form, const char *lineEdit, const QString &text);
    static QString fieldText(QWidget *form, const char *lineEdit);
    // Typed key by key, as a user does (QTest::keyClicks knows Latin letters only).
    static void typeInto(QWidget *widget, const QString &text);

    // Message boxes answered so far.
    static QList<MessageBox::Record> boxesTitled(const QString &title);
    static QStringList boxTexts(const QString &title);

    // A body as the client sends it.
    static QByteArray indented(const QJsonObject &object);

    // While it lives no file of the process grows past `bytes`, as on a full
    // disk. Never a device path instead: run as root, a save through a
    // temporary file would replace the device node itself.
    class FullDisk
    {
    public:
        explicit FullDisk(quint64 bytes = 0);
        ~FullDisk();
        FullDisk(const FullDisk &) = delete;
        FullDisk &operator=(const FullDisk &) = delete;

    private:
        quint64 savedLimit = 0;
        void (*savedHandler)(int) = nullptr;
    };

    // Answers queued and not used, as the check after each test finds them
    // (the dialogs shown without one are ModalHandler::unexpectedDialogs()).
    static QStringList unusedAnswers();

private slots:
    void init();
    void cleanup();

private:
    std::unique_ptr<TestEnvironment> env;
};
