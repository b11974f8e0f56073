#include "personeditdialog.h"

#include "clock.h"
#include "commonselectordialog.h"
#include "datetimeitemdelegate.h"
#include "global.h"
#include "loginmanager.h"
#include "messagebox.h"
#include "money.h"
#include "networklog.h"
#include "moneyitemdelegate.h"
#include "payeritemdelegate.h"
#include "selectorfactory.h"
#include "ui_personeditdialog.h"
#include "verificationdialog.h"

#include <QCloseEvent>
#include <QIntValidator>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QNetworkReply>
#include <QPushButton>
#include <QShowEvent>
#include <QUrl>

#include <algorithm>
#include <climits>

namespace {

enum class Delegate { None, DateTime, DateOnly, Money, Payer };

struct Column
{
    const char *label;
    const char *key;
    Delegate delegate = Delegate::None;
};

void setColumns(RequestTableModel &model, QTableView *view, std::initializer_list<Column> columns)
{
    JsonTableModel::Headers headers;
    int column = 0;
    for (const Column &c : columns) {
        headers.append({QString::fromUtf8(c.label), QString::fromUtf8(c.key)});
        QAbstractItemDelegate *delegate = nullptr;
        switch (c.delegate) {
        case Delegate::DateTime: delegate = new DateTimeItemDelegate(view, false); break;
        case Delegate::DateOnly: delegate = new DateTimeItemDelegate(view, true); break;
        case Delegate::Money: delegate = new MoneyItemDelegate(view); break;
        case Delegate::Payer: delegate = new PayerItemDelegate(view); break;
        case Delegate::None: break;
        }
        if (delegate)
            view->setItemDelegateForColumn(column, delegate);
        ++column;
    }
    model.setHeaders(headers);
}

bool hasSelection(const QTableView *view)
{
    return view->selectionModel() && view->selectionModel()->hasSelection();
}

int idAt(const QModelIndex &index)
{
    return index.siblingAtColumn(0).data().toInt();
}

qint64 columnSum(const QAbstractItemModel &model, int column)
{
    qint64 sum = 0;
    for (int row = 0; row < model.rowCount(); ++row)
        sum += Money::toKopecks(model.index(row, column).data().toDouble());
    return sum;
}

// In place of a figure summed from a list that could not be read.
const QString staysUnread = QStringLiteral("нет данных: проживание не загружено");

QString isoMidnight(const QDate &date)
{
    return QDateTime(date, QTime(0, 0)).toString(Qt::ISODateWithMs);
}

// The persons a person registered `today` is listed among: only that year's,
// as the whole list may be a hundred thousand rows. The server files a new
// person under the year of its own clock, which may stand on the other side
// of New Year's midnight (another time zone, up to 26 hours apart, or a
// clock a few minutes off): near the turn the adjacent year's are read too.
SaveLoop::Rows personsOfTheYear(const QDate &today)
{
    const auto ofYear = [](int year) {
        return SaveLoop::readRows(QUrl(Global::endpoint(QStringLiteral("persons?pretty=true&year=%1").arg(year))));
    };
    const int adjacent = today.dayOfYear() <= 2                             ? today.year() - 1
                         : today.daysTo(QDate(today.year(), 12, 31)) < 2 ? today.year() + 1
                                                                          : 0;
    SaveLoop::Rows rows = ofYear(today.year());
    if (!adjacent || !rows)
        return rows;
    const SaveLoop::Rows more = ofYear(adjacent);
    if (!more)
        return more;
    // A person staying across the turn is listed in both years, and is one.
    QSet<int> listed;
    for (const QJsonValue &row : std::as_const(*rows))
        listed.insert(row[QStringLiteral("id")].toInt());
    for (const QJsonValue &row : *more) {
        if (!listed.contains(row[QStringLiteral("id")].toInt()))
            rows->append(row);
    }
    return rows;
}

}  // namespace

