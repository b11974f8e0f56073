#include "export1cdialog.h"

#include "clock.h"
#include "ui_export1cdialog.h"

Export1CDialog::Export1CDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::Export1CDialog)
{
    ui->setupUi(this);
    ui->tableView->setModel(&model);
    ui->dateEdit->setDate(Clock::today());
    connect(&model, &QAbstractItemModel::dataChanged, this, &Export1CDialog::updateExportButton);
    // A reload leaves nothing checked; the reset says so without a dataChanged.
    connect(&model, &QAbstractItemModel::modelReset, this, &Export1CDialog::updateExportButton);
}

Export1CDialog::~Export1CDialog()
{
    delete ui;
}

int Export1CDialog::exec()
{
    model.select(QVariant());
    ui->tableView->resizeColumnsToContents();
    return QDialog::exec();
}

QDate Export1CDialog::getDateFilter() const
{
    return ui->dateEdit->date();
}

QList<QPair<int, QString>> Export1CDialog::getSelectedStreams() const
{
    QList<QPair<int, QString>> selected;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.index(row, 2).data(Qt::CheckStateRole).toInt() == Qt::Checked)
            selected.append({model.index(row, 0).data().toInt(), model.index(row, 1).data().toString()});
    }
    return selected;
}

void Export1CDialog::updateExportButton()
{
    ui->exportPushButton->setEnabled(!getSelectedStreams().isEmpty());
}
