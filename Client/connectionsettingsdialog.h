#pragma once

#include <QDialog>

namespace Ui {
class ConnectionSettingsDialog;
}

// Where the user types the server's root URL.
class ConnectionSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ConnectionSettingsDialog(QWidget *parent = nullptr);
    ~ConnectionSettingsDialog() override;

public slots:
    void save();

private:
    Ui::ConnectionSettingsDialog *ui;
};
