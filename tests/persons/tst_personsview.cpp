#include "testregistry.h"

#include "mainwindow.h"
#include "personeditdialog.h"
#include "personsfixture.h"
#include "personsviewwidget.h"
#include "requesttablemodel.h"

#include <previewdialog.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QJsonArray>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>

class PersonsViewTest : public PersonsTestBase
{
    Q_OBJECT

    static QMdiArea *area(MainWindow &window) { return window.findChild<QMdiArea *>("mdiArea"); }

    static PersonsViewWidget *firstTab(MainWindow &window)
    {
        const auto tabs = area(window)->subWindowList();
        return tabs.isEmpty() ? nullptr : qobject_cast<PersonsViewWidget *>(tabs.first()->widget());
    }

    static QString requestedQuery(PersonsViewWidget &view)
    {
        return sourceModel(&view)->getRequest().url().query();
    }

    // A list signed in and loaded, outside the main window.
    bool loaded(PersonsViewWidget &view)
    {
        return environment().signIn(TestEnvironment::adminPassword())
               && reloadsAfter(&view, [&] { view.handleUpdate(); });
    }

private slots:
    void firstTabLoadsBeforeSignInAndAgainAfter()
    {
        LoginManager::instance()->resetForTesting();
        MainWindow window;
        PersonsViewWidget *view = firstTab(window);
        QVERIFY(view);
        QVERIFY(QSignalSpy(sourceModel(view), &RequestTableModel::selectFinished).wait(5000));
        const auto first = server().requestsTo("GET", "persons");
        QCOMPARE(first.size(), 1);
        QCOMPARE(first.first().query, QString("pretty=true&year=2026"));
        QCOMPARE(first.first().header("Authorization"), QByteArray("Bearer"));
        QVERIFY(!first.first().hasHeader("Content-Type"));
        QCOMPARE(shownIds(view), QList<int>());

        QVERIFY(reloadsAfter(view, [&] { QVERIFY(environment().signIn("admin")); }));
        QCOMPARE(shownIds(view), (QList<int>{5, 4, 3, 2, 1}));
        QTRY_COMPARE(child<QPushButton>(*view, "infoPushButton")->text(), QString("Инфо (2)"));
    }

    void filterUrls_data()
    {
        QTest::addColumn<bool>("byDate");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<bool>("byYear");
        QTest::addColumn<QString>("year");  // an item of the list, or typed with Enter
        QTest::addColumn<QString>("query");  // empty: nothing is loaded
        QTest::addColumn<bool>("changesReload");
        const QDate march(2024, 3, 15);
        QTest::newRow("year only") << false << march << true << "2025" << "pretty=true&year=2025" << true;
        QTest::newRow("date moved into the year")
            << true << march << true << "2027" << "pretty=true&date=15.03.2027" << true;
        QTest::newRow("29.02 into a common year")
            << true << QDate(2024, 2, 29) << true << "2025" << "pretty=true&date=28.02.2025" << true;
        QTest::newRow("date only") << true << march << false << "2025" << "pretty=true&date=15.03.2024" << true;
        QTest::newRow("neither") << false << march << false << "2025" << "pretty=true" << false;
        QTest::newRow("typed year") << false << march << true << "2019" << "pretty=true&year=2019" << true;
        QTest::newRow("typed text") << false << march << true << "20x9" << "" << true;
    }

    void filterUrls()
    {
        QFETCH(bool, byDate);
        QFETCH(QDate, date);
        QFETCH(bool, byYear);
        QFETCH(QString, year);
        QFETCH(QString, query);
        QFETCH(bool, changesReload);
        PersonsViewWidget view;
        auto *years = child<QComboBox>(view, "yearFilterComboBox");
        QCOMPARE(years->itemText(0), QString("2027"));
        QCOMPARE(years->currentText(), QString("2026"));
        QCOMPARE(years->itemText(years->count() - 1), QString("2022"));

        child<QCheckBox>(view, "dateFilterEnabledCheckBox")->setChecked(byDate);
        child<QCheckBox>(view, "yearFilterEnabledCheckBox")->setChecked(byYear);
        child<QDateEdit>(view, "dateEdit")->setDate(date);
        years->setEditText(year);
        QTest::keyClick(years->lineEdit(), Qt::Key_Return);
        sourceModel(&view)->setRequest(QNetworkRequest());
        child<QPushButton>(view, "refreshButton")->click();
        QCOMPARE(requestedQuery(view), query);

        // Whether a change of the date or the year reloads.
        sourceModel(&view)->setRequest(QNetworkRequest());
        child<QDateEdit>(view, "dateEdit")->setDate(date.addDays(1));
        years->setCurrentIndex(1);
        QCOMPARE(!requestedQuery(view).isEmpty(), changesReload);
    }

