#pragma once

#include "connectionchecker.h"
#include "loginwrapper.h"

#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QString>

class QAction;
class QMdiSubWindow;

namespace Ui {
class MainWindow;
}

// The shell: six menus whose entries open the program's windows as tabs,
// the signed-in user's name, and the objects that exist once per run.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Makes `widget` a child opened by `action`. The main window owns it;
    // closing its tab only hides it.
    void registerSubwidget(QWidget *widget, QAction *action);

    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    void openChild(QWidget *widget);
    void minimizeChild();
    void unminimizeChild(QMdiSubWindow *subWindow);
    void restoreChild();
    void closeChild(QWidget *widget);
    void refreshChildControlButtons();
    void relogin();
    void updatePermissions();
    void updateLogin();
    void export1C();

private:
    QMdiSubWindow *topmostMaximized() const;
    QMdiSubWindow *subWindowOf(QWidget *widget) const;
    void registerWindows();
    // Deleted with the main window, before its own widgets come apart.
    template <typename T>
    T *owned(T *widget)
    {
        ownedWidgets.append(widget);
        return widget;
    }

    Ui::MainWindow *ui;
    LoginWrapper loginWrapper;
    ConnectionChecker connectionChecker;
    QMap<QString, QList<QAction *>> actionMap;
    // Children and editors: none has a parent, and an open child sits in a
    // frame that may be gone by the time the main window is.
    QList<QPointer<QWidget>> ownedWidgets;
};
