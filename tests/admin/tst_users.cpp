#include "testregistry.h"

#include "admintesting.h"
#include "networkmanagerwrapper.h"
#include "permissionstablemodel.h"
#include "usereditdialog.h"
#include "userswidget.h"

#include <QLineEdit>
#include <QScopeGuard>
#include <QTableView>

class PermissionsTableModelTest : public QObject
{
    Q_OBJECT

private slots:
    void toggleFlipsOneBitAndKeepsTheRecord_data()
    {
        QTest::addColumn<QJsonObject>("permissions");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<int>("column");  // toggled twice, on row 0
        QTest::addColumn<QList<int>>("masks");  // row 0's mask after each toggle

        QTest::newRow("rows in key order, labelled")
            << QJsonObject{{"id", 7}, {"userId", 3}, {"rooms", 3}, {"audit", 1}}
            << QStringList{"Администрирование | Журнал аудита", "Учреждение | Номера"} << 2
            << QList<int>{3, 1};
        QTest::newRow("null counts as none") << QJsonObject{{"rooms", QJsonValue::Null}}
                                             << QStringList{"Учреждение | Номера"} << 1
                                             << QList<int>{1, 0};
        QTest::newRow("other bits kept") << QJsonObject{{"rooms", 6}}
                                         << QStringList{"Учреждение | Номера"} << 1
                                         << QList<int>{7, 6};
        QTest::newRow("unknown node shows its key") << QJsonObject{{"reports", 2}}
                                                    << QStringList{"reports"} << 2
                                                    << QList<int>{0, 2};
    }

    void toggleFlipsOneBitAndKeepsTheRecord()
    {
        QFETCH(QJsonObject, permissions);
        QFETCH(QStringList, labels);
        QFETCH(int, column);
        QFETCH(QList<int>, masks);

        PermissionsTableModel model;
        model.setPermissionsObject(permissions);
        QStringList shown;
        for (int row = 0; row < model.rowCount(); ++row)
            shown << model.index(row, 0).data().toString();
        QCOMPARE(shown, labels);

        const QString node = permissions.keys().filter(QRegularExpression("^(?!id$|userId$)")).first();
        for (int mask : masks) {
            QVERIFY(model.setData(model.index(0, column), Qt::Checked, Qt::CheckStateRole));
            QCOMPARE(model.getPermissionsObject().value(node), QJsonValue(mask));
            QCOMPARE(model.index(0, 1).data(Qt::CheckStateRole), QVariant((mask & 1) ? Qt::Checked : Qt::Unchecked));
            QCOMPARE(model.index(0, 2).data(Qt::CheckStateRole), QVariant((mask & 2) ? Qt::Checked : Qt::Unchecked));
        }
        QCOMPARE(model.getPermissionsObject().value("userId"), permissions.value("userId"));
    }
};

LOMI_TEST_CLASS(PermissionsTableModelTest)

class UsersWidgetTest : public AdminTestBase
{
    Q_OBJECT

    UsersWidget *users = nullptr;

    QTableView *table(const char *name) { return users->findChild<QTableView *>(name); }
    QAbstractItemModel *permissions() { return table("permissionsTableView")->model(); }

    // Selects the user's row; the index of its `column` in the view.
    QModelIndex selectUser(int id, int column)
    {
        QTableView *view = table("usersTableView");
        if (!selectId(view, id))
            return {};
        view->setCurrentIndex(view->model()->index(rowOf(view, id), column));
        return view->currentIndex();
    }

    QModelIndex permissionCell(const QString &label, int column)
    {
        for (int row = 0; row < permissions()->rowCount(); ++row) {
            if (permissions()->index(row, 0).data().toString() == label)
                return permissions()->index(row, column);
        }
        return {};
    }

