#include "paymenteditdialog.h"

#include "clock.h"
#include "commonselectordialog.h"
#include "defaultjsonvalidator.h"
#include "global.h"
#include "loginmanager.h"
#include "requesttablemodel.h"
#include "selectorfactory.h"
#include "ui_paymenteditdialog.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkReply>
#include <QSignalBlocker>

PaymentEditDialog::PaymentEditDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::PaymentEditDialog)
    , payTypeSelector(SelectorFactory::createPayTypeSelector(false, true))
{
    ui->setupUi(this);
    payTypeEndpoint = payTypeSelector->getEndpoint();
    ui->payTypeSelectorWidget->setSelector(payTypeSelector);
    connect(payTypeSelector, &SelectorDialog::itemSelected, this, &PaymentEditDialog::payTypeChosen);
    connect(ui->autoDetectPayerCheckBox, &QCheckBox::stateChanged, this,
            &PaymentEditDialog::updatePayerSelector);
    auto *validator = new DefaultJsonValidator(this);
    validator->addRequiredProperty(QStringLiteral("payTypeId"), QStringLiteral("Способ оплаты"), true);
    setJsonValidator(validator);
    updatePayerLabel();
    updateSummInput(true);
}

PaymentEditDialog::~PaymentEditDialog()
{
    delete ui;
}

void PaymentEditDialog::setTargetPerson(int personId)
{
    targetPerson = personId;
}

void PaymentEditDialog::setPaid(double amount)
{
    ui->paidSpinBox->setValue(amount);
}

void PaymentEditDialog::reset()
{
    ui->payTypeSelectorWidget->reset();
    ui->payDateEdit->setDateTime(Clock::now());
    payerId = -1;
    payerFixed = false;
    ui->payerLabel->clear();
    {
        // One lookup, at the end.
        const QSignalBlocker blocker(ui->autoDetectPayerCheckBox);
        ui->autoDetectPayerCheckBox->setChecked(true);
    }
    // The owner sets the amount with setPaid(), unless it has none to offer:
    // clearing alone would keep the last payment's amount behind the empty text.
    ui->paidSpinBox->setValue(0);
    ui->paidSpinBox->clear();
    updatePayerLabel();
    updateSummInput(false);
    updatePayerSelector();
}

void PaymentEditDialog::fromData(const QMap<QString, QVariant> &data)
{
    ui->paidSpinBox->setValue(data.value(QStringLiteral("summ")).toDouble());
    ui->payDateEdit->setDateTime(QDateTime::fromString(data.value(QStringLiteral("payDate")).toString(),
                                                       QStringLiteral("dd.MM.yyyy hh:mm")));
    ui->payTypeSelectorWidget->setSelectedId(data.value(QStringLiteral("payTypeId")).toInt());
    QJsonObject payer = data.value(QStringLiteral("payer")).toJsonObject();
    if (payer.isEmpty())
        payer = QJsonObject::fromVariantMap(data.value(QStringLiteral("payer")).toMap());
    setPayer(payer, payer.value(QStringLiteral("name")).toString());
    payerFixed = true;
    updatePayerLabel();
    updateSummInput(false);
}