PersonEditDialog::PersonEditDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::PersonEditDialog)
{
    ui->setupUi(this);

    ui->splitter->setSizes({INT_MAX, INT_MAX});
    ui->aisIDLineEdit->setValidator(new QIntValidator(ui->aisIDLineEdit));
    ui->genderComboBox->addItems({QStringLiteral("Мужской"), QStringLiteral("Женский")});

    ui->accommodationTableView->setModel(&accommodationModel);
    ui->paymentsTableView->setModel(&paymentsModel);
    ui->extraServicesTableView->setModel(&receiptsModel);
    ui->propertyTableView->setModel(&propertyModel);
    ui->paidEducationTableView->setModel(&paidEducationReceiptsModel);
    using D = Delegate;
    setColumns(accommodationModel, ui->accommodationTableView,
               {{"ID", "id"}, {"Номер", "room.number"}, {"Мест", "rate.size"},
                {"Заезд", "inDate", D::DateTime}, {"Выезд", "outDate", D::DateTime},
                {"Тариф", "rate.type"}, {"₽/сутки", "rate.cost", D::Money},
                {"₽/час", "rate.hourCost", D::Money}, {"Сутки", "days"}, {"Часы", "hours"},
                {"Начислено", "cost", D::Money}, {"Администратор", "admin.name"}});
    setColumns(paymentsModel, ui->paymentsTableView,
               {{"ID", "id"}, {"Сумма оплаты", "summ", D::Money},
                {"Дата оплаты", "payDate", D::DateOnly}, {"Способ оплаты", "payType.name"},
                {"Плательщик", "payer", D::Payer}, {"Кассир", "cassir.name"}});
    setColumns(receiptsModel, ui->extraServicesTableView,
               {{"ID", "id"}, {"№ кв-ции", "number"}, {"Услуга", "extraService.name"},
                {"Начало", "startDate", D::DateTime}, {"Конец", "endDate", D::DateTime},
                {"Ед. изм.", "extraService.measurement"}, {"Кол-во", "amount"},
                {"Тариф", "extraService.rate", D::Money}, {"Сумма", "summ", D::Money},
                {"Способ оплаты", "payType.name"}, {"Кассир", "cassir.name"},
                {"Имущество", "property.name"}, {"Инд. №", "property.number"}});
    ui->propertyTableView->setItemDelegateForColumn(
        7, new DateTimeItemDelegate(ui->propertyTableView, false));
    setColumns(paidEducationReceiptsModel, ui->paidEducationTableView,
               {{"ID", "id"}, {"№ кв-ции", "number"}, {"Начало", "startDate", D::DateOnly},
                {"Конец", "endDate", D::DateOnly}, {"Программа", "curriculum.name"},
                {"Цена", "curriculum.cost", D::Money}, {"Дата оплаты", "payDate", D::DateOnly},
                {"Способ оплаты", "payType.name"}, {"Кассир", "cassir.name"}});

    organizationsSelector = SelectorFactory::createOrganizationsSelector();
    streamSelector = SelectorFactory::createStreamSelector();
    ui->orgSelectorEdit->setSelector(organizationsSelector);
    ui->positionSelectorEdit->setSelector(SelectorFactory::createPositionSelector());
    ui->streamSelectorEdit->setSelector(streamSelector);

    connect(&networkManager, &QNetworkAccessManager::finished, this, &PersonEditDialog::fetch);
    connect(ui->writePushButton, &QPushButton::clicked, this, &PersonEditDialog::write);
    connect(ui->printRCPushButton, &QPushButton::clicked, this, [this] {
        // An unsaved person has no registration card to print.
        if (id != -1)
            emit printRequested(id);
    });
    // OK closes the card only once the record is saved; otherwise what was
    // typed stays on the card.
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &PersonEditDialog::saveAndClose);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(this, &QDialog::accepted, this, &QWidget::close);
    connect(this, &QDialog::rejected, this, &QWidget::close);
    connect(ui->refreshPushButton, &QPushButton::clicked, this, [this] { setupFromId(id); });
    connect(ui->toggleSensitiveButton, &QPushButton::clicked, this,
            &PersonEditDialog::toggleSensitiveInfo);
    connect(organizationsSelector, &SelectorDialog::itemSelected, this,
            &PersonEditDialog::updateOrganizationCode);
    connect(streamSelector, &SelectorDialog::itemSelected, this, &PersonEditDialog::updateStreamInfo);
    connect(ui->orgCodeLineEdit, &QLineEdit::editingFinished, this,
            [this] { updateOrganizationByCode(ui->orgCodeLineEdit->text()); });
    connect(ui->orgSelectorEdit, &SelectorEdit::reseted, ui->orgCodeLineEdit, &QLineEdit::clear);
    connect(ui->streamSelectorEdit, &SelectorEdit::reseted, ui->curriculumLabel, &QLabel::clear);
    // Row buttons act on the first selected row, and do nothing without one.
    using RowOperation = void (PersonEditDialog::*)(const QModelIndex &);
    auto onFirstSelected = [this](QPushButton *button, QTableView *view, RowOperation operation) {
        connect(button, &QPushButton::clicked, this, [this, view, operation] {
            const QModelIndexList rows = view->selectionModel()->selectedRows(0);
            if (!rows.isEmpty())
                (this->*operation)(rows.first());
        });
    };
    connect(ui->accommodationAddButton, &QPushButton::clicked, this,
            &PersonEditDialog::addAccommodation);
    onFirstSelected(ui->accommodationRemoveButton, ui->accommodationTableView,
                    &PersonEditDialog::removeAccommodation);
    connect(ui->registerWithoutAccommodationButton, &QPushButton::clicked, this,
            &PersonEditDialog::registerWithoutAccommodation);
    connect(ui->accommodationCancelButton, &QPushButton::clicked, this,
            &PersonEditDialog::cancelRegistration);
    connect(ui->accommodationTableView, &QTableView::doubleClicked, this,
            &PersonEditDialog::editAccommodation);
    connect(ui->paymentAddButton, &QPushButton::clicked, this, &PersonEditDialog::addPayment);
    onFirstSelected(ui->paymentRemoveButton, ui->paymentsTableView, &PersonEditDialog::removePayment);
    connect(ui->paymentBillButton, &QPushButton::clicked, this, &PersonEditDialog::createBill);
    connect(ui->paymentsTableView, &QTableView::doubleClicked, this, &PersonEditDialog::editPayment);
    // On every change of the lists, their emptying at a sign-in too: nothing
    // read before stands beside a list that is being read again.
    connect(&receiptsModel, &QAbstractItemModel::modelReset, this,
            &PersonEditDialog::updatePropertyList);
    connect(ui->extraServiceAddButton, &QPushButton::clicked, this, &PersonEditDialog::addReceipt);
    connect(ui->extraServiceAddServiceButton, &QPushButton::clicked, this, [this] {
        const QModelIndexList rows = ui->extraServicesTableView->selectionModel()->selectedRows(0);
        if (rows.isEmpty())
            MessageBox::warning(this, QStringLiteral("Внимание"), QStringLiteral("Выделите услугу."),
                                QMessageBox::Ok);
        else
            addReceiptTo(rows.first());
    });
    onFirstSelected(ui->extraServiceRemoveButton, ui->extraServicesTableView,
                    &PersonEditDialog::removeReceipt);
    onFirstSelected(ui->extraServiceReceiptButton, ui->extraServicesTableView,
                    &PersonEditDialog::createReceipt);
    onFirstSelected(ui->extraServiceReturnButton, ui->extraServicesTableView,
                    &PersonEditDialog::returnReceipt);
    connect(ui->extraServicesTableView, &QTableView::doubleClicked, this,
            &PersonEditDialog::editReceipt);
    connect(ui->paidEduReceiptAddButton, &QPushButton::clicked, this,
            &PersonEditDialog::addPaidEducationReceipt);
    onFirstSelected(ui->paidEduReceiptRemoveButton, ui->paidEducationTableView,
                    &PersonEditDialog::removePaidEducationReceipt);
    onFirstSelected(ui->paidEduReceiptPrintButton, ui->paidEducationTableView,
                    &PersonEditDialog::createPaidEducationReceipt);
    onFirstSelected(ui->paidEduReceiptReturnButton, ui->paidEducationTableView,
                    &PersonEditDialog::returnPaidEducationReceipt);
    connect(ui->paidEducationTableView, &QTableView::doubleClicked, this,
            &PersonEditDialog::editPaidEducationReceipt);
    connect(&accommodationModel, &QAbstractItemModel::modelReset, this,
            &PersonEditDialog::recalculateTotal);
    connect(&accommodationModel, &QAbstractItemModel::modelReset, this,
            &PersonEditDialog::recalculateLeft);
    connect(&paymentsModel, &QAbstractItemModel::modelReset, this,
            &PersonEditDialog::recalculateLeft);
    // A receipt's editor may wait for the stays to end a service at the
    // check-out.
    connect(&accommodationModel, &QAbstractItemModel::modelReset, this,
            [this] { receiptDialog.withOutDate(outDate()); });
    connect(ui->propertyTableView, &QTableView::doubleClicked, this,
            &PersonEditDialog::receiveProperty);
    onFirstSelected(ui->propertyAct1Button, ui->propertyTableView, &PersonEditDialog::createForm1Act);
    onFirstSelected(ui->propertyAct2Button, ui->propertyTableView, &PersonEditDialog::createForm2Act);

    // A reload drops the selection without selectionChanged.
    for (QTableView *view : {ui->extraServicesTableView, ui->paidEducationTableView}) {
        connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &PersonEditDialog::updateButtonStates);
        connect(view->model(), &QAbstractItemModel::modelReset, this,
                &PersonEditDialog::updateButtonStates);
    }
    auto updateActButtons = [this] {
        const bool selected = hasSelection(ui->propertyTableView);
        ui->propertyAct1Button->setEnabled(selected);
        ui->propertyAct2Button->setEnabled(selected);
    };
    connect(ui->propertyTableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            updateActButtons);
    connect(&propertyModel, &QAbstractItemModel::modelReset, this, updateActButtons);

    connect(ui->fioLineEdit, &QLineEdit::editingFinished, this, &PersonEditDialog::fixFullname);
    connect(ui->fioLineEdit, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (id == -1)
            ui->accommodationAddButton->setEnabled(!text.isEmpty());
    });

    connect(LoginManager::instance(), &LoginManager::signedIn, this, &PersonEditDialog::takeNewUser);
    // After the main window has closed what the new user may not read, this
    // card among them: only an open card reads again.
    connect(LoginManager::instance(), &LoginManager::loginCompleted, this,
            [this](const LoginManager::Result &result) {
                if (result.success)
                    readForNewUser();
            });

    hideSensitiveInfo();
}

