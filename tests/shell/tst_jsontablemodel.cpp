#include "testregistry.h"

#include "extendedfilterproxymodel.h"
#include "jsontablemodel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTest>

#include <algorithm>
#include <functional>

namespace {

QJsonDocument regions()
{
    return QJsonDocument::fromJson(R"([
        {"id": 3, "code": "77", "name": "Москва", "district": {"id": 1, "name": "Центральный"}},
        {"id": 12, "code": "78", "name": "Санкт-Петербург", "district": {"id": 2, "name": "Северо-Западный"}},
        {"id": 5, "code": "12", "name": "Марий Эл", "district": null}
    ])");
}

const JsonTableModel::Headers regionHeaders = {
    {"ID", "id"}, {"Шифр", "code"}, {"Название", "name"}, {"Округ", "district.name"}};

}  // namespace

class JsonTableModelTest : public QObject
{
    Q_OBJECT

private slots:
    void orderedColumnsAndDottedKeys()
    {
        JsonTableModel model;
        model.setHeaders(regionHeaders);
        model.setJson(regions());

        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.columnCount(), 4);
        QCOMPARE(model.headerData(3, Qt::Horizontal).toString(), QString("Округ"));
        QCOMPARE(model.headerData(3, Qt::Horizontal, Qt::UserRole).toString(),
                 QString("district.name"));
        QCOMPARE(model.index(0, 3).data().toString(), QString("Центральный"));
        QCOMPARE(model.index(1, 2).data().toString(), QString("Санкт-Петербург"));
        // The id in column 0 is an integer.
        QCOMPARE(model.index(1, 0).data().typeId(), QMetaType::LongLong);
        QCOMPARE(model.index(1, 0).data().toInt(), 12);
        // A null nested object reads as an empty cell.
        QVERIFY(model.index(2, 3).data().isNull());
        QCOMPARE(model.index(2, 3).data().toString(), QString());
    }

    void objectDocumentIsOneRow()
    {
        JsonTableModel model;
        const QJsonDocument one(QJsonObject{{"id", 1}, {"name", "x"}});
        model.setJson(one);
        QCOMPARE(model.rowCount(), 1);
        QVERIFY(model.getJson().isObject());
        QCOMPARE(model.objectAt(0).value("name").toString(), QString("x"));
    }

    void emptyLoadKeepsColumnsAndLabels()
    {
        JsonTableModel model;
        model.setHeaders({{"ID", "id"}, {"A", "a"}, {"B", "b"}});
        model.setJson(QJsonDocument(QJsonArray{QJsonObject{{"id", 1}}}));
        model.setJson(QJsonDocument(QJsonArray()));
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QString("B"));
    }

    void withoutOrderColumnsAreTheFirstRowsSortedKeys()
    {
        JsonTableModel model;
        model.setJson(QJsonDocument::fromJson(R"([{"b": 2, "a": 1}, {"b": 4}])"));
        QCOMPARE(model.columnCount(), 2);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("a"));
        QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::UserRole).toString(), QString("b"));
        QCOMPARE(model.index(0, 0).data().toInt(), 1);
        QVERIFY(model.index(1, 0).data().isNull());
    }

    void headerLabels()
    {
        JsonTableModel model;
        model.setHeaders({{"A", "a"}, {"B", "b"}, {"C", "c"}});
        model.setJson(QJsonDocument(QJsonArray{QJsonObject{{"a", 1}}}));

        QSignalSpy spy(&model, &QAbstractItemModel::headerDataChanged);
        model.setHeaders({{"X", "x"}, {"Y", "y"}});
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(1).toInt(), 0);
        QCOMPARE(spy.at(1).at(1).toInt(), 1);
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QString("C"));

        JsonTableModel labels;
        labels.setHeaderData(5, Qt::Horizontal, "F", Qt::DisplayRole);
        labels.setOrder({"a", "b", "c", "d", "e", "f"});
        // A present but empty label wins over the key.
        QCOMPARE(labels.headerData(2, Qt::Horizontal).toString(), QString());
        QCOMPARE(labels.headerData(5, Qt::Horizontal).toString(), QString("F"));
        QVERIFY(!labels.setHeaderData(0, Qt::Horizontal, "x", Qt::ToolTipRole));
    }

    void alignment()
    {
        JsonTableModel model;
        model.setHeaders({{"A", "a"}, {"B", "b"}});
        model.setJson(QJsonDocument(QJsonArray{QJsonObject{{"a", 1}, {"b", 2}}}));
        model.setHeaderData(1, Qt::Horizontal, int(Qt::AlignRight), Qt::TextAlignmentRole);
        QCOMPARE(model.index(0, 1).data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignRight | Qt::AlignVCenter));
        QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignRight));
        QCOMPARE(model.index(0, 0).data(Qt::TextAlignmentRole).toInt(), 0x81);
        QVERIFY(!model.index(0, 0).data(Qt::EditRole).isValid());
    }

    void outOfRangeIsEmptyNotACrash()
    {
        JsonTableModel model;
        model.setHeaders({{"ID", "id"}, {"A", "a"}, {"B", "b"}, {"C", "c"}});
        model.setJson(QJsonDocument::fromJson(R"([{"id": 1, "a": 2}])"));
        // Fewer keys after the load: the view still asks for four columns,
        // beyond both the order and the first row's keys.
        model.setOrder({"id"});
        QCOMPARE(model.columnCount(), 4);
        QCOMPARE(model.data(model.index(0, 1)).toInt(), 1);  // first row's keys stand in: "id"
        QVERIFY(!model.data(model.index(0, 3)).isValid());
        QVERIFY(!model.headerData(3, Qt::Horizontal, Qt::UserRole).isValid());

        JsonTableModel noOrder;
        noOrder.setJson(QJsonDocument::fromJson(R"([{"a": 1}])"));
        QVERIFY(!noOrder.headerData(7, Qt::Horizontal, Qt::UserRole).isValid());
        QVERIFY(!noOrder.headerData(7, Qt::Horizontal).isValid());

        QVERIFY(model.objectAt(-1).isEmpty());
        QVERIFY(model.objectAt(3).isEmpty());
        QSignalSpy spy(&model, &QAbstractItemModel::dataChanged);
        model.setObjectAt(3, QJsonObject{{"id", 9}});
        QCOMPARE(spy.count(), 0);
    }

    void setObjectAtSignalsTheRow()
    {
        JsonTableModel model;
        model.setHeaders(regionHeaders);
        model.setJson(regions());
        QSignalSpy spy(&model, &QAbstractItemModel::dataChanged);
        model.setObjectAt(1, QJsonObject{{"id", 12}, {"name", "Ленинград"}});
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toModelIndex(), model.index(1, 0));
        QCOMPARE(spy.at(0).at(1).toModelIndex(), model.index(1, 3));
        QCOMPARE(model.index(1, 2).data().toString(), QString("Ленинград"));
        // The document is the one last loaded.
        QCOMPARE(model.getJson(), regions());
    }

    void proxySortsTypedValuesAndSearchesAllColumns()
    {
        JsonTableModel model;
        model.setHeaders(regionHeaders);
        model.setJson(regions());
        ExtendedFilterProxyModel proxy;
        proxy.setSourceModel(&model);
        proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);

        proxy.sort(0, Qt::AscendingOrder);
        QCOMPARE(proxy.index(0, 0).data().toInt(), 3);
        QCOMPARE(proxy.index(1, 0).data().toInt(), 5);  // numeric, not "12" < "3"
        QCOMPARE(proxy.index(2, 0).data().toInt(), 12);

        proxy.setFilterFixedString("северо");
        QCOMPARE(proxy.rowCount(), 1);
        QCOMPARE(proxy.index(0, 2).data().toString(), QString("Санкт-Петербург"));

        proxy.setFilterEnabled(false);
        QCOMPARE(proxy.rowCount(), 3);
        proxy.setFilterEnabled(true);
        QCOMPARE(proxy.rowCount(), 1);
    }

    void stringAndNumberSortApart()
    {
        JsonTableModel model;
        model.setOrder({"v"});
        model.setJson(QJsonDocument::fromJson(R"([{"v": "12"}, {"v": 12}])"));
        QCOMPARE(model.index(0, 0).data().toString(), model.index(1, 0).data().toString());
        QVERIFY(model.index(0, 0).data().typeId() != model.index(1, 0).data().typeId());
    }
};

