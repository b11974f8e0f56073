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

    // The row's display values as texts, one per column, as data() converted
    // to a string gives them: objects and arrays read as no text.
    QStringList displayTexts(int row) const;
    // The same texts, each followed by `separator`, in the order of the row's
    // keys rather than the columns': what a search over every column reads.
    // It reads every row of lists of a hundred thousand rows at each load, so
    // the row's object is walked once instead of looked up column by column.
    QString joinedDisplayTexts(int row, QChar separator) const;

private:
    // Keys of the first row stand in for the columns that `order` lacks; an
    // empty result means the column lies outside the model's keys.
    QString firstRowKey(int position) const;
    const QStringList &keyPartsAt(int column) const;
    void takeFirstRowKeys();
    // Hands `take` the text of each column whose key the row holds.
    template<typename Take>
    void readTexts(int row, Take take) const;
    // The columns whose key starts with the row's member `key` at `position`.
    // A list's rows share their keys, so the answer per position is kept and
    // reused while the key there stays the same.
    const QList<int> &columnsOf(qsizetype position, const QString &key) const;

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
    struct MemberColumns
    {
        QString key;
        QList<int> columns;
    };
    mutable QList<MemberColumns> memberColumns;  // per member position, see columnsOf()
};
