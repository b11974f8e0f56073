#pragma once

#include "guitestbase.h"

#include "global.h"
#include "jsontablemodel.h"
#include "loginmanager.h"
#include "requesttablemodel.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkRequest>
#include <QUrl>

namespace EditorsTest {

// The records behind the editor tests: references present and missing,
// archived and paid records, kopecks, times of day and sizes above 99.
inline QJsonObject fixture()
{
    return GuiTestBase::fixtureFile(QStringLiteral(LOMI_TEST_DATA_DIR "/fixture.json"));
}

// A list of the stand-in server read as its window would read it.
inline void load(RequestTableModel &model, const QString &path,
                 const JsonTableModel::Headers &headers)
{
    QNetworkRequest request(QUrl(Global::endpoint(path)));
    LoginManager::instance()->authorizeRequest(request);
    model.setRequest(request);
    model.setHeaders(headers);
    model.selectSync();
}

}  // namespace EditorsTest
