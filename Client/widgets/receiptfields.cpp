#include "receiptfields.h"

#include "global.h"
#include "networkmanagerwrapper.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkReply>

namespace ReceiptFields {

void fillPayTypes(QComboBox *payTypes, NetworkManagerWrapper &manager)
{
    payTypes->clear();
    QNetworkReply *reply = manager.getUrl(
        QUrl(Global::endpoint(QStringLiteral("pay_type?pretty=true"))), true, true);
    const QJsonArray rows = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply)).array();
    delete reply;
    for (const QJsonValue &row : rows) {
        const QJsonObject payType = row.toObject();
        const QJsonValue payer = payType.value(QStringLiteral("payer"));
        if (!payer.isUndefined() && !payer.isNull())
            continue;
        payTypes->addItem(payType.value(QStringLiteral("name")).toString(), QVariant(payType));
        if (payType.value(QStringLiteral("attribute")).toInt() == 0)
            payTypes->setCurrentIndex(payTypes->count() - 1);
    }
}

bool selectPayType(QComboBox *payTypes, int id)
{
    for (int i = 0; i < payTypes->count(); ++i) {
        if (payTypes->itemData(i).toJsonObject().value(QStringLiteral("id")).toInt() == id) {
            payTypes->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

void holdPayType(QComboBox *payTypes, const QJsonObject &payType)
{
    if (selectPayType(payTypes, payType.value(QStringLiteral("id")).toInt()))
        return;
    payTypes->addItem(payType.value(QStringLiteral("name")).toString(), QVariant(payType));
    payTypes->setCurrentIndex(payTypes->count() - 1);
}

QJsonObject currentPayType(const QComboBox *payTypes)
{
    return payTypes->currentData().toJsonObject();
}

void insertNumber(QJsonObject &receipt, const QString &typed, const QComboBox *payTypes)
{
    const int number = typed.toInt();
    if (number != 0)
        receipt.insert(QStringLiteral("number"), number);
    else if (currentPayType(payTypes).value(QStringLiteral("attribute")).toInt() != 0)
        receipt.insert(QStringLiteral("number"), 0);
}

}  // namespace ReceiptFields
