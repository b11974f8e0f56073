#include "districteditdialog.h"

#include "defaultjsonvalidator.h"
#include "ui_districteditdialog.h"

#include <QJsonObject>

DistrictEditDialog::DistrictEditDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::DistrictEditDialog)
{
    ui->setupUi(this);

    auto *validator = new DefaultJsonValidator(this);
    validator->addRequiredProperty(QStringLiteral("name"), QStringLiteral("Название"), false);
    setJsonValidator(validator);
}

DistrictEditDialog::~DistrictEditDialog()
{
    delete ui;
}

void DistrictEditDialog::reset()
{
    ui->nameLineEdit->setText(QString());
}

void DistrictEditDialog::fromData(const QMap<QString, QVariant> &data)
{
    ui->nameLineEdit->setText(data.value(QStringLiteral("name")).toString());
}

QJsonDocument DistrictEditDialog::getJson() const
{
    return QJsonDocument(QJsonObject{{QStringLiteral("name"), ui->nameLineEdit->text()}});
}