void PaymentEditDialog::fromModel(const QModelIndex &index)
{
    // Whatever its sign: a refund loaded only when positive kept the amount
    // of the payment shown before, and an unchanged OK saved that one.
    ui->paidSpinBox->setValue(index.siblingAtColumn(1).data().toDouble());
    ui->payDateEdit->setDateTime(Global::toDateTime(index.siblingAtColumn(2).data().toString()));

    const RequestTableModel *req = dynamic_cast<const RequestTableModel *>(index.model());
    if (!req) {
        Global::warningAssertionFailed(
            QStringLiteral("req = dynamic_cast<const RequestTableModel*>(row.model())"),
            QStringLiteral("Client/widgets/paymenteditdialog"), 103);
        return;
    }
    const QJsonObject payment = req->objectAt(index.row());
    const QJsonObject payType = payment.value(QStringLiteral("payType")).toObject();
    // A stored pay type of id 0 is none: OK must not let it through.
    const int payTypeId = payType.value(QStringLiteral("id")).toInt(-1);
    if (payTypeId > 0)
        ui->payTypeSelectorWidget->setSelectedId(payTypeId);
    else
        ui->payTypeSelectorWidget->reset();

    // The payer is a pay type; the organization inside it has the name. A
    // payment stored with "payer": null has none, and may be given one.
    const QJsonObject payer = payment.value(QStringLiteral("payer")).toObject();
    setPayer(payer, payer.value(QStringLiteral("payer")).toObject().value(QStringLiteral("name")).toString());
    payerFixed = true;
    updatePayerLabel();
    updateSummInput(payType.value(QStringLiteral("attribute")).toInt() == 0);
}

QJsonDocument PaymentEditDialog::getJson() const
{
    QJsonObject payment{
        {QStringLiteral("summ"), summVisible ? ui->paidSpinBox->value() : 0.0},
        {QStringLiteral("payDate"), ui->payDateEdit->dateTime().toString(Qt::ISODateWithMs)},
        {QStringLiteral("payTypeId"), ui->payTypeSelectorWidget->getSelectedId()},
        {QStringLiteral("cassirId"), LoginManager::instance()->getUserId()},
    };
    if (payerId > 0)
        payment.insert(QStringLiteral("payerId"), payerId);
    return QJsonDocument(payment);
}

void PaymentEditDialog::updateSummInput(bool hidden)
{
    ui->label->setHidden(hidden);
    ui->paidSpinBox->setHidden(hidden);
    summVisible = !hidden;
}

void PaymentEditDialog::updatePayerLabel()
{
    const bool hidden = payerId == -1;
    ui->label_4->setHidden(hidden);
    ui->payerLabel->setHidden(hidden);
}

void PaymentEditDialog::updatePayerSelector()
{
    if (!ui->autoDetectPayerCheckBox->isChecked()) {
        payTypeSelector->setEndpoint(payTypeEndpoint);
        return;
    }
    const QString endpoint = payTypeEndpoint + QStringLiteral("&person=%1").arg(targetPerson);
    payTypeSelector->setEndpoint(endpoint);

    QString lookup = endpoint;
    lookup.replace(QStringLiteral("payerOnly=false"), QStringLiteral("payerOnly=true"));
    QNetworkReply *reply = networkManager.getUrl(QUrl(Global::endpoint(lookup)), true, true);
    const QJsonArray found = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply)).array();
    delete reply;
    const int id = found.isEmpty() ? 0 : found.first().toObject().value(QStringLiteral("id")).toInt();
    // Through the field, which reloads the person's list before it selects:
    // the selector may hold no list yet, or the list of another endpoint.
    if (id > 0)
        ui->payTypeSelectorWidget->setSelectedId(id);
}

void PaymentEditDialog::payTypeChosen(const QModelIndex &index)
{
    const QJsonObject payType = payTypeSelector->getObjectForIndex(index);
    if (!payerFixed || payerId == -1) {
        const QJsonValue payer = payType.value(QStringLiteral("payer"));
        payerId = payer.isNull() || payer.isUndefined() ? -1 : index.siblingAtColumn(0).data().toInt();
        ui->payerLabel->setText(index.siblingAtColumn(3).data().toString());
    }
    updatePayerLabel();
    updateSummInput(payType.value(QStringLiteral("attribute")).toInt() == 0);
}

void PaymentEditDialog::setPayer(const QJsonObject &payer, const QString &name)
{
    payerId = payer.value(QStringLiteral("id")).toInt(-1);
    if (payerId <= 0)
        payerId = -1;
    ui->payerLabel->setText(payerId == -1 ? QString() : name);
}