PersonEditDialog::~PersonEditDialog()
{
    // Nothing may call back into the form while the members come apart, and
    // the views outlive the models held by value. A field that has the focus
    // finishes its editing while the base destructor takes the form apart.
    disconnect(ui->fioLineEdit, nullptr, this, nullptr);
    disconnect(ui->orgCodeLineEdit, nullptr, this, nullptr);
    disconnect(&networkManager, nullptr, this, nullptr);
    for (RequestTableModel *model :
         {&accommodationModel, &paymentsModel, &receiptsModel, &paidEducationReceiptsModel})
        disconnect(model, nullptr, this, nullptr);
    for (QTableView *view : {ui->accommodationTableView, ui->paymentsTableView,
                             ui->extraServicesTableView, ui->propertyTableView,
                             ui->paidEducationTableView}) {
        disconnect(view->selectionModel(), nullptr, this, nullptr);
        view->setModel(nullptr);
    }
    delete ui;
}

PersonEditDialog::Hold::Hold(PersonEditDialog &card)
    : card(card)
{
    card.busy = true;
}

PersonEditDialog::Hold::~Hold()
{
    card.busy = false;
    if (card.pendingId) {
        const int next = *card.pendingId;
        card.pendingId.reset();
        card.load(next);
    }
}

void PersonEditDialog::setupFromId(int newId)
{
    // A record typed for this person is still on its way: showing another
    // one now would let the dialog that comes back after a failure write to it.
    if (busy) {
        pendingId = newId;
        return;
    }
    load(newId);
}

void PersonEditDialog::load(int newId)
{
    reset();
    id = newId;
    // A new person sent without an answer stays remembered, and the next
    // save of a new person looks for it first; only its correction belongs
    // to the card it was typed in.
    personProgress = {};
    loaded = true;
    updateSaveButtons();

    if (id == -1) {
        ui->registerWithoutAccommodationButton->setEnabled(true);
        registeredBy = 0;
        updateCancelButton();
        setWindowTitle(QStringLiteral("Регистрационная карта"));
        // Typing starts with the name, not in the field the last person's
        // card left the focus in.
        ui->fioLineEdit->setFocus(Qt::OtherFocusReason);
        return;
    }

    Global::showPreloader();
    QNetworkReply *reply = networkManager.getUrl(
        QUrl(Global::endpoint(QStringLiteral("persons/%1").arg(id))), true, true);
    const QJsonDocument document = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply));
    const bool transportFailed = reply->error() != QNetworkReply::NoError;
    reply->deleteLater();
    const QJsonObject person = document.object();
    qCDebug(lomiNetwork) << NetworkLog::masked(person);

    // A failed load leaves a blank form that a save would write over the
    // person: the card stays unsaveable until "Обновить" loads it.
    loaded = !transportFailed && document.isObject() && person.contains(QStringLiteral("id"));
    fill(loaded ? person : QJsonObject());
    updateSaveButtons();

    for (const SubList &list : subLists()) {
        list.model->setRequest(networkManager.prepareRequest(subListUrl(id, list.name), true));
        list.model->selectSync();
        list.view->resizeColumnsToContents();
    }
    Global::hidePreloader();

    // The transport has already reported its own failures.
    if (!loaded && !transportFailed)
        MessageBox::critical(this, QStringLiteral("Ошибка"),
                             QStringLiteral("Не удалось загрузить данные физического лица."),
                             QMessageBox::Ok);
}

void PersonEditDialog::fill(const QJsonObject &person)
{
    ui->aisIDLineEdit->setText(QString::number(person.value("externalId").toInt()));
    ui->fioLineEdit->setText(person.value("fullname").toString());
    setWindowTitle(ui->fioLineEdit->text());
    ui->genderComboBox->setCurrentIndex(person.value("gender").toInt());
    // A date edit keeps its date when given an invalid one.
    ui->birthDateLineEdit->setDate(Global::toDate(person.value("birthDate").toString()));
    ui->phoneLineEdit->setText(person.value("phone").toString());

    showBillNumber(person.value("billNum").toInt());

    ui->notesLineEdit->setText(person.value("comments").toString());

    const QJsonObject sensitive = person.value("sensitive").toObject();
    ui->docTypeLineEdit->setText(sensitive.value("type").toString());
    ui->docSeriesLineEdit->setText(sensitive.value("series").toString());
    ui->docNumberLineEdit->setText(sensitive.value("number").toString());
    ui->docGiveDateEdit->setDate(Global::toDate(sensitive.value("date").toString()));
    ui->docWhoGiveEdit->setText(sensitive.value("whom").toString());
    ui->docAddressLineEdit->setText(person.value("address").toString());

    const std::pair<const char *, SelectorEdit *> references[] = {
        {"organizationId", ui->orgSelectorEdit},
        {"positionId", ui->positionSelectorEdit},
        {"streamId", ui->streamSelectorEdit}};
    for (const auto &[key, field] : references) {
        const QJsonValue value = person.value(QLatin1String(key));
        if (!value.isNull())
            field->setSelectedId(value.toInt());
    }

    const QJsonValue admin = person.value("admin");
    ui->registerWithoutAccommodationButton->setEnabled(admin.isNull());
    registeredBy = admin.toObject().value("id").toInt();
    updateCancelButton();
}

