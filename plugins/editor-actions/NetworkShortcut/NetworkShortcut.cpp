#include "NetworkShortcut.h"

#include "FormatText.h"
#include "Log.h"

#include <QDeadlineTimer>
#include <QFormLayout>
#include <QUuid>
#include <mutex>

namespace zelk::editor {

namespace K = NetworkShortcutKeys;
namespace M = NetworkShortcutModels;

namespace {

const NetworkShortcutClass& cls()
{
    return paneClassObject<NetworkShortcutClass>();
}

QString lastPathComponent(const QString& server)
{
    QString text = server;
    while (text.endsWith('/'))
        text.chop(1);
    return text.mid(text.lastIndexOf('/') + 1);
}

} // namespace

// --- Class side ------------------------------------------------------------------------

QVariantMap NetworkShortcutClass::dataForAction(int model, const QString& config, const QString& server) const
{
    switch (categoryOfAction(model)) {
    case 1:
        return {{K::Action, qint64(model)}, {K::Config, config}};
    case 2:
        return {{K::Action, qint64(model)}};
    case 3:
        return {{K::Action, qint64(model)}, {K::Server, server}, {K::Directory, QString("")}, {K::User, QString("")}};
    default:
        return {};
    }
}

QString NetworkShortcutClass::nameForAction(int model, const QString& config, const QString& server) const
{
    switch (categoryOfAction(model)) {
    case 1:
        return fillFormat(localizedActionName(model), {config});
    case 2:
        return localizedActionName(model);
    case 3:
        return fillFormat(localizedActionName(model), {lastPathComponent(server)});
    default:
        return {};
    }
}

QVariantMap NetworkShortcutClass::newDataForAction(int model) const
{
    return newActionRecord(*this, dataForAction(model, {}, {}),
                           ActionPane::suggestsNameForNew() ? nameForAction(model, {}, {}) : QString());
}

// --- Reading, validity ---------------------------------------------------------------------

bool NetworkShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict, category());
    if (category() == 3 && CUTPersoDict.contains(K::Password)) {
        // An older record: its password leaves the data files for the
        // secret store. Should the store refuse, the record keeps it.
        const QString password = CUTPassword;
        keepPassword(password);
        if (!CUTPersoDict.contains(K::Password))
            CUTPassword.clear();
    }
    return true;
}

QStringList NetworkShortcut::knownConfigNames()
{
    static std::mutex mutex;
    static QStringList names;
    static QDeadlineTimer fresh(0);
    std::lock_guard lock(mutex);
    if (fresh.hasExpired()) {
        names = configNames();
        fresh.setRemainingTime(5000);
    }
    return names;
}

QString NetworkShortcut::notValidString() const
{
    if (CUTAction != M::SwitchLocation || knownConfigNames().contains(CUTConfig))
        return {};
    return fillFormat(localizedStr(QStringLiteral("ConfigNonValide")), {CUTConfig});
}

// --- The editing cycle -------------------------------------------------------------------------

void NetworkShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    const int cat = category();
    if (cat == 0)
        return;
    CUTView = paneView(cat, [this, cat] { return makeView(cat); });
    if (cat == 1) {
        const QSignalBlocker block(CUTConfigCombo);
        CUTConfigCombo->clear();
        CUTConfigCombo->addItems(configNames());
        CUTLastConfig = CUTConfig;
        CUTConfigCombo->setEditText(CUTLastConfig);
    } else if (cat == 3) {
        CUTLastServer = CUTServer;
        CUTLastDirectory = CUTDirectory;
        CUTLastUser = CUTUser;
        CUTLastPassword = CUTPassword;
        if (!CUTPasswordRef.isEmpty())
            CUTLastPassword = Platform::instance().secrets().secret(CUTPasswordRef).value_or(CUTPassword);
        showText(CUTServerField, CUTLastServer, false);
        showText(CUTDirectoryField, CUTLastDirectory, false);
        showText(CUTUserField, CUTLastUser, false);
        showText(CUTPasswordField, CUTLastPassword, false);
    }
    if (cat != 2) {
        CUTIsModifiedByUser = false;
        CUTIsEdited = true;
    }
    showPaneView(accessoryView, CUTView);
}

