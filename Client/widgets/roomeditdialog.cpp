#include "roomeditdialog.h"

#include "defaultjsonvalidator.h"
#include "ui_roomeditdialog.h"

#include <QJsonObject>

RoomEditDialog::RoomEditDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::RoomEditDialog)
{
    ui->setupUi(this);

    auto *validator = new DefaultJsonValidator(this);
    validator->addRequiredProperty(QStringLiteral("number"), QStringLiteral("Номер"), false);
    setJsonValidator(validator);
}

RoomEditDialog::~RoomEditDialog()
{
    delete ui;
}

void RoomEditDialog::reset()
{
    ui->descLineEdit->setText(QString());
    ui->numLineEdit->setText(QString());
    ui->floorSpinBox->setValue(1);
    ui->sizeSpinBox->setValue(1);
}

void RoomEditDialog::fromData(const QMap<QString, QVariant> &)
{
}

void RoomEditDialog::fromModel(const QModelIndex &row)
{
    ui->numLineEdit->setText(row.siblingAtColumn(1).data().toString());
    ui->floorSpinBox->setValue(row.siblingAtColumn(2).data().toInt());
    ui->sizeSpinBox->setValue(row.siblingAtColumn(3).data().toInt());
    ui->descLineEdit->setText(row.siblingAtColumn(4).data().toString());
}

QJsonDocument RoomEditDialog::getJson() const
{
    return QJsonDocument(QJsonObject{
        {QStringLiteral("number"), ui->numLineEdit->text()},
        {QStringLiteral("description"), ui->descLineEdit->text()},
        {QStringLiteral("floor"), ui->floorSpinBox->value()},
        {QStringLiteral("size"), ui->sizeSpinBox->value()},
    });
}
