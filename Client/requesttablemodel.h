#pragma once

#include "jsontablemodel.h"

#include <QNetworkRequest>

class QNetworkAccessManager;
class QNetworkReply;

// A JSON table model filled by one GET request. The body alone decides:
// an empty or unparsable body, an error reply or the server's failure
// envelope (an object whose "Ok" is not true) leaves the model empty.
class RequestTableModel : public JsonTableModel
{
    Q_OBJECT

public:
    explicit RequestTableModel(QObject *parent = nullptr);
    ~RequestTableModel() override;

    // The caller composes the request completely (URL and headers).
    void setRequest(const QNetworkRequest &request);
    QNetworkRequest getRequest() const { return request; }

    void select();
    // Loads and waits in a nested event loop until this call's own reply
    // has been taken in.
    void selectSync();

public slots:
    void dataFetched(QNetworkReply *reply);

signals:
    void selectFinished();

private:
    QNetworkAccessManager *manager;
    QNetworkRequest request;
    QNetworkReply *lastHandledReply = nullptr;
};
