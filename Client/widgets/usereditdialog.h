#pragma once

#include "editdialog.h"

namespace Ui {
class UserEditDialog;
}

// Editor of a user's name, password (shown in clear) and position. The
// rights and the per-user fields are edited in the users window itself.
class UserEditDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit UserEditDialog(QWidget *parent = nullptr);
    ~UserEditDialog() override;

    void reset() override;
    void fromData(const QMap<QString, QVariant> &data) override;
    // Reads the shown texts of columns 1 to 3 of the row's own model.
    void fromModel(const QModelIndex &index) override;
    QJsonDocument getJson() const override;

private:
    Ui::UserEditDialog *ui;
};