void PersonEditDialog::updateCancelButton()
{
    ui->accommodationCancelButton->setEnabled(registeredBy
                                              == LoginManager::instance()->getUserId());
}

QList<PersonEditDialog::SubList> PersonEditDialog::subLists()
{
    return {{&accommodationModel, QStringLiteral("accommodation"), ui->accommodationTableView},
            {&paymentsModel, QStringLiteral("payments"), ui->paymentsTableView},
            {&receiptsModel, QStringLiteral("receipts"), ui->extraServicesTableView},
            {&paidEducationReceiptsModel, QStringLiteral("paid_education_receipts"),
             ui->paidEducationTableView}};
}

void PersonEditDialog::takeNewUser(int previousUserId)
{
    // The identity document was opened with the password of the user who
    // has gone, and the lists were read with his rights: the card shows the
    // next user only what he may read, and lets him do only what he may.
    hideSensitiveInfo();
    afterSignIn = AfterSignIn::ReloadLists;
    if (previousUserId == LoginManager::instance()->getUserId())
        return;
    // What the user who has gone typed and did not write is not the next
    // one's to write under his own name: the card shows the server's record
    // again, at once if it is open, else when it is opened.
    afterSignIn = AfterSignIn::Load;
    // A write of the leaving user's still on its way: once it is answered.
    if (busy)
        pendingId = id;
}

void PersonEditDialog::readForNewUser()
{
    updateCancelButton();
    // A card minimized in its tab is as open as one on show.
    if (!opened || busy)
        return;
    if (std::exchange(afterSignIn, AfterSignIn::ReloadLists) == AfterSignIn::Load)
        setupFromId(id);
    else if (personSaved())
        reloadLists();
}

void PersonEditDialog::reloadLists()
{
    for (const SubList &list : subLists()) {
        list.model->setRequest(networkManager.prepareRequest(subListUrl(id, list.name), true));
        list.model->select();
    }
}

