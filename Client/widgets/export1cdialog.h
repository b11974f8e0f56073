#pragma once

#include "export1ctablemodel.h"

#include <QDate>
#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

namespace Ui {
class Export1CDialog;
}

// Picks the streams whose rosters the 1C export writes. Every showing
// reloads the list and clears the checks.
class Export1CDialog : public QDialog
{
    Q_OBJECT

public:
    explicit Export1CDialog(QWidget *parent = nullptr);
    ~Export1CDialog() override;

    int exec() override;

    // Only names the proposed file.
    QDate getDateFilter() const;
    // (id, label) of the checked streams, in row order.
    QList<QPair<int, QString>> getSelectedStreams() const;

private:
    void updateExportButton();

    Ui::Export1CDialog *ui;
    Export1CTableModel model;
};
