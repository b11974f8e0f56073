#pragma once

#include "requesttablemodel.h"
#include "standinserver.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QDialogButtonBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>

// Small data set shared by the list and editor tests: three districts (one
// written in lower case, for the search), two regions (one without a
// district) and users with every combination of the read and write bits.
namespace ViewsTest {

inline QJsonObject fixture()
{
    return QJsonDocument::fromJson(R"({
        "districts": [
            {"id": 1, "name": "Центральный"},
            {"id": 2, "name": "северо-западный"},
            {"id": 12, "name": "Южный"}
        ],
        "regions": [
            {"id": 3, "code": "77", "name": "Москва", "districtId": 1},
            {"id": 5, "code": "12", "name": "Марий Эл", "districtId": null}
        ],
        "positions": [
            {"id": 1, "name": "Инженер"}
        ],
        "users": [
            {"id": 1, "name": "Админ", "password": "admin", "position": "",
             "permissions": {"districts": 3, "regions": 3, "positions": 3}},
            {"id": 2, "name": "Читатель", "password": "reader", "position": "",
             "permissions": {"districts": 1, "regions": 1, "positions": 1}},
            {"id": 3, "name": "Писатель", "password": "writer", "position": "",
             "permissions": {"districts": 2, "regions": 2, "positions": 2}},
            {"id": 4, "name": "Никто", "password": "nobody", "position": "",
             "permissions": {"districts": 0, "regions": 0, "positions": 0}}
        ],
        "globals": {
            "CheckoutHour": "12:00:00",
            "OrganizationInfo": {"name": "Учебный центр «Заря»", "address": "г. Тверь"}
        }
    })").object();
}

// The request table model behind a list's view.
inline RequestTableModel *sourceModel(QTableView *view)
{
    auto *proxy = qobject_cast<QSortFilterProxyModel *>(view->model());
    return proxy ? qobject_cast<RequestTableModel *>(proxy->sourceModel()) : nullptr;
}

inline void press(QDialog *dialog, QDialogButtonBox::StandardButton which)
{
    auto *box = dialog->findChild<QDialogButtonBox *>("buttonBox");
    QVERIFY(box);
    box->button(which)->click();
}

inline void setText(QWidget *form, const char *name, const QString &text)
{
    auto *edit = form->findChild<QLineEdit *>(name);
    QVERIFY2(edit, name);
    edit->setText(text);
}

inline QString text(QWidget *form, const char *name)
{
    auto *edit = form->findChild<QLineEdit *>(name);
    return edit ? edit->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

// Column 0 of every row in view order.
inline QList<int> viewIds(QAbstractItemView *view)
{
    QList<int> ids;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        ids << view->model()->index(row, 0).data().toInt();
    return ids;
}

inline QByteArray indented(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

}  // namespace ViewsTest
