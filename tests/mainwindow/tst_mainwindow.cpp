#include "testregistry.h"

#include "auditexportdialog.h"
#include "checkouthourwidget.h"
#include "export1cdialog.h"
#include "filedialog.h"
#include "guitestbase.h"
#include "importmanagerwidget.h"
#include "loginmanager.h"
#include "mainwindow.h"
#include "modalhandler.h"
#include "networkmanagerwrapper.h"
#include "permissionmanager.h"
#include "permissionsaware.h"
#include "permissionstablemodel.h"
#include "personeditdialog.h"
#include "personreportfilterdialog.h"
#include "personsviewwidget.h"
#include "receiptnumerationdialog.h"
#include "receiptsjournalwidget.h"
#include "selectoredit.h"
#include "settingsmanager.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextEdit>

namespace {

// A child window that counts its reloads.
class CountingWidget : public QWidget, public PermissionsAware
{
    Q_OBJECT

public:
    explicit CountingWidget(const QString &node = QString())
    {
        setPermissionNode(node);
    }
    int updates = 0;

public slots:
    void handleUpdate() { ++updates; }
};

}  // namespace

class MainWindowTest : public GuiTestBase
{
    Q_OBJECT

    std::unique_ptr<MainWindow> window;

    QMdiArea *area() const { return window->findChild<QMdiArea *>("mdiArea"); }
    QAction *action(const char *name) const { return window->findChild<QAction *>(name); }
    QPushButton *button(const char *name) const { return GuiTestBase::button(window.get(), name); }

    // Sign in through the window's own sign-in window, as a user would.
    bool signInThroughTheWindow(const QString &password)
    {
        window->relogin();
        QWidget *login = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == "LoginWidget" && w->isVisible())
                login = w;
        }
        if (!login)
            return false;
        login->findChild<QLineEdit *>("passwordLineEdit")->setText(password);
        QSignalSpy done(LoginManager::instance(), &LoginManager::loginCompleted);
        login->findChild<QPushButton *>("loginPushButton")->click();
        return done.wait(10000) && done.first().first().value<LoginManager::Result>().success;
    }

