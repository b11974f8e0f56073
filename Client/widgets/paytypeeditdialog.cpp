#include "paytypeeditdialog.h"

#include "clock.h"
#include "commonselectordialog.h"
#include "editorfields.h"
#include "selectorfactory.h"
#include "ui_paytypeeditdialog.h"

#include <QJsonObject>

PayTypeEditDialog::PayTypeEditDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::PayTypeEditDialog)
{
    ui->setupUi(this);

    // Archived organizations are not offered; one already stored as the
    // payer stays by its id. The field owns its selector.
    ui->payerSelector->setSelector(SelectorFactory::createOrganizationsSelector());

    ui->attributeComboBox->addItem(QStringLiteral("Ожидает оплаты"), 0);
    ui->attributeComboBox->addItem(QStringLiteral("Возврат"), -1);
    ui->attributeComboBox->addItem(QStringLiteral("Оплачено"), 1);
}

PayTypeEditDialog::~PayTypeEditDialog()
{
    delete ui;
}

void PayTypeEditDialog::reset()
{
    ui->nameLineEdit->setText(QString());
    ui->payerSelector->reset();
    ui->attributeComboBox->setCurrentIndex(0);
    ui->startDateEdit->setDate(Clock::today());
    ui->endDateEdit->setDate(Clock::today());
    ui->contractCostSpinBox->setValue(0);
}

void PayTypeEditDialog::fromData(const QMap<QString, QVariant> &data)
{
    ui->nameLineEdit->setText(data.value(QStringLiteral("name")).toString());
    selectAttribute(data.value(QStringLiteral("attribute")).toInt());
    if (data.contains(QStringLiteral("payerId"))) {
        EditorFields::selectReference(
            ui->payerSelector, EditorFields::referenceId(data.value(QStringLiteral("payerId"))));
    }
    ui->startDateEdit->setDate(EditorFields::dateOf(data.value(QStringLiteral("startDate"))));
    ui->endDateEdit->setDate(EditorFields::dateOf(data.value(QStringLiteral("endDate"))));
    ui->contractCostSpinBox->setValue(data.value(QStringLiteral("contractCost")).toDouble());
}

void PayTypeEditDialog::fromModel(const QModelIndex &row)
{
    ui->nameLineEdit->setText(row.siblingAtColumn(1).data().toString());
    selectAttribute(row.siblingAtColumn(2).data().toInt());
    ui->startDateEdit->setDate(EditorFields::dateOf(row.siblingAtColumn(4).data()));
    ui->endDateEdit->setDate(EditorFields::dateOf(row.siblingAtColumn(5).data()));
    ui->contractCostSpinBox->setValue(row.siblingAtColumn(6).data().toDouble());
    // A row without a payer clears the field: the previous use's payer must
    // not stay on a pay type that has none.
    EditorFields::selectReferenceOfRow(ui->payerSelector, row, QStringLiteral("payer"),
                                       QStringLiteral("Client/widgets/paytypeeditdialog"),
                                       __LINE__);
}

QJsonDocument PayTypeEditDialog::getJson() const
{
    QJsonObject body{
        {QStringLiteral("name"), ui->nameLineEdit->text()},
        {QStringLiteral("attribute"), ui->attributeComboBox->currentData().toInt()},
        {QStringLiteral("startDate"), EditorFields::dateText(ui->startDateEdit->date())},
        {QStringLiteral("endDate"), EditorFields::dateText(ui->endDateEdit->date())},
        {QStringLiteral("contractCost"), ui->contractCostSpinBox->value()},
    };
    const int payer = ui->payerSelector->getSelectedId();
    if (payer != -1)
        body.insert(QStringLiteral("payerId"), payer);
    return QJsonDocument(body);
}

void PayTypeEditDialog::selectAttribute(int attribute)
{
    const int position = ui->attributeComboBox->findData(attribute);
    if (position >= 0)
        ui->attributeComboBox->setCurrentIndex(position);
}
