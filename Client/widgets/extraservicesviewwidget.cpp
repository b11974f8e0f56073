#include "extraservicesviewwidget.h"

#include "attributeitemdelegate.h"
#include "commonselectordialog.h"
#include "directorycolumns.h"
#include "global.h"
#include "networkmanagerwrapper.h"
#include "selectorfactory.h"
#include "ui_extraservicesviewwidget.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkReply>

namespace {

// The id of a created record: an integral number above 0, else 0 (toInt
// gives 0 for a fraction or a number beyond int).
int createdId(const QJsonObject &record)
{
    const int id = record.value(QStringLiteral("id")).toInt();
    return id > 0 ? id : 0;
}

}  // namespace

ExtraServicesViewWidget::ExtraServicesViewWidget(QWidget *parent)
    : RecordListWidget(parent)
    , ui(new Ui::ExtraServicesViewWidget)
    , picker(SelectorFactory::createPropertyDialog())
{
    ui->setupUi(this);
    setEndpoint(QStringLiteral("extra_services"));
    setPermissionNode(QStringLiteral("extraServices"));

    servicesModel.setHeaders({{QStringLiteral("ID"), QStringLiteral("id")},
                              {QStringLiteral("Название"), QStringLiteral("name")},
                              {QStringLiteral("Ед. изм."), QStringLiteral("measurement")},
                              {QStringLiteral("Тариф"), QStringLiteral("rate")},
                              {QStringLiteral("Дата начала"), QStringLiteral("startDate")},
                              {QStringLiteral("Дата окончания"), QStringLiteral("endDate")},
                              {QStringLiteral("Основание"), QStringLiteral("base")},
                              {QStringLiteral("Параметр"), QStringLiteral("param")}});
    servicesProxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
    servicesProxy.setSourceModel(&servicesModel);
    ui->extraServicesTableView->setModel(&servicesProxy);
    setRecords(ui->extraServicesTableView, &editDialog,
               {ui->addButton, ui->editButton, ui->removeButton, ui->copyButton, ui->refreshButton});
    setDelegates(ui->extraServicesTableView,
                 {{3, DirectoryColumns::money()},
                  {4, DirectoryColumns::dateOnly()},
                  {5, DirectoryColumns::dateOnly()},
                  {7, new AttributeItemDelegate(nullptr, ExtraServiceEditDialog::params())}});

    propertyModel.setHeaders(DirectoryColumns::properties().headers());
    propertyProxy.setSourceModel(&propertyModel);
    ui->propertyTableView->setModel(&propertyProxy);
    setDelegates(ui->propertyTableView, DirectoryColumns::properties().delegates());

    for (QTableView *view : {ui->extraServicesTableView, ui->propertyTableView})
        connect(view->horizontalHeader(), &QHeaderView::sortIndicatorChanged, view,
                &QTableView::sortByColumn);

    connect(ui->searchLineEdit, &QLineEdit::textChanged, &servicesProxy,
            &ExtendedFilterProxyModel::setSearchText);
    connect(ui->addPropertyButton, &QPushButton::clicked, this,
            &ExtraServicesViewWidget::addProperty);
    connect(ui->removePropertyButton, &QPushButton::clicked, this,
            &ExtraServicesViewWidget::removeProperty);
    connect(ui->extraServicesTableView->selectionModel(), &QItemSelectionModel::selectionChanged,
            this, &ExtraServicesViewWidget::updateProperty);
}

ExtraServicesViewWidget::~ExtraServicesViewWidget()
{
    // The views outlive the models held by value; detach them first.
    ui->extraServicesTableView->setModel(nullptr);
    ui->propertyTableView->setModel(nullptr);
    delete ui;
}

void ExtraServicesViewWidget::fromJson(const QJsonDocument &document)
{
    servicesModel.setJson(document);
    ui->extraServicesTableView->sortByColumn(1, Qt::AscendingOrder);
    ui->extraServicesTableView->resizeColumnsToContents();
    if (servicesProxy.rowCount() > 0)
        ui->extraServicesTableView->selectRow(0);
    else
        // A reset clears the selection without a word: the panel would
        // keep the items of a service no longer listed.
        propertyModel.setJson(QJsonDocument());
}

void ExtraServicesViewWidget::updateProperty(const QItemSelection &selected,
                                             const QItemSelection &)
{
    if (selected.isEmpty()) {
        propertyModel.setJson(QJsonDocument());
        return;
    }
    const QJsonObject service =
        servicesModel.objectAt(servicesProxy.mapToSource(selected.indexes().first()).row());
    propertyModel.setJson(QJsonDocument(service.value(QStringLiteral("property")).toArray()));
    ui->propertyTableView->sortByColumn(1, Qt::AscendingOrder);
    ui->propertyTableView->resizeColumnsToContents();
}

void ExtraServicesViewWidget::duplicate()
{
    const QModelIndex service = selectedRow();
    if (!service.isValid())
        return;
    const QJsonArray property = servicesModel.objectAt(servicesProxy.mapToSource(service).row())
                                    .value(QStringLiteral("property"))
                                    .toArray();
    editDialog.fromModel(service);
    const SaveLoop::Result copy = runEditor(collectionUrl(), QNetworkAccessManager::PostOperation);
    // Without the new service's id the links would go to a service that is
    // not the copy. After a lost answer the id is the stored copy's.
    const int id = createdId(copy.answer);
    if (!copy.saved || !ui->inheritPropertyCheckButton->isChecked() || id == 0)
        return;
    const QUrl links(Global::endpoint(QStringLiteral("extra_services/%1/property").arg(id)));
    for (const QJsonValue &item : property) {
        const QJsonObject body{{QStringLiteral("propertyId"),
                                item.toObject().value(QStringLiteral("id")).toInt()}};
        SaveLoop::write(writer, QNetworkAccessManager::PostOperation, links, QJsonDocument(body));
    }
    handleUpdate();
}

int ExtraServicesViewWidget::pickProperty(const QString &endpoint)
{
    picker->setEndpoint(endpoint);
    return picker->select() == QDialog::Accepted ? picker->getSelectedId() : -1;
}

void ExtraServicesViewWidget::addProperty()
{
    const QModelIndex service = selectedRow();
    if (!service.isValid())
        return;
    const int id = service.data().toInt();
    link(id, QStringLiteral("property"), QStringLiteral("propertyId"), *picker,
         QStringLiteral("extra_services/%1/property?availableOnly=true&actualOnly=true").arg(id));
}

void ExtraServicesViewWidget::removeProperty()
{
    const QModelIndex service = selectedRow();
    if (!service.isValid())
        return;
    const int id = service.data().toInt();
    const int itemId =
        pickProperty(QStringLiteral("extra_services/%1/property?availableOnly=false").arg(id));
    if (itemId >= 0)
        unlink(id, QStringLiteral("property"), itemId);
}