    // What the window shows of a user: a column's text (an empty "rv" or
    // "rv0" as null), or the mask of a node's rights.
    QJsonValue shown(int user, const QString &key)
    {
        const QModelIndex row = selectUser(user, 1);
        const int column = QStringList{"id", "name", "password", "position", "rv", "rv0"}.indexOf(key);
        if (column >= 0) {
            const QString text = row.siblingAtColumn(column).data().toString();
            return text.isEmpty() && key.startsWith("rv") ? QJsonValue() : QJsonValue(text);
        }
        const QString label = PermissionsTableModel::translations.value(key);
        return (permissionCell(label, 1).data(Qt::CheckStateRole) == Qt::Checked ? 1 : 0)
               | (permissionCell(label, 2).data(Qt::CheckStateRole) == Qt::Checked ? 2 : 0);
    }

    QJsonObject lastPut(int id)
    {
        const auto puts = server().requestsTo("PUT", QString("users/%1").arg(id));
        return puts.isEmpty() ? QJsonObject() : puts.last().json().object();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startSignedIn());
        users = openWindow<UsersWidget>("usersAction");
        QVERIFY(users);
    }

    void editThenToggleSendsTheWholeFreshUserOnce()
    {
        QVERIFY(selectUser(3, 1).isValid());
        ModalHandler::onNextDialog<UserEditDialog>([](UserEditDialog *editor) {
            QCOMPARE(fieldText(editor, "fullnameLineEdit"), QString("Козлова Ирина Павловна"));
            fillIn(editor, "fullnameLineEdit", "Смирнова Ирина Павловна");
            press(editor, QDialogButtonBox::Ok);
        });
        QVERIFY(finishes(users, [&] { button(users, "editButton")->click(); }));
        QCOMPARE(server().requestsTo("PUT", "users/3").value(0).body,
                 indented({{"name", "Смирнова Ирина Павловна"}, {"password", "kassa"},
                           {"position", "Кассир"}}));

        // The reload has brought the new name into the rights' owner.
        server().clearRequests();
        QVERIFY(finishes(users, [&] {
            QVERIFY(permissions()->setData(permissionCell("Учреждение | Номера", 1), Qt::Checked,
                                           Qt::CheckStateRole));
        }));
        // Putting the user back into the list is no second change to send.
        QVERIFY(!QSignalSpy(&managerOf(users), &QNetworkAccessManager::finished).wait(300));
        QCOMPARE(server().requestsTo("PUT", "users/3").size(), 1);
        QCOMPARE(server().requestsTo("GET", "users").size(), 1);
        QCOMPARE(lastPut(3), server().record("users", 3));
        QCOMPARE(lastPut(3).value("name"), QJsonValue("Смирнова Ирина Павловна"));
        QCOMPARE(lastPut(3).value("permissions").toObject().value("rooms"), QJsonValue(1));
        QCOMPARE(permissionCell("Учреждение | Номера", 1).data(Qt::CheckStateRole),
                 QVariant(Qt::Checked));
    }

    void typedAndClearedFieldsAreWrittenAsTextOrNull()
    {
        QTableView *view = table("usersTableView");
        QVERIFY(selectUser(2, 4).isValid());
        typeInto(view, "1");
        auto *editor = view->findChild<QLineEdit *>();
        QVERIFY(editor);
        typeInto(editor, "2");
        QVERIFY(finishes(users, [&] { QTest::keyClick(editor, Qt::Key_Return); }));
        QCOMPARE(lastPut(2).value("rv"), QJsonValue("12"));

        QVERIFY(selectUser(2, 5).isValid());
        QVERIFY(finishes(users, [&] { QTest::keyClick(view, Qt::Key_Delete); }));
        QJsonObject expected = server().record("users", 2);
        QCOMPARE(lastPut(2), expected);
        QCOMPARE(expected.value("rv0"), QJsonValue(QJsonValue::Null));
        QCOMPARE(expected.value("rv"), QJsonValue("12"));

        const QModelIndex name = selectUser(2, 1);
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(name.data().toString(), QString("Белова Наталья Ивановна"));

        // The search is a pattern; an unfinished one hides every row.
        auto *search = users->findChild<QLineEdit *>("searchLineEdit");
        search->setText("(");
        QCOMPARE(view->model()->rowCount(), 0);
        search->setText("козл");
        QCOMPARE(view->model()->rowCount(), 0);
        search->setText("Бел");
        QCOMPARE(view->model()->rowCount(), 1);
        search->clear();
    }

    void aRefusedValueComesBackInItsCell_data()
    {
        QTest::addColumn<int>("clickedUser");
        QTest::addColumn<int>("clickedColumn");
        QTest::addColumn<bool>("destroyed");  // the window, with the value back in its editor
        QTest::newRow("click in the row") << 2 << 1 << false;
        QTest::newRow("click on another row") << 3 << 5 << false;
        // Its editor goes after its members: nothing may write into them then.
        QTest::newRow("the window destroyed") << 2 << 1 << true;
    }

    // Committed by a click on another cell, the typed value comes back in
    // the cell it was typed into, user 2's "rv".
    void aRefusedValueComesBackInItsCell()
    {
        QFETCH(int, clickedUser);
        QFETCH(int, clickedColumn);
        QFETCH(bool, destroyed);
        std::unique_ptr<UsersWidget> own;
        const auto restore = qScopeGuard([this, opened = users] { users = opened; });
        if (destroyed) {
            own = std::make_unique<UsersWidget>();
            own->show();
            users = own.get();
            QVERIFY(finishes(users, [&] { users->handleUpdate(); }));
        }
        QTableView *view = table("usersTableView");
        server().injectFailure("PUT", "users/2", {StandIn::FailureKind::Status, 422, {}, 1});
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QVERIFY(selectUser(2, 4).isValid());
        typeInto(view, "7");
        typeInto(cellEditor(view), "5");
        QVERIFY(finishes(users, [&] {
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              view->visualRect(selectUser(clickedUser, clickedColumn)).center());
        }));
        QTRY_VERIFY(cellEditor(view));
        QCOMPARE(cellEditor(view)->text(), QString("75"));
        QCOMPARE(view->currentIndex().column(), 4);
        QCOMPARE(view->currentIndex().siblingAtColumn(0).data().toInt(), 2);
        if (destroyed)
            own.reset();
        else
            QTest::keyClick(cellEditor(view), Qt::Key_Escape);
    }

    void aReloadDuringAnEditLosesNothing_data()
    {
        QTest::addColumn<int>("lands");  // where the reload after RV's write lands
        QTest::newRow("RV0 committed at once") << 0;
        QTest::newRow("the reload lands while RV0 is typed") << 1;
        // RV is then cleared with Delete: that write must carry RV0 as typed.
        QTest::newRow("the reload lands while RV0's write waits") << 2;
    }

    // On a slow server RV is committed with Tab and RV0 typed and committed
    // with Return while the writes and the reloads after them are out: the
    // list is never reset under the editor nor under a change not yet
    // written, and every value reaches the server in order.
    void aReloadDuringAnEditLosesNothing()
    {
        QFETCH(int, lands);
        QJsonObject blank = server().record("users", 2);
        blank["rv"] = blank["rv0"] = QJsonValue::Null;
        server().setRecord("users", blank);
        QVERIFY(finishes(users, [&] { users->handleUpdate(); }));
        server().clearRequests();
        using StandIn::FailureKind;
        server().injectFailure("GET", "users", {FailureKind::Delay, 200, {}, 0, 300});
        server().injectFailure("PUT", "users/2", {FailureKind::Delay, 200, {}, 2, 600});
        QTableView *view = table("usersTableView");
        QVERIFY(selectUser(2, 4).isValid());
        typeInto(view, "1");
        typeInto(cellEditor(view), "1");
        QSignalSpy loads(&managerOf(users), &QNetworkAccessManager::finished);
        QTest::keyClick(cellEditor(view), Qt::Key_Tab);
        QVERIFY(cellEditor(view));
        typeInto(cellEditor(view), "2");
        if (lands == 1)
            QVERIFY(loads.wait(5000));
        if (lands == 2)
            QTRY_VERIFY(!server().requestsTo("GET", "users").isEmpty());
        QVERIFY(cellEditor(view));
        typeInto(cellEditor(view), "2");
        QTest::keyClick(cellEditor(view), Qt::Key_Return);
        if (lands == 2) {
            QTRY_VERIFY(!loads.isEmpty());
            QVERIFY(selectUser(2, 4).isValid());
            QTest::keyClick(view, Qt::Key_Delete);
        }

        QTRY_COMPARE(server().requestsTo("PUT", "users/2").size(), lands == 2 ? 3 : 2);
        const QJsonValue rv = lands == 2 ? QJsonValue(QJsonValue::Null) : QJsonValue("11");
        QTRY_COMPARE(server().record("users", 2)["rv"], rv);
        QCOMPARE(server().record("users", 2)["rv0"], QJsonValue("22"));
        // The window ends showing what the server holds.
        QTRY_COMPARE(selectUser(2, 5).data().toString(), QString("22"));
        QTRY_COMPARE(selectUser(2, 4).data().toString(), rv.toString());
        const auto puts = server().requestsTo("PUT", "users/2");
        QCOMPARE(puts[0].json()["rv"], QJsonValue("11"));
        QCOMPARE(puts[1].json()["rv0"], QJsonValue("22"));
    }

    void aListReadBeforeAChangeNeverUndoesIt_data()
    {
        QTest::addColumn<int>("user");
        QTest::addColumn<int>("listMs");   // how long each read of the list takes
        QTest::addColumn<int>("apartMs");  // between the clerk's changes
        QTest::addColumn<QJsonObject>("expected");  // on the server, and shown
        QTest::newRow("three rights")
            << 3 << 300 << 200
            << QJsonObject{{"districts", 1}, {"payments", 1}, {"rates", 1}};
        QTest::newRow("RV, RV0, then RV cleared")
            << 2 << 1000 << 700 << QJsonObject{{"rv", QJsonValue::Null}, {"rv0", "12"}};
        // RV's write is refused after 300 ms; RV0 is committed meanwhile.
        QTest::newRow("RV refused, RV0 meanwhile")
            << 2 << 300 << 0 << QJsonObject{{"rv", QJsonValue::Null}, {"rv0", "12"}};
        // The first right is stored, its answer lost; the second is made
        // before the list read after it has come.
        QTest::newRow("a right's answer lost, the next before the list")
            << 3 << 1000 << 200 << QJsonObject{{"districts", 1}, {"payments", 1}};
    }

    // Each write of a user is built from the server's last answer for him and
    // the change: a list read before an earlier change was answered undoes
    // nothing, a refused value is carried by no later write, and the window
    // ends showing what the server holds.
    void aListReadBeforeAChangeNeverUndoesIt()
    {
        QFETCH(int, user);
        QFETCH(int, listMs);
        QFETCH(int, apartMs);
        QFETCH(QJsonObject, expected);
        const QString tag = QTest::currentDataTag();
        server().loadFixture(StandIn::Server::demoFixturePath());
        QVERIFY(finishes(users, [&] { users->handleUpdate(); }));
        using StandIn::FailureKind;
        server().injectFailure("GET", "users", {FailureKind::Delay, 200, {}, 0, listMs});
        QTableView *view = table("usersTableView");
        const auto type = [&](int column, const QString &text) {
            QVERIFY(selectUser(user, column).isValid());
            typeInto(view, text.left(1));
            typeInto(cellEditor(view), text.mid(1));
            QTest::keyClick(cellEditor(view), Qt::Key_Return);
        };
        const auto timeout = qScopeGuard([] { NetworkManagerWrapper::setTransferTimeoutForTesting(60000); });
        if (tag == "three rights" || tag.startsWith("a right's answer lost")) {
            const bool lost = tag != "three rights";
            if (lost) {
                NetworkManagerWrapper::setTransferTimeoutForTesting(300);
                // Stored, and answered only after the client has given up.
                server().injectFailure("PUT", "users/3", {FailureKind::Delay, 200, {}, 1, 1500});
                MessageBox::setNextAnswer(QMessageBox::Ok);
            }
            QVERIFY(selectUser(user, 1).isValid());
            const QList<std::pair<QString, int>> rights{{"Справочник | Округ", 1},
                                                        {"Таблица | Оплата за проживание", 2},
                                                        {"Учреждение | Тарифы", 1}};
            for (const auto &[label, column] : rights.mid(0, expected.size())) {
                QVERIFY(permissions()->setData(permissionCell(label, column), Qt::Checked, Qt::CheckStateRole));
                if (lost)
                    QTRY_COMPARE(boxesTitled("Request failed").size(), 1);
                QTest::qWait(apartMs);
            }
        } else if (tag == "RV, RV0, then RV cleared") {
            type(4, "11");
            QTest::qWait(apartMs);
            type(5, "12");
            QTest::qWait(apartMs);
            QVERIFY(selectUser(user, 4).isValid());
            QTest::keyClick(view, Qt::Key_Delete);
        } else {
            server().injectFailure("PUT", "users/2", {FailureKind::Status, 500, StandIn::Failure().body, 1, 300});
            MessageBox::setNextAnswer(QMessageBox::Ok);
            type(4, "75");
            type(5, "12");
            // The refused value comes back in its cell once the list is in.
            QTRY_COMPARE(cellEditor(view) ? cellEditor(view)->text() : QString(), QString("75"));
            QTest::keyClick(cellEditor(view), Qt::Key_Escape);
        }

        // What the server holds, and the window shows, once every list read
        // has come, the late ones too.
        const auto holds = [&](const std::function<QJsonValue(const QString &)> &value) {
            for (auto it = expected.begin(); it != expected.end(); ++it) {
                if (value(it.key()) != it.value())
                    return false;
            }
            return true;
        };
        const auto stored = [&](const QString &key) {
            const QJsonObject record = server().record("users", user);
            return key.startsWith("rv") ? record[key] : record["permissions"][key];
        };
        const auto shownNow = [&](const QString &key) { return shown(user, key); };
        QTRY_VERIFY(holds(stored));
        QTRY_VERIFY(holds(shownNow));
        QTest::qWait(listMs + 300);
        QVERIFY(holds(stored));
        QVERIFY(holds(shownNow));
    }

    void theEditorsWriteTakesItsTurn_data()
    {
        QTest::addColumn<int>("rightsMs");  // how long the server takes to answer a right's write
        QTest::addColumn<QJsonObject>("typed");  // into the editor
        QTest::addColumn<int>("editorMs");  // and its write; 0: as a right's
        // The next right's write, built before the editor's, put the old
        // name and password back.
        QTest::newRow("a new password undone")
            << 500 << QJsonObject{{"name", "Смирнова Ирина Павловна"}, {"password", "kassa2"}} << 0;
        // The editor's answer, taken in after the rights' answers, carried the
        // rights as they were before them; the next right's write stored that.
        QTest::newRow("rights reverted by a late answer")
            << 300 << QJsonObject{{"position", "Старший кассир"}} << 1000;
    }

    // Rights of user 3 toggled on a slow server, then the editor's OK while
    // their writes wait, then one more right: every write goes out in the
    // order made, and the server and the window end holding all of it.
    void theEditorsWriteTakesItsTurn()
    {
        QFETCH(int, rightsMs);
        QFETCH(QJsonObject, typed);
        QFETCH(int, editorMs);
        server().loadFixture(StandIn::Server::demoFixturePath());
        QVERIFY(finishes(users, [&] { users->handleUpdate(); }));
        using StandIn::FailureKind;
        server().injectFailure("PUT", "users/3", {FailureKind::Delay, 200, {}, 0, rightsMs});
        QJsonObject expected = server().record("users", 3);
        QJsonObject rights = expected["permissions"].toObject();
        const auto toggle = [&](const QString &label, int column) {
            QVERIFY(permissions()->setData(permissionCell(label, column), Qt::Checked, Qt::CheckStateRole));
            const QString node = PermissionsTableModel::translations.key(label);
            rights[node] = rights[node].toInt() ^ column;
        };
        QVERIFY(selectUser(3, 1).isValid());
        toggle("Справочник | Округ", 1);
        toggle("Таблица | Оплата за проживание", 2);
        if (editorMs)
            toggle("Учреждение | Тарифы", 1);
        ModalHandler::onNextDialog<UserEditDialog>([&](UserEditDialog *editor) {
            for (auto it = typed.begin(); it != typed.end(); ++it)
                fillIn(editor, it.key() == "name" ? "fullnameLineEdit" : qPrintable(it.key() + "LineEdit"),
                       it.value().toString());
            // The first right is on its way: the editor's write goes after it.
            QTRY_COMPARE(server().requestsTo("PUT", "users/3").size(), 1);
            if (editorMs)  // the next write to arrive
                server().injectFailure("PUT", "users/3", {FailureKind::Delay, 200, {}, 1, editorMs});
            press(editor, QDialogButtonBox::Ok);
        });
        doubleClick(table("usersTableView"), selectUser(3, 1));
        QVERIFY(selectUser(3, 1).isValid());
        toggle("Учреждение | Номера", 1);

        for (auto it = typed.begin(); it != typed.end(); ++it)
            expected[it.key()] = it.value();
        expected["permissions"] = rights;
        QTRY_COMPARE(server().record("users", 3), expected);
        // The window shows it once the reload after the last write is in.
        QJsonObject held = rights;
        held.remove("id");
        held.remove("userId");
        for (const QString &key : QStringList{"name", "password", "position"})
            held[key] = expected[key];
        const QStringList keys = held.keys();
        QTRY_VERIFY(std::all_of(keys.begin(), keys.end(),
                                [&](const QString &key) { return shown(3, key) == held[key]; }));
        QCOMPARE(server().record("users", 3), expected);
    }

    // The next right, waiting behind one the server sent elsewhere, is not
    // sent, and the box does not say that the server gave no answer.
    void changesBehindAMovedWriteAreNamed()
    {
        const auto timeout = qScopeGuard([] { NetworkManagerWrapper::setTransferTimeoutForTesting(60000); });
        NetworkManagerWrapper::setTransferTimeoutForTesting(1000);
        StandIn::Failure moved{StandIn::FailureKind::Redirect, 301, {}, 1, 100};
        moved.location = "/users/3/";
        server().injectFailure("PUT", "users/3", moved);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QVERIFY(selectUser(3, 1).isValid());
        for (const char *label : {"Справочник | Округ", "Учреждение | Номера"})
            QVERIFY(permissions()->setData(permissionCell(label, 1), Qt::Checked, Qt::CheckStateRole));
        QTRY_COMPARE(boxTexts("Изменения не сохранены").size(), 1);
        QVERIFY2(boxTexts("Изменения не сохранены").first().startsWith("Сервер перенаправил изменение"),
                 qPrintable(boxTexts("Изменения не сохранены").first()));
        QCOMPARE(server().requestsTo("PUT", "users/3").size(), 1);
        QVERIFY(finishes(users, [&] { users->handleUpdate(); }));
    }

    void aDeletedUsersRightsAreNoLongerShown()
    {
        const int id = server().addRecord(
            "users", {{"name", "Временный"}, {"password", "tmp"}, {"permissions", QJsonObject{{"rooms", 1}}}});
        QVERIFY(finishes(users, [&] { users->handleUpdate(); }));
        QVERIFY(selectUser(id, 1).isValid());
        QCOMPARE(permissions()->rowCount(), 1);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QVERIFY(finishes(users, [&] { button(users, "removeButton")->click(); }));
        QCOMPARE(boxTexts("Вы уверены?"), QStringList{"Удалить запись?"});
        QVERIFY(server().record("users", id).isEmpty());
        QCOMPARE(permissions()->rowCount(), 0);
    }
};

LOMI_TEST_CLASS(UsersWidgetTest)

#include "tst_users.moc"
