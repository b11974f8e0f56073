#pragma once

#include "commonselectordialog.h"
#include "guitestbase.h"
#include "modalhandler.h"

#include <QAbstractItemModel>
#include <QJsonObject>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <functional>

// Reaching into a selector's form the way a user would see it.
namespace SelectorTesting {

inline QAbstractItemModel *rows(CommonSelectorDialog *dialog)
{
    return dialog->findChild<QTableView *>("tableView")->model();
}

inline QPushButton *okButton(CommonSelectorDialog *dialog)
{
    return dialog->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok);
}

inline QLineEdit *searchLine(CommonSelectorDialog *dialog)
{
    return dialog->findChild<QLineEdit *>("searchLineEdit");
}

// The demo users (to sign in) with lists of this area's own, whose dates do
// not run out and whose order and names the tests rely on.
inline QJsonObject fixture()
{
    const QJsonObject demo = GuiTestBase::fixtureFile(StandIn::Server::demoFixturePath());
    QJsonObject data = GuiTestBase::fixtureFile(QStringLiteral(LOMI_TEST_DATA_DIR "/fixture.json"));
    data.insert("users", demo.value("users"));
    data.insert("globals", demo.value("globals"));
    return data;
}

// Loads the selector's list and waits for the load to end.
inline bool load(CommonSelectorDialog *dialog)
{
    QSignalSpy finished(dialog, &SelectorDialog::refreshFinished);
    dialog->refresh();
    return finished.wait(10000);
}

// Acts inside the next selector's modal run. Whatever the body leaves
// open is rejected, so that a failed check cannot leave the test hanging.
inline void inNextSelector(std::function<void(CommonSelectorDialog *)> body)
{
    ModalHandler::onNextDialog<CommonSelectorDialog>([body](CommonSelectorDialog *dialog) {
        body(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

}  // namespace SelectorTesting
