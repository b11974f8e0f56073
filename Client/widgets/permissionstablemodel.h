#pragma once

#include <QAbstractTableModel>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

// One user's permission record as a table: a row per node with its label and
// two check boxes, the read bit (1) and the write bit (2) of the node's mask.
// A toggled box flips its bit in the record; the record keeps every member
// it was given, its own "id" and "userId" included.
class PermissionsTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit PermissionsTableModel(QObject *parent = nullptr);

    void setPermissionsObject(const QJsonObject &object);
    QJsonObject getPermissionsObject() const { return permissions; }
    // The node of a row, and the bit (1 or 2) of a column; 0 for the label.
    QString nodeAt(int row) const { return nodes.value(row); }
    static int bitOf(int column);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The readable label of every permission node the program knows.
    static const QMap<QString, QString> translations;

private:
    int mask(int row) const;

    QJsonObject permissions;
    QStringList nodes;  // the record's keys but "id" and "userId", in key order
};
