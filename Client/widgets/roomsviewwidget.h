#pragma once

#include "commonselectordialog.h"
#include "jsontablemodel.h"
#include "recordlistwidget.h"
#include "roomeditdialog.h"

#include <QSortFilterProxyModel>

class QItemSelection;

namespace Ui {
class RoomsViewWidget;
}

// The rooms, and beside them the rates that may be charged for the selected
// room. Rooms are written through the room editor, rates linked and
// unlinked one at a time through a picker.
class RoomsViewWidget : public RecordListWidget
{
    Q_OBJECT

public:
    explicit RoomsViewWidget(QWidget *parent = nullptr);
    ~RoomsViewWidget() override;

    void fromJson(const QJsonDocument &document) override;

public slots:
    void addRate();
    void removeRate();
    void updateRates(const QItemSelection &selected, const QItemSelection &deselected);

private:
    // Runs the picker over the room's linked rates; the chosen rate's id, or -1.
    int pickLinkedRate(int roomId);

    Ui::RoomsViewWidget *ui;
    CommonSelectorDialog picker;
    RoomEditDialog editDialog;
    JsonTableModel roomsModel;
    QSortFilterProxyModel roomsProxy;
    JsonTableModel ratesModel;
    QSortFilterProxyModel ratesProxy;
};
