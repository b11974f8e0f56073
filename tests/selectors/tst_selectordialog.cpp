#include "testregistry.h"

#include "commonselectoraddhandler.h"
#include "commonselectordialog.h"
#include "guitestbase.h"
#include "selectorfactory.h"
#include "selectortesting.h"

#include <QPointer>

using namespace SelectorTesting;

namespace {

using Factory = std::function<CommonSelectorDialog *()>;

const QMap<QString, Factory> &factories()
{
    static const QMap<QString, Factory> all{
        {"organizations", [] { return SelectorFactory::createOrganizationsSelector(); }},
        {"positions", [] { return SelectorFactory::createPositionSelector(); }},
        {"extra services", [] { return SelectorFactory::createExtraServiceSelector(); }},
        {"streams", [] { return SelectorFactory::createStreamSelector(); }},
        {"paid curricula", [] { return SelectorFactory::createCurriculumSelector(true); }},
        {"all curricula", [] { return SelectorFactory::createCurriculumSelector(false); }},
        {"property", [] { return SelectorFactory::createPropertyDialog(); }},
        {"pay types", [] { return SelectorFactory::createPayTypeSelector(false, true); }},
        {"payer pay types", [] { return SelectorFactory::createPayTypeSelector(true, true); }},
        {"all pay types", [] { return SelectorFactory::createPayTypeSelector(false, false); }},
    };
    return all;
}

// A selector of ids and names built here, not by the factory.
std::unique_ptr<CommonSelectorDialog> plainSelector(CommonSelectorDialog::Builder *builder)
{
    return std::unique_ptr<CommonSelectorDialog>(
        builder->withHeaders({{"ID", "id"}, {"Название", "name"}})->build());
}

class AddHandler : public CommonSelectorAddHandler
{
    Q_OBJECT
};

}  // namespace

