#pragma once

#include "editdialog.h"

namespace Ui {
class OrganizationsEditDialog;
}

// Editor of an organization: name, region, code, taxpayer number and the
// archive flag that hides it from the organization selectors.
class OrganizationsEditDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit OrganizationsEditDialog(QWidget *parent = nullptr);
    ~OrganizationsEditDialog() override;

    void reset() override;
    void fromData(const QMap<QString, QVariant> &data) override;
    // The list shows the region only by name; the id comes from the row's
    // whole record.
    void fromModel(const QModelIndex &row) override;
    QJsonDocument getJson() const override;

private:
    Ui::OrganizationsEditDialog *ui;
};