LOMI_TEST_CLASS(JsonTableModelTest)

namespace {

// Every kind of cell the lists hold, and letters whose case or form a search
// must see through: е/ё, German ß and ẞ, the micro sign, Greek final sigma,
// Turkish İ, letters outside the first plane.
QJsonDocument searchRows()
{
    return QJsonDocument::fromJson(R"json([
        {"id": 1, "name": "Зелёный Пётр", "note": "(Гость)", "sum": 1500.5, "paid": true,
         "when": "2024-03-01T14:00:00.000", "stream": {"name": "Поток 1"}, "tags": ["Поток"]},
        {"id": 2, "name": "ЗЕЛЕНЫЙ ПЕТР", "note": "a.*b", "sum": 12, "paid": false, "when": null,
         "stream": null},
        {"id": 3, "name": "ёлкин", "note": "[1+2]\\d", "sum": -7, "paid": null,
         "when": "2023-12-31T00:00:00.000", "stream": {"name": "Поток 2"}},
        {"id": 4, "name": "ЁЛКИН", "note": "Straße ẞ µ", "sum": 0, "when": ""},
        {"id": 5, "name": "Σίσυφος ς", "note": "ÉCOLE école", "sum": 1e3, "paid": true},
        {"id": 6, "name": "𐐀𐐨 İi", "note": "\uffff", "sum": 1500, "paid": false},
        {"id": 7, "name": "Петров", "note": "ПЕТРОВ", "sum": 12, "when": "2024-03-01T14:00:00.000"}
    ])json");
}