void PersonEditDialog::showBillNumber(int number)
{
    ui->billNumberWrapper->setVisible(number != 0);
    ui->billNumberLabel->setText(QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0')));
}

void PersonEditDialog::updateSaveButtons()
{
    for (QPushButton *add : {ui->accommodationAddButton, ui->paymentAddButton,
                             ui->extraServiceAddButton, ui->paidEduReceiptAddButton})
        add->setEnabled(personSaved());
    ui->writePushButton->setEnabled(loaded);
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(loaded);
}

QJsonObject PersonEditDialog::record() const
{
    QStringList parts = ui->fioLineEdit->text().split(QLatin1Char(' '));
    while (parts.size() < 3)
        parts.append(QString());
    // Names of more than three words ("Мамедов Ахмед Али оглы") keep the
    // rest in the last part.
    QStringList rest = parts.mid(2);
    if (rest.size() > 1)
        rest.removeAll(QString());

    QJsonObject object{
        {"name", parts.at(1)},
        {"surname", parts.at(0)},
        {"lastname", rest.join(QLatin1Char(' '))},
        {"phone", ui->phoneLineEdit->text()},
        {"birthDate", isoMidnight(ui->birthDateLineEdit->date())},
        {"gender", ui->genderComboBox->currentIndex()},
        {"address", ui->docAddressLineEdit->text()},
        {"sensitive", QJsonObject{{"type", ui->docTypeLineEdit->text()},
                                  {"series", ui->docSeriesLineEdit->text()},
                                  {"number", ui->docNumberLineEdit->text()},
                                  {"date", isoMidnight(ui->docGiveDateEdit->date())},
                                  {"whom", ui->docWhoGiveEdit->text()}}},
        {"comments", ui->notesLineEdit->text()},
    };
    const int externalId = ui->aisIDLineEdit->text().toInt();
    if (externalId != 0)
        object.insert("externalId", externalId);
    const std::pair<const char *, const SelectorEdit *> references[] = {
        {"organizationId", ui->orgSelectorEdit},
        {"positionId", ui->positionSelectorEdit},
        {"streamId", ui->streamSelectorEdit}};
    for (const auto &[key, field] : references) {
        if (field->getSelectedId() > 0)
            object.insert(QLatin1String(key), field->getSelectedId());
    }
    if (registrationMarkSet)
        object.insert("adminId", registrationMark ? LoginManager::instance()->getUserId() : -1);
    return object;
}

bool PersonEditDialog::write()
{
    // A second click while the save waits would post the new person twice.
    if (busy)
        return false;
    Hold hold(*this);
    return save();
}

bool PersonEditDialog::save()
{
    if (!loaded)
        return false;
    const QJsonObject sent = record();
    if (id != -1)
        return send(QNetworkAccessManager::PutOperation, QStringLiteral("persons/%1").arg(id),
                    QJsonDocument(sent))
                   .outcome
               == NetworkManagerWrapper::Outcome::Done;

    const SaveLoop::Creation persons = newPersons();
    const SaveLoop::Result result = SaveLoop::save(
        this, sent,
        [this](const QJsonObject &person) {
            return send(QNetworkAccessManager::PostOperation, QStringLiteral("persons"),
                        QJsonDocument(person));
        },
        [] {}, &persons, personProgress);
    if (!result.saved)
        return false;
    const int newId = result.answer.value("id").toInt();
    if (newId <= 0) {
        MessageBox::critical(this, QStringLiteral("Ошибка"),
                             QStringLiteral("Сервер не сохранил физическое лицо."), QMessageBox::Ok);
        return false;
    }
    load(newId);
    return true;
}

SaveLoop::Creation PersonEditDialog::newPersons()
{
    SaveLoop::Creation persons;
    persons.list = Global::endpoint(QStringLiteral("persons"));
    persons.rows = [] { return personsOfTheYear(Clock::today()); };
    persons.readFirst = true;
    // The list names a person whole, as the server joins the parts.
    persons.asListed = [](const QJsonObject &person) {
        QJsonObject listed = person;
        listed.insert(QStringLiteral("fullname"),
                      QStringList{person.value("surname").toString(), person.value("name").toString(),
                                  person.value("lastname").toString()}
                          .join(QLatin1Char(' '))
                          .simplified());
        return listed;
    };
    persons.amend = [this](int personId, const QJsonObject &person) {
        return send(QNetworkAccessManager::PutOperation, QStringLiteral("persons/%1").arg(personId),
                    QJsonDocument(person));
    };
    SaveLoop::Texts &texts = persons.texts;
    texts.stored = QStringLiteral("Сервер не ответил вовремя, но физическое лицо сохранено.");
    texts.absent = QStringLiteral("Сервер не ответил, и физическое лицо не сохранено. Проверьте "
                                  "введённое и сохраните его снова.");
    texts.unknown = QStringLiteral("Сервер не ответил, и узнать, сохранено ли физическое лицо, не "
                                   "удалось. Сохраните его снова: оно будет отправлено, только если "
                                   "на сервере его нет.");
    texts.refused = QStringLiteral("Сервер не ответил, и узнать, сохранено ли физическое лицо, не "
                                   "удалось: %1. Сохраните его снова: оно будет отправлено, только если "
                                   "на сервере его нет.");
    // The card stays open while the user signs in again.
    texts.signInFirst = QStringLiteral("Сервер не ответил, и узнать, сохранено ли физическое лицо, не "
                                       "удалось: %1. Войдите снова («Сменить пользователя») и затем "
                                       "сохраните его снова: оно будет отправлено, только если на сервере "
                                       "его нет.");
    texts.moved = QStringLiteral("Физическое лицо не сохранено: %1.");
    texts.redirected = QStringLiteral("%1, и физическое лицо не сохранено. Это ошибка сервера: сообщите о "
                                      "ней его администратору. Сохраните его снова, чтобы отправить ещё раз.");
    texts.unsent = QStringLiteral("Физическое лицо не отправлено: список физических лиц прочитать перед "
                                  "отправкой не удалось: %1. Сохраните его снова.");
    texts.unsentSignIn = QStringLiteral("Физическое лицо не отправлено: список физических лиц прочитать "
                                        "перед отправкой не удалось: %1. Войдите снова («Сменить "
                                        "пользователя») и затем сохраните его снова.");
    texts.amended = QStringLiteral("Сервер не ответил вовремя, но физическое лицо сохранено. "
                                   "Исправления, внесённые после, записаны в него.");
    texts.kept = QStringLiteral("Сервер не ответил вовремя, но физическое лицо сохранено таким, "
                                "каким было отправлено в первый раз. Изменения, внесённые после, "
                                "не сохранены.");
    texts.earlier = QStringLiteral("Физическое лицо, отправленное раньше и оставшееся без ответа, "
                                   "сохранено на сервере. Проверьте список: если вы вводите его "
                                   "снова, закройте карту; чтобы добавить и это, сохраните его снова.");
    texts.several = QStringLiteral("Сервер не ответил вовремя, и сохранено ли физическое лицо, "
                                   "сказать нельзя: на сервере нашлось несколько физических лиц с "
                                   "отправленными данными (ID: %1). Проверьте список: если ваше "
                                   "среди них, закройте карту; чтобы добавить ещё одно, сохраните "
                                   "его снова.");
    return persons;
}

void PersonEditDialog::saveAndClose()
{
    if (write())
        accept();
}

void PersonEditDialog::fixFullname()
{
    const QString text = ui->fioLineEdit->text().simplified();
    if (text.isEmpty()) {
        ui->fioLineEdit->setText(QString());
        return;
    }
    QStringList words = text.split(QLatin1Char(' '));
    for (QString &word : words)
        word[0] = word.at(0).toUpper();
    ui->fioLineEdit->setText(words.join(QLatin1Char(' ')));
}

void PersonEditDialog::updateStreamInfo(const QModelIndex &index)
{
    const QString name = index.siblingAtColumn(1).data().toString();
    const QString start = Global::formatDate(index.siblingAtColumn(2).data().toString());
    const QString end = Global::formatDate(index.siblingAtColumn(3).data().toString());
    const QJsonObject curriculum =
        QJsonObject::fromVariantMap(index.siblingAtColumn(4).data().toMap());
    ui->streamSelectorEdit->setDisplayValue(QStringLiteral("%1 (%2 - %3)").arg(name, start, end));
    ui->curriculumLabel->setText(
        QStringLiteral("%1 (%2 ч.)")
            .arg(curriculum.value("name").toString(),
                 QString::number(curriculum.value("value").toInt())));
}

void PersonEditDialog::updateOrganizationCode(const QModelIndex &index)
{
    ui->orgCodeLineEdit->setText(index.siblingAtColumn(1).data().toString());
}

void PersonEditDialog::updateOrganizationByCode(const QString &code)
{
    // Encoded, so that "&", "#" or "+" in a code cannot change the request.
    const QString path =
        QStringLiteral("organizations?code=") + QString::fromLatin1(QUrl::toPercentEncoding(code));
    QNetworkReply *reply = networkManager.getUrl(QUrl(Global::endpoint(path)), true, true);
    const int found = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply)).object().value("id").toInt();
    reply->deleteLater();
    // An unknown code (an empty answer, or one without an id) brings the
    // current organization and its code back, so that the field never holds
    // an id that its label does not name.
    ui->orgSelectorEdit->setSelectedId(found > 0 ? found : ui->orgSelectorEdit->getSelectedId());
}

void PersonEditDialog::reset()
{
    ui->billNumberWrapper->hide();

    ui->fioLineEdit->clear();
    ui->birthDateLineEdit->setDate(QDate(1900, 1, 1));
    ui->phoneLineEdit->clear();
    ui->notesLineEdit->clear();
    ui->aisIDLineEdit->clear();
    ui->genderComboBox->setCurrentIndex(0);

    ui->docAddressLineEdit->clear();
    ui->docNumberLineEdit->clear();
    ui->docSeriesLineEdit->clear();
    ui->docTypeLineEdit->setText(QStringLiteral("Паспорт гражданина РФ"));
    ui->docWhoGiveEdit->clear();
    // Kept, it went with the next person's save, unseen behind the lock.
    ui->docGiveDateEdit->setDate(QDate(1900, 1, 1));

    // A list of the person shown before may still be on its way.
    accommodationModel.clear();
    paymentsModel.clear();
    receiptsModel.clear();
    propertyModel.clear();
    paidEducationReceiptsModel.clear();

    ui->orgSelectorEdit->reset();
    ui->streamSelectorEdit->reset();
    ui->positionSelectorEdit->reset();

    total = left = 0;
    ui->totalLabel->setText(Money::format(*total));
    ui->leftLabel->setText(Money::format(*left));

    registrationMark = false;
    registrationMarkSet = false;
    updateButtonStates();
}

void PersonEditDialog::updateButtonStates()
{
    const bool receipt = hasSelection(ui->extraServicesTableView);
    ui->extraServiceReturnButton->setEnabled(receipt);
    ui->extraServiceReceiptButton->setEnabled(receipt);
    const bool paidEducation = hasSelection(ui->paidEducationTableView);
    ui->paidEduReceiptReturnButton->setEnabled(paidEducation);
    ui->paidEduReceiptPrintButton->setEnabled(paidEducation);
}

