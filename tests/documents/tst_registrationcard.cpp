#include "documenttesting.h"
#include "testregistry.h"

#include "registrationcard.h"

using namespace ReportTestUtil;

class RegistrationCardTest : public DocumentTestBase
{
    Q_OBJECT

    int addCardPerson()
    {
        return server().addRecord(
            "persons",
            {{"surname", "Карточкин"}, {"name", "Игорь"}, {"lastname", "Павлович"},
             {"birthDate", "1980-02-29T00:00:00.000"}, {"organizationId", 1}, {"positionId", 1},
             {"streamId", 1}, {"phone", "+7 900 000-00-01"},
             {"sensitive", QJsonObject{{"series", "45 01"}, {"number", "000111"},
                                       {"date", "2005-03-04T00:00:00.000"}, {"whom", "ОВД"}}}});
    }

    static QStringList column(QTextTable *table, int column)
    {
        QStringList texts;
        for (int row = 0; row < table->rows(); ++row)
            texts << cellText(table, row, column);
        return texts;
    }

private slots:
    void printsThePersonAndTheStays()
    {
        const int id = addCardPerson();
        const int rate = server().addRecord("rates", {{"cost", 1500}, {"size", 1}});
        for (const auto &[room, rateId] : {std::pair{3, rate}, {1, 1}, {2, 2}})
            server().addRecord("accommodation",
                               {{"personId", id}, {"roomId", room}, {"rateId", rateId},
                                {"inDate", "2026-12-01T12:00:00.000"},
                                {"outDate", "2026-12-05T12:00:00.000"}});
        RegistrationCard card;
        card.setTargetId(id);
        QTextDocument *document = built(card);

        QStringList paths;
        for (const StandIn::Request &request : server().requests()) {
            paths << request.path;
            QCOMPARE(request.header("Authorization"), bearer());
            QVERIFY(!request.hasHeader("Content-Type"));
        }
        const QString person = QString("/persons/%1").arg(id);
        QCOMPARE(paths,
                 (QStringList{person + "/accommodation", person, "/globals/OrganizationInfo"}));

        const QList<QTextTable *> all = tables(document);
        QCOMPARE(column(all.at(0), 0).first(),
                 server().global("OrganizationInfo").toObject()["name"].toString());
        QCOMPARE(column(all.at(0), 1).first(), QString("10.12.2026 09:05"));
        QCOMPARE(column(all.at(1), 1),
                 (QStringList{"Карточкин Игорь Павлович", "29.02.1980", "ООО «Технопром»", "ТП01",
                              "Инженер", "Охрана труда", ""}));

        QTextTable *stays = all.at(2);
        QCOMPARE(column(stays, 2), (QStringList{"Номер", "201", "101", "102"}));
        QCOMPARE(column(stays, 0).at(1), QString("01.12.2026 12:00"));
        QCOMPARE(column(stays, 4),
                 (QStringList{"Тариф, за 1 сутки", "1500.00 (руб.)", "2500.00 (руб.)",
                              "1800.00 (руб.)"}));
        for (int row = 0; row < stays->rows(); ++row)
            QCOMPARE(cellBlock(stays, row, 4).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
                     Qt::AlignRight);

        QTextTable *passport = all.at(3);
        QCOMPARE(cellText(passport, 1, 1), QString("серия 45 01 номер 000111"));
        QCOMPARE(cellText(passport, 1, 3), QString("04.03.2005"));

        const QStringList paragraphs = bodyParagraphs(document);
        QVERIFY(paragraphs.contains("Подпись ответственного за регистрацию "
                                    "__________________________ /Орлова Татьяна Викторовна/"));
        QVERIFY(paragraphs.contains("«____» _______________ 20___г.\t√_________________________ "
                                    "/И.П. Карточкин/"));
    }

    void withoutStaysTheTableKeepsItsHeader()
    {
        RegistrationCard card;
        card.setTargetId(addCardPerson());
        QTextTable *stays = tables(built(card)).at(2);
        QCOMPARE(stays->rows(), 1);
        QCOMPARE(stays->columns(), 5);
        QCOMPARE(cellText(stays, 0, 0), QString("с"));
        QCOMPARE(cellText(stays, 0, 4), QString("Тариф, за 1 сутки"));
    }
};

LOMI_TEST_CLASS(RegistrationCardTest)

#include "tst_registrationcard.moc"
