#pragma once

#include "editdialog.h"

namespace Ui {
class PositionEditDialog;
}

// Editor of a position: its name alone.
class PositionEditDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit PositionEditDialog(QWidget *parent = nullptr);
    ~PositionEditDialog() override;

    void reset() override;
    void fromData(const QMap<QString, QVariant> &data) override;
    QJsonDocument getJson() const override;

private:
    Ui::PositionEditDialog *ui;
};
