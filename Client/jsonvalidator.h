#pragma once

#include <QJsonDocument>
#include <QObject>
#include <QString>

// Judges a record before an editor lets it go to the server.
class JsonValidator : public QObject
{
    Q_OBJECT

public:
    struct Result
    {
        bool valid = true;
        QString message;  // shown to the user; empty when valid
    };

    explicit JsonValidator(QObject *parent = nullptr)
        : QObject(parent)
    {
    }

    virtual Result validate(const QJsonDocument &document) = 0;
};
