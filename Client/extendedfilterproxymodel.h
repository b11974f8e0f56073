#pragma once

#include <QList>
#include <QSortFilterProxyModel>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class JsonTableModel;

// Sorting and an all-columns search that can be switched off as a whole.
//
// Lists of a hundred thousand rows are searched as the user types, so the
// search reads each row's texts from the source once and keeps them (folded
// for the comparison) until the source changes, and a sort compares values
// read once per row. A new search text lays the rows out anew in one step.
class ExtendedFilterProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit ExtendedFilterProxyModel(QObject *parent = nullptr);
    ~ExtendedFilterProxyModel() override;

    void setSourceModel(QAbstractItemModel *model) override;

    void setFilterEnabled(bool enabled);
    bool isFilterEnabled() const { return filterEnabled; }

    // е and ё, in either case, match each other in the search: names are
    // written both ways.
    void setYoMatchesYe(bool matches);

public slots:
    // Keeps the rows that hold the text, taken literally, in the display text
    // of any column, with the case rule of filterCaseSensitivity(); an empty
    // text keeps every row.
    void setSearchText(const QString &text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    class SortRanks;

    // What the stored texts were read under.
    struct TextRules
    {
        int role = -1;
        Qt::CaseSensitivity caseRule = Qt::CaseSensitive;
        bool yo = false;
        QStringList columns;  // the source's column keys

        bool operator==(const TextRules &other) const
        {
            return role == other.role && caseRule == other.caseRule && yo == other.yo
                   && columns == other.columns;
        }
    };

    // Changes the rows shown as a layout change: the base class's refilter
    // removes every run of hidden rows on its own, rebuilding its row map and
    // the views' headers each time, which grows with the square of the rows.
    void relayout();
    // The stored matches were found under the old rules.
    void searchRulesChanged();
    // The source's rows changed: their texts are read at once, while the
    // rows arrive, so that the first key typed finds them ready.
    void readRows();
    void refreshRows(const QModelIndex &topLeft, const QModelIndex &bottomRight);

    QString fold(QString text) const;
    const JsonTableModel *jsonSource() const;
    QStringList cellTexts(int sourceRow) const;
    QString rowText(int sourceRow) const;
    TextRules textRules() const;
    void readTexts() const;
    bool rowHolds(int sourceRow, const QString &needle) const;
    // Brings the stored texts and matches up to the current text and rules.
    void updateMatches() const;

    bool filterEnabled = true;
    bool yoMatchesYe = false;
    QString searchText;
    QList<QMetaObject::Connection> sourceConnections;

    // Per source row: its folded column texts, and whether it holds
    // `matchedNeedle`, the folded `matchedText`.
    mutable QList<QString> texts;
    mutable TextRules textsRules;
    mutable std::vector<bool> matches;
    mutable QString matchedText;
    mutable QString matchedNeedle;
    mutable bool matchesValid = false;

    std::unique_ptr<SortRanks> sortRanks;
};
