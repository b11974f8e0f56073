#include "testregistry.h"

#include <QFile>
#include <QIcon>
#include <QTest>

// The client's resources live in a static library; they must survive linking.
class ResourcesTest : public QObject
{
    Q_OBJECT

private slots:
    void embeddedResourcesLoad_data()
    {
        QTest::addColumn<QString>("path");
        for (const char *name : {"minimize", "maximize", "delete", "add", "edit", "refresh",
                                 "copy", "print"})
            QTest::newRow(name) << QStringLiteral(":/icons/%1.ico").arg(QLatin1String(name));
        QTest::newRow("settings") << QStringLiteral(":/icons/settings.png");
    }

    void embeddedResourcesLoad()
    {
        QFETCH(QString, path);
        QVERIFY2(QFile::exists(path), qPrintable(path));
        QIcon icon(path);
        QVERIFY(!icon.pixmap(16, 16).isNull());
    }

    void defaultTemplateIsEmbedded()
    {
        QFile file(":/reports/Default.xml");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray xml = file.readAll();
        QVERIFY(xml.contains("currentDate"));
        QVERIFY(xml.contains("orgInfo"));
    }
};

LOMI_TEST_CLASS(ResourcesTest)

#include "tst_resources.moc"
