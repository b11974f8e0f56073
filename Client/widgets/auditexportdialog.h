#pragma once

#include <QDialog>

namespace Ui {
class AuditExportDialog;
}

// Asks for the id of the person whose audit entries are exported.
class AuditExportDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AuditExportDialog(QWidget *parent = nullptr);
    ~AuditExportDialog() override;

    int getId() const;

private:
    Ui::AuditExportDialog *ui;
};
