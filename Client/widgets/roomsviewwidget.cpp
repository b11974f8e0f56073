#include "roomsviewwidget.h"

#include "directorycolumns.h"
#include "ui_roomsviewwidget.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonObject>

RoomsViewWidget::RoomsViewWidget(QWidget *parent)
    : RecordListWidget(parent)
    , ui(new Ui::RoomsViewWidget)
{
    ui->setupUi(this);
    setEndpoint(QStringLiteral("rooms"));
    setPermissionNode(QStringLiteral("rooms"));

    roomsModel.setHeaders({{QStringLiteral("ID"), QStringLiteral("id")},
                           {QStringLiteral("Номер"), QStringLiteral("number")},
                           {QStringLiteral("Этаж"), QStringLiteral("floor")},
                           {QStringLiteral("Кол-во мест"), QStringLiteral("size")},
                           {QStringLiteral("Описание"), QStringLiteral("description")}});
    roomsProxy.setFilterKeyColumn(-1);
    roomsProxy.setSourceModel(&roomsModel);
    ui->roomsTableView->setModel(&roomsProxy);
    setRecords(ui->roomsTableView, &editDialog,
               {ui->addButton, ui->editButton, ui->removeButton, ui->copyButton, ui->refreshButton});

    // The panel shows amounts as the server sends them; only the dates and
    // the flag are drawn.
    const DirectoryColumns rates = DirectoryColumns::rates()
                                       .drawnWith(QStringLiteral("cost"), nullptr)
                                       .drawnWith(QStringLiteral("hourCost"), nullptr);
    ratesModel.setHeaders(rates.headers());
    ratesProxy.setSourceModel(&ratesModel);
    ui->ratesTableView->setModel(&ratesProxy);
    setDelegates(ui->ratesTableView, rates.delegates());
    picker.setHeaders(rates.headers());

    // The rooms come in the server's order until a header is clicked.
    ui->roomsTableView->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    for (QTableView *view : {ui->roomsTableView, ui->ratesTableView})
        connect(view->horizontalHeader(), &QHeaderView::sortIndicatorChanged, view,
                &QTableView::sortByColumn);

    connect(ui->searchLineEdit, &QLineEdit::textChanged, &roomsProxy,
            &QSortFilterProxyModel::setFilterFixedString);
    connect(ui->addRateButton, &QPushButton::clicked, this, &RoomsViewWidget::addRate);
    connect(ui->removeRateButton, &QPushButton::clicked, this, &RoomsViewWidget::removeRate);
    connect(ui->roomsTableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &RoomsViewWidget::updateRates);
}

RoomsViewWidget::~RoomsViewWidget()
{
    // The views outlive the models held by value; detach them first.
    ui->roomsTableView->setModel(nullptr);
    ui->ratesTableView->setModel(nullptr);
    delete ui;
}

void RoomsViewWidget::fromJson(const QJsonDocument &document)
{
    roomsModel.setJson(document);
    ui->roomsTableView->resizeColumnsToContents();
    if (roomsProxy.rowCount() > 0)
        ui->roomsTableView->selectRow(0);
    else
        // A reset clears the selection without a word: the panel would
        // keep the rates of a room no longer listed.
        ratesModel.setJson(QJsonDocument());
}

void RoomsViewWidget::updateRates(const QItemSelection &selected, const QItemSelection &)
{
    if (selected.isEmpty()) {
        ratesModel.setJson(QJsonDocument());
        return;
    }
    const QJsonObject room =
        roomsModel.objectAt(roomsProxy.mapToSource(selected.indexes().first()).row());
    ratesModel.setJson(QJsonDocument(room.value(QStringLiteral("rates")).toArray()));
    ui->ratesTableView->resizeColumnsToContents();
}

int RoomsViewWidget::pickLinkedRate(int roomId)
{
    picker.setEndpoint(QStringLiteral("rooms/%1/rates?availableOnly=false").arg(roomId));
    return picker.select() == QDialog::Accepted ? picker.getSelectedId() : -1;
}

void RoomsViewWidget::addRate()
{
    const QModelIndex room = selectedRow();
    if (!room.isValid())
        return;
    const int id = room.data().toInt();
    link(id, QStringLiteral("rates"), QStringLiteral("rateId"), picker,
         QStringLiteral("rooms/%1/rates?availableOnly=true").arg(id));
}

void RoomsViewWidget::removeRate()
{
    const QModelIndex room = selectedRow();
    if (!room.isValid())
        return;
    const int id = room.data().toInt();
    const int rateId = pickLinkedRate(id);
    if (rateId >= 0)
        unlink(id, QStringLiteral("rates"), rateId);
}
