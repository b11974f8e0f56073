#pragma once

#include <QMetaObject>
#include <QModelIndex>
#include <QString>
#include <QWidget>

class QGridLayout;
class SelectorDialog;

namespace Ui {
class SelectorEdit;
}

// A form field that holds a reference to another record: the record's name
// in a sunken label, "Выбрать" to pick it in a selector, and a reset button.
class SelectorEdit : public QWidget
{
    Q_OBJECT

public:
    explicit SelectorEdit(QWidget *parent = nullptr);
    ~SelectorEdit() override;

    // The field takes ownership of the selector and deletes it with itself.
    void setSelector(SelectorDialog *selector);

    // Shows the record once the selector's list has been reloaded;
    // getSelectedId() returns the id at once.
    void setSelectedId(int id);
    // -1 when nothing is chosen.
    int getSelectedId() const { return selectedId; }

    void setDisplayValue(const QString &text);
    QString getDisplayValue() const;
    // The selector's chosen row; needs a selector.
    QModelIndex getRow() const;

    // Moves the label and both buttons into a caller's grid, side by side.
    void mapOntoGrid(QGridLayout *grid, int row, int column);
    // Whether "Выбрать" may be pressed (a list that depends on another field).
    void setSelectEnabled(bool enabled);

public slots:
    void selectItem(const QModelIndex &index);
    void reset();

signals:
    void reseted();

private:
    void dropPendingSelection();

    Ui::SelectorEdit *ui;
    SelectorDialog *selector = nullptr;
    int selectedId = -1;
    QString defaultText;
    // The wait for a reload that setSelectedId started, if still pending.
    QMetaObject::Connection pendingSelection;
};
