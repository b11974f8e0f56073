#pragma once

// What the administration tests share: the one-document windows are waited
// for on their own network manager, which the windows keep to themselves.

#include "commonselectordialog.h"
#include "modalhandler.h"
#include "rawviewwidget.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <functional>

namespace AdminTest {

struct ManagerAccess : RawViewWidget
{
    static NetworkManagerWrapper &of(RawViewWidget *window)
    {
        return window->*(&ManagerAccess::manager);
    }
};

// Runs `action` and waits until the window has handled its next reply (a
// load's has reached fromJson by then).
inline bool finishes(RawViewWidget *window, const std::function<void()> &action)
{
    QSignalSpy finished(&ManagerAccess::of(window), &QNetworkAccessManager::finished);
    action();
    return finished.wait(5000);
}

// Triggers a main window's entry and waits for the window it opens as a tab
// to load; null when it does not.
template<class T>
T *openWindow(QWidget *mainWindow, const char *action)
{
    auto *entry = mainWindow->findChild<QAction *>(QString::fromLatin1(action));
    if (!entry || !entry->isEnabled())
        return nullptr;
    entry->trigger();
    QMdiSubWindow *frame = mainWindow->findChild<QMdiArea *>()->activeSubWindow();
    T *window = frame ? qobject_cast<T *>(frame->widget()) : nullptr;
    // The entry has sent the load; its reply is read in the wait.
    if (!window || !QSignalSpy(&ManagerAccess::of(window), &QNetworkAccessManager::finished).wait(5000))
        return nullptr;
    return window;
}

// In the next picker, once its list offers `id` (a list left from an earlier
// run must not): notes its endpoint and the ids it offers, and chooses `id`.
inline void chooseInNextPicker(int id, QString *endpoint, QList<int> *offered)
{
    ModalHandler::onNextDialog<CommonSelectorDialog>([=](CommonSelectorDialog *picker) {
        auto *view = picker->findChild<QTableView *>("tableView");
        auto idsShown = [view] {
            QList<int> ids;
            for (int row = 0; row < view->model()->rowCount(); ++row)
                ids << view->model()->index(row, 0).data().toInt();
            return ids;
        };
        QTRY_VERIFY(idsShown().contains(id));
        *endpoint = picker->getEndpoint();
        *offered = idsShown();
        view->selectRow(int(offered->indexOf(id)));
        picker->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        if (picker->isVisible())
            picker->reject();
    });
}

}  // namespace AdminTest
