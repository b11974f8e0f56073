#pragma once

#include <QDate>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QVariant>

class PreloaderWidget;
class QSaveFile;
class QSettings;
class QWidget;

// Helpers every window shares: confirmations, the non-fatal assertion box,
// the server's dates, user preferences, the one busy indicator, dotted JSON
// keys, short names, amounts in words and the resolution of endpoints.
class Global
{
public:
    // Absolute URL text of `path` resolved against the stored server root.
    static QString endpoint(const QString &path);

    static bool confirm(const QString &text);
    static void warningAssertionFailed(const QString &condition, const QString &file, int line);

    static QDateTime toDateTime(const QString &text);
    static QDate toDate(const QString &text);
    static QString formatDate(const QString &text);
    static QString formatDateTime(const QString &text);

    static QVariant getPreference(const QString &key, const QVariant &defaultValue = QVariant());
    static void setPreference(const QString &key, const QVariant &value);

    static void showPreloader(QWidget *parent = nullptr);
    static void hidePreloader();

    // The server's failure envelope: an object whose "Ok" is there and not true.
    // It arrives as a successful reply.
    static bool isFailureEnvelope(const QJsonDocument &document);

    // Puts `file` in place of the earlier file of its name once every byte
    // has reached the disk; on a failed write, false and the earlier file
    // kept. Every file the program writes ends through here.
    static bool commitFile(QSaveFile &file);

    static QJsonValue traverseJson(const QJsonObject &object, const QString &path);
    // The same walk over a path already split at its dots (hot loops split once).
    static QJsonValue traverseJson(const QJsonObject &object, const QStringList &parts);

    static QString toShort(const QString &fullName);

    // The whole part of `value` in Russian words (masculine unless `feminine`).
    static QString doubleToString(double value, bool feminine = false);

private:
    static QSettings *preferences();

    static QSettings *settings;
    static PreloaderWidget *preloader;
};
