#pragma once

#include <QAbstractTableModel>
#include <QJsonArray>
#include <QSet>
#include <QVariant>

// The streams the 1C export can choose from: id, label and a check per row.
// The checks belong to rows, so every reload clears them.
class Export1CTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit Export1CTableModel(QObject *parent = nullptr);
    ~Export1CTableModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Column 2's check toggles, whatever value the view passes.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Every stream for a null date, else the streams of that date.
    void select(const QVariant &date);

    // A name as one line of the 1C file, each CR and LF a blank: a line
    // break would split a roster entry in two.
    static QString oneLine(QString text);

private:
    QJsonArray streams;
    QSet<int> checkedRows;
};
