#pragma once

#include "latestreply.h"
#include "networkmanagerwrapper.h"
#include "permissionsaware.h"

#include <QJsonDocument>
#include <QNetworkRequest>
#include <QString>
#include <QWidget>

class QNetworkReply;

// Base of the windows that show and edit one JSON document of the server as
// a whole: it loads the document into the subclass (fromJson) and writes
// the subclass's document back with PUT (save). Only the answer to the
// latest load reaches fromJson: an older one that a slow line brings later
// is dropped. A failed load hands it an empty document, so that a list shows
// no rows of a refusal. A sign-in empties every such window, shown or not, as
// a failed load does, and drops the answers still on their way to the user
// who has gone. Nothing is loaded while a user's changes are finished for his
// leaving.
class RawViewWidget : public QWidget, public PermissionsAware
{
    Q_OBJECT

public:
    explicit RawViewWidget(QWidget *parent = nullptr);

    // Either an endpoint (the URL is rebuilt from it at every load and save)
    // or a complete request with the endpoint left empty.
    void setEndpoint(const QString &endpoint);
    void setRequest(const QNetworkRequest &request);

    virtual void fromJson(const QJsonDocument &document) = 0;
    virtual QJsonDocument toJson() = 0;

    // update(QNetworkReply*) below must not hide the widget's repaint overloads.
    using QWidget::update;

public slots:
    virtual void handleUpdate();
    void update(QNetworkReply *reply);
    // Writes the document and waits for the answer; the reply's box, if any,
    // has been shown by then.
    NetworkManagerWrapper::Outcome save();

protected:
    // Whether the reply being handed to fromJson failed: the request reported
    // an error or the server answered its failure envelope {"Ok": false}.
    // A window whose save would write back what it loaded checks it, so that
    // it never saves the empty document of a failure.
    bool replyFailed() const { return failedReply; }

    NetworkManagerWrapper manager;
    // One request for loads and saves: a header set once stays set.
    QNetworkRequest request;
    QString endpoint;

private:
    bool failedReply = false;
    LatestReply loads;
};
