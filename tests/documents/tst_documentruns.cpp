#include "documenttesting.h"
#include "testregistry.h"

#include "bill.h"
#include "form1act.h"
#include "receipt.h"
#include "registrationcard.h"

#include <previewdialog.h>

#include <QTemporaryDir>

using ReportEngine::PreviewDialog;
using namespace ReportTestUtil;

// Whole runs through the preview: a failed read still previews, but for a
// bill, whose sums it would falsify, and a registration card's stays; and what
// is printed reads back from the PDF.
class DocumentRunTest : public DocumentTestBase
{
    Q_OBJECT

    QTemporaryDir dir;

    // A document of one kind over fresh records; `path` gets the id it reads
    // in place of %1.
    std::unique_ptr<ExtendedReport> document(const QString &kind, QString *path)
    {
        const int person = addPerson("Печатников", {1500.5});
        const int receipt = server().addRecord(
            "receipts", {{"personId", person}, {"number", 115}, {"propertyId", 1}});
        path->replace("%1", QString::number(kind == "act" ? receipt : person));
        if (kind == "bill") {
            auto bill = std::make_unique<Bill>();
            bill->setTargetId(person);
            return bill;
        }
        if (kind == "card") {
            auto card = std::make_unique<RegistrationCard>();
            card->setTargetId(person);
            return card;
        }
        if (kind == "receipt") {
            auto document = std::make_unique<Receipt>();
            document->setPerson("Печатников Иван Петрович");
            document->setObject({{"number", 115}, {"extraService", QJsonObject{{"name", "Прокат"}}},
                                 {"summ", 1500.5}});
            return document;
        }
        auto act = std::make_unique<Form1Act>();
        act->setTarget(receipt, 1);
        return act;
    }

private slots:
    void failedReadStillReachesThePreview_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("box");
        QTest::addColumn<QString>("printed");  // empty: no preview

        QTest::newRow("bill") << "bill" << "persons/%1" << true << QString();
        QTest::newRow("receipt") << "receipt" << "globals/OrganizationInfo" << true << "ИНН  КПП ";
        QTest::newRow("card") << "card" << "persons/%1" << false << "Фамилия Имя Отчество: \n\n";
        // Signed, a card without them would record no stay.
        QTest::newRow("card, stays unread") << "card" << "persons/%1/accommodation" << false << QString();
        QTest::newRow("act") << "act" << "receipts/%1" << true
                             << "Акт приема-передачи движимого имущества №0";
    }

    void failedReadStillReachesThePreview()
    {
        QFETCH(QString, kind);
        QFETCH(QString, path);
        QFETCH(bool, box);
        QFETCH(QString, printed);

        const auto run = document(kind, &path);
        StandIn::Failure failure;
        failure.body.clear();
        server().injectFailure("GET", path, failure);
        if (box)
            MessageBox::setNextAnswer(QMessageBox::Ok);
        if (printed.isEmpty())
            MessageBox::setNextAnswer(QMessageBox::Ok);
        else
            PreviewDialog::setNextResult(0);
        run->exec();

        QCOMPARE(boxTexts("Request failed").size(), box ? 1 : 0);
        if (printed.isEmpty()) {
            QCOMPARE(boxTexts("Документ не сформирован"),
                     QStringList{kind == "bill" ? "Счёт не сформирован: не удалось загрузить сведения о физическом "
                                                  "лице. Сформируйте его снова, когда сервер ответит."
                                                : "Регистрационная карта не сформирована: не удалось загрузить "
                                                  "проживание. Сформируйте её снова, когда сервер ответит."});
            QVERIFY(PreviewDialog::history().isEmpty());
            return;
        }
        QCOMPARE(PreviewDialog::history().size(), 1);
        const QString text = PreviewDialog::history().first().text;
        QVERIFY2(text.contains(printed), qPrintable(text));
    }

    void printsToPdf_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("copies");
        QTest::addColumn<QStringList>("texts");  // the first once per copy

        const QString name = "Печатников Иван Петрович";
        QTest::newRow("bill") << "bill" << 2
                              << QStringList{"СЧЕТ №7", name, "1500.50 р.",
                                             "одна тысяча пятьсот рублей 50 копеек"};
        QTest::newRow("receipt") << "receipt" << 2
                                 << QStringList{"Квитанция №115", name, "1500.50",
                                                "одна тысяча пятьсот рублей 50 копеек"};
        QTest::newRow("card") << "card" << 1
                              << QStringList{"КАРТА РЕГИСТРАЦИИ", name, "2500.00 (руб.)",
                                             "«О персональных данных»"};
        QTest::newRow("act") << "act" << 2
                             << QStringList{"Акт приема-передачи движимого имущества №115", name,
                                            "1500.00", "Утюг"};
    }

    void printsToPdf()
    {
        QFETCH(QString, kind);
        QFETCH(int, copies);
        QFETCH(QStringList, texts);

        QString path;
        const auto run = document(kind, &path);
        const QString pdf = dir.filePath(kind + ".pdf");
        PreviewDialog::setNextResult(1, pdf);
        run->exec();

        const QString text = pdfText(pdf).simplified();
        QVERIFY2(!text.isEmpty(), "pdftotext read nothing");
        QCOMPARE(text.count(texts.first()), copies);
        for (const QString &expected : texts)
            QVERIFY2(text.contains(expected), qPrintable(expected + " in " + text));
    }
};

LOMI_TEST_CLASS(DocumentRunTest)

#include "tst_documentruns.moc"
