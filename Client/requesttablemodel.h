#pragma once

#include "jsontablemodel.h"
#include "latestreply.h"

#include <QNetworkRequest>

class NetworkManagerWrapper;
class QNetworkReply;

// A JSON table model filled by one GET request. The body alone decides:
// an empty or unparsable body, an error reply or the server's failure
// envelope (an object whose "Ok" is not true) leaves the model empty.
//
// Only the answer to the latest request is taken in: an older one that a
// slow line brings later is dropped, so the rows shown are never older than
// the rows shown before. The request goes with the bearer token of the user
// signed in when it is sent, whoever was when it was composed, and a sign-in
// empties the model: no row read for one user is shown to the next.
class RequestTableModel : public JsonTableModel
{
    Q_OBJECT

public:
    explicit RequestTableModel(QObject *parent = nullptr);
    ~RequestTableModel() override;

    // The caller composes the request completely (URL and headers; a bearer
    // header stands for the signed-in user's).
    void setRequest(const QNetworkRequest &request);
    QNetworkRequest getRequest() const { return request; }

    void select();
    // Loads and waits in a nested event loop until this call's own reply
    // has been handled: taken in, or dropped for a request sent meanwhile.
    void selectSync();
    // Empties the model; no answer to a request sent before is taken in,
    // and the list is unread until the next one is.
    void clear();
    // Whether the rows shown are a list the server gave: not before an
    // answer is taken in, nor after clear() or an answer that was a failure.
    // An empty list that was read says something, an unread one nothing.
    bool isRead() const { return read; }

public slots:
    void dataFetched(QNetworkReply *reply);

signals:
    // After an answer has been taken in.
    void selectFinished();

private:
    NetworkManagerWrapper *manager;
    QNetworkRequest request;
    LatestReply latest;
    bool read = false;
};
