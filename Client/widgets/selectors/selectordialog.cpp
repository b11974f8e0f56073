#include "selectordialog.h"

SelectorDialog::SelectorDialog(QWidget *parent)
    : QDialog(parent)
{
}

void SelectorDialog::refresh()
{
    emit refreshFinished();
}

int SelectorDialog::select()
{
    // Every opening shows the list as the server has it now.
    refresh();
    return exec();
}

void SelectorDialog::reset()
{
}

void SelectorDialog::setSelectedId(int id)
{
    selectedId = id;
}

QString SelectorDialog::getDisplayValueForId(int) const
{
    return QString();
}

void SelectorDialog::selectItem(const QModelIndex &index)
{
    selectedId = index.siblingAtColumn(0).data().toInt();
    selectedRow = index;
    emit itemSelected(index);
    accept();
}
