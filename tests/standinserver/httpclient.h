#pragma once

// Plain HTTP calls against the stand-in server, waited for in a local event
// loop so that the in-process server (same thread) can answer them.

#include <QByteArray>
#include <QJsonDocument>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPair>
#include <QString>

struct HttpResult
{
    bool finished = false;  // false: no answer before the wait ran out (the request was aborted)
    int status = 0;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;

    QJsonDocument json() const { return QJsonDocument::fromJson(body); }
    bool hasHeader(const QByteArray &name) const;
    QByteArray header(const QByteArray &name) const;
};

class HttpClient
{
public:
    explicit HttpClient(const QString &rootUrl);

    // Signs in and keeps the token for the following calls; empty on failure.
    QString signIn(const QString &password);
    void setAuthorization(const QByteArray &value) { authorization = value; }  // empty: no header

    HttpResult get(const QString &path) { return send("GET", path); }
    HttpResult del(const QString &path) { return send("DELETE", path); }
    HttpResult post(const QString &path, const QByteArray &body) { return send("POST", path, body); }
    HttpResult put(const QString &path, const QByteArray &body) { return send("PUT", path, body); }
    HttpResult send(const QByteArray &method, const QString &path, const QByteArray &body = {},
                    int waitMs = 5000);

private:
    QNetworkAccessManager manager;
    QString root;
    QByteArray authorization;
};
