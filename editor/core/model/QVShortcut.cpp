#include "QVShortcut.h"

#include "EditorCommand.h"
#include "FormatText.h"
#include "Geometry.h"
#include "Log.h"
#include "QVContext.h"
#include "QVEAction.h"
#include "QVLauncher.h"
#include "QVUtility.h"

#include <mutex>

namespace editor {

namespace {

struct ClassState {
    IDCounter counter;
    QVariantMap runParams, actionsRunParams, actionsResultParams;
    bool copyActions = false;
    QImage defaultIcon;
};

ClassState& state()
{
    static ClassState s;
    return s;
}

const QString kStepActionID = QStringLiteral("cutactionID");

} // namespace

// --- Class operations --------------------------------------------------------------

quint32 QVShortcut::nextShortcutID() { return state().counter.next(); }
quint32 QVShortcut::currentShortcutID() { return state().counter.current(); }
void QVShortcut::setNextShortcutID(quint32 next) { state().counter.setNext(next); }

void QVShortcut::setRunParamsDict(const QVariantMap& params) { state().runParams = params; }
void QVShortcut::setActionsRunParamsDict(const QVariantMap& params) { state().actionsRunParams = params; }
void QVShortcut::setActionsResultParamsDict(const QVariantMap& params) { state().actionsResultParams = params; }
QVariantMap QVShortcut::newRunParams() { return state().runParams; }
QVariantMap QVShortcut::newActionsRunParams() { return state().actionsRunParams; }
QVariantMap QVShortcut::newActionsResultParams() { return state().actionsResultParams; }
void QVShortcut::setCopyActions(bool copy) { state().copyActions = copy; }
bool QVShortcut::copyActions() { return state().copyActions; }

QString QVShortcut::newNameValue()
{
    return loc("NewCutName");
}

QVariantMap QVShortcut::newData()
{
    const quint32 id = nextShortcutID();
    return {{"cutname", zelk::fillFormat(newNameValue(), {qint64(id)})},
            {"cutID", qint64(id)},
            {"cutimage", QByteArray()},
            {"cutactions", QVariantList{}},
            {"cutlaunchers", QVariantList{}},
            {"cutcontexts", QVariantList{universalContextRef("QVShortcut")}},
            {"cutrunparams", newRunParams()},
            {"cuteditorrect", zelk::stringFromRect({})}};
}

QVariantMap QVShortcut::newActionRefDictWithActionDict(const QVariantMap& actionRecord)
{
    return {{"cutactionID", actionRecord.value("actionID")},
            {"cutactionactive", true},
            {"cutactionrunparams", newActionsRunParams()},
            {"cutactionresultparams", newActionsResultParams()}};
}

QVariantMap QVShortcut::newDataWithActionsDict(const QVariantList& actions)
{
    QVariantMap record = newData();
    record.insert("cutactions", mappedRecords(actions, newActionRefDictWithActionDict));
    if (!actions.isEmpty()) {
        ObjectDirectory* directory = ObjectDirectory::shared();
        const quint32 firstID = uintValue(actions.first().toMap().value("actionID"));
        if (zelk::QVEAction* first = directory ? directory->actionWithID(firstID) : nullptr) {
            record.insert("cutimage", tiffData(first->imageValue()));
            record.insert("cutname", first->nameValue());
        }
    }
    return record;
}

QVariantMap QVShortcut::newDataWithActionsDict(const QVariantList& actions, const QVariantList& contexts)
{
    QVariantMap record = newData();
    record.insert("cutactions", mappedRecords(actions, newActionRefDictWithActionDict));
    record.insert("cutcontexts", mappedRecords(contexts, QVContext::newContextRefDictWithContextDict));
    return record;
}

QVariantMap QVShortcut::newDataWithContextsDict(const QVariantList& contexts)
{
    QVariantMap record = newData();
    record.insert("cutcontexts", mappedRecords(contexts, QVContext::newContextRefDictWithContextDict));
    return record;
}

QVariantMap QVShortcut::newDataWithLaunchersDict(const QVariantList& launchers)
{
    QVariantMap record = newData();
    record.insert("cutlaunchers", mappedRecords(launchers, QVLauncher::newLauncherRefDictWithLauncherDict));
    return record;
}

QImage QVShortcut::defaultIcon()
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    ClassState& s = state();
    if (s.defaultIcon.isNull())
        s.defaultIcon = QVUtility::sharedUtility().imageWithName(QStringLiteral("default.tiff"));
    return s.defaultIcon;
}

// --- Instance ------------------------------------------------------------------------

QVShortcut::QVShortcut()
    : QVEUsedMainModel({"cutID", "cutname", "cuteditorrect", "cutactions", "cutlaunchers", "cutcontexts"})
{
}

QVShortcut::~QVShortcut() = default;

bool QVShortcut::initWithDictionaryInEditor(const QVariantMap& source)
{
    if (source.isEmpty()) {
        zelk::zlog("QVShortcut", "initWithDictionaryInEditor") << "empty record";
        return false;
    }
    readRecord(source);
    state().counter.noteExisting(m_id);
    readLists(true);
    m_image = imageFromData(source.value("cutimage").toByteArray());
    if (m_image.isNull() && !m_items.isEmpty()) {
        ObjectDirectory* directory = ObjectDirectory::shared();
        quint32 firstID = 0;
        actionIDOfItem(m_items.first().toMap(), &firstID);
        if (zelk::QVEAction* first = directory ? directory->actionWithID(firstID) : nullptr)
            m_image = first->imageValue();
    }
    if (m_image.isNull())
        m_image = defaultIcon();
    m_image = iconOf32(m_image);
    m_runParams = source.value("cutrunparams").toMap();
    return true;
}

