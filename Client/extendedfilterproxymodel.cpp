#include "extendedfilterproxymodel.h"

#include "jsontablemodel.h"

#include <QAbstractListModel>
#include <QStringView>

#include <algorithm>
#include <numeric>

namespace {

// Stands between the column texts of a row, so that a match cannot run from
// one column into the next. A noncharacter: no typed text holds it.
const QChar columnSeparator(0xFFFF);

}  // namespace

// Each row's place in the order of one column, so that the sort after every
// search text compares two integers. The places come from one sort of every
// row by the base class's own comparison (types, case and locale rules
// included), run over the column's values read once per row: this model
// holds the values and hands them to that comparison in place of the source.
class ExtendedFilterProxyModel::SortRanks : public QAbstractListModel
{
public:
    struct Rules
    {
        int column;
        int role;
        Qt::CaseSensitivity caseRule;
        bool localeAware;

        bool operator==(const Rules &other) const
        {
            return column == other.column && role == other.role && caseRule == other.caseRule
                   && localeAware == other.localeAware;
        }
    };

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(values.size());
    }

    QVariant data(const QModelIndex &index, int) const override
    {
        return values.at(index.row());
    }

    bool holds(const Rules &rules, int rows) const
    {
        return valid && rules == stored && qsizetype(ranks.size()) == rows;
    }

    // `less` is the base class's comparison of two indexes of this model.
    template<typename Less>
    void rank(const QAbstractItemModel *source, const Rules &rules, Less less)
    {
        const int rows = source->rowCount();
        values.clear();
        values.reserve(rows);
        for (int row = 0; row < rows; ++row)
            values.append(source->index(row, rules.column).data(rules.role));

        std::vector<int> order(size_t(rows), 0);
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int left, int right) {
            return less(createIndex(left, 0), createIndex(right, 0));
        });
        // Rows that neither comes before the other share a place, so that
        // both directions keep them in the source's order, as the base
        // class's own sort does.
        ranks.assign(size_t(rows), 0);
        for (size_t i = 1; i < order.size(); ++i) {
            const bool after = less(createIndex(order[i - 1], 0), createIndex(order[i], 0));
            ranks[size_t(order[i])] = ranks[size_t(order[i - 1])] + (after ? 1 : 0);
        }
        values.clear();
        stored = rules;
        valid = true;
    }

    int at(int row) const { return ranks[size_t(row)]; }

    void forget() { valid = false; }

private:
    QList<QVariant> values;
    std::vector<int> ranks;
    Rules stored{};
    bool valid = false;
};

ExtendedFilterProxyModel::ExtendedFilterProxyModel(QObject *parent)
    : QSortFilterProxyModel(parent)
    , sortRanks(std::make_unique<SortRanks>())
{
    setFilterKeyColumn(-1);
    // The base class refilters before it tells of a new case rule or role,
    // while the matches of the old rule still stand: filter once more.
    connect(this, &QSortFilterProxyModel::filterCaseSensitivityChanged, this,
            &ExtendedFilterProxyModel::searchRulesChanged);
    connect(this, &QSortFilterProxyModel::filterRoleChanged, this,
            &ExtendedFilterProxyModel::searchRulesChanged);
}

ExtendedFilterProxyModel::~ExtendedFilterProxyModel() = default;

void ExtendedFilterProxyModel::setSourceModel(QAbstractItemModel *model)
{
    for (const QMetaObject::Connection &connection : std::as_const(sourceConnections))
        disconnect(connection);
    sourceConnections.clear();
    // Connected before the base class connects its own handlers, which filter
    // and sort the changed rows at once and must find them up to date.
    if (model) {
        const auto read = [this] { readRows(); };
        sourceConnections = {
            connect(model, &QAbstractItemModel::modelReset, this, read),
            connect(model, &QAbstractItemModel::layoutChanged, this, read),
            connect(model, &QAbstractItemModel::rowsInserted, this, read),
            connect(model, &QAbstractItemModel::rowsRemoved, this, read),
            connect(model, &QAbstractItemModel::rowsMoved, this, read),
            connect(model, &QAbstractItemModel::columnsInserted, this, read),
            connect(model, &QAbstractItemModel::columnsRemoved, this, read),
            connect(model, &QAbstractItemModel::columnsMoved, this, read),
            connect(model, &QAbstractItemModel::dataChanged, this,
                    &ExtendedFilterProxyModel::refreshRows)};
    }
    QSortFilterProxyModel::setSourceModel(model);
    readRows();
}