class SelectorDialogTest : public GuiTestBase
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(startServer(fixture()).signIn(TestEnvironment::adminPassword())); }

    // The list request is a plain signed GET: path and query as the server
    // expects them, the bearer header, no body and no content type.
    void sharedSelectorsAskForTheirLists_data()
    {
        QTest::addColumn<QString>("factory");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("displayText");

        QTest::newRow("organizations") << "organizations" << "/organizations"
                                       << "excludeArchive=true" << 2 << "АО «Северная энергетика»";
        QTest::newRow("positions") << "positions" << "/positions" << "" << 3 << "Бухгалтер";
        QTest::newRow("extra services") << "extra services" << "/extra_services"
                                        << "actualOnly=true" << 4 << "Прокат ноутбука";
        QTest::newRow("streams") << "streams" << "/streams" << "" << 2 << "ПБ-2026-12";
        QTest::newRow("paid curricula") << "paid curricula" << "/curriculums" << "paidOnly=true"
                                        << 2 << "Пожарная безопасность";
        QTest::newRow("all curricula") << "all curricula" << "/curriculums" << "" << 3
                                       << "Промышленная безопасность";
        QTest::newRow("property") << "property" << "/property" << "actualOnly=true" << 2 << "Фен";
        QTest::newRow("pay types") << "pay types" << "/pay_type"
                                   << "payerOnly=false&actualOnly=true" << 1 << "Наличные";
        QTest::newRow("payer pay types") << "payer pay types" << "/pay_type"
                                         << "payerOnly=true&actualOnly=true" << 4
                                         << "Контракт № 45-К";
        QTest::newRow("all pay types") << "all pay types" << "/pay_type"
                                       << "payerOnly=false&actualOnly=false" << 5 << "Взаимозачёт";
    }

    void sharedSelectorsAskForTheirLists()
    {
        QFETCH(QString, factory);
        QFETCH(QString, path);
        QFETCH(QString, query);
        QFETCH(int, id);
        QFETCH(QString, displayText);

        std::unique_ptr<CommonSelectorDialog> dialog(factories().value(factory)());
        QVERIFY(load(dialog.get()));

        const QList<StandIn::Request> sent = server().requests();
        QCOMPARE(sent.size(), 1);
        const StandIn::Request &request = sent.first();
        QCOMPARE(request.method, QByteArray("GET"));
        QCOMPARE(request.path, path);
        QCOMPARE(request.query, query);
        QCOMPARE(request.header("Authorization"), "Bearer " + server().lastToken().toUtf8());
        QVERIFY(!request.hasHeader("Content-Type"));
        QVERIFY(request.body.isEmpty());

        QVERIFY(rows(dialog.get())->rowCount() > 0);
        QCOMPARE(dialog->getDisplayValueForId(id), displayText);

        // No selector can add records: "Добавить" is there, but disabled.
        auto *add = dialog->findChild<QPushButton *>("addButton");
        QCOMPARE(add->text(), QString("Добавить"));
        QVERIFY(add->isVisibleTo(dialog.get()));
        QVERIFY(!add->isEnabled());
    }

    void sharedSelectorsAreDistinct()
    {
        std::unique_ptr<CommonSelectorDialog> first(SelectorFactory::createStreamSelector());
        std::unique_ptr<CommonSelectorDialog> second(SelectorFactory::createStreamSelector());
        QVERIFY(first.get() != second.get());
        QVERIFY(tableOf(first.get())->itemDelegateForColumn(2)
                != tableOf(second.get())->itemDelegateForColumn(2));
    }

    void cellsShowThroughTheirDelegates_data()
    {
        QTest::addColumn<QString>("factory");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("expected");

        QTest::newRow("stream start") << "streams" << 1 << 2 << "16.11.2026";
        QTest::newRow("stream end") << "streams" << 1 << 3 << "27.11.2026";
        QTest::newRow("stream curriculum") << "streams" << 1 << 4 << "Охрана труда";
        QTest::newRow("stream without curriculum") << "streams" << 2 << 4 << "";
        QTest::newRow("pay type attribute -1") << "pay types" << 3 << 2 << "Возврат";
        QTest::newRow("pay type attribute 0") << "pay types" << 2 << 2 << "Ожидает оплаты";
        QTest::newRow("pay type attribute 2") << "pay types" << 5 << 2 << "Некорректный вариант";
        QTest::newRow("pay type start") << "pay types" << 4 << 4 << "01.02.2000";
        QTest::newRow("pay type contract cost") << "pay types" << 4 << 6 << "250000.00";
        QTest::newRow("pay type fractional cost") << "pay types" << 5 << 6 << "12.50";
        QTest::newRow("curriculum paid") << "all curricula" << 2 << 3 << "Да";
        QTest::newRow("curriculum free") << "all curricula" << 1 << 3 << "Нет";
        QTest::newRow("curriculum cost") << "all curricula" << 2 << 4 << "15000.00";
        QTest::newRow("curriculum archived") << "all curricula" << 3 << 5 << "Да";
        QTest::newRow("paid curriculum cost") << "paid curricula" << 2 << 3 << "15000.00";
        QTest::newRow("property cost") << "property" << 2 << 3 << "900.50";
    }

    void cellsShowThroughTheirDelegates()
    {
        QFETCH(QString, factory);
        QFETCH(int, id);
        QFETCH(int, column);
        QFETCH(QString, expected);

        std::unique_ptr<CommonSelectorDialog> dialog(factories().value(factory)());
        QVERIFY(load(dialog.get()));
        const int row = rowOf(dialog.get(), id);
        QVERIFY(row >= 0);
        QCOMPARE(styleOption(tableOf(dialog.get())->itemDelegateForColumn(column),
                             rows(dialog.get())->index(row, column)).text, expected);
    }

    void nestedKeysReachTheTable()
    {
        std::unique_ptr<CommonSelectorDialog> dialog(SelectorFactory::createPayTypeSelector(true, true));
        QVERIFY(load(dialog.get()));
        QCOMPARE(shownIds(dialog.get()), QList<int>{4});
        QCOMPARE(rows(dialog.get())->index(0, 3).data().toString(),
                 QString("АО «Северная энергетика»"));
    }

    void loadsEndSortedByTheirSortColumn_data()
    {
        QTest::addColumn<QString>("selector");
        QTest::addColumn<QList<int>>("ids");

        // The stand-in sends the unsorted list in the order 3, 1, 2.
        QTest::newRow("no sortBy: id ascending") << "unsorted" << QList<int>{1, 2, 3};
        // Names in id order: Стирка, Поздний, Прокат (3 is out of date).
        QTest::newRow("extra services: name ascending") << "extra services" << QList<int>{2, 4, 1};
    }

    void loadsEndSortedByTheirSortColumn()
    {
        QFETCH(QString, selector);
        QFETCH(QList<int>, ids);

        server().route("GET", "unsorted", StandIn::Server::Access::signedIn(),
                       [](const StandIn::Request &, const QStringList &) {
            return StandIn::Reply::json(QJsonArray{QJsonObject{{"id", 3}, {"name", "Альфа"}},
                                                   QJsonObject{{"id", 1}, {"name", "Вега"}},
                                                   QJsonObject{{"id", 2}, {"name", "Бета"}}});
        });
        std::unique_ptr<CommonSelectorDialog> dialog(
            selector == "unsorted"
                ? plainSelector(CommonSelectorDialog::Builder::create()->withEndpoint("unsorted"))
                : std::unique_ptr<CommonSelectorDialog>(factories().value(selector)()));
        QVERIFY(load(dialog.get()));
        QCOMPARE(shownIds(dialog.get()), ids);

        // A sort the user chose by the header lasts until the next load.
        tableOf(dialog.get())->sortByColumn(0, Qt::DescendingOrder);
        QVERIFY(shownIds(dialog.get()) != ids);
        QVERIFY(load(dialog.get()));
        QCOMPARE(shownIds(dialog.get()), ids);
    }

    // Typed text filters all columns ignoring case; ids are looked up among
    // the shown rows only, until reset clears the search.
    void searchHidesRowsFromLookups()
    {
        std::unique_ptr<CommonSelectorDialog> dialog(SelectorFactory::createPositionSelector());
        QVERIFY(load(dialog.get()));
        QCOMPARE(shownIds(dialog.get()), (QList<int>{1, 2, 3}));

        typeInto(searchLine(dialog.get()), "инженер");
        QCOMPARE(searchLine(dialog.get())->text(), QString("инженер"));
        QCOMPARE(shownIds(dialog.get()), (QList<int>{1, 2}));

        QSignalSpy selected(dialog.get(), &SelectorDialog::itemSelected);
        dialog->setSelectedId(3);
        QCOMPARE(dialog->getSelectedId(), 3);
        QCOMPARE(selected.count(), 0);
        QVERIFY(!tableOf(dialog.get())->selectionModel()->hasSelection());
        QCOMPARE(dialog->getDisplayValueForId(3), QString());
        QVERIFY(dialog->getSelectedObject().isEmpty());
        QCOMPARE(dialog->getDisplayValueForId(2), QString("Главный ИНЖЕНЕР"));

        dialog->reset();
        QCOMPARE(searchLine(dialog.get())->text(), QString());
        QCOMPARE(shownIds(dialog.get()), (QList<int>{1, 2, 3}));

        dialog->setSelectedId(3);
        QCOMPARE(selected.count(), 1);
        const QModelIndex index = selected.first().first().value<QModelIndex>();
        QCOMPARE(index.data().toInt(), 3);
        QCOMPARE(dialog->getSelectedRow(), index);
        QVERIFY(tableOf(dialog.get())->selectionModel()->isRowSelected(index.row(), {}));
        QCOMPARE(dialog->getSelectedObject().value("name").toString(), QString("Бухгалтер"));
        // Finding the id selects the row but leaves the dialog as it was.
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), 0);
    }

    void doubleClickPicksTheRowsId()
    {
        std::unique_ptr<CommonSelectorDialog> dialog(SelectorFactory::createOrganizationsSelector());
        QSignalSpy selected(dialog.get(), &SelectorDialog::itemSelected);

        inNextSelector([](CommonSelectorDialog *d) {
            QTRY_COMPARE(shownIds(d), (QList<int>{1, 2, 3}));
            const QModelIndex cell = rows(d)->index(rowOf(d, 3), 3);
            QCOMPARE(cell.data().toString(), QString("Москва"));
            tableOf(d)->scrollTo(cell);
            const QPoint at = tableOf(d)->visualRect(cell).center();
            // The widget form of mouseDClick sends the second press only.
            QTest::mouseClick(tableOf(d)->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(tableOf(d)->viewport(), Qt::LeftButton, {}, at);
        });
        QCOMPARE(dialog->select(), int(QDialog::Accepted));
        QCOMPARE(dialog->getSelectedId(), 3);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.first().first().value<QModelIndex>().column(), 3);

        const QJsonObject record = dialog->getSelectedObject();
        QCOMPARE(record.value("code").toString(), QString("C-500"));
        QCOMPARE(record.value("region").toObject().value("name").toString(), QString("Москва"));
        QCOMPARE(dialog->getObjectForIndex(dialog->getSelectedRow()), record);
    }

    // Ok means "take the selected row": without one it cannot close the dialog.
    void okNeedsASelectedRow()
    {
        std::unique_ptr<CommonSelectorDialog> dialog(SelectorFactory::createPositionSelector());
        QCOMPARE(dialog->getSelectedId(), -1);

        inNextSelector([](CommonSelectorDialog *d) {
            QTRY_COMPARE(rows(d)->rowCount(), 3);
            QPushButton *ok = okButton(d);
            QVERIFY(!ok->isEnabled());
            QTest::mouseClick(ok, Qt::LeftButton);
            QTest::keyClick(d, Qt::Key_Return);
            QVERIFY(d->isVisible());

            tableOf(d)->selectRow(rowOf(d, 1));
            QVERIFY(ok->isEnabled());
            // A search that hides every row leaves nothing to take.
            searchLine(d)->setText("нет такой");
            QCOMPARE(rows(d)->rowCount(), 0);
            QVERIFY(!ok->isEnabled());
            searchLine(d)->clear();
            QVERIFY(!ok->isEnabled());

            // A reload clears the selection without telling the selection model's users.
            tableOf(d)->selectRow(rowOf(d, 1));
            QVERIFY(ok->isEnabled());
            QVERIFY(load(d));
            QVERIFY(!ok->isEnabled());

            // Should the button box report Ok anyway, the dialog says so and stays open.
            MessageBox::setNextAnswer(QMessageBox::Ok);
            emit d->findChild<QDialogButtonBox *>("buttonBox")->accepted();
            QVERIFY(d->isVisible());
            const auto boxes = MessageBox::history();
            QCOMPARE(boxes.size(), 1);
            QCOMPARE(boxes.first().title, QString("Assertion failed"));
            QCOMPARE(boxes.first().text,
                     QString("Client/widgets/selectors/commonselectordialog:29: "
                             "ui->tableView->selectionModel()->hasSelection()"));

            tableOf(d)->selectRow(rowOf(d, 2));
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        QCOMPARE(dialog->select(), int(QDialog::Accepted));
        QCOMPARE(dialog->getSelectedId(), 2);
        QCOMPARE(dialog->getSelectedRow().data().toInt(), 2);
    }

    void cancelKeepsThePick()
    {
        std::unique_ptr<CommonSelectorDialog> dialog(SelectorFactory::createPositionSelector());
        QVERIFY(load(dialog.get()));
        dialog->setSelectedId(1);
        inNextSelector([](CommonSelectorDialog *d) {
            QTRY_COMPARE(rows(d)->rowCount(), 3);
            tableOf(d)->selectRow(rowOf(d, 3));
            d->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Cancel)->click();
        });
        QCOMPARE(dialog->select(), int(QDialog::Rejected));
        QCOMPARE(dialog->getSelectedId(), 1);
    }

    void everyOpeningLoadsTheListAnew()
    {
        auto calls = std::make_shared<int>(0);
        server().route("GET", "changing", StandIn::Server::Access::signedIn(),
                       [calls](const StandIn::Request &, const QStringList &) {
            if (++*calls == 1)
                return StandIn::Reply::json(QJsonArray{QJsonObject{{"id", 1}, {"name", "Первый"}}});
            return StandIn::Reply::json(QJsonArray{QJsonObject{{"id", 2}, {"name", "Второй"}},
                                                   QJsonObject{{"id", 3}, {"name", "Третий"}}});
        });
        const auto dialog = plainSelector(
            CommonSelectorDialog::Builder::create()->withEndpoint("changing?mode=a")->withDisplayColumn(1));

        inNextSelector([](CommonSelectorDialog *d) { QTRY_COMPARE(shownIds(d), QList<int>{1}); });
        QCOMPARE(dialog->select(), int(QDialog::Rejected));
        inNextSelector(
            [](CommonSelectorDialog *d) { QTRY_COMPARE(shownIds(d), (QList<int>{2, 3})); });
        QCOMPARE(dialog->select(), int(QDialog::Rejected));

        const auto sent = server().requestsTo("GET", "changing");
        QCOMPARE(sent.size(), 2);
        for (const StandIn::Request &request : sent)
            QCOMPARE(request.query, QString("mode=a"));
        QCOMPARE(*calls, 2);
        QCOMPARE(dialog->getDisplayValueForId(3), QString("Третий"));
        QCOMPARE(dialog->getDisplayValueForId(1), QString());
    }

    void givenRequestIsSignedAndSent()
    {
        QNetworkRequest request(QUrl(environment().rootUrl() + "positions?from=request"));
        const auto dialog = plainSelector(CommonSelectorDialog::Builder::create()->withRequest(request));
        QVERIFY(load(dialog.get()));
        const auto sent = server().requestsTo("GET", "positions");
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent.first().query, QString("from=request"));
        QCOMPARE(sent.first().header("Authorization"), "Bearer " + server().lastToken().toUtf8());
        QCOMPARE(rows(dialog.get())->rowCount(), 3);
        // Without a display column set, the id column names the record.
        QCOMPARE(dialog->getDisplayValueForId(2), QString("2"));
    }

    void addButtonNeedsAHandler()
    {
        std::unique_ptr<CommonSelectorDialog> dialog(SelectorFactory::createPositionSelector());
        MessageBox::setNextAnswer(QMessageBox::Ok);
        dialog->addItem();
        auto boxes = MessageBox::history();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().text,
                 QString("Client/widgets/selectors/commonselectordialog:93: handler != nullptr"));

        QPointer<AddHandler> handler = new AddHandler;
        dialog->setAddHandler(handler);
        auto *add = dialog->findChild<QPushButton *>("addButton");
        QVERIFY(add->isEnabled());

        ModalHandler::acceptNext<AddHandler>();
        add->click();

        // A record added from inside the selector shows up in its list.
        QSignalSpy finished(dialog.get(), &SelectorDialog::refreshFinished);
        emit handler->addingFinished();
        QVERIFY(finished.wait(10000));
        QCOMPARE(server().requestsTo("GET", "positions").size(), 1);

        dialog.reset();
        QVERIFY(handler.isNull());
    }
};

LOMI_TEST_CLASS(SelectorDialogTest)

#include "tst_selectordialog.moc"
