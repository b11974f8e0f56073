#pragma once

#include "jsonvalidator.h"

#include <QDialog>
#include <QJsonDocument>
#include <QMap>
#include <QModelIndex>
#include <QString>
#include <QVariant>

// Base of every dialog that edits one server record. The owner clears the
// form (reset) or fills it from a table row (fromModel), runs exec(), which
// only lets a valid record through, and then takes getJson(); whether that
// becomes a POST or a PUT is the owner's decision.
class EditDialog : public QDialog
{
    Q_OBJECT

public:
    explicit EditDialog(QWidget *parent = nullptr);

    // Not owned: editors create their validator as their own child object.
    void setJsonValidator(JsonValidator *validator);
    JsonValidator *getJsonValidator() const { return validator; }

    // The validator's verdict on getJson(); an editor may refuse more.
    virtual JsonValidator::Result validate();

    int exec() override;

    virtual void reset() = 0;
    // Keys are the list's column keys, possibly dotted ("district.name").
    virtual void fromData(const QMap<QString, QVariant> &data) = 0;
    virtual void fromModel(const QModelIndex &index);
    virtual QJsonDocument getJson() const = 0;

private:
    JsonValidator *validator = nullptr;
};
