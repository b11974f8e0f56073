#include "selectoredit.h"

#include "selectordialog.h"
#include "ui_selectoredit.h"

#include <QGridLayout>

SelectorEdit::SelectorEdit(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::SelectorEdit)
{
    ui->setupUi(this);
    defaultText = ui->displayValueLabel->text();
    connect(ui->resetButton, &QPushButton::clicked, this, &SelectorEdit::reset);
    reset();
}

SelectorEdit::~SelectorEdit()
{
    dropPendingSelection();
    delete selector;
    delete ui;
}

void SelectorEdit::setSelector(SelectorDialog *newSelector)
{
    if (newSelector == selector)
        return;
    dropPendingSelection();
    delete selector;
    selector = newSelector;
    if (!selector)
        return;
    connect(ui->selectButton, &QPushButton::clicked, selector, &SelectorDialog::select);
    connect(selector, &SelectorDialog::itemSelected, this, &SelectorEdit::selectItem);
}

void SelectorEdit::setSelectedId(int id)
{
    selectedId = id;
    if (!selector)
        return;

    // Only the latest request counts: an earlier id must not come back
    // when its load ends after this one was asked for.
    dropPendingSelection();
    SelectorDialog *target = selector;
    pendingSelection = connect(
        selector, &SelectorDialog::refreshFinished, this,
        [this, target, id] {
            pendingSelection = QMetaObject::Connection();
            target->setSelectedId(id);
        },
        Qt::SingleShotConnection);
    selector->refresh();
}

void SelectorEdit::setDisplayValue(const QString &text)
{
    ui->displayValueLabel->setText(text);
}

QString SelectorEdit::getDisplayValue() const
{
    return ui->displayValueLabel->text();
}

QModelIndex SelectorEdit::getRow() const
{
    return selector ? selector->getSelectedRow() : QModelIndex();
}

void SelectorEdit::mapOntoGrid(QGridLayout *grid, int row, int column)
{
    for (QWidget *widget : {static_cast<QWidget *>(ui->displayValueLabel),
                            static_cast<QWidget *>(ui->selectButton),
                            static_cast<QWidget *>(ui->resetButton)})
        ui->horizontalLayout->removeWidget(widget);
    grid->addWidget(ui->displayValueLabel, row, column);
    grid->addWidget(ui->selectButton, row, column + 1);
    grid->addWidget(ui->resetButton, row, column + 2);
}

void SelectorEdit::setSelectEnabled(bool enabled)
{
    ui->selectButton->setEnabled(enabled);
}

void SelectorEdit::selectItem(const QModelIndex &index)
{
    selectedId = index.siblingAtColumn(0).data().toInt();
    if (selector)
        ui->displayValueLabel->setText(selector->getDisplayValueForId(selectedId));
}

void SelectorEdit::reset()
{
    dropPendingSelection();
    selectedId = -1;
    ui->displayValueLabel->setText(defaultText);
    if (selector)
        selector->reset();
    emit reseted();
}

void SelectorEdit::dropPendingSelection()
{
    if (pendingSelection)
        disconnect(pendingSelection);
    pendingSelection = QMetaObject::Connection();
}