void PersonEditDialog::registerWithoutAccommodation()
{
    registrationMark = true;
    registrationMarkSet = true;
}

void PersonEditDialog::cancelRegistration()
{
    registrationMark = false;
    registrationMarkSet = true;
}

void PersonEditDialog::hideSensitiveInfo()
{
    setSensitiveShown(false);
}

void PersonEditDialog::showSensitiveInfo()
{
    setSensitiveShown(true);
}

// The lock acts on the display only: locked fields are still loaded and saved.
void PersonEditDialog::setSensitiveShown(bool shown)
{
    for (QWidget *field : std::initializer_list<QWidget *>{
             ui->docTypeLineEdit, ui->docSeriesLineEdit, ui->docNumberLineEdit,
             ui->docGiveDateEdit, ui->docWhoGiveEdit, ui->docAddressLineEdit})
        field->setEnabled(shown);
    for (QLineEdit *field : {ui->docAddressLineEdit, ui->docNumberLineEdit, ui->docSeriesLineEdit,
                             ui->docWhoGiveEdit})
        field->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    sensitiveHidden = !shown;
}

void PersonEditDialog::toggleSensitiveInfo()
{
    if (!sensitiveHidden) {
        hideSensitiveInfo();
        return;
    }
    VerificationDialog dialog;
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (LoginManager::instance()->verify(dialog.getPassword()))
        showSensitiveInfo();
    else
        MessageBox::critical(this, QStringLiteral("Ошибка"), QStringLiteral("Авторизация не удалась."),
                             QMessageBox::Ok);
}

void PersonEditDialog::fetch(QNetworkReply *reply)
{
    if (reply->operation() != QNetworkAccessManager::GetOperation)
        emit dataUpdated();
}

void PersonEditDialog::showEvent(QShowEvent *event)
{
    opened = true;
    QDialog::showEvent(event);
}

void PersonEditDialog::closeEvent(QCloseEvent *event)
{
    QDialog::closeEvent(event);
    if (event->isAccepted())
        opened = false;
}

void PersonEditDialog::keyPressEvent(QKeyEvent *event)
{
    // Enter moves on to the next field, as in a paper form; it must not save
    // or close the card through a default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        focusNextPrevChild(true);
        return;
    }
    QDialog::keyPressEvent(event);
}

SaveLoop::Attempt PersonEditDialog::send(QNetworkAccessManager::Operation verb,
                                         const QString &path, const QJsonDocument &body)
{
    return SaveLoop::write(networkManager, verb, QUrl(Global::endpoint(path)), body);
}

QUrl PersonEditDialog::subListUrl(int personId, const QString &list)
{
    return QUrl(Global::endpoint(QStringLiteral("persons/%1/%2").arg(personId).arg(list)));
}

SaveLoop::Result PersonEditDialog::saveForPerson(EditDialog &dialog, RequestTableModel &model,
                                                 const QString &collection, int recordId,
                                                 const std::function<void(QJsonObject &)> &complete)
{
    const int personId = id;
    const bool creating = recordId == 0;
    const QString path = creating ? collection : QStringLiteral("%1/%2").arg(collection).arg(recordId);
    return SaveLoop::runWrite(
        dialog,
        [&dialog, personId, &complete] {
            QJsonObject record = dialog.getJson().object();
            record.insert(QStringLiteral("personId"), personId);
            if (complete)
                complete(record);
            return record;
        },
        SaveLoop::senderOf(networkManager),
        creating ? QNetworkAccessManager::PostOperation : QNetworkAccessManager::PutOperation,
        QUrl(Global::endpoint(path)), subListUrl(personId, collection),
        [&model] { model.select(); });
}

void PersonEditDialog::removeRow(const QModelIndex &index, const QString &collection,
                                 RequestTableModel &list)
{
    if (busy)
        return;
    Hold hold(*this);
    const int recordId = idAt(index);
    if (!Global::confirm(QStringLiteral("Удалить запись?")))
        return;
    send(QNetworkAccessManager::DeleteOperation, QStringLiteral("%1/%2").arg(collection).arg(recordId));
    list.select();
}

namespace {

// Whether `row` may be the return of `receipt`. No record names the receipt
// it returns, so a return is told by what it copies of the sale (the service
// or curriculum, and the quantity) under a pay type whose attribute is -1.
bool isReturnOf(const QJsonObject &row, const QJsonObject &receipt)
{
    if (row.value(QStringLiteral("payType")).toObject().value(QStringLiteral("attribute")).toInt()
        != -1)
        return false;
    for (const QString &key : {QStringLiteral("extraService"), QStringLiteral("curriculum")}) {
        if (row.value(key).toObject().value(QStringLiteral("id"))
            != receipt.value(key).toObject().value(QStringLiteral("id")))
            return false;
    }
    return row.value(QStringLiteral("amount")) == receipt.value(QStringLiteral("amount"));
}

}  // namespace

namespace {

SaveLoop::Texts returnTexts()
{
    SaveLoop::Texts texts;
    const QString checkFirst = QStringLiteral("Проверьте список квитанций, прежде чем оформлять возврат снова.");
    texts.stored = QStringLiteral("Сервер не ответил вовремя, но возврат оформлен.");
    texts.absent = QStringLiteral("Сервер не ответил, и возврат не оформлен. Оформите его снова.");
    texts.unknown = QStringLiteral("Сервер не ответил, и узнать, оформлен ли возврат, не удалось. ") + checkFirst;
    texts.refused = QStringLiteral("Сервер не ответил, и узнать, оформлен ли возврат, не удалось: %1. ")
                    + checkFirst;
    texts.signInFirst = QStringLiteral("Сервер не ответил, и узнать, оформлен ли возврат, не удалось: %1. "
                                       "Войдите снова («Сменить пользователя») и проверьте список "
                                       "квитанций, прежде чем оформлять возврат снова.");
    texts.moved = QStringLiteral("Возврат не оформлен: %1.");
    texts.redirected = QStringLiteral("%1, и возврат не оформлен. Это ошибка сервера: сообщите о ней его "
                                      "администратору.");
    texts.several = QStringLiteral("Сервер не ответил вовремя, и оформлен ли этот возврат, сказать нельзя: в "
                                   "списке нашлось несколько возвратов с его данными (ID: %1). ")
                    + checkFirst;
    texts.unsent = QStringLiteral("Возврат не оформлен: список квитанций прочитать перед отправкой не удалось: "
                                  "%1. Оформите его снова.");
    texts.unsentSignIn = QStringLiteral("Возврат не оформлен: список квитанций прочитать перед отправкой не "
                                        "удалось: %1. Войдите снова («Сменить пользователя») и затем оформите "
                                        "его снова.");
    return texts;
}

}  // namespace

