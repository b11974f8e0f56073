#include "saveloop.h"

#include "global.h"
#include "messagebox.h"
#include "writequeue.h"

#include <QDialog>
#include <QHash>
#include <QJsonDocument>
#include <QNetworkReply>

#include <algorithm>
#include <cmath>
#include <utility>

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

const QString unreadable = QStringLiteral("ответ сервера не удалось прочитать");

// What became of a read that brought no list and no refusal, in the user's
// words.
QString silenceOf(QNetworkReply *reply, Outcome outcome)
{
    const int timeout = NetworkManagerWrapper::timedOutAfter(reply);
    if (timeout > 0)
        return QStringLiteral("сервер не ответил за %1 с").arg(timeout / 1000.0);
    if (outcome == Outcome::NotSent)
        return QStringLiteral("сервер недоступен (%1)").arg(reply->errorString());
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // A gateway's page in place of the server's answer.
    if (outcome != Outcome::Done && status >= 400)
        return QStringLiteral("сервер ответил ошибкой HTTP %1 %2")
            .arg(status)
            .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
            .trimmed();
    if (outcome != Outcome::Done)
        return QStringLiteral("связь с сервером прервалась (%1)").arg(reply->errorString());
    return unreadable;
}

}  // namespace

SaveLoop::Attempt SaveLoop::take(QNetworkReply *reply)
{
    Attempt attempt;
    attempt.outcome = NetworkManagerWrapper::outcome(reply);
    attempt.answer = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply)).object();
    attempt.redirect = NetworkManagerWrapper::stoppedAt(reply);
    attempt.redirectTarget = NetworkManagerWrapper::redirectTarget(reply);
    attempt.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    reply->deleteLater();
    return attempt;
}

QSet<int> SaveLoop::idsOf(const QJsonArray &rows)
{
    QSet<int> ids;
    for (const QJsonValue &row : rows)
        ids.insert(row.toObject().value(QStringLiteral("id")).toInt());
    return ids;
}

SaveLoop::Creation SaveLoop::listedAt(const QUrl &url)
{
    Creation creation;
    creation.list = url.toString();
    creation.rows = [url] { return readRows(url); };
    creation.readFirst = true;
    return creation;
}

SaveLoop::Read<QJsonDocument> SaveLoop::read(const QUrl &url)
{
    // Nothing is read for a user who is leaving, nor while the program ends.
    if (WriteQueue::isFinishing()) {
        Read<QJsonDocument> none;
        none.unread.silence = QStringLiteral("пользователь сменяется");
        return none;
    }
    // The caller tells the user what an unread document leaves open, in one box.
    NetworkManagerWrapper reader;
    reader.setChecksDisabled();
    // Busy as the write was: a window usable meanwhile invites the same
    // record once more.
    Global::showPreloader(nullptr);
    QNetworkReply *reply = reader.getUrl(url, true, true);
    Global::hidePreloader();
    const Outcome outcome = NetworkManagerWrapper::outcome(reply);
    const QJsonDocument document = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply));
    Read<QJsonDocument> result;
    if (outcome == Outcome::Done && !document.isNull() && !Global::isFailureEnvelope(document)) {
        result.emplace(document);
    } else if (outcome == Outcome::Refused || Global::isFailureEnvelope(document)) {
        result.unread.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        QString why = NetworkManagerWrapper::serverMessage(document);
        if (why.isEmpty())
            why = QStringLiteral("HTTP %1 %2")
                      .arg(result.unread.status)
                      .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
                      .trimmed();
        result.unread.reason = QStringLiteral("сервер отказал в проверке (%1)").arg(why);
    } else if (NetworkManagerWrapper::stoppedAtRedirect(reply)) {
        result.unread.reason = NetworkManagerWrapper::failureReason(reply);
    } else {
        result.unread.silence = silenceOf(reply, outcome);
    }
    delete reply;
    return result;
}

SaveLoop::Rows SaveLoop::readRows(const QUrl &url)
{
    const Read<QJsonDocument> rows = read(url);
    if (rows && rows->isArray())
        return rows->array();
    Rows unread;
    unread.unread = rows.unread;
    if (rows)
        unread.unread.silence = unreadable;
    return unread;
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
    return send([&] { return network.sendUrl(verb, url, body, true, true); });
}