void NetworkShortcut::keepPassword(const QString& password)
{
    SecretStore& store = Platform::instance().secrets();
    if (password.isEmpty()) {
        if (!CUTPasswordRef.isEmpty() && !store.removeSecret(CUTPasswordRef))
            zlog("NetworkShortcut", "keepPassword") << "the secret store kept the former password";
        CUTPasswordRef.clear();
        CUTPersoDict.remove(K::PasswordRef);
        CUTPersoDict.remove(K::Password);
        return;
    }
    const QString reference =
        CUTPasswordRef.isEmpty() ? QStringLiteral("network-") + QUuid::createUuid().toString(QUuid::WithoutBraces) : CUTPasswordRef;
    const QString label = QStringLiteral("Zelk: %1").arg(CUTServer.isEmpty() ? nameValue() : CUTServer);
    if (!store.storeSecret(reference, label, password)) {
        zlog("NetworkShortcut", "keepPassword") << "the secret store refused the password of" << nameValue()
                                                << "; it is not saved";
        return;
    }
    CUTPasswordRef = reference;
    CUTPersoDict.insert(K::PasswordRef, reference);
    CUTPersoDict.remove(K::Password);
}

bool NetworkShortcut::willValidateEditing()
{
    if (CUTIsEdited) {
        if (category() == 1) {
            CUTConfig = CUTLastConfig;
            CUTPersoDict.insert(K::Config, CUTConfig);
        } else if (category() == 3) {
            CUTServer = CUTLastServer;
            CUTDirectory = CUTLastDirectory;
            CUTUser = CUTLastUser;
            CUTPersoDict.insert(K::Server, CUTServer);
            CUTPersoDict.insert(K::Directory, CUTDirectory);
            CUTPersoDict.insert(K::User, CUTUser);
            keepPassword(CUTLastPassword);
            CUTPassword.clear();
        }
    }
    abortEditing();
    return ActionPane::willValidateEditing();
}

void NetworkShortcut::abortEditing()
{
    CUTLastConfig.clear();
    CUTLastServer.clear();
    CUTLastDirectory.clear();
    CUTLastUser.clear();
    CUTLastPassword.clear();
    if (CUTPasswordField)
        CUTPasswordField->clear();
    CUTIsEdited = false;
}

QVariantMap NetworkShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!CUTIsEdited)
        return data;
    if (category() == 1) {
        data.insert(K::Config, CUTLastConfig);
    } else if (category() == 3) {
        data.insert(K::Server, CUTLastServer);
        data.insert(K::Directory, CUTLastDirectory);
        data.insert(K::User, CUTLastUser);
    }
    // What is edited travels to the duplicate test and the test run: never
    // the password.
    data.remove(K::Password);
    return data;
}

// --- Control handlers, setters ------------------------------------------------------------------------

void NetworkShortcut::modifyConfiguration()
{
    if (!CUTIsEdited || !CUTConfigCombo)
        return;
    const QString config = CUTConfigCombo->currentText();
    if (config == CUTLastConfig)
        return;
    CUTIsModifiedByUser = true;
    const QString name = suggestsNameForModified() ? cls().nameForAction(CUTAction, config, {}) : possibleNameValue();
    setConfig(config, name, false, fillFormat(localizedStr(QStringLiteral("AnnulerModifierConfig")), {config}));
}

void NetworkShortcut::setConfig(const QString& config, const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastConfig, oldName = possibleNameValue()] { setConfig(old, oldName, true, {}); },
            [this, config, withCutName] { setConfig(config, withCutName, true, {}); }))
        return;
    if (config != CUTLastConfig) {
        CUTLastConfig = config;
        if (CUTConfigCombo) {
            CUTConfigCombo->setEditText(config);
            if (!CUTIsModifiedByUser && CUTConfigCombo->lineEdit())
                CUTConfigCombo->lineEdit()->selectAll();
        }
    }
    CUTIsModifiedByUser = false;
    setPossibleNameValue(withCutName);
}

void NetworkShortcut::modifyServer()
{
    if (!CUTIsEdited || !CUTServerField || CUTServerField->text() == CUTLastServer)
        return;
    const QString server = CUTServerField->text();
    CUTIsModifiedByUser = true;
    const QString name = suggestsNameForModified() ? cls().nameForAction(CUTAction, {}, server) : possibleNameValue();
    setServer(server, CUTLastDirectory, CUTLastUser, CUTLastPassword, name, false,
              fillFormat(localizedStr(QStringLiteral("AnnulerModifierServer")), {server}));
}

void NetworkShortcut::modifyDirectory()
{
    if (!CUTIsEdited || !CUTDirectoryField || CUTDirectoryField->text() == CUTLastDirectory)
        return;
    const QString directory = CUTDirectoryField->text();
    CUTIsModifiedByUser = true;
    const QString name = suggestsNameForModified() ? cls().nameForAction(CUTAction, {}, CUTLastServer) : possibleNameValue();
    setServer(CUTLastServer, directory, CUTLastUser, CUTLastPassword, name, false,
              fillFormat(localizedStr(QStringLiteral("AnnulerModifierDirectory")), {directory}));
}