void PersonEditDialog::tellReturn(const SaveLoop::Attempt &attempt, const QSet<int> &before,
                                  const SaveLoop::Rows &rows, const QJsonObject &receipt)
{
    const SaveLoop::Texts texts = returnTexts();
    const auto warn = [this, &attempt](const QString &text) {
        MessageBox::warning(this, QStringLiteral("Возврат"), SaveLoop::toldFor(attempt.status, text),
                            QMessageBox::Ok);
    };
    if (!rows)
        return warn(SaveLoop::unreadText(texts, rows.unread));
    // A row the server held before the return is never taken for it.
    QStringList returns;
    for (const QJsonValue &row : *rows) {
        const int rowId = row[QStringLiteral("id")].toInt();
        if (!before.contains(rowId) && isReturnOf(row.toObject(), receipt))
            returns << QString::number(rowId);
    }
    if (returns.size() > 1)
        return warn(texts.several.arg(returns.join(QStringLiteral(", "))));
    if (returns.isEmpty())
        return warn(SaveLoop::notStored(texts, attempt));
    MessageBox::information(this, QStringLiteral("Возврат"), SaveLoop::toldFor(attempt.status, texts.stored),
                            QMessageBox::Ok);
}

// A return has no dialog to come back: after a return without an answer the
// user learns from the list which of the two happened, or that the list could
// not tell, and nothing is sent again. It is not sent before its list was
// read, which a return without an answer would be looked up in.
void PersonEditDialog::returnRow(const QModelIndex &index, const QString &collection,
                                 RequestTableModel &list)
{
    if (busy)
        return;
    Hold hold(*this);
    const int receiptId = idAt(index);
    const QJsonObject receipt = list.objectAt(index.row());
    const QUrl listUrl = subListUrl(id, collection);
    const SaveLoop::Rows before = SaveLoop::readRows(listUrl);
    if (!before) {
        MessageBox::warning(this, QStringLiteral("Возврат"), SaveLoop::unsentText(returnTexts(), before.unread),
                            QMessageBox::Ok);
        list.select();
        return;
    }
    // A null document: the request goes with no body at all.
    const SaveLoop::Attempt attempt = send(QNetworkAccessManager::PostOperation,
                                           QStringLiteral("%1/%2/return").arg(collection).arg(receiptId));
    if (attempt.outcome == NetworkManagerWrapper::Outcome::Unanswered)
        tellReturn(attempt, SaveLoop::idsOf(*before), SaveLoop::readRows(listUrl), receipt);
    list.select();
}

void PersonEditDialog::addAccommodation()
{
    if (busy)
        return;
    Hold hold(*this);
    save();
    // A new person that the server did not take has no id yet: a stay now
    // would belong to no one.
    if (!personSaved())
        return;
    accommodationDialog.setTargetId(id);
    accommodationDialog.reset();
    saveForPerson(accommodationDialog, accommodationModel, QStringLiteral("accommodation"));
}

void PersonEditDialog::editAccommodation(const QModelIndex &index)
{
    if (busy)
        return;
    Hold hold(*this);
    // Read before the dialog runs: a reload meanwhile may put another stay in the row.
    const int stayId = idAt(index);
    accommodationDialog.setTargetId(id);
    accommodationDialog.fromModel(index);
    saveForPerson(accommodationDialog, accommodationModel, QStringLiteral("accommodation"), stayId,
                  [](QJsonObject &stay) {
                      // The server counts these anew.
                      stay.insert(QStringLiteral("days"), 0);
                      stay.insert(QStringLiteral("hours"), 0);
                      stay.insert(QStringLiteral("cost"), 0);
                  });
}

void PersonEditDialog::removeAccommodation(const QModelIndex &index)
{
    removeRow(index, QStringLiteral("accommodation"), accommodationModel);
}

void PersonEditDialog::addPayment()
{
    if (busy || !personSaved())
        return;
    Hold hold(*this);
    paymentDialog.setTargetPerson(id);
    paymentDialog.reset();
    // Without a balance the clerk types the amount: none is offered.
    if (left)
        paymentDialog.setPaid(*left / 100.0);
    const SaveLoop::Result result =
        saveForPerson(paymentDialog, paymentsModel, QStringLiteral("payments"));
    if (result.answer.contains(QStringLiteral("billNumber")))
        showBillNumber(result.answer.value(QStringLiteral("billNumber")).toInt());
}

void PersonEditDialog::editPayment(const QModelIndex &index)
{
    if (busy)
        return;
    Hold hold(*this);
    const int paymentId = idAt(index);
    paymentDialog.fromModel(index);
    paymentDialog.setTargetPerson(id);
    // No balance preset here: it would replace the amount the payment was made for.
    saveForPerson(paymentDialog, paymentsModel, QStringLiteral("payments"), paymentId);
}

void PersonEditDialog::removePayment(const QModelIndex &index)
{
    removeRow(index, QStringLiteral("payments"), paymentsModel);
}

void PersonEditDialog::createBill()
{
    // An unsaved person has no bill.
    if (!personSaved())
        return;
    bill.setTargetId(id);
    bill.exec();
}

void PersonEditDialog::recalculateTotal()
{
    ui->accommodationTableView->resizeColumnsToContents();
    total.reset();
    if (accommodationModel.isRead())
        total = columnSum(accommodationModel, 10);
    ui->totalLabel->setText(total ? Money::format(*total) : staysUnread);
}

void PersonEditDialog::recalculateLeft()
{
    ui->paymentsTableView->resizeColumnsToContents();
    left.reset();
    if (total && paymentsModel.isRead())
        left = *total - columnSum(paymentsModel, 1);
    const QString unread = total ? QStringLiteral("нет данных: оплаты не загружены") : staysUnread;
    ui->leftLabel->setText(left ? Money::format(*left) : unread);
}

std::optional<QDateTime> PersonEditDialog::outDate() const
{
    if (!accommodationModel.isRead())
        return std::nullopt;
    return getOutDateTime();
}

QDateTime PersonEditDialog::getOutDateTime() const
{
    QDateTime latest;
    for (int row = 0; row < accommodationModel.rowCount(); ++row) {
        const QDateTime out =
            Global::toDateTime(accommodationModel.index(row, 4).data().toString());
        if (row == 0 || out > latest)
            latest = out;
    }
    return latest;
}

void PersonEditDialog::addReceipt()
{
    addReceiptTo(QModelIndex());
}