QList<ObjectRef> QVShortcut::itemRefs(const QVariantList& steps) const
{
    QList<ObjectRef> refs;
    refs.reserve(steps.size());
    for (const QVariant& step : steps)
        refs.append({ObjectRef::Action, uintValue(step.toMap().value(kStepActionID))});
    return refs;
}

QVariantMap QVShortcut::newItemForAction(zelk::QVEAction* action) const
{
    return newActionRefDictWithActionDict({{"actionID", qint64(action->IDValue())}});
}

bool QVShortcut::actionIDOfItem(const QVariantMap& step, quint32* id) const
{
    *id = uintValue(step.value(kStepActionID));
    return true;
}

QVariantMap QVShortcut::itemWithActionID(const QVariantMap& step, const QVariant& id) const
{
    QVariantMap changed = step;
    changed.insert(kStepActionID, id);
    return changed;
}

QString QVShortcut::linkNameValue() const
{
    return locFormat("ShortcutLinkName", {m_name});
}

void QVShortcut::setRunParametersDict(const QVariantMap& params)
{
    m_runParams = params;
    m_dict.insert("cutrunparams", params);
}

void QVShortcut::setImageValue(const QImage& image)
{
    m_dict.insert("cutimage", tiffData(image));
    m_image = iconOf32(image);
}

QString QVShortcut::commandsValue() const
{
    QString first;
    if (!m_items.isEmpty()) {
        ObjectDirectory* directory = ObjectDirectory::shared();
        quint32 id = 0;
        actionIDOfItem(m_items.first().toMap(), &id);
        if (zelk::QVEAction* action = directory ? directory->actionWithID(id) : nullptr)
            first = action->nameValue();
    }
    return countedNames(first, m_items.size(), QStringLiteral("Aucune"), QStringLiteral("ActionValue2"));
}

QImage QVShortcut::commandsImageValue() const
{
    if (m_items.isEmpty())
        return QVUtility::sharedUtility().emptyImage();
    ObjectDirectory* directory = ObjectDirectory::shared();
    quint32 id = 0;
    actionIDOfItem(m_items.first().toMap(), &id);
    zelk::QVEAction* action = directory ? directory->actionWithID(id) : nullptr;
    return action ? action->imageValueWithSize(16) : QImage();
}

std::optional<quint32> QVShortcut::keycodeNumOfLauncher() const
{
    ObjectDirectory* directory = ObjectDirectory::shared();
    if (!directory)
        return std::nullopt;
    for (const QVariant& ref : m_launchers) {
        QVLauncher* launcher = directory->launcherWithID(uintValue(ref.toMap().value("cutlauncherID")));
        if (launcher && launcher->launcherType() == QVLauncher::KeyCombination)
            return quint32(launcher->keycodeKeyEvent());
    }
    return std::nullopt;
}

bool QVShortcut::canDeleteWithMessage(bool withMessage)
{
    return canDeleteUnlessUsed(withMessage, "PasSupprimerRaccourci", "RaccourciUtilise");
}

void QVShortcut::willDeleteWithAuxObjects(bool aux)
{
    ObjectDirectory* directory = ObjectDirectory::shared();
    for (const ObjectRef& ref : itemRefs(m_items)) {
        linkObjects({ref}, this, false);
        if (aux && directory)
            directory->delActionsID({ref.id}, false, false);
    }
    for (const ObjectRef& ref : launcherRefs(m_launchers)) {
        linkObjects({ref}, this, false);
        if (aux && directory)
            directory->delLaunchersID({ref.id}, false, false);
    }
    linkObjects(contextRefs(m_contexts), this, false);
    if (const auto editor = m_editor; editor && !m_isNew)
        editor->abortEditing(nullptr);
}

QVariantMap QVShortcut::editedDictValue() const
{
    QVariantMap record = m_dict;
    if (m_editor) {
        record.insert("cutrunparams", m_editor->editedRunParametersDict());
        record.insert("cutactions", m_editor->editedActionsDictArray());
    }
    return record;
}

QVariantMap QVShortcut::testPayload() const
{
    const QVariantMap record = m_editor ? editedDictValue() : m_dict;
    QVariantList actions;
    ObjectDirectory* directory = ObjectDirectory::shared();
    for (const QVariant& step : record.value("cutactions").toList()) {
        zelk::QVEAction* action = directory ? directory->actionWithID(uintValue(step.toMap().value(kStepActionID))) : nullptr;
        if (!action)
            continue;
        const QVariantMap actionRecord = action->dictValue();
        if (!actions.contains(actionRecord))
            actions.append(actionRecord);
    }
    QVariantMap payload{{"exportedshortcuts", record}};
    if (!actions.isEmpty())
        payload.insert("exportedactions", actions);
    return payload;
}

void QVShortcut::test()
{
    if (!QVUtility::sharedUtility().isProcessLaunchedWithPathName(QStringLiteral("Zelk"))) {
        alert(loc("PasTesterRaccourci"), loc("ZelkPasEnCours"), QStringLiteral("OK"));
        return;
    }
    EditorCommand::post(EditorCommand::RunShortcut, testPayload());
}

void QVShortcut::displayInEditor(QVEObjectEditor* editor)
{
    editor->displayWithShortcut(this);
}

} // namespace editor
