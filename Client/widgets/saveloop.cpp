#include "saveloop.h"

#include "global.h"
#include "messagebox.h"

#include <QAbstractItemModel>
#include <QAbstractProxyModel>
#include <QDialog>
#include <QJsonDocument>
#include <QNetworkReply>

#include <cmath>

namespace {

using Outcome = NetworkManagerWrapper::Outcome;

bool sameValue(const QJsonValue &row, const QJsonValue &sent)
{
    if (row.isDouble() && sent.isDouble())
        return std::abs(row.toDouble() - sent.toDouble()) < 1e-6;
    if (row.isString() && sent.isString()) {
        if (row.toString() == sent.toString())
            return true;
        // The server may write a date-time back in a form of its own.
        const QDateTime a = Global::toDateTime(row.toString());
        const QDateTime b = Global::toDateTime(sent.toString());
        return a.isValid() && b.isValid() && a.secsTo(b) / 60 == 0;
    }
    if (row.isObject() && sent.isObject())
        return SaveLoop::carries(row.toObject(), sent.toObject());
    if (row.isBool() && sent.isBool())
        return row.toBool() == sent.toBool();
    // Lists, nulls and values of two types say nothing either way.
    return true;
}

}  // namespace

SaveLoop::Attempt SaveLoop::take(QNetworkReply *reply)
{
    Attempt attempt;
    attempt.outcome = NetworkManagerWrapper::outcome(reply);
    attempt.answer = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply)).object();
    reply->deleteLater();
    return attempt;
}

SaveLoop::Creation SaveLoop::listedAt(const QAbstractItemModel *model, const QUrl &url)
{
    // The ids known before the write are the list's as loaded: a search
    // shows only some of them, and a row it hides that holds the typed values
    // would be taken for the new record.
    while (const auto *proxy = qobject_cast<const QAbstractProxyModel *>(model))
        model = proxy->sourceModel();
    Creation creation;
    creation.knownIds = [model] {
        QSet<int> ids;
        for (int row = 0; row < model->rowCount(); ++row)
            ids.insert(model->index(row, 0).data().toInt());
        return ids;
    };
    creation.rows = [url] { return readRows(url); };
    return creation;
}

std::optional<QJsonArray> SaveLoop::readRows(const QUrl &url)
{
    NetworkManagerWrapper reader;
    QNetworkReply *reply = reader.getUrl(url, true, true);
    const bool done = NetworkManagerWrapper::outcome(reply) == Outcome::Done;
    const QJsonDocument rows = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply));
    delete reply;
    if (!done || !rows.isArray())
        return std::nullopt;
    return rows.array();
}

SaveLoop::Attempt SaveLoop::send(const std::function<QNetworkReply *()> &write)
{
    Global::showPreloader(nullptr);
    const Attempt attempt = take(write());
    Global::hidePreloader();
    return attempt;
}

SaveLoop::Attempt SaveLoop::write(NetworkManagerWrapper &network,
                                  QNetworkAccessManager::Operation verb, const QUrl &url,
                                  const QJsonDocument &body)
{
    return send([&] {
        if (verb == QNetworkAccessManager::PostOperation)
            return network.postUrl(url, body, true, true);
        if (verb == QNetworkAccessManager::PutOperation)
            return network.putUrl(url, body, true, true);
        return network.deleteUrl(url, true, true);
    });
}

std::function<SaveLoop::Attempt(const QJsonObject &)> SaveLoop::sendTo(
    NetworkManagerWrapper &network, QNetworkAccessManager::Operation verb, const QUrl &url)
{
    return [&network, verb, url](const QJsonObject &record) {
        return write(network, verb, url, QJsonDocument(record));
    };
}

bool SaveLoop::carries(const QJsonObject &row, const QJsonObject &sent)
{
    for (auto it = sent.constBegin(); it != sent.constEnd(); ++it) {
        const QString &key = it.key();
        // A receipt number left 0 is one the server gives.
        if (key == QLatin1String("id")
            || (key == QLatin1String("number") && it.value().isDouble() && it.value().toDouble() == 0))
            continue;
        if (row.contains(key)) {
            if (!sameValue(row.value(key), it.value()))
                return false;
            continue;
        }
        if (key.endsWith(QLatin1String("Id")) && it.value().isDouble()) {
            const QJsonValue referred = row.value(key.chopped(2));
            if (referred.isObject() && referred.toObject().contains(QStringLiteral("id"))
                && referred.toObject().value(QStringLiteral("id")).toInt() != it.value().toInt())
                return false;
        }
    }
    return true;
}

