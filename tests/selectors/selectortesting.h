#pragma once

#include "commonselectordialog.h"
#include "modalhandler.h"

#include "standinserver.h"

#include <QAbstractItemModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <functional>

// Reaching into a selector's form the way a user would see it.
namespace SelectorTesting {

inline QAbstractItemModel *rows(CommonSelectorDialog *dialog)
{
    return dialog->findChild<QTableView *>("tableView")->model();
}

inline QPushButton *okButton(CommonSelectorDialog *dialog)
{
    return dialog->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok);
}

inline QLineEdit *searchLine(CommonSelectorDialog *dialog)
{
    return dialog->findChild<QLineEdit *>("searchLineEdit");
}

// The demo users (to sign in) with lists of this area's own, whose dates do
// not run out and whose order and names the tests rely on.
inline QJsonObject fixture()
{
    QJsonObject demoData;
    StandIn::Server().readFixture(StandIn::Server::demoFixturePath(), &demoData);

    const char *lists = R"json({
      "regions": [
        {"id": 1, "code": "77", "name": "Москва", "districtId": 1},
        {"id": 2, "code": "16", "name": "Республика Татарстан", "districtId": 1}
      ],
      "districts": [{"id": 1, "name": "Центральный федеральный округ"}],
      "organizations": [
        {"id": 1, "code": "A-900", "inn": "7705000001", "name": "ООО «Технопром»", "regionId": 1, "archived": false},
        {"id": 2, "code": "B-100", "inn": "7705000002", "name": "АО «Северная энергетика»", "regionId": 2, "archived": false},
        {"id": 3, "code": "C-500", "inn": "7705000003", "name": "ГБУ «Центр услуг»", "regionId": 1, "archived": false},
        {"id": 4, "code": "D-001", "inn": "7705000004", "name": "ООО «Старт»", "regionId": 2, "archived": true}
      ],
      "positions": [
        {"id": 1, "name": "Инженер"},
        {"id": 2, "name": "Главный ИНЖЕНЕР"},
        {"id": 3, "name": "Бухгалтер"}
      ],
      "curriculums": [
        {"id": 1, "name": "Охрана труда", "value": 40, "paid": false, "cost": 0, "archived": false, "externalId": 1001, "base": "Приказ № 12"},
        {"id": 2, "name": "Пожарная безопасность", "value": 72, "paid": true, "cost": 15000, "archived": false, "externalId": 1002, "base": "Договор"},
        {"id": 3, "name": "Промышленная безопасность", "value": 36, "paid": false, "cost": 0, "archived": true, "externalId": 1004, "base": "Приказ № 3"}
      ],
      "streams": [
        {"id": 1, "name": "ОТ-2026-11", "startDate": "2026-11-16T00:00:00.000", "endDate": "2026-11-27T00:00:00.000", "curriculumId": 1, "externalId": 2611},
        {"id": 2, "name": "ПБ-2026-12", "startDate": "2026-12-01T00:00:00.000", "endDate": "2026-12-18T00:00:00.000", "externalId": 2612}
      ],
      "properties": [
        {"id": 1, "name": "Утюг", "number": "ИН-0001", "cost": 1500, "archived": false},
        {"id": 2, "name": "Фен", "number": "ИН-0003", "cost": 900.5, "archived": false},
        {"id": 3, "name": "Телевизор (списан)", "number": "ИН-0050", "cost": 8000, "archived": true}
      ],
      "extra_services": [
        {"id": 1, "name": "Стирка белья", "measurement": "кг", "rate": 120, "startDate": "2000-01-01T00:00:00.000", "endDate": "2099-12-31T00:00:00.000", "base": "Приказ № 7", "param": 0, "propertyIds": []},
        {"id": 2, "name": "Поздний выезд", "measurement": "выезд", "rate": 500, "startDate": "2000-01-01T00:00:00.000", "endDate": "2099-12-31T00:00:00.000", "base": "Приказ № 7", "param": 3, "propertyIds": []},
        {"id": 3, "name": "Трансфер (2001)", "measurement": "поездка", "rate": 700, "startDate": "2001-01-01T00:00:00.000", "endDate": "2001-12-31T00:00:00.000", "base": "Приказ № 4", "param": 0, "propertyIds": []},
        {"id": 4, "name": "Прокат ноутбука", "measurement": "час", "rate": 100, "startDate": "2000-01-01T00:00:00.000", "endDate": "2099-12-31T00:00:00.000", "base": "Приказ № 7", "param": 1, "propertyIds": []}
      ],
      "pay_type": [
        {"id": 1, "name": "Наличные", "attribute": 1, "startDate": "2000-01-01T00:00:00.000", "endDate": "2099-12-31T00:00:00.000", "contractCost": 0},
        {"id": 2, "name": "Ожидает оплаты", "attribute": 0, "startDate": "2000-01-01T00:00:00.000", "endDate": "2099-12-31T00:00:00.000", "contractCost": 0},
        {"id": 3, "name": "Возврат", "attribute": -1, "startDate": "2000-01-01T00:00:00.000", "endDate": "2099-12-31T00:00:00.000", "contractCost": 0},
        {"id": 4, "name": "Контракт № 45-К", "attribute": 1, "payerId": 2, "startDate": "2000-02-01T00:00:00.000", "endDate": "2099-01-31T00:00:00.000", "contractCost": 250000},
        {"id": 5, "name": "Взаимозачёт", "attribute": 2, "startDate": "2000-01-01T00:00:00.000", "endDate": "2099-12-31T00:00:00.000", "contractCost": 12.5}
      ]
    })json";

    QJsonObject data = QJsonDocument::fromJson(lists).object();
    data.insert("users", demoData.value("users"));
    data.insert("globals", demoData.value("globals"));
    return data;
}

// Loads the selector's list and waits for the load to end.
inline bool load(CommonSelectorDialog *dialog)
{
    QSignalSpy finished(dialog, &SelectorDialog::refreshFinished);
    dialog->refresh();
    return finished.wait(10000);
}

// Acts inside the next selector's modal run. Whatever the body leaves
// open is rejected, so that a failed check cannot leave the test hanging.
inline void inNextSelector(std::function<void(CommonSelectorDialog *)> body)
{
    ModalHandler::onNextDialog<CommonSelectorDialog>([body](CommonSelectorDialog *dialog) {
        body(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

}  // namespace SelectorTesting
