#include "testregistry.h"

#include "attributeitemdelegate.h"
#include "booleanitemdelegate.h"
#include "datetimeitemdelegate.h"
#include "guitestbase.h"
#include "jsontablemodel.h"
#include "moneyitemdelegate.h"
#include "payeritemdelegate.h"
#include "personmarkeritemdelegate.h"
#include "simplejsonobjectitemdelegate.h"
#include "streamitemdelegate.h"

#include <QApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPainter>
#include <QStandardItemModel>

#include <memory>

namespace {

std::unique_ptr<QStyledItemDelegate> makeDelegate(const QString &kind)
{
    if (kind == "date")
        return std::make_unique<DateTimeItemDelegate>(nullptr, true);
    if (kind == "datetime")
        return std::make_unique<DateTimeItemDelegate>(nullptr, false);
    if (kind == "money")
        return std::make_unique<MoneyItemDelegate>(nullptr);
    if (kind == "boolean")
        return std::make_unique<BooleanItemDelegate>(
            nullptr, std::pair<QString, QString>("Да", "Нет"));
    if (kind == "attribute")
        return std::make_unique<AttributeItemDelegate>(
            nullptr, QMap<int, QString>{{0, "Ожидает оплаты"}, {1, "Оплата"}, {-1, "Возврат"}});
    if (kind == "payer")
        return std::make_unique<PayerItemDelegate>(nullptr);
    if (kind == "stream")
        return std::make_unique<StreamItemDelegate>(nullptr);
    if (kind == "simple")
        return std::make_unique<SimpleJsonObjectItemDelegate>(nullptr, "name");
    return nullptr;
}

QJsonObject object(const char *json)
{
    return QJsonDocument::fromJson(json).object();
}

// A white image of `size` with `delegate` drawing a cell that holds `value`.
QImage painted(const QStyledItemDelegate &delegate, const QString &value,
               const QStyleOptionViewItem &option, QSize size)
{
    QStandardItemModel model(1, 1);
    model.setData(model.index(0, 0), value);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    delegate.paint(&painter, option, model.index(0, 0));
    painter.end();
    return image;
}

// The bounding box of the pixels that differ from `background`.
QRect paintedArea(const QImage &image, QRgb background)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                area |= QRect(x, y, 1, 1);
    return area;
}

}  // namespace

class DelegatesTest : public GuiTestBase
{
    Q_OBJECT

private slots:
    // Cells reach the delegates as the JSON table model hands them over.
    void cellText_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<QString>("expected");

        const QString iso = "2024-03-05T14:30:00.000";
        QTest::newRow("date") << "date" << QJsonValue(iso) << "05.03.2024";
        QTest::newRow("date, empty") << "date" << QJsonValue("") << "";
        QTest::newRow("date, unparseable") << "date" << QJsonValue("05.03.2024") << "";
        QTest::newRow("date, null") << "date" << QJsonValue() << "";
        QTest::newRow("date-time") << "datetime" << QJsonValue(iso) << "05.03.2024 14:30";
        QTest::newRow("date-time, unparseable") << "datetime" << QJsonValue("завтра") << "";

        QTest::newRow("money, integer") << "money" << QJsonValue(1500) << "1500.00";
        QTest::newRow("money, negative") << "money" << QJsonValue(-12.5) << "-12.50";
        QTest::newRow("money, no grouping, point") << "money" << QJsonValue(1234567.891)
                                                   << "1234567.89";
        QTest::newRow("money, not a number") << "money" << QJsonValue("abc") << "0.00";
        QTest::newRow("money, numeric text") << "money" << QJsonValue("12.5") << "12.50";

        QTest::newRow("boolean, true") << "boolean" << QJsonValue(true) << "Да";
        QTest::newRow("boolean, false") << "boolean" << QJsonValue(false) << "Нет";
        QTest::newRow("boolean, absent") << "boolean" << QJsonValue() << "Нет";

        QTest::newRow("attribute 0") << "attribute" << QJsonValue(0) << "Ожидает оплаты";
        QTest::newRow("attribute 1") << "attribute" << QJsonValue(1) << "Оплата";
        QTest::newRow("attribute -1") << "attribute" << QJsonValue(-1) << "Возврат";
        QTest::newRow("attribute 2") << "attribute" << QJsonValue(2) << "Некорректный вариант";
        QTest::newRow("attribute 5") << "attribute" << QJsonValue(5) << "Некорректный вариант";

        QTest::newRow("payer")
            << "payer"
            << QJsonValue(object(R"({"name": "Договор 12", "payer": {"name": "ООО Ромашка"}})"))
            << "Договор 12 | ООО Ромашка";
        QTest::newRow("payer, none") << "payer" << QJsonValue(object(R"({"name": "Наличные"})"))
                                     << "Наличные | ";
        QTest::newRow("payer, empty object") << "payer" << QJsonValue(QJsonObject()) << "";
        QTest::newRow("payer, not an object") << "payer" << QJsonValue("Наличные") << "";

        QTest::newRow("stream")
            << "stream"
            << QJsonValue(object(R"({"name": "Поток 7", "startDate": "2024-01-10T00:00:00.000",
                                     "endDate": "2024-01-20T00:00:00.000"})"))
            << "10.01.2024 - 20.01.2024 | Поток 7";
        QTest::newRow("stream, null") << "stream" << QJsonValue() << "";

