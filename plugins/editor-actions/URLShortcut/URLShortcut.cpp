#include "URLShortcut.h"

#include "ActionPaths.h"
#include "FormatText.h"

#include <QFormLayout>
#include <QMimeData>

namespace zelk::editor {

namespace K = URLShortcutKeys;

namespace {

const URLShortcutClass& cls()
{
    return paneClassObject<URLShortcutClass>();
}

constexpr int kDefaultIndex = 2; // item 0 the choice, 1 a separator
constexpr int kOtherIndex = 3;

} // namespace

// --- Class side -----------------------------------------------------------------------------

QVariantMap URLShortcutClass::dataForAction(int model, const QString& address) const
{
    if (model == 1)
        return {{K::Action, qint64(1)}, {K::Address, address}, {K::Application, QString()}};
    if (model == 2)
        return {{K::Action, qint64(2)}, {K::Address, address}, {K::Application, QString()},
                {K::Subject, QString()}, {K::Message, QString()}};
    return {};
}

QString URLShortcutClass::nameForAction(int model, const QString& address) const
{
    if (model == 1) {
        const QUrl url(address, QUrl::StrictMode);
        QString part = address;
        if (URLShortcutModels::addressParses(address)) {
            const QString absolute = url.toString();
            part = absolute.section(QLatin1Char('/'), -1);
            if (part.isEmpty())
                part = absolute.section(QLatin1Char('/'), -2, -2);
        }
        return fillFormat(localizedActionName(1), {part});
    }
    if (model == 2)
        return fillFormat(localizedActionName(2), {address});
    return {};
}

QVariantMap URLShortcutClass::newDataForAction(int model) const
{
    const QString address = model == 1 ? URLShortcutModels::webPrefix() : QString();
    const QString name = ActionPane::suggestsNameForNew() ? nameForAction(model, address) : QString();
    return newActionRecord(*this, dataForAction(model, address), name);
}

QStringList URLShortcutClass::pasteboardTypes() const
{
    return {QStringLiteral("text/plain")};
}

QList<int> URLShortcutClass::modelsIDForPasteboard(const QMimeData* pasteboard) const
{
    if (!pasteboard || !pasteboard->hasText() || !URLShortcutModels::addressParses(pasteboard->text()))
        return {};
    return {1};
}

QVariantList URLShortcutClass::newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const
{
    if (!pasteboard || !pasteboard->hasText())
        return {};
    const QString text = pasteboard->text();
    const QString name = ActionPane::suggestsNameForNew() ? nameForAction(forAction, text) : QString();
    return {newActionRecord(*this, dataForAction(forAction, text), name)};
}

// --- Reading, validity --------------------------------------------------------------------

bool URLShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict);
    return true;
}

bool URLShortcut::isValid() const
{
    return CUTAction != 1 || URLShortcutModels::addressParses(CUTAddress);
}

QString URLShortcut::notValidString() const
{
    if (isValid())
        return {};
    return fillFormat(localizedStr(QStringLiteral("AdresseNonValide")), {CUTAddress});
}

// --- The editing cycle ----------------------------------------------------------------------

void URLShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    const int cat = category();
    if (cat == 0)
        return;
    CUTView = paneView(cat, [this, cat] { return makeView(cat); });
    CUTLastAddress = CUTAddress;
    CUTAddressField->setText(CUTAddress);
    CUTLastApplication = CUTApplication;
    setAppButtonWithApp(CUTApplication);
    if (cat == 2) {
        CUTLastSubject = CUTSubject;
        CUTSubjectField->setText(CUTSubject);
        CUTMessageTextView->setPlainText(CUTMessage);
    }
    CUTIsModifiedByUser = false;
    CUTIsEdited = true;
    showPaneView(accessoryView, CUTView);
}

bool URLShortcut::willValidateEditing()
{
    if (CUTIsEdited) {
        CUTAddress = addressText();
        CUTApplication = CUTLastApplication;
        CUTPersoDict.insert(K::Address, CUTAddress);
        CUTPersoDict.insert(K::Application, CUTApplication);
        if (category() == 2) {
            CUTSubject = subjectText();
            CUTMessage = messageText();
            CUTPersoDict.insert(K::Subject, CUTSubject);
            CUTPersoDict.insert(K::Message, CUTMessage);
        }
    }
    abortEditing();
    return ActionPane::willValidateEditing();
}

void URLShortcut::abortEditing()
{
    CUTLastAddress.clear();
    CUTLastApplication.clear();
    CUTLastSubject.clear();
    CUTIsEdited = false;
}

QVariantMap URLShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!CUTIsEdited)
        return data;
    data.insert(K::Address, addressText());
    data.insert(K::Application, CUTLastApplication);
    if (category() == 2) {
        data.insert(K::Subject, subjectText());
        data.insert(K::Message, messageText());
    }
    return data;
}

// --- Control handlers ---------------------------------------------------------------------------

void URLShortcut::modifyAddress()
{
    const QString address = addressText();
    if (!CUTIsEdited || address == CUTLastAddress)
        return;
    const QString name = suggestsNameForModified() ? cls().nameForAction(CUTAction, address) : possibleNameValue();
    CUTIsModifiedByUser = true;
    setAddress(address, CUTLastApplication, CUTLastSubject, name, false,
               fillFormat(localizedStr(QStringLiteral("AnnulerModifierAdresse")), {address}));
}

