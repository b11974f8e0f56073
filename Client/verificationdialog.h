#pragma once

#include <QDialog>

namespace Ui {
class VerificationDialog;
}

// Asks for the signed-in user's password again before sensitive data is shown.
class VerificationDialog : public QDialog
{
    Q_OBJECT

public:
    explicit VerificationDialog(QWidget *parent = nullptr);
    ~VerificationDialog() override;

    QString getPassword() const;

private:
    Ui::VerificationDialog *ui;
};