void ExtendedFilterProxyModel::setFilterEnabled(bool enabled)
{
    filterEnabled = enabled;
    relayout();
}

void ExtendedFilterProxyModel::setYoMatchesYe(bool matches)
{
    if (yoMatchesYe == matches)
        return;
    yoMatchesYe = matches;
    searchRulesChanged();
}

void ExtendedFilterProxyModel::searchRulesChanged()
{
    matchesValid = false;
    if (!searchText.isEmpty())
        relayout();
}

void ExtendedFilterProxyModel::setSearchText(const QString &text)
{
    if (text == searchText)
        return;
    searchText = text;
    relayout();
}

void ExtendedFilterProxyModel::relayout()
{
    invalidate();
}

void ExtendedFilterProxyModel::readRows()
{
    texts.clear();
    matches.clear();
    matchesValid = false;
    sortRanks->forget();
    if (sourceModel())
        readTexts();
}

void ExtendedFilterProxyModel::refreshRows(const QModelIndex &topLeft,
                                           const QModelIndex &bottomRight)
{
    if (topLeft.parent().isValid())
        return;
    sortRanks->forget();
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        if (row < texts.size())
            texts[row] = rowText(row);
        if (matchesValid && row < int(matches.size()))
            matches[size_t(row)] = rowHolds(row, matchedNeedle);
    }
}

QString ExtendedFilterProxyModel::fold(QString text) const
{
    const bool anyCase = filterCaseSensitivity() == Qt::CaseInsensitive;
    if (!anyCase && !yoMatchesYe)
        return text;
    // Simple case folding keeps the length and makes exactly those letters
    // equal that a case-insensitive comparison takes as equal. Every row's
    // text passes through here at each load, and the lists are Russian: the
    // Latin and Cyrillic letters are folded here as Qt's tables fold them.
    bool pairs = false;
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            if (anyCase && u >= 'A' && u <= 'Z')
                c = QChar(char16_t(u + 0x20));
            continue;
        }
        if (u >= 0x0430 && u <= 0x044F)  // а..я
            continue;
        char16_t folded = u;
        if (anyCase) {
            if (u >= 0x0410 && u <= 0x042F)  // А..Я
                folded = char16_t(u + 0x20);
            else if (u >= 0x0400 && u <= 0x040F)  // Ѐ..Џ
                folded = char16_t(u + 0x50);
            else if (QChar::isSurrogate(u))
                pairs = true;
            else
                folded = char16_t(QChar::toCaseFolded(char32_t(u)));
        }
        if (yoMatchesYe && folded == 0x0451)  // ё
            folded = 0x0435;
        else if (yoMatchesYe && folded == 0x0401)  // Ё, when case counts
            folded = 0x0415;
        c = QChar(folded);
    }
    // Letters outside the first plane come in pairs; Qt folds those.
    return pairs ? std::move(text).toCaseFolded() : text;
}

QStringList ExtendedFilterProxyModel::cellTexts(int sourceRow) const
{
    const QAbstractItemModel *source = sourceModel();
    if (const JsonTableModel *json = jsonSource())
        return json->displayTexts(sourceRow);
    QStringList cells;
    for (int column = 0; column < source->columnCount(); ++column)
        cells.append(source->index(sourceRow, column).data(filterRole()).toString());
    return cells;
}