QJsonObject SaveLoop::findStored(const QJsonArray &rows, const QSet<int> &before,
                                 const QJsonObject &sent)
{
    for (const QJsonValue &value : rows) {
        const QJsonObject row = value.toObject();
        const int id = row.value(QStringLiteral("id")).toInt();
        if (id > 0 && !before.contains(id) && carries(row, sent))
            return row;
    }
    return {};
}

std::optional<QJsonObject> SaveLoop::lookUp(const std::optional<QJsonArray> &rows,
                                           const Unconfirmed &write)
{
    if (!rows)
        return std::nullopt;
    return findStored(*rows, write.before, write.sent);
}

namespace {

// Tells the user what the list said of a write without an answer; true when
// the server stored it.
bool tellStored(QWidget *parent, const std::optional<QJsonObject> &stored)
{
    if (stored && !stored->isEmpty()) {
        MessageBox::information(parent, QStringLiteral("Сохранение"),
                                QStringLiteral("Сервер не ответил вовремя, но запись сохранена."),
                                QMessageBox::Ok);
        return true;
    }
    MessageBox::warning(parent, QStringLiteral("Сохранение"),
                        stored ? QStringLiteral("Сервер не ответил, и запись не сохранена. "
                                                "Проверьте введённое и нажмите OK, чтобы "
                                                "отправить её снова.")
                               : QStringLiteral("Сервер не ответил, и узнать, сохранена ли "
                                                "запись, не удалось. Нажмите OK, чтобы проверить "
                                                "снова: запись будет отправлена, только если на "
                                                "сервере её нет."),
                        QMessageBox::Ok);
    return false;
}

}  // namespace

SaveLoop::Result SaveLoop::run(QDialog &dialog, const std::function<QJsonObject()> &record,
                               const std::function<Attempt(const QJsonObject &)> &send,
                               const std::function<void()> &reload, const Creation *creation)
{
    // The server may have stored a record and lost only its answer: a second
    // OK must not make a second record. Until a list that was read shows the
    // write absent, every OK looks for it before anything is sent again.
    std::optional<Unconfirmed> unconfirmed;
    while (dialog.exec() == QDialog::Accepted) {
        if (unconfirmed) {
            const std::optional<QJsonObject> stored = lookUp(creation->rows(), *unconfirmed);
            if (!stored || !stored->isEmpty()) {
                reload();
                if (tellStored(&dialog, stored))
                    return {true, *stored};
                continue;
            }
            unconfirmed.reset();
        }
        const QJsonObject sent = record();
        const QSet<int> before = creation && creation->knownIds ? creation->knownIds() : QSet<int>();
        const Attempt attempt = send(sent);
        if (attempt.outcome == Outcome::Unanswered && creation) {
            // The ids listed before this write stay the ones it is judged
            // by: the reload may bring its record into the list meanwhile.
            unconfirmed = Unconfirmed{sent, before};
            const std::optional<QJsonObject> stored = lookUp(creation->rows(), *unconfirmed);
            reload();
            if (tellStored(&dialog, stored))
                return {true, *stored};
            continue;
        }
        reload();
        if (attempt.outcome == Outcome::Done)
            return {true, attempt.answer};
    }
    return {};
}

SaveLoop::Result SaveLoop::runWrite(QDialog &dialog, const std::function<QJsonObject()> &record,
                                    NetworkManagerWrapper &network,
                                    QNetworkAccessManager::Operation verb, const QUrl &url,
                                    const QAbstractItemModel *model, const QUrl &list,
                                    const std::function<void()> &reload)
{
    const Creation creation = listedAt(model, list);
    return run(dialog, record, sendTo(network, verb, url), reload,
               verb == QNetworkAccessManager::PostOperation ? &creation : nullptr);
}
