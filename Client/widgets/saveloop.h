#pragma once

#include "networkmanagerwrapper.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

class QDialog;
class QNetworkReply;
class QWidget;

// Saving a record typed into a dialog, the same for every window: the dialog
// comes back with what was typed until the server takes the record or the
// user cancels, and a record whose write got no answer is never sent a second
// time when the server stored it all the same, nor while a list that could
// not be read leaves that open. Such a write is remembered under its list
// while the program runs, whatever becomes of its dialog, until a list that
// was read tells. A new record goes only once that list was read just before
// it: without it, a record found after a write without an answer could be
// one the server held already.
namespace SaveLoop {

struct Attempt
{
    NetworkManagerWrapper::Outcome outcome = NetworkManagerWrapper::Outcome::Refused;
    QJsonObject answer;  // the reply's body, when it is an object
    // The redirect the write ended at without following it, and where it
    // pointed (NetworkManagerWrapper::stoppedAt).
    NetworkManagerWrapper::Redirect redirect = NetworkManagerWrapper::Redirect::None;
    QUrl redirectTarget;
    // The HTTP status it was answered with; 0 when none came.
    int status = 0;
};

// Why a read for a look-up brought nothing, in the user's words: the server
// refused it (with `status`) or sent it to another address; empty when no
// answer came, and then `silence` says what became of the read (a time-out
// with its seconds, a connection that failed).
struct Unread
{
    int status = 0;
    QString reason;
    QString silence;
};

// What a read brought, or why it brought nothing.
template <typename T>
struct Read : std::optional<T>
{
    using std::optional<T>::optional;
    Unread unread;
};
using Rows = Read<QJsonArray>;

// What a finished reply came to; deletes it.
Attempt take(QNetworkReply *reply);

// What the user is told of a write without an answer; the record's own
// words where its noun is not "запись". The editors' buttons are named as
// they read: Qt's own OK and Cancel.
struct Texts
{
    QString stored = QStringLiteral("Сервер не ответил вовремя, но запись сохранена.");
    QString absent = QStringLiteral("Сервер не ответил, и запись не сохранена. Проверьте введённое "
                                    "и нажмите OK, чтобы отправить её снова.");
    QString unknown = QStringLiteral("Сервер не ответил, и узнать, сохранена ли запись, не удалось. "
                                     "Нажмите OK, чтобы проверить снова: запись будет отправлена, "
                                     "только если на сервере её нет.");
    // The check refused by the server, or sent by it to another address:
    // why, in place of %1.
    QString refused = QStringLiteral("Сервер не ответил, и узнать, сохранена ли запись, не удалось: "
                                     "%1. Нажмите OK, чтобы проверить снова: запись будет отправлена, "
                                     "только если на сервере её нет.");
    // The same for a sign-in the server no longer takes (a restart ends
    // them) or a right it does not grant: no check passes before the next.
    QString signInFirst = QStringLiteral("Сервер не ответил, и узнать, сохранена ли запись, не удалось: "
                                         "%1. Нажмите «Cancel» и войдите снова («Сменить "
                                         "пользователя»): до этого проверка не удастся. При следующем "
                                         "сохранении запись будет отправлена, только если на сервере её "
                                         "нет.");
    // Not stored: the server sent the write to another address, where it
    // did not go (NetworkManagerWrapper::movedReason in place of %1).
    QString moved = QStringLiteral("Запись не сохранена: %1.");
    // Not stored: the server answered with a redirect that leads nowhere
    // (what it did, in place of %1), which the settings do not mend.
    QString redirected = QStringLiteral("%1, и запись не сохранена. Это ошибка сервера: сообщите о ней "
                                        "его администратору. Нажмите OK, чтобы отправить запись снова.");
    // Stored, and what was typed after the write was written into it.
    QString amended = QStringLiteral("Сервер не ответил вовремя, но запись сохранена. Исправления, "
                                     "внесённые после, записаны в неё.");
    // Stored, but what was typed after the write could not be written into it.
    QString kept = QStringLiteral("Сервер не ответил вовремя, но запись сохранена такой, какой "
                                  "была отправлена в первый раз. Изменения, внесённые после, не "
                                  "сохранены.");
    // More rows than one carry what was sent (their ids in place of %1):
    // which is the write's own, if any, the list cannot tell.
    QString several = QStringLiteral("Сервер не ответил вовремя, и сохранена ли запись, сказать "
                                     "нельзя: на сервере нашлось несколько записей с отправленными "
                                     "данными (ID: %1). Проверьте список: если ваша запись среди них, "
                                     "нажмите «Cancel»; чтобы добавить ещё одну, нажмите OK.");
    // Not sent: the list to compare the record with, should the write get
    // no answer, could not be read just before it (why, in place of %1).
    QString unsent = QStringLiteral("Запись не отправлена: список, с которым её сверяют, прочитать перед "
                                    "отправкой не удалось: %1. Нажмите OK, чтобы попробовать снова.");
    // The same for a sign-in the server no longer takes, or a right it does
    // not grant.
    QString unsentSignIn = QStringLiteral("Запись не отправлена: список, с которым её сверяют, прочитать "
                                          "перед отправкой не удалось: %1. Нажмите «Cancel» и войдите снова "
                                          "(«Сменить пользователя»): до этого запись не отправить.");
    // A write of another dialog turned out stored, unlike what is typed now.
    QString earlier = QStringLiteral("Запись, отправленная раньше и оставшаяся без ответа, "
                                     "сохранена на сервере. Проверьте список: если вы вводите её "
                                     "снова, нажмите «Cancel»; чтобы добавить и эту, нажмите OK.");
};

// How a creating write tells, once it got no answer, whether the server
// stored the record.
struct Creation
{
    // The list the record goes to: a write without an answer is remembered
    // under it.
    QString list;
    // The list's rows as the server has them now (a synchronous load); no
    // value, and why, when it cannot be read.
    std::function<Rows()> rows;
    // Whether a row the server held before the write may carry what it
    // sends: `rows` is then read just before every write, which is not sent
    // when they cannot be read. Unset for a list in which any row found
    // after the write is the write's own.
    bool readFirst = false;
    // Sends `record` as an edit of the stored row `id`: after a write without
    // an answer and a correction, one record stands holding what was typed
    // last. Unset where a stored row cannot be edited (a link).
    std::function<Attempt(int id, const QJsonObject &record)> amend;
    // The record as its list row shows it, when the two differ.
    std::function<QJsonObject(const QJsonObject &record)> asListed;
    Texts texts;
};

// A creating write that got no answer, kept until a list that was read says
// whether the server stored it.
struct Unconfirmed
{
    QJsonObject sent;
    QSet<int> before;  // the ids listed before the write
    int status = 0;    // Attempt::status
};

// The ids of `rows`: those of a list read just before a write are never
// taken for its record.
QSet<int> idsOf(const QJsonArray &rows);
// The Creation of the list at `url`, read again at once when asked, which
// may hold rows like the one a write sends before it is sent.
Creation listedAt(const QUrl &url);
// The document at `url` as the server has it now, waited for under the busy
// indicator; no value when it cannot be read, or while the user's changes are
// finished for his leaving. The user is told of a failure by whoever asked.
Read<QJsonDocument> read(const QUrl &url);
// read() of a list, which an empty list must never stand for when it
// cannot be read.
Rows readRows(const QUrl &url);

// Sends one write and waits for its answer under the busy indicator, which
// keeps the user from starting another write meanwhile.
Attempt send(const std::function<QNetworkReply *()> &write);
// The same for `body` sent to `url` with `verb`: POST, PUT, or DELETE (no body).
Attempt write(NetworkManagerWrapper &network, QNetworkAccessManager::Operation verb,
              const QUrl &url, const QJsonDocument &body = QJsonDocument());

// How a window sends one write and waits for its answer: write() through
// its own network manager, or through a queue that keeps its writes in the
// order they were made.
using Sender = std::function<Attempt(QNetworkAccessManager::Operation verb, const QUrl &url,
                                     const QJsonDocument &body)>;
Sender senderOf(NetworkManagerWrapper &network);

// What run() sends on every attempt: the record, to `url` with `verb`.
std::function<Attempt(const QJsonObject &)> sendTo(const Sender &sender,
                                                   QNetworkAccessManager::Operation verb,
                                                   const QUrl &url);

// What the user is told of a write without an answer that a look-up, read,
// did not find stored: what became of it.
QString notStored(const Texts &texts, const Attempt &attempt);
// What the user is told when the look-up could not read its list.
QString unreadText(const Texts &texts, const Unread &unread);
// What the user is told of a write not sent, as the list it would be
// looked up in could not be read first.
QString unsentText(const Texts &texts, const Unread &unread);
// `text`, the verdict on a write of unknown outcome, as it was answered: a
// write answered with a status that told nothing (a redirect it did not
// follow, a gateway's page) is not told as one the server left unanswered.
QString toldFor(int status, const QString &text);

// Whether the list row `row` holds what `sent` holds: every key both have is
// equal (numbers by value, date-times to the minute, objects key by key),
// and a sent "<name>Id" equals the id of the row's "<name>" object.
bool carries(const QJsonObject &row, const QJsonObject &sent);

// The rows of `rows` that the server may have made of `sent`: those whose id
// is not in `before` and that carry `sent`. A write is found stored only
// when they are one.
QList<QJsonObject> findStored(const QJsonArray &rows, const QSet<int> &before,
                              const QJsonObject &sent);

struct Result
{
    bool saved = false;
    // The server's answer, or, after a write without one, the stored row.
    QJsonObject answer;
};

// What one save has learnt of its own write across the user's attempts.
struct Progress
{
    quint64 own = 0;  // its write without an answer, while remembered
    // That write's record, found stored but not yet corrected, as the list
    // showed it; and the write as it was sent.
    QJsonObject found;
    QJsonObject sent;
    int status = 0;  // its write's Attempt::status
};

// The edit that makes the stored record `found`, made of `sent`, hold what
// is typed now (`record`): the record as it was found, with only what the
// user changed since the write. What the server gave in the write's place
// (a receipt's number asked for with 0) stays as it gave it.
QJsonObject correction(const QJsonObject &found, const QJsonObject &sent, const QJsonObject &record);

// One attempt to save `record`, typed in `parent`: sent by `send`, after
// which `reload` refreshes the owner's list, failed or not. With `creation`,
// the writes of its list remembered without an answer are looked for first,
// and this one's too when it gets none: the user is told what the list says,
// and nothing is sent while it cannot tell. A record of this save's own found
// stored is corrected with what `record` holds now (Creation::amend).
Result save(QWidget *parent, const QJsonObject &record,
            const std::function<Attempt(const QJsonObject &)> &send,
            const std::function<void()> &reload, const Creation *creation, Progress &progress);

// Runs `dialog` until the record `record()` takes from it is saved (see save())
// or the user cancels.
Result run(QDialog &dialog, const std::function<QJsonObject()> &record,
           const std::function<Attempt(const QJsonObject &)> &send,
           const std::function<void()> &reload, const Creation *creation = nullptr);

// run() for a record of the list loaded from `list`: every attempt sends it
// to `url` with `verb`, and a POST, sent only once the list was read, that
// got no answer is looked for in the list (see listedAt) and corrected with
// a PUT to `url`/<id>.
Result runWrite(QDialog &dialog, const std::function<QJsonObject()> &record,
                const Sender &sender, QNetworkAccessManager::Operation verb,
                const QUrl &url, const QUrl &list, const std::function<void()> &reload);

// Tests: the program starts with no write remembered.
void forgetAllForTesting();

}  // namespace SaveLoop
