#pragma once

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QUrl>

class QNetworkReply;

// The network access manager every window owns for its requests. It adds
// the JSON content type and, when asked, the signed-in user's bearer header,
// can wait for a reply in a nested event loop, and judges every reply once
// (outcome()): unless its checks are disabled it shows "Request failed" for
// a failed reply and "Ошибка" for a write the server refused with its
// failure envelope, each with the server's own "message" when it sent one.
//
// A write (POST, PUT, DELETE) goes out at most once, however it is sent:
// Qt sends a request again on a new connection when the one it went on
// closes before the answer, and a write the server stored before the line
// dropped would be stored twice. Such a write fails instead, its outcome
// unknown (Outcome::Unanswered). A write follows only a 307 or a 308 to the
// server's own origin, with its verb and body, at most 20 of them within one
// time-out; any other redirect ends it, its outcome unknown, and it finishes
// once, whatever the order of its owner's abort, its time-out and a hop's
// answer. A read may be sent again, and follows every redirect on the origin
// it was sent to, as many as Qt allows; one to another origin ends it. No
// request goes on to another origin than the server's in the connection
// settings: the bearer header and the records go nowhere else. A 5xx without
// the server's own JSON message, a 502 and a 504 leave a write's outcome
// unknown too: a gateway in front of the server answered in its place.
//
// Replies belong to the caller, who deletes them when done.
class NetworkManagerWrapper : public QNetworkAccessManager
{
    Q_OBJECT

public:
    explicit NetworkManagerWrapper(QObject *parent = nullptr);
    ~NetworkManagerWrapper() override;

    void setChecksDisabled();
    void setChecksEnabled();
    bool areChecksEnabled() const { return checksEnabled; }

    QNetworkRequest prepareRequest(const QUrl &url, bool authorize) const;

    QNetworkReply *getUrl(const QUrl &url, bool authorize, bool sync);
    QNetworkReply *deleteUrl(const QUrl &url, bool authorize, bool sync);
    QNetworkReply *postUrl(const QUrl &url, const QJsonDocument &body, bool authorize, bool sync);
    QNetworkReply *putUrl(const QUrl &url, const QJsonDocument &body, bool authorize, bool sync);
    // One of the three above by its verb: POST, PUT, or DELETE (no body).
    QNetworkReply *sendUrl(QNetworkAccessManager::Operation verb, const QUrl &url,
                           const QJsonDocument &body, bool authorize, bool sync);

    // Every request ends as a failure after this long without data
    // (a server that accepts and never answers must not freeze the program).
    static int transferTimeout();
    // Tests shorten the time-out; the program keeps the default of 60 s.
    static void setTransferTimeoutForTesting(int milliseconds);

    // What a finished reply came to, for every owner alike.
    enum class Outcome {
        Done,        // the server answered and took the request
        Refused,     // an HTTP error, or a write answered {"Ok": false}
        Unanswered,  // no whole answer (a time-out, a connection closed,
                     // reset or cut off, a gateway's 5xx, a redirect not
                     // followed): a write may have been stored
        NotSent      // no connection was made (refused, host not found):
                     // the request surely never left
    };
    static Outcome outcome(QNetworkReply *reply);
    // The reply's body; empty, without Qt's warning, for a reply that was
    // aborted (a time-out) and has nothing to read.
    static QByteArray readBody(QNetworkReply *reply);
    // The "message" of a JSON body, empty when there is none.
    static QString serverMessage(const QByteArray &body);
    static QString serverMessage(const QJsonDocument &document);

    // Waits in a nested event loop until this manager has finished `reply`
    // and every slot on finished() has handled it.
    void waitFor(QNetworkReply *reply);

    // How a reply ended at a redirect that it did not follow.
    enum class Redirect {
        None,       // it did not
        Moved,      // a 301 or 302 to another address, or a 307 or 308 (or
                    // a read's redirect) to another origin
        SeeOther,   // a 303, which a server may send once it stored a
                    // write, to the write's own address too
        Looped,     // sent round: the 20 redirects used up, or sent back
                    // to the address it went to (but by a 303)
        Unaddressed // a redirect that named no address
    };
    static Redirect stoppedAt(const QNetworkReply *reply);
    static bool stoppedAtRedirect(const QNetworkReply *reply) { return stoppedAt(reply) != Redirect::None; }
    // Where a reply that stopped at a redirect was sent; empty when it was
    // not, or the redirect named no address.
    static QUrl redirectTarget(const QNetworkReply *reply);
    // The words for a request that the server sent to `target`, where it did
    // not go: where it pointed, and where the clerk changes the address.
    static QString movedReason(const QUrl &target);

    // The time-out, in milliseconds, that ended `reply`; 0 when none did.
    static int timedOutAfter(QNetworkReply *reply);
    // Why a failed reply failed, in the words of the transport's box.
    static QString failureReason(QNetworkReply *reply);

    // The box a failed reply shows when the checks are on; none for a reply
    // that succeeded.
    static void reportFailure(QNetworkReply *reply);

public slots:
    void checkRequestResult(QNetworkReply *reply);

protected:
    QNetworkReply *createRequest(Operation op, const QNetworkRequest &request,
                                 QIODevice *outgoingData) override;

private:
    QNetworkReply *finish(QNetworkReply *reply, bool sync);

    bool checksEnabled = true;
};
