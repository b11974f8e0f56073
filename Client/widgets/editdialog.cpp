#include "editdialog.h"

#include "messagebox.h"

#include <QAbstractItemModel>

EditDialog::EditDialog(QWidget *parent)
    : QDialog(parent)
{
}

void EditDialog::setJsonValidator(JsonValidator *newValidator)
{
    validator = newValidator;
}

JsonValidator::Result EditDialog::validate()
{
    if (!validator)
        return {};
    return validator->validate(getJson());
}

int EditDialog::exec()
{
    for (;;) {
        const int result = QDialog::exec();
        if (result != QDialog::Accepted)
            return result;
        const JsonValidator::Result check = validate();
        if (check.valid)
            return QDialog::Accepted;
        // The user stays in the dialog with everything typed so far.
        MessageBox::critical(this, QStringLiteral("Ошибка"), check.message, QMessageBox::Ok);
    }
}

void EditDialog::fromModel(const QModelIndex &index)
{
    QMap<QString, QVariant> data;
    const QAbstractItemModel *model = index.model();
    if (model) {
        for (int column = 0; column < model->columnCount(index.parent()); ++column) {
            const QString key = model->headerData(column, Qt::Horizontal, Qt::UserRole).toString();
            data.insert(key, index.siblingAtColumn(column).data(Qt::DisplayRole));
        }
    }
    fromData(data);
}