private slots:
    void initTestCase()
    {
        startServer();
        window = std::make_unique<MainWindow>(nullptr);
        // The persons view opens as the first tab; these tests start from an empty area.
        window->closeChild(nullptr);
    }

    void formAndMenus()
    {
        QCOMPARE(window->windowTitle(), QString("ЛОМИ II v.1.1.0.0"));
        QVERIFY(!window->isVisible());

        const QList<std::pair<QString, QString>> menus = {
            {"registerMenu", "Регистрация"}, {"directoryMenu", "Справочник"},
            {"reportsMenu", "Отчеты"},      {"orgMenu", "Учреждение"},
            {"serviceAction", "Сервис"},    {"adminMenu", "Администрирование"}};
        const auto barActions = window->menuBar()->actions();
        QCOMPARE(barActions.size(), menus.size());
        for (int i = 0; i < menus.size(); ++i) {
            QMenu *menu = barActions.at(i)->menu();
            QVERIFY(menu);
            QCOMPARE(menu->objectName(), menus.at(i).first);
            QCOMPARE(menu->title(), menus.at(i).second);
        }

        const QStringList registerEntries = {"Регистрация ФЛ", "Программа обучения", "Поток",
                                             "Журнал квитанций", "Журнал проката",
                                             "Реестр контрактов"};
        QStringList texts;
        for (QAction *a : barActions.first()->menu()->actions())
            texts << a->text();
        QCOMPARE(texts, registerEntries);

        QCOMPARE(window->findChildren<QAction *>(QString(), Qt::FindDirectChildrenOnly).size()
                     >= 34,
                 true);
        QVERIFY(!action("connectionAction")->isVisible());
        QCOMPARE(action("export1CAction")->text(), QString("Экспорт в 1C"));
        QCOMPARE(action("nightsReportAction")->text(), QString("Сведения о количестве ночевок"));

        QCOMPARE(window->findChild<QLabel *>("currentUserLabel")->text(), QString("Пользователь"));
        // Nothing open yet: the three child buttons are hidden.
        QVERIFY(!button("minimizeChildButton")->isVisibleTo(window.get()));
        QVERIFY(!button("restoreChildButton")->isVisibleTo(window.get()));
        QVERIFY(!button("closeChildButton")->isVisibleTo(window.get()));
    }

    void childOpensAsAMaximisedTabAndSurvivesItsTabClosing()
    {
        auto *child = new CountingWidget;  // lives for the whole run, like every child
        QPointer<CountingWidget> guard(child);
        window->registerSubwidget(child, action("refreshPermsAction"));
        window->show();

        action("refreshPermsAction")->trigger();
        QCOMPARE(area()->subWindowList().size(), 1);
        QVERIFY(area()->subWindowList().first()->isMaximized());
        QCOMPARE(child->updates, 1);
        QTRY_VERIFY(button("closeChildButton")->isVisible());

        // Choosing the entry again only brings it forward.
        action("refreshPermsAction")->trigger();
        QCOMPARE(area()->subWindowList().size(), 1);
        QCOMPARE(child->updates, 1);

        // Restore it to normal size, then close its tab: the child must survive.
        button("restoreChildButton")->click();
        QMdiSubWindow *frame = area()->subWindowList().first();
        QVERIFY(!frame->isMaximized());
        frame->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard);
        QVERIFY(!child->isVisible());
        QCOMPARE(area()->subWindowList().size(), 0);
        QTRY_VERIFY(!button("closeChildButton")->isVisible());

        // Opening it again adds a new tab and reloads it.
        action("refreshPermsAction")->trigger();
        QCOMPARE(area()->subWindowList().size(), 1);
        QCOMPARE(child->updates, 2);
        QVERIFY(guard);

        // The top bar's close button closes the maximised tab.
        button("closeChildButton")->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(area()->subWindowList().size(), 0);
        QVERIFY(guard);

        // Minimised, it comes back maximised from its entry.
        action("refreshPermsAction")->trigger();
        button("minimizeChildButton")->click();
        QVERIFY(area()->subWindowList().first()->isMinimized());
        window->closeChild(child);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard);
        QCOMPARE(area()->subWindowList().size(), 0);
    }

    void entriesFollowTheReadBits()
    {
        auto *guarded = new CountingWidget("districts");
        auto *writeOnly = new CountingWidget("regions");
        auto *open = new CountingWidget(QString());
        window->registerSubwidget(guarded, action("districtsAction"));
        window->registerSubwidget(writeOnly, action("regionsAction"));
        window->registerSubwidget(open, action("checkUpdatesAction"));

        PermissionManager::instance()->setPermissions(
            {{"districts", 1}, {"regions", 2}, {"audit", 0}, {"receiptNumber", 1}});
        QVERIFY(action("districtsAction")->isEnabled());
        QVERIFY(!action("regionsAction")->isEnabled());  // write bit alone is not enough
        QVERIFY(action("checkUpdatesAction")->isEnabled());  // the empty node
        QVERIFY(!action("exportAuditAction")->isEnabled());
        QVERIFY(action("receiptNumAction")->isEnabled());
        // Entries that are never filed stay enabled.
        QVERIFY(action("nightsReportAction")->isEnabled());
        QVERIFY(action("importAction")->isEnabled());

        PermissionManager::instance()->setPermissions({{"audit", 1}});
        QVERIFY(!action("districtsAction")->isEnabled());
        QVERIFY(action("exportAuditAction")->isEnabled());
        QVERIFY(!action("receiptNumAction")->isEnabled());
    }

    void closesWithAListOpen()
    {
        // The sub-window area reports to the window while the window comes
        // apart; the sanitizer build stops here if it still listens.
        auto other = std::make_unique<MainWindow>(nullptr);
        other->show();
        other->findChild<QAction *>("districtsAction")->trigger();
        QCOMPARE(other->findChild<QMdiArea *>("mdiArea")->subWindowList().size(), 2);  // and the persons
        other.reset();
    }

    void signInShowsTheWindowAndChangingUserReloadsOpenTabs()
    {
        window->hide();
        auto *child = new CountingWidget;
        window->registerSubwidget(child, action("connectionAction"));
        action("connectionAction")->trigger();
        QCOMPARE(child->updates, 1);

        QVERIFY(signInThroughTheWindow(TestEnvironment::adminPassword()));
        QVERIFY(window->isVisible());
        QCOMPARE(window->findChild<QLabel *>("currentUserLabel")->text(),
                 LoginManager::instance()->getName());
        QCOMPARE(child->updates, 2);

        // A change of user reloads every open tab once more; the tab stays.
        QVERIFY(signInThroughTheWindow(TestEnvironment::adminPassword()));
        QCOMPARE(child->updates, 3);
        QCOMPARE(area()->subWindowList().size(), 1);

        // A failed sign-in changes nothing.
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QVERIFY(!signInThroughTheWindow("wrong"));
        QCOMPARE(child->updates, 3);
    }
};

