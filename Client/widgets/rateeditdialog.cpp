#include "rateeditdialog.h"

#include "defaultjsonvalidator.h"
#include "editorfields.h"
#include "ui_rateeditdialog.h"

#include <QJsonObject>

RateEditDialog::RateEditDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::RateEditDialog)
{
    ui->setupUi(this);

    auto *validator = new DefaultJsonValidator(this);
    validator->addRequiredProperty(QStringLiteral("name"), QStringLiteral("Наименование"), false);
    validator->addRequiredProperty(QStringLiteral("type"), QStringLiteral("Тип"), false);
    setJsonValidator(validator);
}

RateEditDialog::~RateEditDialog()
{
    delete ui;
}

void RateEditDialog::reset()
{
    ui->type->setText(QString());
    ui->name->setText(QString());
    ui->base->setText(QString());
    ui->comment->setText(QString());
    ui->notes->setText(QString());
    ui->main->setChecked(false);
    ui->costSpinBox->setValue(0);
    ui->hourCostSpinBox->setValue(0);
    ui->sizeSpinBox->setValue(0);
}

void RateEditDialog::fromData(const QMap<QString, QVariant> &data)
{
    ui->type->setText(data.value(QStringLiteral("type")).toString());
    ui->name->setText(data.value(QStringLiteral("name")).toString());
    ui->base->setText(data.value(QStringLiteral("base")).toString());
    ui->comment->setText(data.value(QStringLiteral("comments")).toString());
    ui->notes->setText(data.value(QStringLiteral("notes")).toString());
    ui->costSpinBox->setValue(data.value(QStringLiteral("cost")).toDouble());
    ui->hourCostSpinBox->setValue(data.value(QStringLiteral("hourCost")).toDouble());
    ui->start->setDate(EditorFields::dateOf(data.value(QStringLiteral("startDate"))));
    ui->end->setDate(EditorFields::dateOf(data.value(QStringLiteral("endDate"))));
    ui->sizeSpinBox->setValue(data.value(QStringLiteral("size")).toInt());
    ui->main->setChecked(data.value(QStringLiteral("primary")).toBool());
}

QJsonDocument RateEditDialog::getJson() const
{
    return QJsonDocument(QJsonObject{
        {QStringLiteral("type"), ui->type->text()},
        {QStringLiteral("name"), ui->name->text()},
        {QStringLiteral("base"), ui->base->text()},
        {QStringLiteral("comments"), ui->comment->text()},
        {QStringLiteral("notes"), ui->notes->text()},
        {QStringLiteral("cost"), ui->costSpinBox->value()},
        {QStringLiteral("hourCost"), ui->hourCostSpinBox->value()},
        {QStringLiteral("startDate"), EditorFields::dateText(ui->start->date())},
        {QStringLiteral("endDate"), EditorFields::dateText(ui->end->date())},
        {QStringLiteral("size"), ui->sizeSpinBox->value()},
        {QStringLiteral("primary"), ui->main->isChecked()},
    });
}
