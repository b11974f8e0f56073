#include "usereditdialog.h"

#include "defaultjsonvalidator.h"
#include "ui_usereditdialog.h"

#include <QJsonObject>

UserEditDialog::UserEditDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::UserEditDialog)
{
    ui->setupUi(this);

    auto *validator = new DefaultJsonValidator(this);
    validator->addRequiredProperty(QStringLiteral("name"), QStringLiteral("ФИО"), false);
    validator->addRequiredProperty(QStringLiteral("password"), QStringLiteral("Пароль"), false);
    setJsonValidator(validator);
}

UserEditDialog::~UserEditDialog()
{
    delete ui;
}

void UserEditDialog::reset()
{
    ui->fullnameLineEdit->setText(QString());
    ui->passwordLineEdit->setText(QString());
    ui->positionLineEdit->setText(QString());
}

void UserEditDialog::fromData(const QMap<QString, QVariant> &data)
{
    ui->fullnameLineEdit->setText(data.value(QStringLiteral("name")).toString());
    ui->passwordLineEdit->setText(data.value(QStringLiteral("password")).toString());
    ui->positionLineEdit->setText(data.value(QStringLiteral("position")).toString());
}

void UserEditDialog::fromModel(const QModelIndex &index)
{
    ui->fullnameLineEdit->setText(index.siblingAtColumn(1).data().toString());
    ui->passwordLineEdit->setText(index.siblingAtColumn(2).data().toString());
    ui->positionLineEdit->setText(index.siblingAtColumn(3).data().toString());
}

QJsonDocument UserEditDialog::getJson() const
{
    return QJsonDocument(QJsonObject{{QStringLiteral("name"), ui->fullnameLineEdit->text()},
                                     {QStringLiteral("password"), ui->passwordLineEdit->text()},
                                     {QStringLiteral("position"), ui->positionLineEdit->text()}});
}
