#pragma once

#include "jsontablemodel.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class QAbstractItemDelegate;

// The columns of the directories, written once: the main window's list
// windows show them whole, and the selectors that pick from the same
// directories take the ones they show and say where they differ.
class DirectoryColumns
{
public:
    // Makes a new delegate without parent; the builder it is handed to gives
    // it to the view.
    using DelegateFactory = QAbstractItemDelegate *(*)();

    struct Column
    {
        QString label;
        QString key;
        DelegateFactory delegate = nullptr;
    };

    DirectoryColumns(std::initializer_list<Column> columns);

    static const DirectoryColumns &districts();
    static const DirectoryColumns &regions();
    static const DirectoryColumns &positions();
    static const DirectoryColumns &organizations();
    static const DirectoryColumns &curriculums();
    static const DirectoryColumns &streams();
    static const DirectoryColumns &rates();
    static const DirectoryColumns &payTypes();
    static const DirectoryColumns &properties();

    // What a pay type's "attribute" means.
    static QMap<int, QString> payTypeAttributes();

    static QAbstractItemDelegate *yesNo();
    static QAbstractItemDelegate *dateOnly();
    static QAbstractItemDelegate *money();
    static QAbstractItemDelegate *payTypeAttribute();
    // A nested object shown by its "name".
    static QAbstractItemDelegate *nestedName();

    // The columns with these keys, in the order given.
    DirectoryColumns only(const QStringList &keys) const;
    DirectoryColumns relabelled(const QString &key, const QString &label) const;
    DirectoryColumns rekeyed(const QString &key, const QString &newKey) const;
    DirectoryColumns drawnWith(const QString &key, DelegateFactory delegate) const;

    JsonTableModel::Headers headers() const;
    // New delegates, one per column that has one.
    QMap<int, QAbstractItemDelegate *> delegates() const;

private:
    DirectoryColumns() = default;
    int indexOf(const QString &key) const;

    QList<Column> columns;
};