const JsonTableModel::Headers searchHeaders = {
    {"ID", "id"}, {"Имя", "name"}, {"Заметка", "note"}, {"Сумма", "sum"}, {"Оплачено", "paid"},
    {"Когда", "when"}, {"Поток", "stream.name"}, {"Объект", "stream"}, {"Метки", "tags"},
    {"Нет", "missing"}};

enum class SearchRule { PersonsList, IgnoringCase, CaseSensitive, CaseSensitiveYo };

bool caseCounts(SearchRule rule)
{
    return rule == SearchRule::CaseSensitive || rule == SearchRule::CaseSensitiveYo;
}

bool yoIsYe(SearchRule rule)
{
    return rule == SearchRule::PersonsList || rule == SearchRule::CaseSensitiveYo;
}

// The filter the lists had before, run by Qt's own proxy: a fixed string,
// and for the persons list the text escaped with е and ё widened to both
// (in either case when case counts).
void oldSearch(QSortFilterProxyModel &proxy, SearchRule rule, const QString &text)
{
    const bool anyCase = !caseCounts(rule);
    if (!yoIsYe(rule)) {
        proxy.setFilterCaseSensitivity(anyCase ? Qt::CaseInsensitive : Qt::CaseSensitive);
        proxy.setFilterFixedString(text);
        return;
    }
    QString pattern;
    QString literal;
    for (const QChar c : text) {
        const bool lower = c == QChar(u'е') || c == QChar(u'ё');
        const bool upper = c == QChar(u'Е') || c == QChar(u'Ё');
        if (!lower && !upper) {
            literal += c;
            continue;
        }
        pattern += QRegularExpression::escape(literal)
                   + (lower || anyCase ? QStringLiteral("[её]") : QStringLiteral("[ЕЁ]"));
        literal.clear();
    }
    pattern += QRegularExpression::escape(literal);
    proxy.setFilterRegularExpression(QRegularExpression(
        pattern, anyCase ? QRegularExpression::CaseInsensitiveOption
                         : QRegularExpression::NoPatternOption));
}

void setRule(ExtendedFilterProxyModel &proxy, SearchRule rule)
{
    proxy.setFilterCaseSensitivity(caseCounts(rule) ? Qt::CaseSensitive : Qt::CaseInsensitive);
    proxy.setYoMatchesYe(yoIsYe(rule));
}

QList<int> idsOf(const QAbstractItemModel &proxy)
{
    QList<int> ids;
    for (int row = 0; row < proxy.rowCount(); ++row)
        ids << proxy.index(row, 0).data().toInt();
    return ids;
}

// The proxy under test and the old filter over one model, sorted alike.
struct SearchPair
{
    JsonTableModel model;
    ExtendedFilterProxyModel proxy;
    QSortFilterProxyModel old;
    SearchRule rule;

    explicit SearchPair(SearchRule searchRule, int sortColumn = 0,
                        Qt::SortOrder order = Qt::DescendingOrder)
        : rule(searchRule)
    {
        model.setHeaders(searchHeaders);
        setRule(proxy, rule);
        proxy.setSourceModel(&model);
        old.setFilterKeyColumn(-1);
        old.setSourceModel(&model);
        model.setJson(searchRows());
        proxy.sort(sortColumn, order);
        old.sort(sortColumn, order);
    }

