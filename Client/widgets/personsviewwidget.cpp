#include "personsviewwidget.h"

#include "clock.h"
#include "datetimeitemdelegate.h"
#include "global.h"
#include "loginmanager.h"
#include "personmarkeritemdelegate.h"
#include "streamitemdelegate.h"
#include "ui_personsviewwidget.h"

#include <QCloseEvent>
#include <QItemSelectionModel>
#include <QNetworkReply>
#include <QUrl>

namespace {

const int firstYear = 2022;

}  // namespace

PersonsViewWidget::PersonsViewWidget(QWidget *parent)
    : SubwindowsAwareWidget(parent)
    , ui(new Ui::PersonsViewWidget)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Физические лица"));
    setPermissionNode(QStringLiteral("persons"));

    model.setHeaders({{"ID", "id"},
                      {" ", "marker"},
                      {"ФИО", "fullname"},
                      {"Дата рождения", "birthDate"},
                      {"Регион", "region"},
                      {"Поток", "stream"},
                      {"Заезд", "in"},
                      {"Выезд", "out"},
                      {"Комната", "room"},
                      {"Администратор", "admin"},
                      {"Внешний ID", "externalId"},
                      {"Заметки", "comments"}});
    proxy.setSourceModel(&model);
    proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
    proxy.setYoMatchesYe(true);
    ui->tableView->setModel(&proxy);
    ui->tableView->setItemDelegateForColumn(1, new PersonMarkerItemDelegate(ui->tableView));
    ui->tableView->setItemDelegateForColumn(3, new DateTimeItemDelegate(ui->tableView, true));
    ui->tableView->setItemDelegateForColumn(5, new StreamItemDelegate(ui->tableView));
    ui->tableView->setItemDelegateForColumn(6, new DateTimeItemDelegate(ui->tableView, false));
    ui->tableView->setItemDelegateForColumn(7, new DateTimeItemDelegate(ui->tableView, false));

    const int thisYear = Clock::today().year();
    for (int year = thisYear + 1; year >= firstYear; --year)
        ui->yearFilterComboBox->addItem(QString::number(year), year);
    ui->yearFilterComboBox->setCurrentIndex(ui->yearFilterComboBox->findData(thisYear));
    ui->dateEdit->setDate(Clock::today());

    connect(ui->addButton, &QPushButton::clicked, this, &PersonsViewWidget::add);
    connect(ui->editButton, &QPushButton::clicked, this, [this] {
        const QModelIndex row = selectedRow();
        if (row.isValid())
            edit(row);
    });
    connect(ui->removeButton, &QPushButton::clicked, this, &PersonsViewWidget::remove);
    connect(ui->refreshButton, &QPushButton::clicked, this, &PersonsViewWidget::update);
    connect(ui->copyButton, &QPushButton::clicked, this, &PersonsViewWidget::duplicate);
    connect(ui->printButton, &QPushButton::clicked, this, [this] {
        const QModelIndex row = selectedRow();
        if (row.isValid())
            print(row.data().toInt());
    });
    connect(ui->tableView, &QAbstractItemView::doubleClicked, this, &PersonsViewWidget::edit);
    connect(&model, &RequestTableModel::selectFinished, ui->tableView,
            &QTableView::resizeColumnsToContents);
    connect(&personEditDialog, &PersonEditDialog::dataUpdated, this, &PersonsViewWidget::update);
    connect(&networkManager, &QNetworkAccessManager::finished, this, [this](QNetworkReply *reply) {
        reply->deleteLater();
        update();
    });
    connect(ui->dateFilterEnabledCheckBox, &QCheckBox::stateChanged, this, &PersonsViewWidget::update);
    connect(ui->yearFilterEnabledCheckBox, &QCheckBox::stateChanged, this, &PersonsViewWidget::update);
    connect(ui->dateEdit, &QDateEdit::dateChanged, this, [this] {
        if (ui->dateFilterEnabledCheckBox->isChecked())
            update();
    });
    connect(ui->yearFilterComboBox, &QComboBox::currentIndexChanged, this, [this] {
        if (ui->yearFilterEnabledCheckBox->isChecked() || ui->dateFilterEnabledCheckBox->isChecked())
            update();
    });
    connect(ui->searchLineEdit, &QLineEdit::textChanged, &proxy,
            &ExtendedFilterProxyModel::setSearchText);
    connect(&personEditDialog, &PersonEditDialog::printRequested, this, &PersonsViewWidget::print);
    connect(ui->infoPushButton, &QPushButton::clicked, &infoWidget, &QWidget::show);
    connect(&infoWidget, &InfoWidget::selectFinished, this, [this] {
        ui->infoPushButton->setText(QStringLiteral("Инфо (%1)").arg(infoWidget.getInfoAmount()));
    });

    personEditDialog.installEventFilter(this);
    // Column 0 descending is also the header's default indicator, so setting
    // the indicator alone would not sort the rows.
    ui->tableView->sortByColumn(0, Qt::DescendingOrder);
}

