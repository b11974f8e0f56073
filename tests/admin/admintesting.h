#pragma once

#include "commonselectordialog.h"
#include "guitestbase.h"
#include "mainwindow.h"
#include "modalhandler.h"
#include "rawviewwidget.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <functional>
#include <memory>

// What the administration tests share: the demo data with a main window
// that the administrator signs in to, and the one-document windows waited
// for on their own network manager, which the windows keep to themselves.
class AdminTestBase : public GuiTestBase
{
    Q_OBJECT

protected:
    // Builds the main window before the sign-in, as the program starts;
    // false when the sign-in fails.
    bool startSignedIn()
    {
        startServer();
        window = std::make_unique<MainWindow>();
        return environment().signIn(TestEnvironment::adminPassword());
    }

    static NetworkManagerWrapper &managerOf(RawViewWidget *rawView)
    {
        return rawView->*(&ManagerAccess::manager);
    }

    // Runs `action` and waits until the window has handled what it sent (a
    // load's answer has reached fromJson by then), and what those answers
    // sent on.
    static bool finishes(RawViewWidget *rawView, const std::function<void()> &action)
    {
        return settlesAfter(managerOf(rawView), action);
    }

    // Triggers a main window's entry and waits for the window it opens as a
    // tab to load; null when it does not.
    template<class T>
    T *openWindow(const char *action)
    {
        auto *entry = window->findChild<QAction *>(QString::fromLatin1(action));
        if (!entry || !entry->isEnabled())
            return nullptr;
        entry->trigger();
        QMdiSubWindow *frame = window->findChild<QMdiArea *>()->activeSubWindow();
        T *opened = frame ? qobject_cast<T *>(frame->widget()) : nullptr;
        // The entry has sent the load; its reply is read in the wait.
        if (!opened || !settlesAfter(managerOf(opened), [] {}))
            return nullptr;
        return opened;
    }

    // In the next picker, once its list offers `id` (a list left from an
    // earlier run must not): notes its endpoint and the ids it offers, and
    // chooses `id`.
    static void chooseInNextPicker(int id, QString *endpoint, QList<int> *offered)
    {
        ModalHandler::onNextDialog<CommonSelectorDialog>([=](CommonSelectorDialog *picker) {
            auto *view = picker->findChild<QTableView *>("tableView");
            QTRY_VERIFY(shownIds(view).contains(id));
            *endpoint = picker->getEndpoint();
            *offered = shownIds(view);
            view->selectRow(int(offered->indexOf(id)));
            picker->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
            if (picker->isVisible())
                picker->reject();
        });
    }

    std::unique_ptr<MainWindow> window;

private:
    // Reaches the windows' protected network manager.
    struct ManagerAccess : RawViewWidget
    {
        using RawViewWidget::manager;
    };
};
