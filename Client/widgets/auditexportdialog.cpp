#include "auditexportdialog.h"

#include "ui_auditexportdialog.h"

AuditExportDialog::AuditExportDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::AuditExportDialog)
{
    ui->setupUi(this);
}

AuditExportDialog::~AuditExportDialog()
{
    delete ui;
}

int AuditExportDialog::getId() const
{
    return ui->spinBox->value();
}
