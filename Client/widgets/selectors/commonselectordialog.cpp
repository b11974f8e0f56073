#include "commonselectordialog.h"

#include "commonselectoraddhandler.h"
#include "global.h"
#include "loginmanager.h"
#include "ui_commonselectordialog.h"

#include <QAbstractItemDelegate>
#include <QDialogButtonBox>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QUrl>

namespace {
const QString selectorSourcePath = QStringLiteral("Client/widgets/selectors/commonselectordialog");
}

CommonSelectorDialog::CommonSelectorDialog(QWidget *parent)
    : SelectorDialog(parent)
    , ui(new Ui::CommonSelectorDialog)
{
    ui->setupUi(this);
    proxy.setSourceModel(&model);
    proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
    ui->tableView->setModel(&proxy);

    connect(ui->addButton, &QPushButton::clicked, this, &CommonSelectorDialog::addItem);
    connect(ui->tableView, &QTableView::doubleClicked, this, &SelectorDialog::selectItem);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this,
            &CommonSelectorDialog::acceptSelection);
    connect(&model, &RequestTableModel::selectFinished, this,
            &CommonSelectorDialog::loadFinished);
    connect(ui->searchLineEdit, &QLineEdit::textChanged, &proxy,
            &ExtendedFilterProxyModel::setSearchText);

    // Ok stands for "take the selected row": it is offered only while there is
    // one. A reload or a search can drop the selection without the selection
    // model saying so, hence the model's own signals as well.
    connect(ui->tableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CommonSelectorDialog::updateOkButton);
    connect(&proxy, &QAbstractItemModel::modelReset, this, &CommonSelectorDialog::updateOkButton);
    connect(&proxy, &QAbstractItemModel::rowsRemoved, this,
            &CommonSelectorDialog::updateOkButton);
    connect(&proxy, &QAbstractItemModel::layoutChanged, this,
            &CommonSelectorDialog::updateOkButton);
    updateOkButton();
}

CommonSelectorDialog::~CommonSelectorDialog()
{
    // The models go before the view does; nothing may call back into the form.
    disconnect(ui->tableView->selectionModel(), nullptr, this, nullptr);
    disconnect(&proxy, nullptr, this, nullptr);
    disconnect(&model, nullptr, this, nullptr);
    delete addHandler;
    delete ui;
}

void CommonSelectorDialog::refresh()
{
    if (!endpoint.isEmpty())
        request.setUrl(QUrl(Global::endpoint(endpoint)));
    LoginManager::instance()->authorizeRequest(request);
    model.setRequest(request);
    model.select();

    // Until the new rows arrive the previous ones stay, with the first offered.
    ui->tableView->selectRow(0);
}

void CommonSelectorDialog::reset()
{
    ui->searchLineEdit->clear();
}

void CommonSelectorDialog::setSelectedId(int id)
{
    SelectorDialog::setSelectedId(id);
    const int row = rowOfId(id);
    if (row < 0)
        return;
    const QModelIndex index = proxy.index(row, 0);
    setSelectedRow(index);
    emit itemSelected(index);
    ui->tableView->selectRow(row);
}

QString CommonSelectorDialog::getDisplayValueForId(int id) const
{
    const int row = rowOfId(id);
    if (row < 0)
        return QString();
    return proxy.index(row, displayColumn).data().toString();
}

QJsonObject CommonSelectorDialog::getSelectedObject() const
{
    const int row = rowOfId(selectedId);
    if (row < 0)
        return QJsonObject();
    return model.objectAt(proxy.mapToSource(proxy.index(row, 0)).row());
}

QJsonObject CommonSelectorDialog::getObjectForIndex(const QModelIndex &index) const
{
    return model.objectAt(proxy.mapToSource(index).row());
}

void CommonSelectorDialog::setEndpoint(const QString &newEndpoint)
{
    endpoint = newEndpoint;
}

void CommonSelectorDialog::setRequest(const QNetworkRequest &newRequest)
{
    request = newRequest;
}

void CommonSelectorDialog::setHeaders(const JsonTableModel::Headers &headers)
{
    model.setHeaders(headers);
}

void CommonSelectorDialog::setItemDelegates(const QMap<int, QAbstractItemDelegate *> &delegates)
{
    for (auto it = delegates.cbegin(); it != delegates.cend(); ++it)
        ui->tableView->setItemDelegateForColumn(it.key(), it.value());
}

