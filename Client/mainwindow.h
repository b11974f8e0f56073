#pragma once

#include "cassreport.h"
#include "connectionchecker.h"
#include "contractpaymentsreport.h"
#include "loginwrapper.h"
#include "networkmanagerwrapper.h"
#include "nightsreport.h"
#include "paideducationpaymentsreport.h"
#include "paymentsreport.h"
#include "personreport.h"
#include "receiptnumerationdialog.h"
#include "roomsreport.h"
#include "summarycassreport.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QString>

class DirectoryColumns;
class EditDialog;
class QAction;
class QCloseEvent;
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

protected:
    void closeEvent(QCloseEvent *event) override;

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
    void exportAudit();
    void export1C();

private:
    QMdiSubWindow *topmostMaximized() const;
    QMdiSubWindow *subWindowOf(QWidget *widget) const;
    // Closes the windows whose entry the signed-in user's rights disable.
    void closeUnreadable();
    void registerWindows();
    // A directory list: its columns and their delegates from one table, a new
    // editor that the main window keeps, sorted by `sortColumn` when one is given.
    void registerDirectory(QAction *action, const QString &title, const QString &endpoint,
                           const DirectoryColumns &columns, EditDialog *editor,
                           const QString &node, int sortColumn = -1);
    // Keeps `widget` until the main window goes.
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
    // The node whose read right a window shown as a tab needs: that of its
    // own entry, or that of the child that opened it.
    QHash<QWidget *, QString> nodes;
    // A window of its own, never a tab.
    ReceiptNumerationDialog receiptNumerationDialog;
    NetworkManagerWrapper manager;
    // The children and their editors have no parent: an open child sits in
    // a frame of the area, which closing its tab takes away. The destructor
    // deletes them while this is still a whole MainWindow.
    QList<QPointer<QWidget>> ownedWidgets;

    // The reports, in the order of the menu "Отчеты".
    PersonReport personReport;
    RoomsReport roomsReport;
    PaymentsReport paymentsReport;
    ContractPaymentsReport contractPaymentsReport;
    PaidEducationPaymentsReport paidEducationPaymentsReport;
    CassReport cassReport;
    SummaryCassReport summaryCassReport;
    NightsReport nightsReport;
};
