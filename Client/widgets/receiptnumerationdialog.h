#pragma once

#include "rawviewwidget.h"

namespace Ui {
class ReceiptNumerationDialog;
}

// Sets the number the next receipt carries. The server keeps the last
// number used, so the window shows it plus one and stores the entered
// number minus one. A window of its own, not a tab.
class ReceiptNumerationDialog : public RawViewWidget
{
    Q_OBJECT

public:
    explicit ReceiptNumerationDialog(QWidget *parent = nullptr);
    ~ReceiptNumerationDialog() override;

    void fromJson(const QJsonDocument &document) override;
    QJsonDocument toJson() override;

private:
    Ui::ReceiptNumerationDialog *ui;
};
