#include "testregistry.h"

#include "extendedfilterproxymodel.h"
#include "jsontablemodel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

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

#include "tst_jsontablemodel.moc"
