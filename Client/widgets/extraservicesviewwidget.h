#pragma once

#include "extendedfilterproxymodel.h"
#include "extraserviceeditdialog.h"
#include "jsontablemodel.h"
#include "recordlistwidget.h"

#include <memory>

class CommonSelectorDialog;
class QItemSelection;

namespace Ui {
class ExtraServicesViewWidget;
}

// The extra services, and beside them the property items that may be
// issued under the selected one. Built as the rooms window is; a copy of a
// service can take the source's property links along.
class ExtraServicesViewWidget : public RecordListWidget
{
    Q_OBJECT

public:
    explicit ExtraServicesViewWidget(QWidget *parent = nullptr);
    ~ExtraServicesViewWidget() override;

    void fromJson(const QJsonDocument &document) override;

public slots:
    void duplicate() override;
    void addProperty();
    void removeProperty();
    void updateProperty(const QItemSelection &selected, const QItemSelection &deselected);

private:
    // Runs the picker at `endpoint`; the chosen item's id, or -1.
    int pickProperty(const QString &endpoint);

    JsonTableModel servicesModel;
    JsonTableModel propertyModel;
    ExtendedFilterProxyModel servicesProxy;
    ExtendedFilterProxyModel propertyProxy;
    Ui::ExtraServicesViewWidget *ui;
    std::unique_ptr<CommonSelectorDialog> picker;
    ExtraServiceEditDialog editDialog;
};