// addReceipt is this without a row: the receipt then gets a number of its own.
void PersonEditDialog::addReceiptTo(const QModelIndex &index)
{
    if (busy || !personSaved())
        return;
    Hold hold(*this);
    // Read before reset() waits for the pay types: the list may be reloaded
    // meanwhile and put another receipt in this row.
    const int number = index.isValid() ? index.siblingAtColumn(1).data().toInt() : 0;
    receiptDialog.reset();
    if (index.isValid())
        receiptDialog.withNumber(number);
    saveForPerson(receiptDialog, receiptsModel, QStringLiteral("receipts"));
}

void PersonEditDialog::editReceipt(const QModelIndex &index)
{
    if (busy)
        return;
    Hold hold(*this);
    const int receiptId = idAt(index);
    receiptDialog.fromModel(index);
    saveForPerson(receiptDialog, receiptsModel, QStringLiteral("receipts"), receiptId);
}

void PersonEditDialog::removeReceipt(const QModelIndex &index)
{
    removeRow(index, QStringLiteral("receipts"), receiptsModel);
}

void PersonEditDialog::returnReceipt(const QModelIndex &index)
{
    returnRow(index, QStringLiteral("receipts"), receiptsModel);
}

void PersonEditDialog::createReceipt(const QModelIndex &index)
{
    receipt.setPerson(ui->fioLineEdit->text());
    receipt.setObject(receiptsModel.objectAt(index.row()));
    receipt.exec();
}

void PersonEditDialog::addPaidEducationReceipt()
{
    if (busy || !personSaved())
        return;
    Hold hold(*this);
    paidEducationReceiptDialog.reset();
    saveForPerson(paidEducationReceiptDialog, paidEducationReceiptsModel,
                  QStringLiteral("paid_education_receipts"));
}

void PersonEditDialog::editPaidEducationReceipt(const QModelIndex &index)
{
    if (busy)
        return;
    Hold hold(*this);
    const int receiptId = idAt(index);
    paidEducationReceiptDialog.fromModel(index);
    saveForPerson(paidEducationReceiptDialog, paidEducationReceiptsModel,
                  QStringLiteral("paid_education_receipts"), receiptId);
}

void PersonEditDialog::removePaidEducationReceipt(const QModelIndex &index)
{
    removeRow(index, QStringLiteral("paid_education_receipts"), paidEducationReceiptsModel);
}

void PersonEditDialog::returnPaidEducationReceipt(const QModelIndex &index)
{
    returnRow(index, QStringLiteral("paid_education_receipts"), paidEducationReceiptsModel);
}

void PersonEditDialog::createPaidEducationReceipt(const QModelIndex &index)
{
    receipt.setPerson(ui->fioLineEdit->text());
    receipt.setObject(paidEducationReceiptsModel.objectAt(index.row()));
    receipt.exec();
}

void PersonEditDialog::updatePropertyList()
{
    propertyModel.clear();
    propertyModel.setHorizontalHeaderLabels(
        {QStringLiteral(" "), QStringLiteral("ID"), QStringLiteral("№ кв-ции"),
         QStringLiteral("№ акта"), QStringLiteral("Имущество"), QStringLiteral("Инд. №"),
         QStringLiteral("Принял"), QStringLiteral("Дата приема")});
    auto text = [](const QJsonValue &value) { return value.toVariant().toString(); };
    for (int row = 0; row < receiptsModel.rowCount(); ++row) {
        const QJsonObject receipt = receiptsModel.objectAt(row);
        const QJsonObject property = receipt.value(QStringLiteral("property")).toObject();
        if (property.isEmpty())
            continue;
        // A return's copy of a receipt lends nothing.
        if (Global::traverseJson(receipt, QStringLiteral("payType.attribute")).toInt() == -1)
            continue;
        QList<QStandardItem *> items;
        for (const QString &cell :
             {text(receipt.value(QStringLiteral("id"))), text(property.value(QStringLiteral("id"))),
              text(receipt.value(QStringLiteral("number"))),
              text(receipt.value(QStringLiteral("actNumber"))),
              property.value(QStringLiteral("name")).toString(),
              property.value(QStringLiteral("number")).toString(),
              Global::traverseJson(receipt, QStringLiteral("receiver.name")).toString(),
              receipt.value(QStringLiteral("receiveDate")).toString()})
            items.append(new QStandardItem(cell));
        propertyModel.appendRow(items);
    }
    ui->propertyTableView->hideColumn(0);
    ui->propertyTableView->resizeColumnsToContents();
}

void PersonEditDialog::receiveProperty(const QModelIndex &index)
{
    if (busy)
        return;
    Hold hold(*this);
    const int receiptId = idAt(index);
    propertyReceiveDialog.fromModel(index);
    // The hand-back is written into the receipt itself: after a write without
    // an answer the receipt is the row to look at, once it holds a hand-back,
    // and writing it again corrects it.
    const QUrl handBack(Global::endpoint(QStringLiteral("receipts/%1/property").arg(receiptId)));
    SaveLoop::Creation creation;
    creation.list = handBack.toString();
    creation.amend = [this, handBack](int, const QJsonObject &record) {
        return SaveLoop::write(networkManager, QNetworkAccessManager::PostOperation, handBack,
                               QJsonDocument(record));
    };
    creation.rows = [url = subListUrl(id, QStringLiteral("receipts")), receiptId]() -> SaveLoop::Rows {
        const SaveLoop::Rows receipts = SaveLoop::readRows(url);
        if (!receipts)
            return receipts;
        QJsonArray handedBack;
        for (const QJsonValue &row : *receipts) {
            if (row[QStringLiteral("id")].toInt() == receiptId
                && !row[QStringLiteral("receiveDate")].toString().isEmpty())
                handedBack.append(row);
        }
        return handedBack;
    };
    SaveLoop::run(
        propertyReceiveDialog,
        [this, receiptId] {
            QJsonObject handBack = propertyReceiveDialog.getJson().object();
            handBack.insert(QStringLiteral("receiptId"), receiptId);
            return handBack;
        },
        SaveLoop::sendTo(SaveLoop::senderOf(networkManager), QNetworkAccessManager::PostOperation,
                         handBack),
        [this] { receiptsModel.select(); }, &creation);
}

void PersonEditDialog::createForm1Act(const QModelIndex &index)
{
    form1Act.setTarget(idAt(index), index.siblingAtColumn(1).data().toInt());
    form1Act.exec();
}

void PersonEditDialog::createForm2Act(const QModelIndex &index)
{
    form2Act.setTarget(idAt(index), index.siblingAtColumn(1).data().toInt());
    form2Act.exec();
}