void URLShortcut::modifyApplication(int tag)
{
    QString application;
    QString shown;
    if (tag == 0) {
        shown = CUTAppButton ? CUTAppButton->itemText(kDefaultIndex) : QString();
    } else if (tag == 1) {
        const QString path = QVEAction::getApplicationFromPath(QString());
        if (path.isEmpty())
            return;
        application = applicationNameOfPath(path);
        shown = withoutAppExtension(displayNameAtPath(path));
    } else {
        return;
    }
    if (application == CUTLastApplication)
        return;
    setAddress(CUTLastAddress, application, CUTLastSubject, possibleNameValue(), false,
               fillFormat(localizedStr(QStringLiteral("AnnulerModifierApplication")), {shown}));
}

void URLShortcut::modifySubject()
{
    const QString subject = subjectText();
    if (!CUTIsEdited || category() != 2 || subject == CUTLastSubject)
        return;
    CUTIsModifiedByUser = true;
    setAddress(CUTLastAddress, CUTLastApplication, subject, possibleNameValue(), false,
               fillFormat(localizedStr(QStringLiteral("AnnulerModifierSujet")), {subject}));
}

void URLShortcut::setAddress(const QString& address, const QString& application, const QString& subject,
                             const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldAddress = CUTLastAddress, oldApp = CUTLastApplication, oldSubject = CUTLastSubject,
             oldName = possibleNameValue()] { setAddress(oldAddress, oldApp, oldSubject, oldName, true, {}); },
            [this, address, application, subject, withCutName] {
                setAddress(address, application, subject, withCutName, true, {});
            }))
        return;
    if (address != CUTLastAddress) {
        CUTLastAddress = address;
        if (CUTAddressField) {
            CUTAddressField->setText(address);
            if (!CUTIsModifiedByUser)
                CUTAddressField->selectAll();
        }
    }
    if (category() == 2 && subject != CUTLastSubject) {
        CUTLastSubject = subject;
        if (CUTSubjectField) {
            CUTSubjectField->setText(subject);
            if (!CUTIsModifiedByUser)
                CUTSubjectField->selectAll();
        }
    }
    CUTIsModifiedByUser = false;
    if (application != CUTLastApplication) {
        CUTLastApplication = application;
        setAppButtonWithApp(application);
    }
    setPossibleNameValue(withCutName);
}

void URLShortcut::setAppButtonWithApp(const QString& application)
{
    if (!CUTAppButton)
        return;
    if (application.isEmpty()) {
        CUTAppButton->setItemText(0, CUTAppButton->itemText(kDefaultIndex));
        CUTAppButton->setItemIcon(0, QIcon());
        CUTAppButton->setCurrentIndex(0);
        return;
    }
    showApplicationName(CUTAppButton, application);
}

QWidget* URLShortcut::makeView(int category)
{
    auto* view = new QWidget;
    view->setObjectName(category == 1 ? QStringLiteral("OpenURLView") : QStringLiteral("MailtoView"));
    auto* form = new QFormLayout(view);
    CUTAddressField = new QLineEdit(view);
    CUTAddressField->setObjectName(QStringLiteral("CUTAddressField"));
    const QString addressLabel = localizedStr(category == 1 ? QStringLiteral("AddressLabel") : QStringLiteral("RecipientLabel"));
    CUTAddressField->setAccessibleName(addressLabel);
    QObject::connect(CUTAddressField, &QLineEdit::editingFinished, view, [this] { modifyAddress(); });
    form->addRow(addressLabel, CUTAddressField);
    CUTAppButton = new QComboBox(view);
    CUTAppButton->setObjectName(QStringLiteral("CUTAppButton"));
    CUTAppButton->setAccessibleName(localizedStr(QStringLiteral("AppLabel")));
    CUTAppButton->addItem(QString());
    CUTAppButton->insertSeparator(1);
    addTaggedItem(CUTAppButton, localizedStr(QStringLiteral("AppDefaultItem")), 0);
    addTaggedItem(CUTAppButton, localizedStr(QStringLiteral("AppOtherItem")), 1);
    QObject::connect(CUTAppButton, &QComboBox::activated, view, [this](int index) {
        const int tag = index == kDefaultIndex ? 0 : index == kOtherIndex ? 1 : -1;
        CUTAppButton->setCurrentIndex(0);
        modifyApplication(tag);
    });
    form->addRow(localizedStr(QStringLiteral("AppLabel")), CUTAppButton);
    if (category == 2) {
        CUTSubjectField = new QLineEdit(view);
        CUTSubjectField->setObjectName(QStringLiteral("CUTSubjectField"));
        CUTSubjectField->setAccessibleName(localizedStr(QStringLiteral("SubjectLabel")));
        QObject::connect(CUTSubjectField, &QLineEdit::editingFinished, view, [this] { modifySubject(); });
        form->addRow(localizedStr(QStringLiteral("SubjectLabel")), CUTSubjectField);
        CUTMessageTextView = new QPlainTextEdit(view);
        CUTMessageTextView->setObjectName(QStringLiteral("CUTMessageTextView"));
        CUTMessageTextView->setAccessibleName(localizedStr(QStringLiteral("MessageLabel")));
        form->addRow(localizedStr(QStringLiteral("MessageLabel")), CUTMessageTextView);
    }
    return view;
}

ZELK_REGISTER_ACTION_PANE(URLShortcutClass)

} // namespace zelk::editor
