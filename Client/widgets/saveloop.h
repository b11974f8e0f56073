#pragma once

#include "networkmanagerwrapper.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

#include <functional>
#include <optional>

class QAbstractItemModel;
class QDialog;
class QNetworkReply;

// Saving a record typed into a dialog, the same for every window: the dialog
// comes back with what was typed until the server takes the record or the
// user cancels, and a record whose write got no answer is never sent a second
// time when the server stored it all the same, nor while a list that could
// not be read leaves that open.
namespace SaveLoop {

struct Attempt
{
    NetworkManagerWrapper::Outcome outcome = NetworkManagerWrapper::Outcome::Refused;
    QJsonObject answer;  // the reply's body, when it is an object
};

// What a finished reply came to; deletes it.
Attempt take(QNetworkReply *reply);

// How a creating write tells, once it got no answer, whether the server
// stored the record.
struct Creation
{
    // The ids the list holds before the write, as last loaded; unset for a
    // list in which any row found after the write is the write's own.
    std::function<QSet<int>()> knownIds;
    // The list's rows as the server has them now (a synchronous load); no
    // value when it cannot be read.
    std::function<std::optional<QJsonArray>()> rows;
};

// A creating write that got no answer, kept until a list that was read says
// whether the server stored it.
struct Unconfirmed
{
    QJsonObject sent;
    QSet<int> before;  // the ids listed before the write
};

// The Creation of a list shown in `model` (ids in column 0; through any
// proxies, the rows as loaded) and loaded from `url`, read again at once
// when asked.
Creation listedAt(const QAbstractItemModel *model, const QUrl &url);
// The list at `url` as the server has it now; no value when it cannot be
// read, which an empty list must never stand for.
std::optional<QJsonArray> readRows(const QUrl &url);

// Sends one write and waits for its answer under the busy indicator, which
// keeps the user from starting another write meanwhile.
Attempt send(const std::function<QNetworkReply *()> &write);
// The same for `body` sent to `url` with `verb`: POST, PUT, or DELETE (no body).
Attempt write(NetworkManagerWrapper &network, QNetworkAccessManager::Operation verb,
              const QUrl &url, const QJsonDocument &body = QJsonDocument());

// What run() sends on every attempt: the record, to `url` with `verb`.
std::function<Attempt(const QJsonObject &)> sendTo(NetworkManagerWrapper &network,
                                                   QNetworkAccessManager::Operation verb,
                                                   const QUrl &url);

// Whether the list row `row` holds what `sent` holds: every key both have is
// equal (numbers by value, date-times to the minute, objects key by key),
// and a sent "<name>Id" equals the id of the row's "<name>" object.
bool carries(const QJsonObject &row, const QJsonObject &sent);

// The row of `rows` that the server made of `sent`: one whose id is not in
// `before` and that carries `sent`. Empty when there is none.
QJsonObject findStored(const QJsonArray &rows, const QSet<int> &before, const QJsonObject &sent);
// What `rows`, read after it, say of `write`: the stored row; an empty object
// when they hold none; no value when the list could not be read.
std::optional<QJsonObject> lookUp(const std::optional<QJsonArray> &rows, const Unconfirmed &write);

struct Result
{
    bool saved = false;
    // The server's answer, or, after a write without one, the stored row.
    QJsonObject answer;
};

// Runs `dialog` until the record `record()` takes from it is saved by `send`
// or the user cancels. `reload` refreshes the owner's list after every
// attempt, failed or not. With `creation`, a write that got no answer is
// looked for in the list: found, it counts as saved and the user is told so;
// otherwise the user is told it was not saved, or that the list could not
// tell, and the dialog comes back. Its next OK looks for that write once
// more and sends only when a list that was read shows it absent.
Result run(QDialog &dialog, const std::function<QJsonObject()> &record,
           const std::function<Attempt(const QJsonObject &)> &send,
           const std::function<void()> &reload, const Creation *creation = nullptr);

// run() for a record of the list shown in `model` and loaded from `list`:
// every attempt sends it to `url` with `verb`, and a POST that got no answer
// is looked for in the list (see listedAt).
Result runWrite(QDialog &dialog, const std::function<QJsonObject()> &record,
                NetworkManagerWrapper &network, QNetworkAccessManager::Operation verb,
                const QUrl &url, const QAbstractItemModel *model, const QUrl &list,
                const std::function<void()> &reload);

}  // namespace SaveLoop
