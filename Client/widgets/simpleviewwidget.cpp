#include "simpleviewwidget.h"

#include "editdialog.h"
#include "global.h"
#include "loginmanager.h"
#include "permissionmanager.h"
#include "reportshelper.h"
#include "saveloop.h"
#include "ui_simpleviewwidget.h"

#include <autotableelement.h>
#include <previewdialog.h>
#include <report.h>

#include <QAbstractItemDelegate>
#include <QBrush>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QJsonObject>
#include <QNetworkReply>
#include <QUrl>

namespace {
const QString sourcePath = QStringLiteral("Client/widgets/simpleviewwidget");
}

SimpleViewWidget::SimpleViewWidget(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::SimpleViewWidget)
{
    ui->setupUi(this);
    proxy.setSourceModel(&model);
    proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
    ui->tableView->setModel(&proxy);

    connect(ui->addButton, &QPushButton::clicked, this, &SimpleViewWidget::add);
    connect(ui->editButton, &QPushButton::clicked, this, [this] {
        const QItemSelectionModel *selection = ui->tableView->selectionModel();
        if (selection->hasSelection())
            edit(selection->selectedRows(0).first());
    });
    connect(ui->copyButton, &QPushButton::clicked, this, &SimpleViewWidget::duplicate);
    connect(ui->removeButton, &QPushButton::clicked, this, &SimpleViewWidget::remove);
    connect(ui->refreshButton, &QPushButton::clicked, this, &SimpleViewWidget::update);
    connect(ui->printButton, &QPushButton::clicked, this, &SimpleViewWidget::print);
    connect(ui->searchLineEdit, &QLineEdit::textEdited, this, &SimpleViewWidget::handleSearch);
    // A list without an editor (the audit log) has nothing to open.
    connect(ui->tableView, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (editDialog)
            edit(index);
    });
    connect(&model, &RequestTableModel::selectFinished, this, &SimpleViewWidget::afterLoad);

    // The node arrives after construction (the builder's `requires`) and the
    // user's rights with every sign-in: the buttons follow both.
    connect(PermissionManager::instance(), &PermissionManager::permissionsUpdated, this,
            &SimpleViewWidget::handlePermissionsUpdate);

    ui->tableView->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    refreshFeatures(AllFeatures);
}

SimpleViewWidget::~SimpleViewWidget()
{
    // The view outlives the models held by value; detach it first.
    ui->tableView->setModel(nullptr);
    delete ui;
}

void SimpleViewWidget::setEndpoint(const QString &newEndpoint)
{
    endpoint = newEndpoint;
}

void SimpleViewWidget::setRequest(const QNetworkRequest &newRequest)
{
    request = newRequest;
}

void SimpleViewWidget::setHeaders(const JsonTableModel::Headers &newHeaders)
{
    headers = newHeaders;
}

void SimpleViewWidget::setEditDialog(EditDialog *dialog)
{
    editDialog = dialog;
}

void SimpleViewWidget::setDelegateForColumn(int column, QAbstractItemDelegate *delegate)
{
    ui->tableView->setItemDelegateForColumn(column, delegate);
}

void SimpleViewWidget::sort(int column, Qt::SortOrder order)
{
    sortColumn = column;
    sortOrder = order;
    ui->tableView->sortByColumn(column, order);
}

void SimpleViewWidget::setFeatures(Features newFeatures)
{
    refreshFeatures(newFeatures);
}

void SimpleViewWidget::add()
{
    handleAdd();
}

void SimpleViewWidget::edit(const QModelIndex &index)
{
    if (!index.isValid()) {
        Global::warningAssertionFailed(QStringLiteral("rowStart.isValid()"), sourcePath, 110);
        return;
    }
    handleEdit(proxy.mapToSource(index));
}

void SimpleViewWidget::duplicate()
{
    const QItemSelectionModel *selection = ui->tableView->selectionModel();
    if (!selection->hasSelection())
        return;
    handleDuplicate(proxy.mapToSource(selection->selectedRows(0).first()));
}

void SimpleViewWidget::remove()
{
    const QModelIndexList rows = ui->tableView->selectionModel()->selectedRows(0);
    if (rows.isEmpty())
        return;
    handleRemove(rows.first().data(Qt::DisplayRole).toInt());
}

void SimpleViewWidget::update()
{
    handleUpdate();
}

void SimpleViewWidget::print()
{
    handlePrint();
}

void SimpleViewWidget::handlePermissionsUpdate()
{
    refreshFeatures(features);
}

void SimpleViewWidget::refreshFeatures(SimpleViewWidget::Features newFeatures)
{
    features = newFeatures;
    const QString node = getPermissionNode();
    const PermissionManager *permissions = PermissionManager::instance();
    const bool writable = permissions->canWrite(node);
    const bool readable = permissions->canRead(node);

    ui->addButton->setVisible(features.testFlag(AddFeature) && writable);
    ui->editButton->setVisible(features.testFlag(EditFeature) && writable);
    ui->removeButton->setVisible(features.testFlag(RemoveFeature) && writable);
    ui->copyButton->setVisible(features.testFlag(CopyFeature) && writable);
    ui->printButton->setVisible(features.testFlag(PrintFeature) && readable);
}

QString SimpleViewWidget::writeUrl() const
{
    return Global::endpoint(endpoint);
}

bool SimpleViewWidget::runEditor(int id)
{
    const QUrl url(id > 0 ? writeUrl() + QLatin1Char('/') + QString::number(id) : writeUrl());
    return SaveLoop::runWrite(
               *editDialog,
               [&] {
                   QJsonObject record = editDialog->getJson().object();
                   if (id > 0)
                       record.insert(QStringLiteral("id"), id);
                   return record;
               },
               SaveLoop::senderOf(manager),
               id > 0 ? QNetworkAccessManager::PutOperation : QNetworkAccessManager::PostOperation,
               url, QUrl(writeUrl()), [this] { handleUpdate(); })
        .saved;
}