void CommonSelectorDialog::setDisplayColumn(int column)
{
    displayColumn = column;
}

void CommonSelectorDialog::sort(int column, Qt::SortOrder order)
{
    sortColumn = column;
    sortOrder = order;
    ui->tableView->sortByColumn(column, order);
}

void CommonSelectorDialog::setAddHandler(CommonSelectorAddHandler *handler)
{
    if (addHandler && addHandler != handler)
        delete addHandler;
    addHandler = handler;
    ui->addButton->setEnabled(addHandler != nullptr);
    if (addHandler)
        connect(addHandler, &CommonSelectorAddHandler::addingFinished, this,
                &CommonSelectorDialog::refresh, Qt::UniqueConnection);
}

void CommonSelectorDialog::addItem()
{
    if (addHandler == nullptr) {
        Global::warningAssertionFailed(QStringLiteral("handler != nullptr"), selectorSourcePath, 93);
        return;
    }
    addHandler->exec();
}

void CommonSelectorDialog::acceptSelection()
{
    // Ok is disabled without a selection; should the signal come anyway,
    // the dialog stays open instead of reporting an earlier pick as this one.
    if (!ui->tableView->selectionModel()->hasSelection()) {
        Global::warningAssertionFailed(
            QStringLiteral("ui->tableView->selectionModel()->hasSelection()"), selectorSourcePath, 29);
        return;
    }
    const QModelIndexList rows = ui->tableView->selectionModel()->selectedRows(0);
    selectItem(rows.isEmpty() ? ui->tableView->selectionModel()->selectedIndexes().first()
                              : rows.first());
}

void CommonSelectorDialog::loadFinished()
{
    ui->tableView->resizeColumnsToContents();
    if (sortColumn != -1)
        ui->tableView->sortByColumn(sortColumn, sortOrder);
    updateOkButton();
    emit refreshFinished();
}

void CommonSelectorDialog::updateOkButton()
{
    ui->buttonBox->button(QDialogButtonBox::Ok)
        ->setEnabled(ui->tableView->selectionModel()->hasSelection());
}

int CommonSelectorDialog::rowOfId(int id) const
{
    for (int row = 0; row < proxy.rowCount(); ++row) {
        if (proxy.index(row, 0).data().toInt() == id)
            return row;
    }
    return -1;
}

// Builder

std::unique_ptr<CommonSelectorDialog::Builder> CommonSelectorDialog::Builder::create()
{
    return std::unique_ptr<Builder>(new Builder());
}

CommonSelectorDialog::Builder::Builder()
    : dialog(new CommonSelectorDialog())
{
}

CommonSelectorDialog::Builder *CommonSelectorDialog::Builder::withEndpoint(const QString &endpoint)
{
    dialog->setEndpoint(endpoint);
    return this;
}

CommonSelectorDialog::Builder *
CommonSelectorDialog::Builder::withRequest(const QNetworkRequest &request)
{
    dialog->setRequest(request);
    return this;
}

CommonSelectorDialog::Builder *
CommonSelectorDialog::Builder::withAddHandler(CommonSelectorAddHandler *handler)
{
    dialog->setAddHandler(handler);
    return this;
}

CommonSelectorDialog::Builder *CommonSelectorDialog::Builder::withDisplayColumn(int column)
{
    dialog->setDisplayColumn(column);
    return this;
}

CommonSelectorDialog::Builder *CommonSelectorDialog::Builder::sortBy(int column,
                                                                     Qt::SortOrder order)
{
    dialog->sort(column, order);
    return this;
}

CommonSelectorDialog::Builder *
CommonSelectorDialog::Builder::withHeaders(const JsonTableModel::Headers &headers)
{
    dialog->setHeaders(headers);
    return this;
}

CommonSelectorDialog::Builder *
CommonSelectorDialog::Builder::withItemDelegates(const QMap<int, QAbstractItemDelegate *> &delegates)
{
    dialog->setItemDelegates(delegates);
    for (QAbstractItemDelegate *delegate : delegates)
        delegate->setParent(dialog->ui->tableView);
    return this;
}

CommonSelectorDialog *CommonSelectorDialog::Builder::build()
{
    return dialog;
}
