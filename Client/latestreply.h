#pragma once

#include <QtGlobal>

class QNetworkReply;

// Tells the answer to the latest request for one piece of data from the
// answers to older requests for it, which a slow line may bring later: only
// the latest may be shown, or rows older than those already shown come back.
class LatestReply
{
public:
    // `reply` answers the request now the latest; returned as it is.
    QNetworkReply *sent(QNetworkReply *reply);
    // Whether `reply` answers the latest request: none was sent after it,
    // and the pending ones were not dropped since.
    bool isLatest(const QNetworkReply *reply) const;
    // The data has changed since every request sent so far: none of their
    // answers may be shown.
    void dropPending();

private:
    quint64 latest = 0;
};
