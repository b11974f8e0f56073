#include "positioneditdialog.h"

#include "defaultjsonvalidator.h"
#include "ui_positioneditdialog.h"

#include <QJsonObject>

PositionEditDialog::PositionEditDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::PositionEditDialog)
{
    ui->setupUi(this);

    auto *validator = new DefaultJsonValidator(this);
    validator->addRequiredProperty(QStringLiteral("name"), QStringLiteral("Наименование"), false);
    setJsonValidator(validator);
}

PositionEditDialog::~PositionEditDialog()
{
    delete ui;
}

void PositionEditDialog::reset()
{
    ui->nameLineEdit->setText(QString());
}

void PositionEditDialog::fromData(const QMap<QString, QVariant> &data)
{
    ui->nameLineEdit->setText(data.value(QStringLiteral("name")).toString());
}

QJsonDocument PositionEditDialog::getJson() const
{
    return QJsonDocument(QJsonObject{{QStringLiteral("name"), ui->nameLineEdit->text()}});
}
