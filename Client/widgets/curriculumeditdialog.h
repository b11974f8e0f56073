#pragma once

#include "editdialog.h"

namespace Ui {
class CurriculumEditDialog;
}

// Editor of a curriculum: name, volume, external id, whether it is paid and
// its price, the archive flag and its basis.
class CurriculumEditDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit CurriculumEditDialog(QWidget *parent = nullptr);
    ~CurriculumEditDialog() override;

    void reset() override;
    void fromData(const QMap<QString, QVariant> &data) override;
    QJsonDocument getJson() const override;

private:
    Ui::CurriculumEditDialog *ui;
};
