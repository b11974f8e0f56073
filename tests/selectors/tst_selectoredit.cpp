#include "testregistry.h"

#include "commonselectordialog.h"
#include "guitestbase.h"
#include "selectoredit.h"
#include "selectorfactory.h"
#include "selectortesting.h"

#include <QPointer>

using namespace SelectorTesting;

class SelectorEditTest : public GuiTestBase
{
    Q_OBJECT

    // A field over the organisation selector, which names a record by column 2.
    struct Field
    {
        SelectorEdit edit;
        CommonSelectorDialog *selector = SelectorFactory::createOrganizationsSelector();

        Field() { edit.setSelector(selector); }

        // Sets the id and waits for the list that shows its name.
        bool setAndWait(int id)
        {
            QSignalSpy finished(selector, &SelectorDialog::refreshFinished);
            edit.setSelectedId(id);
            return finished.wait(10000);
        }

        QPushButton *button(const char *name) { return edit.findChild<QPushButton *>(name); }
    };

    QString organization(int id) { return server().record("organizations", id).value("name").toString(); }

private slots:
    void initTestCase() { QVERIFY(startServer(fixture()).signIn(TestEnvironment::adminPassword())); }

    void newFieldIsEmpty()
    {
        SelectorEdit edit;
        QCOMPARE(edit.getDisplayValue(), QString("Не выбрано"));
        QCOMPARE(edit.getSelectedId(), -1);
        QVERIFY(!edit.getRow().isValid());
    }

    // The id counts at once; the name follows when the list is in.
    void idShowsItsNameOnceTheListIsIn()
    {
        Field field;
        QSignalSpy selected(field.selector, &SelectorDialog::itemSelected);
        QSignalSpy finished(field.selector, &SelectorDialog::refreshFinished);

        field.edit.setSelectedId(2);
        QCOMPARE(field.edit.getSelectedId(), 2);
        QCOMPARE(field.edit.getDisplayValue(), QString("Не выбрано"));

        QVERIFY(finished.wait(10000));
        QCOMPARE(selected.count(), 1);
        QCOMPARE(field.edit.getDisplayValue(), organization(2));
        QCOMPARE(field.edit.getDisplayValue(), QString("АО «Северная энергетика»"));
        QCOMPARE(field.edit.getSelectedId(), 2);
        QCOMPARE(field.edit.getRow().data().toInt(), 2);
        QCOMPARE(field.selector->getSelectedObject().value("code").toString(), QString("B-100"));

        // An archived organisation is not in the list: the id is kept, the
        // label keeps the name it had.
        QVERIFY(field.setAndWait(4));
        QCOMPARE(field.edit.getSelectedId(), 4);
        QCOMPARE(field.edit.getDisplayValue(), organization(2));
    }

    void pickInTheDialogShowsTheName()
    {
        Field field;
        inNextSelector([](CommonSelectorDialog *d) {
            QTRY_COMPARE(rows(d)->rowCount(), 3);
            tableOf(d)->selectRow(rowOf(d, 3));
            okButton(d)->click();
        });
        field.button("selectButton")->click();
        QCOMPARE(field.edit.getSelectedId(), 3);
        QCOMPARE(field.edit.getDisplayValue(), QString("ГБУ «Центр услуг»"));

        // Cancelling changes nothing.
        inNextSelector([](CommonSelectorDialog *d) {
            QTRY_COMPARE(rows(d)->rowCount(), 3);
            tableOf(d)->selectRow(rowOf(d, 1));
            d->reject();
        });
        field.button("selectButton")->click();
        QCOMPARE(field.edit.getSelectedId(), 3);
        QCOMPARE(field.edit.getDisplayValue(), QString("ГБУ «Центр услуг»"));
    }

    void resetButtonClearsTheChoiceAndTheSearch()
    {
        Field field;
        QVERIFY(field.setAndWait(1));
        QCOMPARE(field.edit.getDisplayValue(), organization(1));
        searchLine(field.selector)->setText("техно");

        QSignalSpy reseted(&field.edit, &SelectorEdit::reseted);
        field.button("resetButton")->click();
        QCOMPARE(reseted.count(), 1);
        QCOMPARE(field.edit.getSelectedId(), -1);
        QCOMPARE(field.edit.getDisplayValue(), QString("Не выбрано"));
        QCOMPARE(searchLine(field.selector)->text(), QString());
    }

    // A load that ends after the field was reset or set to another id must
    // not bring back the id it was started for.
    void onlyTheLatestRequestedIdCounts()
    {
        Field field;
        QSignalSpy finished(field.selector, &SelectorDialog::refreshFinished);
        field.edit.setSelectedId(2);
        field.edit.reset();
        QVERIFY(finished.wait(10000));
        QCOMPARE(field.edit.getSelectedId(), -1);
        QCOMPARE(field.edit.getDisplayValue(), QString("Не выбрано"));

        // The first of two loads in flight is dropped when it comes.
        field.edit.setSelectedId(2);
        field.edit.setSelectedId(99);
        QTRY_COMPARE(finished.count(), 2);
        QCOMPARE(field.edit.getSelectedId(), 99);
        QCOMPARE(field.edit.getDisplayValue(), QString("Не выбрано"));

        field.edit.setSelectedId(99);
        field.edit.setSelectedId(1);
        QTRY_COMPARE(finished.count(), 3);
        QCOMPARE(field.edit.getSelectedId(), 1);
        QCOMPARE(field.edit.getDisplayValue(), organization(1));
    }

    void fieldDeletesItsSelector()
    {
        QPointer<CommonSelectorDialog> selector = SelectorFactory::createPositionSelector();
        {
            SelectorEdit edit;
            edit.setSelector(selector);
        }
        QVERIFY(selector.isNull());
    }
};

LOMI_TEST_CLASS(SelectorEditTest)

#include "tst_selectoredit.moc"
