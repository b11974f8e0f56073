#include "propertyeditdialog.h"

#include "defaultjsonvalidator.h"
#include "ui_propertyeditdialog.h"

#include <QJsonObject>

PropertyEditDialog::PropertyEditDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::PropertyEditDialog)
{
    ui->setupUi(this);

    auto *validator = new DefaultJsonValidator(this);
    validator->addRequiredProperty(QStringLiteral("name"), QStringLiteral("Наименование"), false);
    setJsonValidator(validator);
}

PropertyEditDialog::~PropertyEditDialog()
{
    delete ui;
}

void PropertyEditDialog::reset()
{
    ui->nameLineEdit->setText(QString());
    ui->numLineEdit->setText(QString());
    ui->costSpinBox->setValue(0);
    ui->archivedCheckBox->setChecked(false);
}

void PropertyEditDialog::fromData(const QMap<QString, QVariant> &data)
{
    ui->nameLineEdit->setText(data.value(QStringLiteral("name")).toString());
    ui->numLineEdit->setText(data.value(QStringLiteral("number")).toString());
    ui->costSpinBox->setValue(data.value(QStringLiteral("cost")).toDouble());
    ui->archivedCheckBox->setChecked(data.value(QStringLiteral("archived")).toBool());
}

QJsonDocument PropertyEditDialog::getJson() const
{
    return QJsonDocument(QJsonObject{
        {QStringLiteral("name"), ui->nameLineEdit->text()},
        {QStringLiteral("number"), ui->numLineEdit->text()},
        {QStringLiteral("cost"), ui->costSpinBox->value()},
        {QStringLiteral("archived"), ui->archivedCheckBox->isChecked()},
    });
}
