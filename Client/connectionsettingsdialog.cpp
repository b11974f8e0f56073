#include "connectionsettingsdialog.h"

#include "settingsmanager.h"
#include "ui_connectionsettingsdialog.h"

#include <QDialogButtonBox>

ConnectionSettingsDialog::ConnectionSettingsDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::ConnectionSettingsDialog)
{
    ui->setupUi(this);
    ui->rootUrlLineEdit->setText(
        SettingsManager::instance()->getValue("connection/root_url").toString());

    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &ConnectionSettingsDialog::save);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

ConnectionSettingsDialog::~ConnectionSettingsDialog()
{
    delete ui;
}

void ConnectionSettingsDialog::save()
{
    SettingsManager::instance()->setValue("connection/root_url",
                                          QVariant(ui->rootUrlLineEdit->text()));
}