PersonsViewWidget::~PersonsViewWidget()
{
    disconnect(&networkManager, nullptr, this, nullptr);
    personEditDialog.removeEventFilter(this);
    // The view outlives the models held by value; detach it first.
    ui->tableView->setModel(nullptr);
    delete ui;
}

void PersonsViewWidget::openDialogForTarget(int id)
{
    const bool open = personEditDialog.isVisible();
    // An open card's tab comes forward first, giving back the focus to the
    // field that had it; a new person's card then moves it to the name.
    if (open)
        personEditDialog.setFocus(Qt::OtherFocusReason);
    personEditDialog.setupFromId(id);
    if (!open)
        emit addingSubwindow(&personEditDialog);
}

bool PersonsViewWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close) {
        if (auto *widget = qobject_cast<QWidget *>(watched))
            emit closingSubwindow(widget);
    }
    return false;
}

void PersonsViewWidget::closeEvent(QCloseEvent *event)
{
    // The list's messages go with it: a window of their own, they would
    // otherwise stay open with their rows for a user who may not read them.
    infoWidget.close();
    SubwindowsAwareWidget::closeEvent(event);
}

void PersonsViewWidget::add()
{
    openDialogForTarget(-1);
}

void PersonsViewWidget::edit(const QModelIndex &index)
{
    openDialogForTarget(index.siblingAtColumn(0).data().toInt());
}

// "Копировать" opens the selected person's own card: nothing is copied.
void PersonsViewWidget::duplicate()
{
    const QModelIndex row = selectedRow();
    if (row.isValid())
        edit(row);
}

void PersonsViewWidget::remove()
{
    const QModelIndex row = selectedRow();
    if (!row.isValid())
        return;
    // Read before the question: a reload meanwhile may move the selection.
    const QString id = row.data().toString();
    if (!Global::confirm(QStringLiteral("Удалить запись?")))
        return;
    QNetworkRequest request(QUrl(Global::endpoint(QStringLiteral("persons")) + QLatin1Char('/') + id));
    LoginManager::instance()->authorizeRequest(request);
    networkManager.deleteResource(request);
}

void PersonsViewWidget::update()
{
    QString path = QStringLiteral("persons?pretty=true");
    const bool byYear = ui->yearFilterEnabledCheckBox->isChecked();
    const int year = selectedYear();
    // A typed text that is no year loads nothing rather than "year=0".
    if (byYear && year == 0)
        return;
    if (ui->dateFilterEnabledCheckBox->isChecked()) {
        QDate date = ui->dateEdit->date();
        if (byYear)
            date = date.addYears(year - date.year());  // 29.02 becomes 28.02 in a common year
        path += QStringLiteral("&date=") + date.toString(QStringLiteral("dd.MM.yyyy"));
    } else if (byYear) {
        path += QStringLiteral("&year=%1").arg(year);
    }

    QNetworkRequest request(QUrl(Global::endpoint(path)));
    LoginManager::instance()->authorizeRequest(request);
    model.setRequest(request);
    model.select();
    infoWidget.select();
}

void PersonsViewWidget::print(int id)
{
    registrationCard.setTargetId(id);
    registrationCard.exec();
}

void PersonsViewWidget::handleUpdate()
{
    update();
}

int PersonsViewWidget::selectedYear() const
{
    // A year typed without Enter is the current text over another item's data.
    const QComboBox *years = ui->yearFilterComboBox;
    const QVariant data = years->itemData(years->findText(years->currentText()));
    if (data.isValid())
        return data.toInt();
    bool isNumber = false;
    const int year = years->currentText().trimmed().toInt(&isNumber);
    return isNumber && year >= 1000 && year <= 9999 ? year : 0;
}

QModelIndex PersonsViewWidget::selectedRow() const
{
    const QModelIndexList rows = ui->tableView->selectionModel()->selectedRows(0);
    return rows.isEmpty() ? QModelIndex() : rows.first();
}
