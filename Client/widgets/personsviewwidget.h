#pragma once

#include "extendedfilterproxymodel.h"
#include "infowidget.h"
#include "networkmanagerwrapper.h"
#include "permissionsaware.h"
#include "personeditdialog.h"
#include "registrationcard.h"
#include "requesttablemodel.h"
#include "subwindowsawarewidget.h"

#include <QModelIndex>

namespace Ui {
class PersonsViewWidget;
}

// "Физические лица": every registered person, filtered by year or day on the
// server and by a search text here. Opens the person card as a further tab.
class PersonsViewWidget : public SubwindowsAwareWidget, public PermissionsAware
{
    Q_OBJECT

public:
    explicit PersonsViewWidget(QWidget *parent = nullptr);
    ~PersonsViewWidget() override;

    // -1 opens a blank card for a new person.
    void openDialogForTarget(int id);

    bool eventFilter(QObject *watched, QEvent *event) override;

protected:
    void closeEvent(QCloseEvent *event) override;

public slots:
    void add();
    void edit(const QModelIndex &index);
    void duplicate();
    void remove();
    void update();
    void print(int id);
    void handleUpdate();

private:
    // The year chosen or typed in the year list; 0 when the text is no year.
    int selectedYear() const;
    // Column 0 of the first selected row; invalid without a selection.
    QModelIndex selectedRow() const;

    Ui::PersonsViewWidget *ui;
    NetworkManagerWrapper networkManager;
    RequestTableModel model;
    ExtendedFilterProxyModel proxy;
    PersonEditDialog personEditDialog;
    InfoWidget infoWidget;
    RegistrationCard registrationCard;
};
