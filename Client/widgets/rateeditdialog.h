#pragma once

#include "editdialog.h"

namespace Ui {
class RateEditDialog;
}

// Editor of a rate: a named tariff of a type with its day and hour prices,
// period of validity, number of places and whether it is a primary rate.
// The places go up to the largest 32-bit integer: a field that stops short
// of a stored value would save its own bound instead.
class RateEditDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit RateEditDialog(QWidget *parent = nullptr);
    ~RateEditDialog() override;

    // Leaves the period as it is: a new rate usually starts where the last
    // one edited did.
    void reset() override;
    void fromData(const QMap<QString, QVariant> &data) override;
    QJsonDocument getJson() const override;

private:
    Ui::RateEditDialog *ui;
};
