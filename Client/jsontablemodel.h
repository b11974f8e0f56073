#pragma once

#include <QAbstractTableModel>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <utility>

// A read-only table over a JSON array of records. Columns are an ordered
// list of JSON keys (dotted keys reach into nested objects), each with a
// header label; the horizontal header's Qt::UserRole gives the column's key.
class JsonTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using Headers = QList<std::pair<QString, QString>>;

    explicit JsonTableModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;

    void setJson(const QJsonDocument &json);
    QJsonDocument getJson() const;

    void setHeaders(const Headers &headers);
    void setOrder(const QStringList &order);

    QJsonObject objectAt(int row) const;
    void setObjectAt(int row, const QJsonObject &object);

    QVariant getValue(const QJsonObject &object, const QString &key) const;

    // The display value as text, as data() converted to a string gives it,
    // read without building the value: the search reads every cell of lists
    // of a hundred thousand rows. Objects and arrays read as no text.
    QString displayText(int row, int column) const;

private:
    // Keys of the first row stand in for the columns that `order` lacks; an
    // empty result means the column lies outside the model's keys.
    QString firstRowKey(int position) const;
    const QStringList &keyPartsAt(int column) const;
    void takeFirstRowKeys();

    QJsonDocument document;
    QList<QJsonObject> rows;
    QStringList firstRowKeys;  // the columns when no order is set
    QList<QStringList> firstRowKeyParts;
    QStringList labels;
    QMap<int, Qt::AlignmentFlag> alignments;
    QStringList order;
    QList<QStringList> orderParts;  // `order` split at the dots, once
    int storedRowCount = 0;
    int storedColumnCount = 0;
};