LOMI_TEST_CLASS(MainWindowTest)

// The main window on the demo data, the administrator signed in before each test.
class SignedInWindowTest : public GuiTestBase
{
    Q_OBJECT

    std::unique_ptr<MainWindow> window;
    QTemporaryDir dir;

    void trigger(const char *entry) { window->findChild<QAction *>(entry)->trigger(); }

    // The windows on screen; the receipt numbering window, which the main
    // window keeps to itself, is found among them.
    static QWidgetList visibleWindows()
    {
        QWidgetList visible = QApplication::topLevelWidgets();
        visible.removeIf([](QWidget *widget) { return !widget->isVisible(); });
        return visible;
    }

    void initTest() override { QVERIFY(environment().signIn(TestEnvironment::adminPassword())); }

private slots:
    void initTestCase()
    {
        startServer();
        window = std::make_unique<MainWindow>(nullptr);
    }

    void cleanupTestCase() { window.reset(); }

    void fullDiskKeepsTheEarlierFile_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("audit") << "exportAuditAction";
        QTest::newRow("1C") << "export1CAction";
        QTest::newRow("listeners CSV") << "personReportAction";
    }

    void fullDiskKeepsTheEarlierFile()
    {
        QFETCH(QString, entry);
        const QString name = QString(QTest::currentDataTag()) + ".txt";
        const QString path = dir.filePath(name);
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier export\n");
        earlier.close();

        if (entry == "exportAuditAction") {
            server().setCollection("audit", {QJsonObject{{"id", 1}, {"what", "Изменение"}, {"target", 1}}});
            ModalHandler::onNextDialog<AuditExportDialog>([](AuditExportDialog *dialog) {
                dialog->findChild<QSpinBox *>("spinBox")->setValue(1);
                dialog->accept();
            });
        } else if (entry == "export1CAction") {
            ModalHandler::onNextDialog<Export1CDialog>([](Export1CDialog *dialog) {
                QAbstractItemModel *streams = dialog->findChild<QTableView *>("tableView")->model();
                streams->setData(streams->index(0, 2), Qt::Checked, Qt::CheckStateRole);
                button(dialog, "exportPushButton")->click();
            });
            ModalHandler::rejectNext<Export1CDialog>();
        } else {
            ModalHandler::onNextDialog<PersonReportFilterDialog>([](PersonReportFilterDialog *filter) {
                button(filter, "csvExportButton")->click();
                filter->reject();
            });
        }
        FileDialog::setNextFileName(path);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        {
            FullDisk full;
            trigger(qPrintable(entry));
        }

        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("earlier export\n"));
        QCOMPARE(boxTexts("Ошибка"), QStringList{"Не удалось записать файл " + path});
        QVERIFY(boxesTitled("Успех").isEmpty());
        // Nor a temporary file left beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{name});
        QVERIFY(earlier.remove());
    }

    void signingInClosesWhatTheNewUserMayNotRead_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QStringList>("tabsLeft");
        QTest::addColumn<bool>("numberingLeft");
        QTest::addColumn<int>("paymentsLeft");  // on the card; -1: the card is closed
        QTest::addColumn<int>("person");  // whose card is open: 1 registered by user 2, 4 by the administrator
        QTest::addColumn<bool>("minimized");  // with the top bar's button
        const QStringList card{"PersonsViewWidget", "PersonEditDialog"};
        // The cashier may read the persons, their payments and the receipt
        // numbering, not the users.
        QTest::newRow("cashier") << "kassa" << card << true << 1 << 1 << false;
        // No rights at all: the card and the persons' information go with the list.
        QTest::newRow("storekeeper") << "sklad" << QStringList() << false << -1 << 1 << false;
        QTest::newRow("the persons, not their payments") << "persons only" << card << false << 0 << 1 << false;
        // Not visible, but open all the same.
        QTest::newRow("the registrar, the card minimized") << "registrar" << card << false << 0 << 1 << true;
        // "Отменить регистрацию" is for the administrator's registration only.
        QTest::newRow("the duty clerk, the administrator's registration") << "dezhur" << card << false << 1 << 4 << false;
    }

    void signingInClosesWhatTheNewUserMayNotRead()
    {
        QFETCH(QString, password);
        QFETCH(QStringList, tabsLeft);
        QFETCH(bool, numberingLeft);
        QFETCH(int, paymentsLeft);
        QFETCH(int, person);
        QFETCH(bool, minimized);
        server().addRecord("users", {{"name", "Читатель"}, {"password", "persons only"},
                                     {"permissions", QJsonObject{{"persons", 1}}}});
        server().addRecord("users", {{"name", "Регистратор"}, {"password", "registrar"},
                                     {"permissions", QJsonObject{{"persons", 1}, {"accommodation", 1}}}});
        auto *area = window->findChild<QMdiArea *>();
        trigger("registerPersonAction");
        auto *persons = window->findChild<PersonsViewWidget *>();
        persons->openDialogForTarget(person);  // the card, a tab of its own
        auto *card = window->findChild<PersonEditDialog *>();
        auto *payments = card->findChild<QTableView *>("paymentsTableView");
        QCOMPARE(payments->model()->rowCount(), 1);
        auto *cancel = button(card, "accommodationCancelButton");
        QCOMPARE(cancel->isEnabled(), person == 4);
        const auto frameOf = [&]() -> QMdiSubWindow * {
            for (QMdiSubWindow *frame : area->subWindowList())
                if (frame->widget() == card)
                    return frame;
            return nullptr;
        };
        if (minimized) {
            area->setActiveSubWindow(frameOf());  // the card's tab in front
            button(window.get(), "minimizeChildButton")->click();
            QVERIFY(!card->isVisible());
        }
        card->showSensitiveInfo();
        button(persons, "infoPushButton")->click();
        QWidget *information = nullptr;
        for (QWidget *shown : visibleWindows()) {
            if (shown->objectName() == "InfoWidget")
                information = shown;
        }
        QVERIFY(information);
        trigger("usersAction");
        trigger("payHourAction");  // anyone signed in may read it
        auto *checkoutHour = window->findChild<CheckoutHourWidget *>();
        trigger("receiptNumAction");
        QWidget *receiptNumbering = nullptr;
        for (QWidget *shown : visibleWindows()) {
            if (qobject_cast<ReceiptNumerationDialog *>(shown))
                receiptNumbering = shown;
        }
        QVERIFY(receiptNumbering);

        QVERIFY(environment().signIn(password));
        // The checkout hour's reload with the new token lands after whatever
        // the sign-in set off before it.
        const auto checkoutHourReloaded = [this] {
            const QList<StandIn::Request> all = server().requests();
            return std::any_of(all.begin(), all.end(), [](const StandIn::Request &request) {
                return request.path == "/globals/CheckoutHour"
                       && request.header("Authorization") == bearer();
            });
        };
        QTRY_VERIFY(checkoutHourReloaded());
        QStringList tabs;
        for (QMdiSubWindow *frame : area->subWindowList())
            tabs << frame->widget()->metaObject()->className();
        QCOMPARE(tabs, QStringList(tabsLeft) << "CheckoutHourWidget");
        QCOMPARE(receiptNumbering->isVisible(), numberingLeft);
        // The windows left open show only what the new user may read.
        QCOMPARE(information->isVisible(), !tabsLeft.isEmpty());
        if (minimized)
            area->setActiveSubWindow(frameOf());
        QCOMPARE(card->isVisible(), paymentsLeft >= 0);
        if (paymentsLeft >= 0) {
            QTRY_COMPARE(payments->model()->rowCount(), paymentsLeft);
            QVERIFY(!cancel->isEnabled());
            // Read again, with the new user's token (a list that reads the
            // same may be shown before the read comes).
            const QString stays = QString("persons/%1/accommodation").arg(person);
            QTRY_COMPARE(server().requestsTo("GET", stays).last().header("Authorization"), bearer());
        }
        QCOMPARE(card->findChild<QLineEdit *>("docNumberLineEdit")->echoMode(), QLineEdit::Password);
        information->close();
        for (const StandIn::Request &request : server().requestsTo("GET", "users"))
            QVERIFY(request.header("Authorization") != bearer());
        window->closeChild(checkoutHour);
    }

    void aSignInShowsNothingOfThePreviousUser_data()
    {
        QTest::addColumn<QString>("shown");  // the window left open by the administrator
        QTest::addColumn<QString>("password");  // of the user who signs in next
        QTest::newRow("the receipt numbering, receipts issued since") << "numbering" << "kassa";
        QTest::newRow("the receipts journal, read refused") << "journal" << "sklad";
        // Shown or not: its tab closed, it is opened again by the next user.
        QTest::newRow("a directory, read slowly") << "directory" << "dezhur";
        QTest::newRow("a phone typed in a card") << "card" << "dezhur";
        QTest::newRow("a name typed in a new person's card") << "new card" << "dezhur";
        // His own, for him to write.
        QTest::newRow("a phone typed, the same user again") << "card" << TestEnvironment::adminPassword();
    }

    // From a sign-in on, a window shows nothing read for the user before,
    // even while the next user's read is refused, and what he typed and did
    // not write is not there to be written under another user's name.
    void aSignInShowsNothingOfThePreviousUser()
    {
        QFETCH(QString, shown);
        QFETCH(QString, password);
        // Only the windows that reload are asked to.
        QTest::failOnWarning(QRegularExpression("No such method"));
        const bool sameUser = password == TestEnvironment::adminPassword();
        if (shown == "numbering") {
            trigger("receiptNumAction");
            ReceiptNumerationDialog *numbering = nullptr;
            for (QWidget *open : visibleWindows())
                numbering = numbering ? numbering : qobject_cast<ReceiptNumerationDialog *>(open);
            QVERIFY(numbering);
            auto *next = numbering->findChild<QSpinBox *>("spinBox");
            QTRY_COMPARE(next->value(), 120);
            server().setGlobal("ReceiptNumber", 124);  // issued elsewhere meanwhile
            QVERIFY(environment().signIn(password));
            QTRY_COMPARE(next->value(), 125);
            numbering->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
            QCOMPARE(server().global("ReceiptNumber"), QJsonValue(124));
            QVERIFY(!numbering->isVisible());
            return;
        }
        if (shown == "journal") {
            trigger("receiptsJournalAction");
            auto *journal = window->findChild<QMdiArea *>()->activeSubWindow()->widget();
            QAbstractItemModel *rows = journal->findChild<QTableView *>("tableView")->model();
            QTRY_VERIFY(rows->rowCount() > 0);
            int underTheBox = -1;  // the refusal's
            ModalHandler::onNextDialog<QMessageBox>([&](QMessageBox *box) {
                underTheBox = rows->rowCount();
                box->accept();
            });
            QVERIFY(environment().signIn(password));
            QTRY_COMPARE(underTheBox, 0);
            QCOMPARE(rows->rowCount(), 0);
            window->closeChild(journal);
            return;
        }
        if (shown == "directory") {
            QWidget *positions = openList(window.get(), "positionsAction");
            QVERIFY(positions && !shownIds(positions).isEmpty());
            window->closeChild(positions);
            QVERIFY(environment().signIn(password));
            server().injectFailure("GET", "positions", {StandIn::FailureKind::Delay, 200, {}, 1, 500});
            trigger("positionsAction");
            QCOMPARE(shownIds(positions), QList<int>());
            QTRY_VERIFY(!shownIds(positions).isEmpty());
            window->closeChild(positions);
            return;
        }
        trigger("registerPersonAction");
        window->findChild<PersonsViewWidget *>()->openDialogForTarget(shown == "card" ? 1 : -1);
        auto *card = window->findChild<PersonEditDialog *>();
        const char *field = shown == "card" ? "phoneLineEdit" : "fioLineEdit";
        const QString stored = fieldText(card, field);
        fillIn(card, field, "+7 900 000-00-01 Новиков");
        QVERIFY(environment().signIn(password));
        QCOMPARE(fieldText(card, field), sameUser ? "+7 900 000-00-01 Новиков" : stored);
        if (shown == "card") {
            button(card, "writePushButton")->click();
            QCOMPARE(server().record("persons", 1)["phone"].toString(), fieldText(card, field));
        }
    }

    void dataTextsShowAsWritten_data()
    {
        QTest::addColumn<int>("showing");  // labels or log lines that show the text
        QTest::newRow("box") << 1;
        QTest::newRow("user name") << 1;
        QTest::newRow("card") << 2;  // the stream selector and the curriculum
        QTest::newRow("payer") << 1;
        QTest::newRow("receipt") << 3;  // the rate, the unit and the item
        QTest::newRow("item handed back") << 1;
        QTest::newRow("paid education") << 2;  // the chosen curriculum and its cost
        QTest::newRow("import log") << 1;
    }

    // A text from the server, the legacy database or the user, through each
    // place that shows one: none may take it for markup.
    void dataTextsShowAsWritten()
    {
        const QString place = QTest::currentDataTag();
        const QString text = R"(<b>x</b><img src="/etc/hostname">)";
        QStandardItemModel chosen(1, 8);  // a row chosen in a selector or in a card's table
        for (int column = 1; column < 8; ++column)
            chosen.setData(chosen.index(0, column), text);
        chosen.setData(chosen.index(0, 0), 1);  // a stored service's id
        const QModelIndex row = chosen.index(0, 0);
        int count = 0;
        const auto countIn = [&](QWidget *shown) {
            for (QLabel *label : shown->findChildren<QLabel *>()) {
                const QString name = QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
                count += name.contains(text);  // as a screen reader gets it: markup rendered
            }
            for (QTextEdit *log : shown->findChildren<QTextEdit *>())
                count += log->toPlainText().contains(text);
        };
        if (place == "box") {
            ModalHandler::onNextDialog<QMessageBox>([&](QMessageBox *box) {
                countIn(box);
                box->accept();
            });
            MessageBox::critical(nullptr, "Ошибка", text);
        } else if (place == "user name") {
            server().addRecord("users", {{"name", text}, {"password", "markup"}});
            QVERIFY(environment().signIn("markup"));
            window->updateLogin();
            countIn(window.get());
        } else if (place == "card") {
            PersonEditDialog card;
            chosen.setData(row.siblingAtColumn(4), QVariantMap{{"name", text}});  // the curriculum
            card.updateStreamInfo(row);
            countIn(&card);
        } else if (place == "payer") {
            PaymentEditDialog payment;
            payment.fromData({{"payer", QVariantMap{{"id", 1}, {"name", text}}}});
            countIn(&payment);
        } else if (place == "receipt") {
            ReceiptEditDialog receipt;
            receipt.updatePropertySelector(row);
            receipt.updatePropertyAttributes(row);
            countIn(&receipt);
        } else if (place == "item handed back") {
            PropertyReceiveDialog handBack;
            handBack.fromModel(row);
            countIn(&handBack);
        } else if (place == "paid education") {
            const int id =
                server().addRecord("curriculums", {{"name", text}, {"paid", true}, {"cost", text}});
            PaidEducationReceiptEditDialog receipt;
            receipt.findChild<SelectorEdit *>()->setSelectedId(id);
            QTRY_VERIFY(!receipt.findChild<QLabel *>("rate_state")->text().isEmpty());
            countIn(&receipt);
        } else {
            // A legacy surname and a server message reach the log alike.
            ImportManagerWidget page;
            page.addLog(text);
            countIn(&page);
        }
        QTEST(count, "showing");
    }

    void changesWaitingGoWithTheirUser_data()
    {
        QTest::addColumn<bool>("quit");  // the program ends; otherwise another user signs in
        QTest::addColumn<QString>("change");
        QTest::newRow("the program ends") << true << "three rights";
        QTest::newRow("the cashier signs in") << false << "three rights";
        QTest::newRow("no answer, the program ends") << true << "ten rights, no answer";
        QTest::newRow("no answer, «Сменить пользователя»") << false << "ten rights, no answer";
        // The program ends at once, with no box left behind it.
        QTest::newRow("connections refused, the program ends") << true << "ten rights, no answer, refused";
        QTest::newRow("a refused RV left in its editor") << false << "RV refused";
        QTest::newRow("an RV refused as the next user signs in") << false << "RV refused at the sign-in";
        QTest::newRow("an RV typed without Enter") << true << "RV typed";
    }

    // Changes of user 2 waiting on a slow server, or still in a cell's
    // editor, when the window closes or another user signs in: each is
    // stored with the credentials of the user who made it before the
    // program ends or the next user's sign-in goes out. A line that gives
    // no answer costs one time-out, and every change not known to be saved
    // is named in one box, shown to their maker, the one without an answer
    // as perhaps not saved; nothing is read meanwhile. A value the server
    // refused is never sent again.
    void changesWaitingGoWithTheirUser()
    {
        QFETCH(bool, quit);
        QFETCH(QString, change);
        const bool unanswered = change.contains("no answer");
        server().addRecord("users", {{"name", "Второй администратор"}, {"password", "admin2"},
                                     {"permissions", StandIn::Server::allPermissions()}});
        trigger("usersAction");
        auto *users = window->findChild<QTableView *>("usersTableView");
        QTRY_VERIFY(rowOf(users, 2) >= 0);
        QVERIFY(selectId(users, 2));
        QAbstractItemModel *rights = window->findChild<QTableView *>("permissionsTableView")->model();
        const QJsonObject before = server().record("users", 2);
        QJsonObject expected = before;
        const QByteArray madeBy = bearer();
        const auto timeout = qScopeGuard([] { NetworkManagerWrapper::setTransferTimeoutForTesting(60000); });
        using StandIn::FailureKind;
        QStringList writes;
        int behind = 0;  // changes waiting behind the one that got no answer
        const QVariant root = SettingsManager::instance()->getValue("connection/root_url");
        const auto reconnect = qScopeGuard([&] { SettingsManager::instance()->setValue("connection/root_url", root); });
        if (change.contains("rights")) {
            if (unanswered)
                NetworkManagerWrapper::setTransferTimeoutForTesting(300);
            if (change.endsWith("refused")) {
                QTcpServer gone;
                QVERIFY(gone.listen(QHostAddress::LocalHost));
                SettingsManager::instance()->setValue("connection/root_url",
                                                      QString("http://127.0.0.1:%1/").arg(gone.serverPort()));
            }
            server().injectFailure("PUT", "users/2",
                                   {unanswered ? FailureKind::NoReply : FailureKind::Delay, 200, {}, 0, 500});
            const int count = unanswered ? std::min(10, rights->rowCount()) : 3;
            QJsonObject permissions = before["permissions"].toObject();
            for (int row = 0; row < count; ++row) {
                const QString node = rights->index(row, 0).data().toString();
                QVERIFY(rights->setData(rights->index(row, 1), Qt::Checked, Qt::CheckStateRole));
                const QString key = PermissionsTableModel::translations.key(node, node);
                permissions.insert(key, permissions[key].toInt() ^ 1);
            }
            if (unanswered) {
                behind = count - 1;
                MessageBox::setNextAnswer(QMessageBox::Ok);
            } else {
                expected["permissions"] = permissions;
            }
            if (!change.endsWith("refused"))
                writes = QStringList(count - behind, "PUT /users/2");
        } else {
            users->setCurrentIndex(users->model()->index(rowOf(users, 2), 4));
            const bool refused = change.startsWith("RV refused");
            if (refused) {
                server().injectFailure("PUT", "users/2", {FailureKind::Status, 422, {}, 1});
                MessageBox::setNextAnswer(QMessageBox::Ok);
                // The list read after the refusal lands before the next user is in.
                server().injectFailure("POST", "login", {FailureKind::Delay, 200, {}, 1, 500});
            } else {
                expected["rv"] = "42";
            }
            typeInto(users, refused ? "7" : "4");
            typeInto(cellEditor(users), refused ? "5" : "2");
            if (change == "RV refused") {
                QTest::keyClick(cellEditor(users), Qt::Key_Return);
                QTRY_COMPARE(boxesTitled("Request failed").size(), 1);
                // It comes back in its cell once the list is in.
                QTRY_COMPARE(cellEditor(users) ? cellEditor(users)->text() : QString(), QString("75"));
            }
            writes << "PUT /users/2";
        }
        const qsizetype reads = server().requestsTo("GET", "users").size();
        if (quit) {
            QGuiApplication::setQuitOnLastWindowClosed(false);  // the tests go on
            window->close();
            QGuiApplication::setQuitOnLastWindowClosed(true);
            QCOMPARE(visibleWindows(), QWidgetList());
            QTest::qWait(100);
            QCOMPARE(server().requestsTo("GET", "users").size(), reads);
        } else {
            if (unanswered) {
                // Told before the sign-in window, to the user who made them.
                button(window.get(), "changeUserButton")->click();
                QCOMPARE(boxTexts("Изменения не сохранены").size(), 1);
                QVERIFY(server().requestsTo("POST", "login").isEmpty());
            }
            QVERIFY(environment().signIn(change.startsWith("RV") ? "admin2" : "kassa"));
            writes << "POST /login";
        }
        QCOMPARE(server().record("users", 2), expected);
        QStringList sent;
        for (const StandIn::Request &request : server().requests()) {
            if (request.method != "GET")
                sent << request.method + ' ' + request.path;
            if (request.method == "PUT")
                QCOMPARE(request.header("Authorization"), madeBy);
        }
        QCOMPARE(sent, writes);
        if (unanswered) {
            QCOMPARE(MessageBox::history().size(), 1);
            const QStringList lost = boxTexts("Изменения не сохранены");
            QCOMPARE(lost.size(), 1);
            const QString named = "\n• " + before["name"].toString() + ": право «";
            QCOMPARE(lost.first().count(named), behind + 1);
            // A change that could not reach the server is surely not saved.
            QVERIFY2(lost.first().startsWith((change.endsWith("refused") ? "Эти изменения не отправлены; они не сохранены:"
                                              : "Сервер не ответил на это изменение; оно могло не сохраниться:") + named),
                     qPrintable(lost.first()));
        } else if (change.startsWith("RV refused")) {
            // Nor left for the next user to send with a click.
            QVERIFY(!cellEditor(users));
            QTRY_VERIFY(!server().requestsTo("GET", "users").isEmpty()
                        && server().requestsTo("GET", "users").last().header("Authorization") == bearer());
            QTest::qWait(100);
            QVERIFY(!cellEditor(users));
            QCOMPARE(server().requestsTo("PUT", "users/2").size(), 1);
        } else {
            QVERIFY(MessageBox::history().isEmpty());
        }
    }

    // Last: the window closes here.
    void closingTheWindowEndsTheProgram_data()
    {
        QTest::addColumn<QString>("leftOpen");
        QTest::newRow("receipt numbering") << "receiptNumAction";
        QTest::newRow("sign-in window") << "changeUserButton";
        QTest::newRow("persons' information") << "infoPushButton";
    }

    void closingTheWindowEndsTheProgram()
    {
        QFETCH(QString, leftOpen);
        if (leftOpen == "changeUserButton")
            button(window.get(), "changeUserButton")->click();
        else if (leftOpen == "infoPushButton")  // the persons' tab may be closed by now
            for (QWidget *widget : QApplication::allWidgets()) {
                if (qobject_cast<PersonsViewWidget *>(widget))
                    button(widget, "infoPushButton")->click();
            }
        else
            trigger("receiptNumAction");
        QCOMPARE(visibleWindows().size(), 2);

        // The program ends when its last window closes.
        window->close();
        QCOMPARE(visibleWindows(), QWidgetList());
    }
};

LOMI_TEST_CLASS(SignedInWindowTest)

#include "tst_mainwindow.moc"
