#pragma once

#include <QJsonObject>
#include <QString>

class NetworkManagerWrapper;
class QComboBox;

// What the two receipt dialogs share: the pay types a receipt may name and
// the rule by which a receipt gets its number.
namespace ReceiptFields {

// Fills the combo box with the pay types not bound to a payer (a contract
// pays for stays, not for receipts), each item's data the whole record; the
// last one awaiting payment (attribute 0) is made current.
void fillPayTypes(QComboBox *payTypes, NetworkManagerWrapper &manager);
// Makes current the pay type with this id, when the list has it; false when not.
bool selectPayType(QComboBox *payTypes, int id);
// Makes current a stored receipt's own pay type (its nested "payType"),
// added to the list when the list lacks it, as when it could not be read:
// the receipt is written with the pay type it had, never with none.
void holdPayType(QComboBox *payTypes, const QJsonObject &payType);
QJsonObject currentPayType(const QComboBox *payTypes);

// A typed number is sent as it is; without one, a paid receipt asks the
// server for the next number ("number": 0) and one awaiting payment gets none.
void insertNumber(QJsonObject &receipt, const QString &typed, const QComboBox *payTypes);

}  // namespace ReceiptFields