        QTest::newRow("simple") << "simple" << QJsonValue(object(R"({"id": 2, "name": "ПК-1"})"))
                                << "ПК-1";
        QTest::newRow("simple, key not a string") << "simple" << QJsonValue(object(R"({"name": 4})"))
                                                  << "";
        QTest::newRow("simple, key absent") << "simple" << QJsonValue(object(R"({"id": 2})"))
                                            << "";
        QTest::newRow("simple, null") << "simple" << QJsonValue() << "";
        QTest::newRow("simple, array") << "simple" << QJsonValue(QJsonArray{1, 2}) << "";
    }

    void cellText()
    {
        QFETCH(QString, kind);
        QFETCH(QJsonValue, value);
        QFETCH(QString, expected);

        JsonTableModel model;
        model.setHeaders({{"V", "v"}});
        model.setJson(QJsonDocument(QJsonArray{QJsonObject{{"v", value}}}));
        const QModelIndex index = model.index(0, 0);

        auto delegate = makeDelegate(kind);
        QStyleOptionViewItem option = styleOption(delegate.get(), index);
        QCOMPARE(option.text, expected);

        // The size follows the shown text, not the raw value.
        option.fontMetrics = QFontMetrics(QApplication::font());
        const QRect bounds = option.fontMetrics.boundingRect(expected);
        QCOMPARE(delegate->sizeHint(option, index), QSize(bounds.width() + 10, bounds.height()));
    }

    // The view's own look stays: no other role of the model reaches the cell.
    void onlyTheTextReachesTheOption_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"date", "money", "boolean", "attribute", "payer", "simple"})
            QTest::newRow(kind) << QString(kind);
    }

    void onlyTheTextReachesTheOption()
    {
        QFETCH(QString, kind);
        QStandardItemModel model(1, 1);
        const QModelIndex index = model.index(0, 0);
        model.setData(index, 1);
        model.setData(index, QBrush(Qt::red), Qt::BackgroundRole);
        model.setData(index, QBrush(Qt::blue), Qt::ForegroundRole);
        model.setData(index, int(Qt::AlignRight), Qt::TextAlignmentRole);
        model.setData(index, Qt::Checked, Qt::CheckStateRole);

        const QStyleOptionViewItem option = styleOption(makeDelegate(kind).get(), index);
        const QStyleOptionViewItem untouched;
        QCOMPARE(option.backgroundBrush, untouched.backgroundBrush);
        QCOMPARE(option.palette.color(QPalette::Text), untouched.palette.color(QPalette::Text));
        QCOMPARE(option.displayAlignment, untouched.displayAlignment);
        QCOMPARE(option.features, untouched.features);
    }

    void markerDot_data()
    {
        QTest::addColumn<QString>("marker");
        QTest::addColumn<int>("height");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<int>("radius");

        QTest::newRow("V, 30 px") << "V" << 30 << QColor(81, 205, 100) << 5;
        QTest::newRow("D, 20 px") << "D" << 20 << QColor(245, 91, 86) << 3;
        QTest::newRow("B, 24 px") << "B" << 24 << QColor(57, 143, 244) << 4;
        QTest::newRow("E, 30 px") << "E" << 30 << QColor(250, 150, 55) << 5;
        QTest::newRow("lower-case v is no key") << "v" << 30 << QColor(Qt::black) << 5;
        QTest::newRow("unknown letter") << "Z" << 20 << QColor(Qt::black) << 3;
    }

    void markerDot()
    {
        QFETCH(QString, marker);
        QFETCH(int, height);
        QFETCH(QColor, colour);
        QFETCH(int, radius);

        // The cell does not start at the image's corner: the dot is drawn
        // relative to the cell.
        const QRect cell(7, 3, 61, height);
        QStyleOptionViewItem option;
        option.rect = cell;
        const QImage image = painted(PersonMarkerItemDelegate(), marker, option, {80, 40});

        const QPoint centre = cell.topLeft() + QPoint(cell.width() / 2, cell.height() / 2);
        QCOMPARE(image.pixelColor(centre), colour);
        // An aliased ellipse may lose one edge row to rasterisation, never a column.
        const QRect dot(centre - QPoint(radius, radius), QSize(2 * radius, 2 * radius));
        const QRect painted = paintedArea(image, qRgb(255, 255, 255));
        QCOMPARE(painted.left(), dot.left());
        QCOMPARE(painted.width(), dot.width());
        QVERIFY2(dot.contains(painted) && painted.height() >= dot.height() - 1,
                 qPrintable(QString("painted %1,%2 %3x%4").arg(painted.x()).arg(painted.y())
                                .arg(painted.width()).arg(painted.height())));
    }

    void selectedMarkerCellIsHighlighted()
    {
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 60, 30);
        option.state |= QStyle::State_Selected;
        option.palette.setBrush(QPalette::Highlight, QColor(10, 20, 30));
        const QImage image = painted(PersonMarkerItemDelegate(), "B", option, option.rect.size());
        QCOMPARE(image.pixelColor(1, 1), QColor(10, 20, 30));
        QCOMPARE(image.pixelColor(30, 15), QColor(57, 143, 244));
    }

    void emptyMarkerIsAnOrdinaryCell()
    {
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 60, 30);
        option.state |= QStyle::State_Selected | QStyle::State_Enabled;
        QCOMPARE(painted(PersonMarkerItemDelegate(), QString(), option, option.rect.size()),
                 painted(QStyledItemDelegate(), QString(), option, option.rect.size()));
    }
};

LOMI_TEST_CLASS(DelegatesTest)

#include "tst_delegates.moc"
