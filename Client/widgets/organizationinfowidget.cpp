#include "organizationinfowidget.h"

#include "ui_organizationinfowidget.h"

#include <QJsonObject>

OrganizationInfoWidget::OrganizationInfoWidget(QWidget *parent)
    : RawViewWidget(parent)
    , ui(new Ui::OrganizationInfoWidget)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Реквизиты организации"));
    setEndpoint(QStringLiteral("globals/OrganizationInfo"));
    // Nothing good has been loaded yet: a save would store empty details.
    ui->saveButton->setEnabled(false);
    connect(ui->saveButton, &QPushButton::clicked, this, &RawViewWidget::save);
}

OrganizationInfoWidget::~OrganizationInfoWidget()
{
    delete ui;
}

void OrganizationInfoWidget::fromJson(const QJsonDocument &document)
{
    // A failed load keeps what the fields hold and forbids saving until a
    // load succeeds: the whole document is written back on save, and one
    // filled from a failure would wipe the organization's details.
    const bool loaded = !replyFailed() && document.isObject();
    ui->saveButton->setEnabled(loaded);
    if (!loaded)
        return;
    const QJsonObject value = document.object().value(QStringLiteral("value")).toObject();
    ui->nameLineEdit->setText(value.value(QStringLiteral("name")).toString());
    ui->addrLineEdit->setText(value.value(QStringLiteral("address")).toString());
    ui->altAddrLineEdit->setText(value.value(QStringLiteral("extraAddress")).toString());
    ui->innLineEdit->setText(value.value(QStringLiteral("inn")).toString());
    ui->kppLineEdit->setText(value.value(QStringLiteral("kpp")).toString());
    ui->commentLineEdit->setText(value.value(QStringLiteral("comment")).toString());
}

QJsonDocument OrganizationInfoWidget::toJson()
{
    const QJsonObject value{{QStringLiteral("name"), ui->nameLineEdit->text()},
                            {QStringLiteral("address"), ui->addrLineEdit->text()},
                            {QStringLiteral("extraAddress"), ui->altAddrLineEdit->text()},
                            {QStringLiteral("inn"), ui->innLineEdit->text()},
                            {QStringLiteral("kpp"), ui->kppLineEdit->text()},
                            {QStringLiteral("comment"), ui->commentLineEdit->text()}};
    return QJsonDocument(QJsonObject{{QStringLiteral("value"), value}});
}