    void search(const QString &text)
    {
        proxy.setSearchText(text);
        oldSearch(old, rule, text);
    }
};

}  // namespace

// The lists' search and sort read the rows' texts and values once per load;
// what they show must stay what Qt's own filter and sort showed.
class SearchProxyTest : public QObject
{
    Q_OBJECT

private slots:
    void sameRowsAsTheOldFilter_data()
    {
        QTest::addColumn<int>("rule");
        QTest::addColumn<QString>("text");
        const QStringList texts = {
            "зелёный", "ЗЕЛЕНЫЙ", "пётр", "Ёлк", "ёЛ", "е", "Ё", "(", "(г", ".*", "[1+2]\\d",
            "\\", "1500", "1500.5", "-7", "1000", "1e3", "true", "false", "2024-03-01T14",
            "01.03.2024", "поток", "ss", "STRASSE", "ß", "ẞ", "μ", "Μ", "σίσυφοσ", "Σ", "𐐨",
            "𐐀𐐀", "i̇", "İ", "é", "ÉC", QString(QChar(0xFFFF)), "петров", "ЗЕЛЁН", "елен", "A.*B",
            "нет такого"};
        const std::pair<const char *, SearchRule> rules[] = {
            {"persons", SearchRule::PersonsList},
            {"lists", SearchRule::IgnoringCase},
            {"case-sensitive", SearchRule::CaseSensitive},
            {"case-sensitive, е as ё", SearchRule::CaseSensitiveYo}};
        for (const auto &[name, rule] : rules) {
            for (const QString &text : texts)
                QTest::addRow("%s: %s", name, qPrintable(text)) << int(rule) << text;
        }
    }

    // Typed key by key, then erased key by key: each step shows what the old
    // filter showed, in the same order.
    void sameRowsAsTheOldFilter()
    {
        QFETCH(int, rule);
        QFETCH(QString, text);
        SearchPair pair{SearchRule(rule)};
        QList<qsizetype> lengths;
        for (qsizetype length = 1; length <= text.size(); ++length) {
            if (!text.at(length - 1).isHighSurrogate())  // a key types a whole letter
                lengths << length;
        }
        for (qsizetype length : lengths) {
            pair.search(text.left(length));
            QCOMPARE(idsOf(pair.proxy), idsOf(pair.old));
        }
        std::reverse(lengths.begin(), lengths.end());
        for (qsizetype length : lengths) {
            pair.search(text.left(length));
            QCOMPARE(idsOf(pair.proxy), idsOf(pair.old));
        }
        pair.search(QString());
        QCOMPARE(idsOf(pair.proxy), (QList<int>{7, 6, 5, 4, 3, 2, 1}));
    }