SaveLoop::Sender SaveLoop::senderOf(NetworkManagerWrapper &network)
{
    return [&network](QNetworkAccessManager::Operation verb, const QUrl &url,
                      const QJsonDocument &body) { return write(network, verb, url, body); };
}

std::function<SaveLoop::Attempt(const QJsonObject &)> SaveLoop::sendTo(
    const Sender &sender, QNetworkAccessManager::Operation verb, const QUrl &url)
{
    return [sender, verb, url](const QJsonObject &record) {
        return sender(verb, url, QJsonDocument(record));
    };
}

QJsonObject SaveLoop::correction(const QJsonObject &found, const QJsonObject &sent,
                                 const QJsonObject &record)
{
    QJsonObject edit = record;
    for (auto it = record.constBegin(); it != record.constEnd(); ++it) {
        const QJsonValue stored = found.value(it.key());
        // A list row nests the records a write refers to; those keys are sent as typed.
        if (sent.value(it.key()) == it.value() && !stored.isUndefined() && !stored.isObject()
            && !stored.isArray())
            edit.insert(it.key(), stored);
    }
    return edit;
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

QList<QJsonObject> SaveLoop::findStored(const QJsonArray &rows, const QSet<int> &before,
                                        const QJsonObject &sent)
{
    QList<QJsonObject> found;
    for (const QJsonValue &value : rows) {
        const QJsonObject row = value.toObject();
        const int id = row.value(QStringLiteral("id")).toInt();
        if (id > 0 && !before.contains(id) && carries(row, sent))
            found.append(row);
    }
    return found;
}

namespace {

// The writes that got no answer, by their list, until a list that was read
// tells what became of them.
struct Remembered
{
    quint64 serial = 0;
    SaveLoop::Unconfirmed write;
};
QHash<QString, QList<Remembered>> remembered;
quint64 lastSerial = 0;

quint64 remember(const QString &list, const SaveLoop::Unconfirmed &write)
{
    remembered[list].append({++lastSerial, write});
    return lastSerial;
}

void forget(const QString &list, quint64 serial)
{
    const auto found = remembered.find(list);
    if (found == remembered.end())
        return;
    found->removeIf([serial](const Remembered &entry) { return entry.serial == serial; });
    if (found->isEmpty())
        remembered.erase(found);
}

// What `rows`, read after it, say of `write`: the rows that carry it; no
// value when the list could not be read.
std::optional<QList<QJsonObject>> lookUp(const std::optional<QJsonArray> &rows,
                                         const SaveLoop::Unconfirmed &write)
{
    if (!rows)
        return std::nullopt;
    return SaveLoop::findStored(*rows, write.before, write.sent);
}

// The user's words for rows found more than one.
QString several(const SaveLoop::Creation &creation, const QList<QJsonObject> &found)
{
    QList<int> ids;
    for (const QJsonObject &row : found)
        ids << row.value(QStringLiteral("id")).toInt();
    std::sort(ids.begin(), ids.end());
    QStringList named;
    for (int id : std::as_const(ids))
        named << QString::number(id);
    return creation.texts.several.arg(named.join(QStringLiteral(", ")));
}

// Whether `record` holds only what `sent` held: nothing typed after the
// write went unsent. Unlike a list row, which may not show every key, the two
// are the same form's records; a date-time counts to the minute, as typed.
bool unchangedSince(const QJsonObject &sent, const QJsonObject &record)
{
    QStringList keys = sent.keys() + record.keys();
    keys.removeDuplicates();
    for (const QString &key : std::as_const(keys)) {
        const QJsonValue before = sent.value(key);
        const QJsonValue now = record.value(key);
        if (key == QLatin1String("id") || before == now)
            continue;
        if (before.type() != now.type() || before.isArray())
            return false;
        if (before.isObject() ? !unchangedSince(before.toObject(), now.toObject())
                              : !sameValue(before, now))
            return false;
    }
    return true;
}

QJsonObject listed(const SaveLoop::Creation &creation, const QJsonObject &record)
{
    return creation.asListed ? creation.asListed(record) : record;
}

void inform(QWidget *parent, const QString &text)
{
    MessageBox::information(parent, QStringLiteral("Сохранение"), text, QMessageBox::Ok);
}

void warn(QWidget *parent, const QString &text)
{
    MessageBox::warning(parent, QStringLiteral("Сохранение"), text, QMessageBox::Ok);
}

// Corrects the record of this save's own write, found stored, with what is
// typed now: saved when the server takes the correction. Otherwise the next
// attempt corrects it again, and the write stays remembered meanwhile, so
// that a save begun afresh never sends the record a second time.
SaveLoop::Result correct(QWidget *parent, const QJsonObject &record, const SaveLoop::Creation &creation,
                         const std::function<void()> &reload, SaveLoop::Progress &progress)
{
    const int id = progress.found.value(QStringLiteral("id")).toInt();
    const SaveLoop::Attempt attempt =
        creation.amend(id, SaveLoop::correction(progress.found, progress.sent, record));
    reload();
    if (attempt.outcome != NetworkManagerWrapper::Outcome::Done)
        return {};
    forget(creation.list, std::exchange(progress.own, 0));
    const int status = std::exchange(progress.status, 0);
    progress.found = progress.sent = {};
    inform(parent, SaveLoop::toldFor(status, creation.texts.amended));
    QJsonObject answer = attempt.answer;
    if (answer.value(QStringLiteral("id")).toInt() != id)
        answer.insert(QStringLiteral("id"), id);
    return {true, answer};
}

}  // namespace

QString SaveLoop::unreadText(const Texts &texts, const Unread &unread)
{
    if (unread.reason.isEmpty())
        return texts.unknown;
    const bool signIn = unread.status == 401 || unread.status == 403;
    return (signIn ? texts.signInFirst : texts.refused).arg(unread.reason);
}

QString SaveLoop::unsentText(const Texts &texts, const Unread &unread)
{
    const bool signIn = unread.status == 401 || unread.status == 403;
    return (signIn ? texts.unsentSignIn : texts.unsent)
        .arg(unread.reason.isEmpty() ? unread.silence : unread.reason);
}

QString SaveLoop::toldFor(int status, const QString &text)
{
    // A write of unknown outcome answered with such a status got one that
    // told nothing: a redirect it did not follow, or a gateway's page. A
    // status of success came with an answer cut off.
    if (status < 300)
        return text;
    for (const QString &silent : {QStringLiteral("Сервер не ответил вовремя"), QStringLiteral("Сервер не ответил")}) {
        if (text.startsWith(silent))
            return QStringLiteral("Ответ сервера не сказал, принят ли запрос") + text.mid(silent.size());
    }
    return text;
}

QString SaveLoop::notStored(const Texts &texts, const Attempt &attempt)
{
    using Redirect = NetworkManagerWrapper::Redirect;
    switch (attempt.redirect) {
    // Sent on by the server to another address, the write meets the same
    // address at every OK until the connection settings change.
    case Redirect::Moved:
        return texts.moved.arg(NetworkManagerWrapper::movedReason(attempt.redirectTarget));
    case Redirect::Looped:
        return texts.redirected.arg(QStringLiteral("Сервер перенаправлял запрос по кругу"));
    case Redirect::Unaddressed:
        return texts.redirected.arg(QStringLiteral("Сервер ответил перенаправлением без адреса"));
    default:
        return texts.absent;
    }
}

void SaveLoop::forgetAllForTesting()
{
    remembered.clear();
}

SaveLoop::Result SaveLoop::save(QWidget *parent, const QJsonObject &record,
                                const std::function<Attempt(const QJsonObject &)> &send,
                                const std::function<void()> &reload, const Creation *creation,
                                Progress &progress)
{
    if (creation && !progress.found.isEmpty())
        return correct(parent, record, *creation, reload, progress);

    // The server may have stored a record and lost only its answer: until a
    // list that was read shows such a write absent, nothing more is sent to
    // its list, from this dialog or from another.
    // The list as the server held it just before this write, when its
    // look-up judges by that.
    Rows before;
    if (creation && remembered.contains(creation->list)) {
        const Rows rows = creation->rows();
        if (!rows) {
            reload();
            warn(parent, toldFor(progress.own ? progress.status : 0, unreadText(creation->texts, rows.unread)));
            return {};
        }
        bool earlierStored = false;
        const QList<Remembered> writes = remembered.value(creation->list);
        for (const Remembered &entry : writes) {
            const QList<QJsonObject> found =
                findStored(*rows, entry.write.before, listed(*creation, entry.write.sent));
            const bool own = entry.serial == progress.own;
            if (found.size() > 1) {
                // Settled as far as a list can settle it: the user is told
                // what it holds, and the next OK is a write of his own choice.
                forget(creation->list, entry.serial);
                if (own)
                    progress = {};
                reload();
                warn(parent, toldFor(entry.write.status, several(*creation, found)));
                return {};
            }
            const QJsonObject stored = found.value(0);
            // Judged by what was sent, not by what the list shows of it:
            // a key the list leaves out may hold what was typed since.
            const bool same = !stored.isEmpty() && unchangedSince(entry.write.sent, record);
            if (!stored.isEmpty() && own && !same && creation->amend) {
                // Stays remembered until the correction is taken.
                progress.found = stored;
                progress.sent = entry.write.sent;
                return correct(parent, record, *creation, reload, progress);
            }
            forget(creation->list, entry.serial);
            if (stored.isEmpty())
                continue;
            if (!own && !same) {
                earlierStored = true;
                continue;
            }
            progress = {};
            reload();
            inform(parent, toldFor(entry.write.status, same ? creation->texts.stored : creation->texts.kept));
            return {true, stored};
        }
        progress.own = 0;
        if (earlierStored) {
            reload();
            warn(parent, creation->texts.earlier);
            return {};
        }
        // Read just now, with nothing sent since.
        if (creation->readFirst)
            before = rows;
    }

    if (creation && creation->readFirst) {
        // Read for every write, whatever a window shows of the list: rows
        // read a while ago miss those another desk stored since, which a
        // write without an answer would take for its own. Without them, such
        // a write could be told from no row like it that the server held
        // already: it is not sent.
        if (!before)
            before = creation->rows();
        if (!before) {
            reload();
            warn(parent, unsentText(creation->texts, before.unread));
            return {};
        }
    }
    const Attempt attempt = send(record);
    if (attempt.outcome == Outcome::Unanswered && creation) {
        // The ids listed before this write stay the ones it is judged by: the
        // reload may bring its record into the list meanwhile.
        const Unconfirmed write{record, before ? idsOf(*before) : QSet<int>(), attempt.status};
        progress.own = remember(creation->list, write);
        progress.status = attempt.status;
        const Rows rows = creation->rows();
        const std::optional<QList<QJsonObject>> found = lookUp(rows, {listed(*creation, record), write.before});
        reload();
        if (found && !found->isEmpty()) {
            forget(creation->list, std::exchange(progress.own, 0));
            if (found->size() > 1) {
                warn(parent, toldFor(attempt.status, several(*creation, *found)));
                return {};
            }
            inform(parent, toldFor(attempt.status, creation->texts.stored));
            return {true, found->first()};
        }
        // Looked for again at the next attempt, even when not found now: a
        // slow server may store it after this read. Not found in a list that
        // could not be read is not found absent.
        warn(parent, toldFor(attempt.status, found ? notStored(creation->texts, attempt)
                                                   : unreadText(creation->texts, rows.unread)));
        return {};
    }
    reload();
    if (attempt.outcome == Outcome::Done)
        return {true, attempt.answer};
    return {};
}

SaveLoop::Result SaveLoop::run(QDialog &dialog, const std::function<QJsonObject()> &record,
                               const std::function<Attempt(const QJsonObject &)> &send,
                               const std::function<void()> &reload, const Creation *creation)
{
    Progress progress;
    while (dialog.exec() == QDialog::Accepted) {
        const Result result = save(&dialog, record(), send, reload, creation, progress);
        if (result.saved)
            return result;
    }
    return {};
}

SaveLoop::Result SaveLoop::runWrite(QDialog &dialog, const std::function<QJsonObject()> &record,
                                    const Sender &sender, QNetworkAccessManager::Operation verb,
                                    const QUrl &url, const QUrl &list,
                                    const std::function<void()> &reload)
{
    Creation creation = listedAt(list);
    creation.amend = [&sender, url](int id, const QJsonObject &record) {
        QJsonObject edit = record;
        edit.insert(QStringLiteral("id"), id);
        return sender(QNetworkAccessManager::PutOperation,
                      QUrl(url.toString() + QLatin1Char('/') + QString::number(id)), QJsonDocument(edit));
    };
    return run(dialog, record, sendTo(sender, verb, url), reload,
               verb == QNetworkAccessManager::PostOperation ? &creation : nullptr);
}