void NetworkShortcut::modifyUser()
{
    if (!CUTIsEdited || !CUTUserField || CUTUserField->text() == CUTLastUser)
        return;
    const QString user = CUTUserField->text();
    CUTIsModifiedByUser = true;
    const QString name = suggestsNameForModified() ? cls().nameForAction(CUTAction, {}, CUTLastServer) : possibleNameValue();
    setServer(CUTLastServer, CUTLastDirectory, user, CUTLastPassword, name, false,
              fillFormat(localizedStr(QStringLiteral("AnnulerModifierUser")), {user}));
}

void NetworkShortcut::modifyPassword()
{
    if (!CUTIsEdited || !CUTPasswordField || CUTPasswordField->text() == CUTLastPassword)
        return;
    const QString password = CUTPasswordField->text();
    CUTIsModifiedByUser = true;
    const QString name = suggestsNameForModified() ? cls().nameForAction(CUTAction, {}, CUTLastServer) : possibleNameValue();
    // The undo title names the change, never the password itself.
    setServer(CUTLastServer, CUTLastDirectory, CUTLastUser, password, name, false,
              localizedStr(QStringLiteral("AnnulerModifierPassword")));
}

void NetworkShortcut::setServer(const QString& server, const QString& directory, const QString& user,
                                const QString& password, const QString& withCutName, bool isUndo,
                                const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, s = CUTLastServer, d = CUTLastDirectory, u = CUTLastUser, p = CUTLastPassword,
             oldName = possibleNameValue()] { setServer(s, d, u, p, oldName, true, {}); },
            [this, server, directory, user, password, withCutName] {
                setServer(server, directory, user, password, withCutName, true, {});
            }))
        return;
    const bool select = !CUTIsModifiedByUser;
    const std::pair<QString*, std::pair<QLineEdit*, QString>> fields[] = {
        {&CUTLastServer, {CUTServerField, server}},
        {&CUTLastDirectory, {CUTDirectoryField, directory}},
        {&CUTLastUser, {CUTUserField, user}},
        {&CUTLastPassword, {CUTPasswordField, password}}};
    for (const auto& [copy, field] : fields) {
        if (*copy == field.second)
            continue;
        *copy = field.second;
        showText(field.first, field.second, select);
    }
    CUTIsModifiedByUser = false;
    setPossibleNameValue(withCutName);
}

void NetworkShortcut::showText(QLineEdit* field, const QString& text, bool selected)
{
    if (!field)
        return;
    const QSignalBlocker block(field);
    field->setText(text);
    if (selected)
        field->selectAll();
}

QWidget* NetworkShortcut::makeView(int category)
{
    static const char* const viewNames[] = {"", "ConfigView", "NWMenuView", "MountView"};
    auto* view = new QWidget;
    view->setObjectName(QString::fromLatin1(viewNames[category]));
    auto* form = new QFormLayout(view);
    if (category == 1) {
        CUTConfigCombo = new QComboBox(view);
        CUTConfigCombo->setObjectName(QStringLiteral("CUTConfigCombo"));
        CUTConfigCombo->setEditable(true);
        CUTConfigCombo->setInsertPolicy(QComboBox::NoInsert);
        CUTConfigCombo->setAccessibleName(localizedStr(QStringLiteral("ConfigLabel")));
        QObject::connect(CUTConfigCombo, &QComboBox::activated, view, [this](int) { modifyConfiguration(); });
        QObject::connect(CUTConfigCombo->lineEdit(), &QLineEdit::editingFinished, view, [this] { modifyConfiguration(); });
        form->addRow(localizedStr(QStringLiteral("ConfigLabel")), CUTConfigCombo);
    } else if (category == 3) {
        const struct {
            QPointer<QLineEdit>* field;
            const char* name;
            const char* label;
            void (NetworkShortcut::*handler)();
        } rows[] = {{&CUTServerField, "CUTServerField", "ServerLabel", &NetworkShortcut::modifyServer},
                    {&CUTDirectoryField, "CUTDirectoryField", "DirectoryLabel", &NetworkShortcut::modifyDirectory},
                    {&CUTUserField, "CUTUserField", "UserLabel", &NetworkShortcut::modifyUser},
                    {&CUTPasswordField, "CUTPasswordField", "PasswordLabel", &NetworkShortcut::modifyPassword}};
        for (const auto& row : rows) {
            auto* field = new QLineEdit(view);
            field->setObjectName(QString::fromLatin1(row.name));
            field->setAccessibleName(localizedStr(QString::fromLatin1(row.label)));
            QObject::connect(field, &QLineEdit::editingFinished, view, [this, handler = row.handler] { (this->*handler)(); });
            form->addRow(localizedStr(QString::fromLatin1(row.label)), field);
            *row.field = field;
        }
        CUTPasswordField->setEchoMode(QLineEdit::Password);
    }
    return view;
}

ZELK_REGISTER_ACTION_PANE(NetworkShortcutClass)

} // namespace zelk::editor
