#pragma once

#include <QDialog>
#include <QModelIndex>
#include <QPersistentModelIndex>
#include <QString>

// A modal dialog that lets the user pick one record of a list; the pick is
// the record's id (the table's column 0) and the row it was picked from.
class SelectorDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SelectorDialog(QWidget *parent = nullptr);

    // The chosen id; -1 until something was picked or set.
    int getSelectedId() const { return selectedId; }
    // Invalid once the rows it belonged to have been reloaded.
    QModelIndex getSelectedRow() const { return selectedRow; }
    void setSelectedRow(const QModelIndex &index) { selectedRow = index; }

public slots:
    // Reloads the list; refreshFinished follows when it is in.
    virtual void refresh();
    // Reloads the list and runs the dialog: QDialog::Accepted or QDialog::Rejected.
    virtual int select();
    virtual void reset();
    virtual void setSelectedId(int id);
    virtual QString getDisplayValueForId(int id) const;

    // Records the pick of the index's row and closes the dialog as accepted.
    void selectItem(const QModelIndex &index);

signals:
    void itemSelected(const QModelIndex &index);
    void refreshFinished();

protected:
    int selectedId = -1;
    // Persistent, so that a reload leaves it invalid rather than dangling.
    QPersistentModelIndex selectedRow;
};
