#pragma once

#include "guitestbase.h"

#include <QJsonObject>

// Small data set shared by the list and editor tests: three districts (one
// written in lower case, for the search), two regions (one without a
// district) and users with every combination of the read and write bits.
namespace ViewsTest {

inline QJsonObject fixture()
{
    static const QJsonObject data
        = GuiTestBase::fixtureFile(QStringLiteral(LOMI_TEST_DATA_DIR "/fixture.json"));
    return data;
}

}  // namespace ViewsTest