    void sameOrderAsTheOldSort_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<Qt::SortOrder>("order");
        for (int column = 0; column < searchHeaders.size(); ++column) {
            for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                QTest::addRow("%s %s", qPrintable(searchHeaders.at(column).second),
                              order == Qt::AscendingOrder ? "up" : "down")
                    << column << order;
            }
        }
    }

    // Equal values keep the rows' own order both ways. Clearing the search
    // brings the rows back in the order they had before it (Qt's own filter
    // put the returning rows after their equals).
    void sameOrderAsTheOldSort()
    {
        QFETCH(int, column);
        QFETCH(Qt::SortOrder, order);
        SearchPair pair(SearchRule::IgnoringCase, column, order);
        const QList<int> loaded = idsOf(pair.proxy);
        QCOMPARE(loaded, idsOf(pair.old));
        pair.search("е");
        QCOMPARE(idsOf(pair.proxy), idsOf(pair.old));
        pair.search(QString());
        QCOMPARE(idsOf(pair.proxy), loaded);
    }

    void searchFollowsTheRows_data()
    {
        QTest::addColumn<std::function<void(JsonTableModel &)>>("change");
        QTest::addColumn<QList<int>>("ids");
        using Change = std::function<void(JsonTableModel &)>;
        QTest::newRow("a reload") << Change([](JsonTableModel &model) {
            QJsonArray rows;
            for (int id = 8; id <= 14; ++id)
                rows.append(QJsonObject{{"id", id}, {"note", id % 3 == 0 ? "петля" : "Иван"}});
            model.setJson(QJsonDocument(rows));
        }) << QList<int>{12, 9};
        QTest::newRow("an empty reload") << Change([](JsonTableModel &model) {
            model.setJson(QJsonDocument(QJsonArray()));
        }) << QList<int>{};
        QTest::newRow("a row that comes to hold it") << Change([](JsonTableModel &model) {
            model.setObjectAt(2, QJsonObject{{"id", 3}, {"name", "Петрищев"}});
        }) << QList<int>{7, 3, 2, 1};
        QTest::newRow("a row that no longer holds it") << Change([](JsonTableModel &model) {
            model.setObjectAt(6, QJsonObject{{"id", 7}, {"name", "Сидоров"}});
        }) << QList<int>{2, 1};
        QTest::newRow("a row that moves in the order") << Change([](JsonTableModel &model) {
            model.setObjectAt(0, QJsonObject{{"id", 70}, {"name", "Пётр"}});
        }) << QList<int>{70, 7, 2};
    }

    // The rows' texts and sort values are kept between keys; a reload or an
    // edit of a row while the text stands must reach them.
    void searchFollowsTheRows()
    {
        QFETCH(std::function<void(JsonTableModel &)>, change);
        QFETCH(QList<int>, ids);
        SearchPair pair(SearchRule::PersonsList);
        pair.search("ПЕТ");
        QCOMPARE(idsOf(pair.proxy), (QList<int>{7, 2, 1}));
        change(pair.model);
        QCOMPARE(idsOf(pair.proxy), ids);
        QCOMPARE(idsOf(pair.proxy), idsOf(pair.old));
        pair.search("ПЕТр");
        QCOMPARE(idsOf(pair.proxy), idsOf(pair.old));
        pair.search(QString());
        QCOMPARE(idsOf(pair.proxy), idsOf(pair.old));
    }

    void searchFollowsItsRules_data()
    {
        QTest::addColumn<std::function<void(SearchPair &)>>("change");
        using Change = std::function<void(SearchPair &)>;
        QTest::newRow("case counts") << Change([](SearchPair &pair) {
            pair.proxy.setFilterCaseSensitivity(Qt::CaseSensitive);
            pair.old.setFilterCaseSensitivity(Qt::CaseSensitive);
        });
        QTest::newRow("another role") << Change([](SearchPair &pair) {
            pair.proxy.setFilterRole(Qt::UserRole);
            pair.old.setFilterRole(Qt::UserRole);
        });
        QTest::newRow("fewer columns") << Change([](SearchPair &pair) {
            pair.model.setOrder({"note", "name", "sum", "id"});
        });
        QTest::newRow("other columns") << Change([](SearchPair &pair) {
            pair.model.setOrder({"note", "name", "sum", "paid", "tags", "id", "stream.name", "stream",
                                 "missing", "note"});
        });
    }

    // A search that stands while its rules or the columns change reads the
    // rows anew, as Qt's own filter did at its next refilter.
    void searchFollowsItsRules()
    {
        QFETCH(std::function<void(SearchPair &)>, change);
        SearchPair pair(SearchRule::IgnoringCase);
        pair.search("пет");
        change(pair);
        QCOMPARE(idsOf(pair.proxy), idsOf(pair.old));
        for (const char *text : {"ПЕТ", "12", "true", "2024-03"}) {
            pair.search(text);
            QCOMPARE(idsOf(pair.proxy), idsOf(pair.old));
        }
    }

    // Without an order the first row's keys are the columns: a reload with
    // other keys in its first row searches those columns only.
    void columnsFromTheFirstRowFollowAReload()
    {
        JsonTableModel model;
        ExtendedFilterProxyModel proxy;
        proxy.setSourceModel(&model);
        model.setJson(QJsonDocument::fromJson(R"([{"d": "x"}, {"b": "1", "c": "2", "d": "q"}])"));
        proxy.setSearchText("q");
        QCOMPARE(proxy.rowCount(), 1);
        model.setJson(QJsonDocument::fromJson(
            R"([{"a": "w", "b": "w"}, {"a": "e", "b": "r", "d": "q"}, {"a": "q"}])"));
        QCOMPARE(proxy.rowCount(), 1);
        QCOMPARE(proxy.index(0, 0).data().toString(), QString("q"));
    }
};

LOMI_TEST_CLASS(SearchProxyTest)

#include "tst_jsontablemodel.moc"