QString ExtendedFilterProxyModel::rowText(int sourceRow) const
{
    if (const JsonTableModel *json = jsonSource())
        return fold(json->joinedDisplayTexts(sourceRow, columnSeparator));
    return fold(cellTexts(sourceRow).join(columnSeparator));
}

const JsonTableModel *ExtendedFilterProxyModel::jsonSource() const
{
    // The lists' own model gives the texts without building the cells' values.
    const auto *json = qobject_cast<const JsonTableModel *>(sourceModel());
    return json && filterRole() == Qt::DisplayRole ? json : nullptr;
}

ExtendedFilterProxyModel::TextRules ExtendedFilterProxyModel::textRules() const
{
    TextRules rules{filterRole(), filterCaseSensitivity(), yoMatchesYe, {}};
    const QAbstractItemModel *source = sourceModel();
    for (int column = 0; column < source->columnCount(); ++column)
        rules.columns.append(source->headerData(column, Qt::Horizontal, Qt::UserRole).toString());
    return rules;
}

void ExtendedFilterProxyModel::readTexts() const
{
    const int rows = sourceModel()->rowCount();
    texts.clear();
    texts.reserve(rows);
    for (int row = 0; row < rows; ++row)
        texts.append(rowText(row));
    textsRules = textRules();
    matchesValid = false;
}

bool ExtendedFilterProxyModel::rowHolds(int sourceRow, const QString &needle) const
{
    if (!needle.contains(columnSeparator))
        return QStringView(texts.at(sourceRow)).contains(needle);
    // A text holding the separator itself could match across two columns.
    const QStringList cells = cellTexts(sourceRow);
    return std::any_of(cells.cbegin(), cells.cend(),
                       [&](const QString &cell) { return fold(cell).contains(needle); });
}

void ExtendedFilterProxyModel::updateMatches() const
{
    // Asked for every row: the matches stand until the text or the rows change.
    if (matchesValid && matchedText == searchText)
        return;
    const int rows = sourceModel()->rowCount();
    // The source may have been given other columns without telling its views.
    if (texts.size() != rows || !(textsRules == textRules()))
        readTexts();

    const QString needle = fold(searchText);
    // Typing on narrows the rows: a text that holds the last one can only be
    // in rows that held the last one.
    const bool narrowing = matchesValid && needle.contains(matchedNeedle);
    matches.resize(size_t(rows));
    for (int row = 0; row < rows; ++row) {
        if (!narrowing || matches[size_t(row)])
            matches[size_t(row)] = rowHolds(row, needle);
    }
    matchedText = searchText;
    matchedNeedle = needle;
    matchesValid = true;
}

bool ExtendedFilterProxyModel::filterAcceptsRow(int sourceRow,
                                                const QModelIndex &sourceParent) const
{
    if (!filterEnabled)
        return true;
    // The lists are flat tables: the search looks at their top level only.
    if (!searchText.isEmpty() && !sourceParent.isValid()) {
        updateMatches();
        if (sourceRow < 0 || sourceRow >= int(matches.size()) || !matches[size_t(sourceRow)])
            return false;
    }
    return QSortFilterProxyModel::filterAcceptsRow(sourceRow, sourceParent);
}

bool ExtendedFilterProxyModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const QAbstractItemModel *source = sourceModel();
    if (left.model() != source || right.model() != source || left.column() != right.column()
        || left.parent().isValid() || right.parent().isValid())
        return QSortFilterProxyModel::lessThan(left, right);
    const SortRanks::Rules rules{left.column(), sortRole(), sortCaseSensitivity(),
                                 isSortLocaleAware()};
    if (!sortRanks->holds(rules, source->rowCount())) {
        sortRanks->rank(source, rules, [this](const QModelIndex &a, const QModelIndex &b) {
            return QSortFilterProxyModel::lessThan(a, b);
        });
    }
    return sortRanks->at(left.row()) < sortRanks->at(right.row());
}
