#pragma once

#include <QDate>
#include <QModelIndex>
#include <QString>
#include <QVariant>

class SelectorEdit;

// What the record editors read and write alike: dates in the server's form
// and references taken from a list row.
namespace EditorFields {

// A day as every editor sends it: midnight, local time, milliseconds and no
// zone ("2024-03-01T00:00:00.000").
QString dateText(const QDate &date);
// The day of a date or date-time text from a record or a list cell; the time
// of day is dropped. Null when the value holds no date.
QDate dateOf(const QVariant &value);

// Points `field` at the record `id`, or clears it for -1. A known name is
// shown at once: the selector's own list may never hold the record (an
// archived payer), and the field would keep the previous record's name.
void selectReference(SelectorEdit *field, int id, const QString &name = QString());
// The id of a record or map value: a missing or null one is -1, never 0,
// which the required-reference check would let through as a record.
int referenceId(const QVariant &value);

// Points `field` at the record a stored record nests ({"id", "name"}), named
// at once; an object without "id" clears the field.
void selectNestedReference(SelectorEdit *field, const QJsonObject &nested);

// Selects the record that the row's nested object `member` ({"id", "name"})
// names. A row without that object, or an object without "id", clears the
// field. The row must belong to a RequestTableModel, the only model that
// keeps whole records; for any other the assertion box names `source` and
// `line` and the field keeps what it held.
void selectReferenceOfRow(SelectorEdit *field, const QModelIndex &row, const QString &member,
                          const QString &source, int line);

}  // namespace EditorFields
