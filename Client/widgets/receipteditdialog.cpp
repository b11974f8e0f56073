#include "receipteditdialog.h"

#include "clock.h"
#include "commonselectordialog.h"
#include "defaultjsonvalidator.h"
#include "editorfields.h"
#include "global.h"
#include "loginmanager.h"
#include "receiptfields.h"
#include "requesttablemodel.h"
#include "selectorfactory.h"
#include "ui_receipteditdialog.h"
#include "unimplemented.h"

#include <QIntValidator>
#include <QJsonObject>

namespace {

// The items a service lends.
QString propertiesOf(int serviceId)
{
    return QStringLiteral("extra_services/%1/property?actualOnly=true").arg(serviceId);
}

}  // namespace

ReceiptEditDialog::ReceiptEditDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::ReceiptEditDialog)
    , serviceSelector(SelectorFactory::createExtraServiceSelector())
    , propertySelector(SelectorFactory::createPropertyDialog())
{
    ui->setupUi(this);
    ui->numberLineEdit->setValidator(new QIntValidator(0, 999999, ui->numberLineEdit));
    ui->serviceSelectorWidget->setSelector(serviceSelector);
    ui->propertySelectorWidget->setSelector(propertySelector);
    // The fields' label and buttons line up with the other rows.
    for (auto [field, row] : {std::pair{ui->serviceSelectorWidget, 1},
                              std::pair{ui->propertySelectorWidget, 3}}) {
        field->mapOntoGrid(ui->gridLayout, row, 1);
        ui->gridLayout->removeWidget(field);
        field->hide();
    }
    ui->propertySelectorWidget->setSelectEnabled(false);

    connect(serviceSelector, &SelectorDialog::itemSelected, this,
            &ReceiptEditDialog::updatePropertySelector);
    connect(serviceSelector, &SelectorDialog::itemSelected, this, &ReceiptEditDialog::updateDates);
    connect(propertySelector, &SelectorDialog::itemSelected, this,
            &ReceiptEditDialog::updatePropertyAttributes);
    connect(ui->amount, &QSpinBox::valueChanged, this, [this] { updateDates(QModelIndex()); });
    connect(ui->serviceSelectorWidget, &SelectorEdit::reseted, this, &ReceiptEditDialog::serviceReset);
    connect(ui->propertySelectorWidget, &SelectorEdit::reseted, ui->idn_num, &QLabel::clear);
    connect(ui->edit_receipt_num, &QPushButton::clicked, this,
            [this] { ui->numberLineEdit->setEnabled(!ui->numberLineEdit->isEnabled()); });

    auto *validator = new DefaultJsonValidator(this);
    validator->addRequiredProperty(QStringLiteral("extraServiceId"), QStringLiteral("Услуга"), true);
    setJsonValidator(validator);
}

ReceiptEditDialog::~ReceiptEditDialog()
{
    delete ui;
}

void ReceiptEditDialog::withNumber(int number)
{
    ui->numberLineEdit->setText(QString::number(number));
}

void ReceiptEditDialog::withOutDate(const std::optional<QDateTime> &date)
{
    const bool arrived = !outDate && date;
    outDate = date;
    // Also while a refusal's box hides the editor: it comes back with the end.
    if (arrived && endsAtCheckOut())
        updateDates(QModelIndex());
}

bool ReceiptEditDialog::endsAtCheckOut() const
{
    if (chosenService().value(QStringLiteral("param")).toInt() != 3)
        return false;
    return !loaded
           || *loaded != std::pair{ui->serviceSelectorWidget->getSelectedId(), ui->amount->value()};
}

JsonValidator::Result ReceiptEditDialog::validate()
{
    // An end taken from stays that were not read would be made up.
    if (!outDate && endsAtCheckOut())
        return {false, QStringLiteral("Проживание не загружено, и дата выезда, до которой оказывается "
                                      "услуга, неизвестна: квитанция не записана. Если проживание "
                                      "ещё загружается, дождитесь его и нажмите OK снова.")};
    return EditDialog::validate();
}

void ReceiptEditDialog::reset()
{
    // A previous receipt's item must not be selected in this one.
    disconnect(pendingProperty);
    loaded.reset();
    ui->serviceSelectorWidget->reset();
    ui->propertySelectorWidget->reset();
    ui->numberLineEdit->setText(QStringLiteral("00000"));
    ui->numberLineEdit->setEnabled(false);
    ui->amount->setValue(1);
    ui->ed_izm_state->clear();
    ui->rate_state->clear();

    const QDateTime now = Clock::now();
    ui->pay_date->setDate(now.date());
    ui->dat_start->setDate(now.date());
    ui->dat_end->setDate(now.date());
    ui->time_start->setTime(now.time());
    ui->time_end->setTime(now.time());

    ReceiptFields::fillPayTypes(ui->pay_type, networkManager);
}

void ReceiptEditDialog::serviceReset()
{
    ui->propertySelectorWidget->reset();
    // The items are those of a service: none may be chosen before one is.
    // The list is not reloaded meanwhile, as nothing can open it.
    propertySelector->setEndpoint(QString());
    ui->propertySelectorWidget->setSelectEnabled(false);
    ui->rate_state->clear();
    ui->ed_izm_state->clear();
}

void ReceiptEditDialog::fromData(const QMap<QString, QVariant> &)
{
    unimplementedFunctionCalled(
        QStringLiteral("virtual void ReceiptEditDialog::fromData(QMap<QString, QVariant>)"));
}

