#pragma once

#include "editdialog.h"

namespace Ui {
class StreamEditDialog;
}

// Editor of a stream: a named run of a curriculum over a period, with its id
// in the external information system.
class StreamEditDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit StreamEditDialog(QWidget *parent = nullptr);
    ~StreamEditDialog() override;

    // A new stream proposes today for both ends of its period.
    void reset() override;
    void fromData(const QMap<QString, QVariant> &data) override;
    // The list shows the curriculum only by name; the id comes from the
    // row's whole record.
    void fromModel(const QModelIndex &row) override;
    QJsonDocument getJson() const override;

private:
    Ui::StreamEditDialog *ui;
};
