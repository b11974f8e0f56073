#include "extraserviceeditdialog.h"

#include "defaultjsonvalidator.h"
#include "editorfields.h"
#include "ui_extraserviceeditdialog.h"

#include <QJsonObject>

ExtraServiceEditDialog::ExtraServiceEditDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::ExtraServiceEditDialog)
{
    ui->setupUi(this);

    const QMap<int, QString> all = params();
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        ui->unitParamComboBox->addItem(it.value(), it.key());

    auto *validator = new DefaultJsonValidator(this);
    validator->addRequiredProperty(QStringLiteral("name"), QStringLiteral("Наименование"), false);
    validator->addRequiredProperty(QStringLiteral("measurement"), QStringLiteral("Ед. Изм."), false);
    validator->addRequiredProperty(QStringLiteral("base"), QStringLiteral("Основание"), false);
    setJsonValidator(validator);
}

ExtraServiceEditDialog::~ExtraServiceEditDialog()
{
    delete ui;
}

QMap<int, QString> ExtraServiceEditDialog::params()
{
    return {{0, QStringLiteral("Не предусмотрен")},
            {1, QStringLiteral("Час")},
            {2, QStringLiteral("Сутки")},
            {3, QStringLiteral("Выезд")}};
}

void ExtraServiceEditDialog::reset()
{
    ui->nameLineEdit->setText(QString());
    ui->baseLineEdit->setText(QString());
    ui->unitLineEdit->setText(QString());
    ui->unitParamComboBox->setCurrentIndex(0);
    ui->rateSpinBox->setValue(0);
}

void ExtraServiceEditDialog::fromData(const QMap<QString, QVariant> &)
{
}

void ExtraServiceEditDialog::fromModel(const QModelIndex &row)
{
    ui->nameLineEdit->setText(row.siblingAtColumn(1).data().toString());
    ui->unitLineEdit->setText(row.siblingAtColumn(2).data().toString());
    ui->rateSpinBox->setValue(row.siblingAtColumn(3).data().toDouble());
    ui->startDateEdit->setDate(EditorFields::dateOf(row.siblingAtColumn(4).data()));
    ui->endDateEdit->setDate(EditorFields::dateOf(row.siblingAtColumn(5).data()));
    ui->baseLineEdit->setText(row.siblingAtColumn(6).data().toString());
    // An unknown parameter leaves no choice, which saves as 0.
    ui->unitParamComboBox->setCurrentIndex(
        ui->unitParamComboBox->findData(row.siblingAtColumn(7).data().toInt()));
}

QJsonDocument ExtraServiceEditDialog::getJson() const
{
    return QJsonDocument(QJsonObject{
        {QStringLiteral("name"), ui->nameLineEdit->text()},
        {QStringLiteral("measurement"), ui->unitLineEdit->text()},
        {QStringLiteral("rate"), ui->rateSpinBox->value()},
        {QStringLiteral("startDate"), EditorFields::dateText(ui->startDateEdit->date())},
        {QStringLiteral("endDate"), EditorFields::dateText(ui->endDateEdit->date())},
        {QStringLiteral("base"), ui->baseLineEdit->text()},
        {QStringLiteral("param"), ui->unitParamComboBox->currentData().toInt()},
    });
}
