#pragma once

#include "editdialog.h"

namespace Ui {
class ExtraServiceEditDialog;
}

// Editor of an extra service: name, unit and its parameter, rate, period of
// validity and basis.
class ExtraServiceEditDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit ExtraServiceEditDialog(QWidget *parent = nullptr);
    ~ExtraServiceEditDialog() override;

    // Leaves the period as it is: a new service usually starts where the
    // last one edited did.
    void reset() override;
    // Services are only ever filled from a row of the services table.
    void fromData(const QMap<QString, QVariant> &data) override;
    // Reads the row by position (id, name, unit, rate, start, end, basis,
    // parameter), from a model of any kind.
    void fromModel(const QModelIndex &row) override;
    QJsonDocument getJson() const override;

    // What a service's "param" means, in the order the editor offers it.
    static QMap<int, QString> params();

private:
    Ui::ExtraServiceEditDialog *ui;
};