void ReceiptEditDialog::fromModel(const QModelIndex &row)
{
    const RequestTableModel *req = dynamic_cast<const RequestTableModel *>(row.model());
    if (!req) {
        reset();
        Global::warningAssertionFailed(
            QStringLiteral("req = dynamic_cast<const RequestTableModel*>(row.model())"),
            QStringLiteral("Client/widgets/receipteditdialog"), 152);
        return;
    }
    // Taken before reset() waits for the pay types: the list may be reloaded
    // meanwhile and put another receipt in this row.
    const QJsonObject receipt = req->objectAt(row.row());
    reset();

    const QString number = receipt.value(QStringLiteral("number")).toVariant().toString();
    if (!number.isEmpty())
        ui->numberLineEdit->setText(number);

    // Both are held from the start, named as the receipt names them: the
    // lists that show them come later on a slow line, and an OK meanwhile
    // must write the receipt with its service and its item, never without.
    const QJsonObject service = receipt.value(QStringLiteral("extraService")).toObject();
    const auto holdProperty = [this, property = receipt.value(QStringLiteral("property")).toObject()] {
        EditorFields::selectNestedReference(ui->propertySelectorWidget, property);
    };
    // The service's arrival resets the item to offer the service's own items.
    pendingProperty = connect(serviceSelector, &SelectorDialog::itemSelected, this, holdProperty,
                              Qt::SingleShotConnection);
    EditorFields::selectNestedReference(ui->serviceSelectorWidget, service);
    if (service.contains(QStringLiteral("id"))) {
        propertySelector->setEndpoint(propertiesOf(service.value(QStringLiteral("id")).toInt()));
        ui->propertySelectorWidget->setSelectEnabled(true);
        holdProperty();
    }

    ui->amount->setValue(receipt.value(QStringLiteral("amount")).toInt());
    loaded = std::pair{service.value(QStringLiteral("id")).toInt(), ui->amount->value()};
    const QDateTime start = QDateTime::fromString(
        receipt.value(QStringLiteral("startDate")).toString(), Qt::ISODateWithMs);
    const QDateTime end = QDateTime::fromString(receipt.value(QStringLiteral("endDate")).toString(),
                                                Qt::ISODateWithMs);
    ui->dat_start->setDate(start.date());
    ui->time_start->setTime(start.time());
    ui->dat_end->setDate(end.date());
    ui->time_end->setTime(end.time());
    if (receipt.value(QStringLiteral("payType")).isObject())
        ReceiptFields::holdPayType(ui->pay_type, receipt.value(QStringLiteral("payType")).toObject());
    ui->pay_date->setDate(QDateTime::fromString(receipt.value(QStringLiteral("payDate")).toString(),
                                                Qt::ISODateWithMs)
                              .date());
}

QJsonDocument ReceiptEditDialog::getJson() const
{
    QJsonObject receipt{
        {QStringLiteral("extraServiceId"), ui->serviceSelectorWidget->getSelectedId()},
        {QStringLiteral("cassirId"), LoginManager::instance()->getUserId()},
        {QStringLiteral("startDate"),
         QDateTime(ui->dat_start->date(), ui->time_start->time()).toString(Qt::ISODateWithMs)},
        {QStringLiteral("endDate"),
         QDateTime(ui->dat_end->date(), ui->time_end->time()).toString(Qt::ISODateWithMs)},
        {QStringLiteral("amount"), ui->amount->value()},
        {QStringLiteral("payDate"), QDateTime(ui->pay_date->date(), QTime(0, 0)).toString(Qt::ISODateWithMs)},
        {QStringLiteral("payTypeId"),
         ReceiptFields::currentPayType(ui->pay_type).value(QStringLiteral("id")).toInt()},
        {QStringLiteral("received"), false},
    };
    const int propertyId = ui->propertySelectorWidget->getSelectedId();
    if (propertyId > 0)
        receipt.insert(QStringLiteral("propertyId"), propertyId);
    ReceiptFields::insertNumber(receipt, ui->numberLineEdit->text(), ui->pay_type);
    return QJsonDocument(receipt);
}

void ReceiptEditDialog::updatePropertySelector(const QModelIndex &index)
{
    ui->rate_state->setText(index.siblingAtColumn(3).data().toString());
    ui->ed_izm_state->setText(index.siblingAtColumn(2).data().toString());
    ui->propertySelectorWidget->reset();
    propertySelector->setEndpoint(propertiesOf(index.siblingAtColumn(0).data().toInt()));
    propertySelector->refresh();
    ui->propertySelectorWidget->setSelectEnabled(true);
}

QJsonObject ReceiptEditDialog::chosenService() const
{
    // Only the service chosen in this receipt has a say: the selector still
    // remembers the one of an earlier receipt after a reset.
    const int chosen = ui->serviceSelectorWidget->getSelectedId();
    const QJsonObject service = serviceSelector->getSelectedObject();
    return chosen > 0 && service.value(QStringLiteral("id")).toInt() == chosen ? service : QJsonObject();
}

void ReceiptEditDialog::updateDates(const QModelIndex &index)
{
    const QJsonObject service = index.isValid() ? serviceSelector->getObjectForIndex(index)
                                                : chosenService();
    if (service.isEmpty())
        return;

    const QDateTime start(ui->dat_start->date(), ui->time_start->time());
    QDateTime end;
    switch (service.value(QStringLiteral("param")).toInt()) {
    case 0:  // not measured in time
        end = start;
        break;
    case 1:  // hours; past midnight the end falls on the next day
        end = start.addSecs(3600LL * ui->amount->value());
        break;
    case 2:  // days
        end = start.addDays(ui->amount->value());
        break;
    case 3:  // until check-out
        if (!outDate)
            return;
        end = *outDate;
        break;
    default:
        return;
    }
    ui->dat_end->setDate(end.date());
    ui->time_end->setTime(end.time());
}

void ReceiptEditDialog::updatePropertyAttributes(const QModelIndex &index)
{
    ui->idn_num->setText(index.siblingAtColumn(2).data().toString());
}