void SimpleViewWidget::handleAdd()
{
    if (!editDialog) {
        Global::warningAssertionFailed(QStringLiteral("dialog != nullptr"), sourcePath, 138);
        return;
    }
    editDialog->reset();
    runEditor(0);
}

void SimpleViewWidget::handleEdit(const QModelIndex &index)
{
    if (!editDialog) {
        Global::warningAssertionFailed(QStringLiteral("dialog != nullptr"), sourcePath, 147);
        return;
    }
    // Read before exec: the reload after a failed save may put another
    // record behind `index`.
    const int id = index.siblingAtColumn(0).data(Qt::DisplayRole).toInt();
    editDialog->fromModel(index);
    runEditor(id);
}

void SimpleViewWidget::handleDuplicate(const QModelIndex &index)
{
    if (!editDialog) {
        Global::warningAssertionFailed(QStringLiteral("dialog != nullptr"), sourcePath, 158);
        return;
    }
    editDialog->fromModel(index);
    runEditor(0);
}

void SimpleViewWidget::handleRemove(int id)
{
    if (!Global::confirm(QStringLiteral("Удалить запись?")))
        return;
    SaveLoop::write(manager, QNetworkAccessManager::DeleteOperation,
                    QUrl(writeUrl() + QLatin1Char('/') + QString::number(id)));
    handleUpdate();
}

void SimpleViewWidget::handleUpdate()
{
    const bool editable = editDialog != nullptr;
    ui->addButton->setEnabled(editable);
    ui->editButton->setEnabled(editable);
    ui->copyButton->setEnabled(editable);

    if (!endpoint.isEmpty()) {
        const QString path = endpoint
                             + (endpoint.contains(QLatin1Char('?')) ? QStringLiteral("&pretty=true")
                                                                    : QStringLiteral("?pretty=true"));
        request.setUrl(QUrl(Global::endpoint(path)));
    }
    LoginManager::instance()->authorizeRequest(request);

    model.setRequest(request);
    model.setHeaders(headers);
    model.select();
}

void SimpleViewWidget::afterLoad()
{
    // The list's own order wins over whatever header the user clicked.
    if (sortColumn >= 0)
        ui->tableView->sortByColumn(sortColumn, sortOrder);
    ui->tableView->resizeColumnsToContents();
}

void SimpleViewWidget::handlePrint()
{
    ReportEngine::Report report;
    // The page header gets the organisation's name and the moment of
    // printing, as every other report; without them it would print its
    // placeholders.
    if (!ReportsHelper::loadPageHeader(report))
        return;

    // The source model: every loaded row in the order received, whatever
    // the search and the view's sort.
    ReportEngine::AutoTableElement table(&model);
    table.setWidth(100);
    table.setBorder(0.5);
    table.setPadding(0);
    table.setHeaderBackground(QBrush(Qt::white));
    report.beginEdit();
    report.addElement(table, Qt::AlignLeft);
    report.endEdit();

    ReportEngine::PreviewDialog preview(&report);
    preview.exec();
}

void SimpleViewWidget::handleSearch(const QString &text)
{
    proxy.setSearchText(text);
}

SimpleViewWidget::Builder::Builder()
    : widget(new SimpleViewWidget)
{
}

std::unique_ptr<SimpleViewWidget::Builder> SimpleViewWidget::Builder::create()
{
    return std::make_unique<Builder>();
}

SimpleViewWidget::Builder *SimpleViewWidget::Builder::withTitle(const QString &title)
{
    widget->setWindowTitle(title);
    return this;
}

SimpleViewWidget::Builder *SimpleViewWidget::Builder::withEndpoint(const QString &endpoint)
{
    widget->setEndpoint(endpoint);
    return this;
}

SimpleViewWidget::Builder *SimpleViewWidget::Builder::withRequest(const QNetworkRequest &request)
{
    widget->setRequest(request);
    return this;
}

SimpleViewWidget::Builder *SimpleViewWidget::Builder::withHeaders(
    const JsonTableModel::Headers &headers)
{
    widget->setHeaders(headers);
    return this;
}

SimpleViewWidget::Builder *SimpleViewWidget::Builder::withEditDialog(EditDialog *dialog)
{
    widget->setEditDialog(dialog);
    return this;
}

SimpleViewWidget::Builder *SimpleViewWidget::Builder::withItemDelegates(
    const QMap<int, QAbstractItemDelegate *> &delegates)
{
    for (auto it = delegates.cbegin(); it != delegates.cend(); ++it) {
        widget->setDelegateForColumn(it.key(), it.value());
        it.value()->setParent(widget->ui->tableView);
    }
    return this;
}

SimpleViewWidget::Builder *SimpleViewWidget::Builder::withFeatures(
    SimpleViewWidget::Features features)
{
    widget->refreshFeatures(features);
    return this;
}

SimpleViewWidget::Builder *SimpleViewWidget::Builder::sortBy(int column, Qt::SortOrder order)
{
    widget->sort(column, order);
    return this;
}

SimpleViewWidget::Builder *SimpleViewWidget::Builder::requires(const QString &node)
{
    widget->setPermissionNode(node);
    // The buttons were judged with the empty node until now.
    widget->refreshFeatures(widget->getFeatures());
    return this;
}

SimpleViewWidget *SimpleViewWidget::Builder::build()
{
    return widget;
}