    void searchTakesTheTextLiterallyAndYoAsYe_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("ids");
        QTest::newRow("ё finds Е") << "зелёный" << QList<int>{3};
        QTest::newRow("Ё finds е") << "Ёлкин" << QList<int>{4};
        QTest::newRow("a bracket") << "(" << QList<int>{5};
        QTest::newRow("a plus") << "+" << QList<int>{1};
        QTest::newRow("a pattern") << ".*" << QList<int>{};
    }

    void searchTakesTheTextLiterallyAndYoAsYe()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, ids);
        PersonsViewWidget view;
        QVERIFY(loaded(view));
        child<QLineEdit>(view, "searchLineEdit")->setText(text);
        QCOMPARE(shownIds(&view), ids);
    }

    // The search keeps its text over a reload and the selection over the
    // keys that keep its row; clearing brings every row back in order.
    void searchOutlivesReloadsAndKeepsTheSelection()
    {
        PersonsViewWidget view;
        QVERIFY(loaded(view));
        QVERIFY(selectId(&view, 2));
        auto *search = child<QLineEdit>(view, "searchLineEdit");
        typeInto(search, "петр");
        QCOMPARE(shownIds(&view), (QList<int>{4, 2, 1}));
        server().clearRequests();
        child<QPushButton>(view, "editButton")->click();
        QCOMPARE(server().requestsTo("GET", "persons/2").size(), 1);

        QJsonObject renamed = PersonsTest::fixture();
        QJsonArray persons = renamed.value("persons").toArray();
        for (qsizetype i = 0; i < persons.size(); ++i) {
            QJsonObject person = persons.at(i).toObject();
            const int id = person.value("id").toInt();
            if (id == 2 || id == 3)
                person.insert("surname", id == 2 ? "Сидорова" : "Пётровский");
            persons[i] = person;
        }
        renamed.insert("persons", persons);
        server().loadFixture(renamed);
        QVERIFY(reloadsAfter(&view, [&] { child<QPushButton>(view, "refreshButton")->click(); }));
        QCOMPARE(shownIds(&view), (QList<int>{4, 3, 1}));

        search->clear();
        QCOMPARE(shownIds(&view), (QList<int>{5, 4, 3, 2, 1}));
    }

    void buttonsActOnTheSelectedRowOfTheSortedList()
    {
        PersonsViewWidget view;
        QVERIFY(loaded(view));
        tableOf(&view)->sortByColumn(2, Qt::AscendingOrder);  // by name: 3 comes first
        tableOf(&view)->selectRow(0);
        QSignalSpy opened(&view, &SubwindowsAwareWidget::addingSubwindow);
        for (const char *name : {"editButton", "copyButton"}) {
            server().clearRequests();
            child<QPushButton>(view, name)->click();
            QCOMPARE(server().requestsTo("GET", "persons/3").size(), 1);
            QCOMPARE(opened.takeLast().first().value<QWidget *>()->windowTitle(),
                     QString("ЗЕЛЕНЫЙ Иван"));
        }
        server().clearRequests();
        ReportEngine::PreviewDialog::setNextResult(QDialog::Accepted);
        child<QPushButton>(view, "printButton")->click();
        QCOMPARE(server().requestsTo("GET", "persons/3").size(), 1);
        QCOMPARE(ReportEngine::PreviewDialog::history().size(), 1);
        QVERIFY(ReportEngine::PreviewDialog::history().first().text.contains("ЗЕЛЕНЫЙ Иван"));
    }

    void removeAsksAndSendsABareDelete()
    {
        PersonsViewWidget view;
        QVERIFY(loaded(view));
        QVERIFY(selectId(&view, 3));
        MessageBox::setNextAnswer(QMessageBox::No);
        child<QPushButton>(view, "removeButton")->click();
        QVERIFY(server().requestsTo("DELETE", "persons/3").isEmpty());

        MessageBox::setNextAnswer(QMessageBox::Yes);
        QVERIFY(reloadsAfter(&view, [&] { child<QPushButton>(view, "removeButton")->click(); }));
        QCOMPARE(boxTexts("Вы уверены?"), (QStringList{"Удалить запись?", "Удалить запись?"}));
        const auto deletes = server().requestsTo("DELETE", "persons/3");
        QCOMPARE(deletes.size(), 1);
        QCOMPARE(deletes.first().header("Authorization"), bearer());
        QVERIFY(!deletes.first().hasHeader("Content-Type"));
        QCOMPARE(shownIds(&view), (QList<int>{5, 4, 2, 1}));
        QTRY_COMPARE(child<QPushButton>(view, "infoPushButton")->text(), QString("Инфо (1)"));
    }

    void aRefusedRemoveIsReported_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("says");
        QTest::newRow("an error status") << int(FailureKind::Status) << "Request failed" << "Injected failure";
        QTest::newRow("a refusal sent as a success")
            << int(FailureKind::OkFalse) << "Ошибка" << "Сервер не сохранил запись: Injected failure";
    }

    void aRefusedRemoveIsReported()
    {
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(QString, says);
        PersonsViewWidget view;
        QVERIFY(loaded(view));
        QVERIFY(selectId(&view, 3));
        server().injectFailure("DELETE", "persons/3", Failure{FailureKind(kind), 422});
        MessageBox::setNextAnswer(QMessageBox::Yes);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QVERIFY(reloadsAfter(&view, [&] { child<QPushButton>(view, "removeButton")->click(); }));
        QCOMPARE(boxesTitled(title).size(), 1);
        QVERIFY(boxesTitled(title).first().text.endsWith(says));
        QVERIFY(shownIds(&view).contains(3));
    }

    void theCardIsOneTabThatFollowsTheList()
    {
        QVERIFY(environment().signIn("admin"));
        MainWindow window;
        window.show();
        PersonsViewWidget *view = firstTab(window);
        QVERIFY(view && reloadsAfter(view, [&] { view->handleUpdate(); }));
        QVERIFY(selectId(view, 1));
        child<QPushButton>(*view, "editButton")->click();
        QCOMPARE(area(window)->subWindowList().size(), 2);
        auto *card = qobject_cast<PersonEditDialog *>(area(window)->subWindowList().last()->widget());
        QVERIFY(card && card->isVisible());

        // "Добавить" while the card shows someone: the same tab, blank.
        child<QPushButton>(*view, "addButton")->click();
        QCOMPARE(area(window)->subWindowList().size(), 2);
        QCOMPARE(card->windowTitle(), QString("Регистрационная карта"));
        QCOMPARE(fieldText(card, "fioLineEdit"), QString());

        // A save in the card reloads the list.
        fillIn(card, "fioLineEdit", "Новиков Олег");
        button(card, "writePushButton")->click();
        QTRY_VERIFY(rowOf(view, 7) >= 0);

        // The card's "Печать РК" prints the card's person through the list.
        ReportEngine::PreviewDialog::setNextResult(QDialog::Accepted);
        button(card, "printRCPushButton")->click();
        QCOMPARE(ReportEngine::PreviewDialog::history().size(), 1);
        QVERIFY(ReportEngine::PreviewDialog::history().first().text.contains("Новиков Олег"));

        press(card, QDialogButtonBox::Cancel);
        QCOMPARE(area(window)->subWindowList().size(), 1);
        QVERIFY(!card->isVisible());
    }

    // "Добавить" while a card is open with its focus after the birth date.
    void aNewCardTakesTheFocusOnTheName()
    {
        QVERIFY(environment().signIn("admin"));
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        PersonsViewWidget *view = firstTab(window);
        QVERIFY(view && reloadsAfter(view, [&] { view->handleUpdate(); }));
        QVERIFY(selectId(view, 1));
        child<QPushButton>(*view, "editButton")->click();
        QWidget *card = area(window)->subWindowList().last()->widget();
        child<QDateEdit>(*card, "birthDateLineEdit")->setFocus();
        area(window)->setActiveSubWindow(area(window)->subWindowList().first());
        child<QPushButton>(*view, "addButton")->click();
        QTRY_COMPARE(QApplication::focusWidget(), child<QLineEdit>(*card, "fioLineEdit"));
    }
};

LOMI_TEST_CLASS(PersonsViewTest)

#include "tst_personsview.moc"
