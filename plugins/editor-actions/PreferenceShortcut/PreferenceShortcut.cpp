#include "PreferenceShortcut.h"

#include "FormatText.h"

#include <QFormLayout>
#include <QHash>

namespace zelk::editor {

namespace K = PreferenceShortcutKeys;
namespace M = PreferenceShortcutModels;

namespace {

const PreferenceShortcutClass& cls()
{
    return paneClassObject<PreferenceShortcutClass>();
}

} // namespace

// --- Class side ------------------------------------------------------------------------

QVariantMap PreferenceShortcutClass::dataForAction(int model, const QString& panel) const
{
    switch (model) {
    case M::OpenPane:
        return {{K::Action, qint64(model)}, {K::Name, panel}};
    case M::PanesMenu:
    case M::OpenSettings:
        return {{K::Action, qint64(model)}};
    default:
        return {};
    }
}

QString PreferenceShortcutClass::nameForAction(int model, const QString& panel) const
{
    switch (model) {
    case M::OpenPane:
        return fillFormat(localizedActionName(model), {panel});
    case M::PanesMenu:
    case M::OpenSettings:
        return localizedActionName(model);
    default:
        return {};
    }
}

QVariantMap PreferenceShortcutClass::newDataForAction(int model) const
{
    return newActionRecord(*this, dataForAction(model, {}), ActionPane::suggestsNameForNew() ? nameForAction(model, {}) : QString());
}

// --- Reading, validity ---------------------------------------------------------------------

bool PreferenceShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict);
    return true;
}

bool PreferenceShortcut::passesHardwareTest(const QString& path)
{
    static std::mutex mutex;
    static QHash<QString, bool> passed;
    {
        std::lock_guard lock(mutex);
        const auto it = passed.constFind(path);
        if (it != passed.constEnd())
            return *it;
    }
    const bool result = Platform::instance().settingsPanels().passesHardwareTest(path);
    std::lock_guard lock(mutex);
    passed.insert(path, result);
    return result;
}

bool PreferenceShortcut::isValid() const
{
    if (CUTAction != M::OpenPane)
        return true;
    const QString path = pathFromEndPath(CUTPrefName);
    return !path.isEmpty() && passesHardwareTest(path);
}

QString PreferenceShortcut::notValidString() const
{
    if (CUTAction != M::OpenPane || !pathFromEndPath(CUTPrefName).isEmpty())
        return {};
    return fillFormat(localizedStr(QStringLiteral("PanneauNonValide")), {CUTPrefName});
}

// --- The editing cycle -------------------------------------------------------------------------

void PreferenceShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    const int cat = category();
    if (cat == 0)
        return;
    CUTView = paneView(cat == 1 ? 1 : 2, [this, cat] {
        QWidget* view = makeView(cat);
        if (cat == 1)
            setPrefButton();
        return view;
    });
    if (cat == 1) {
        CUTLastPrefName = CUTPrefName;
        if (CUTLastPrefName.isEmpty())
            CUTPrefButton->setCurrentIndex(CUTPrefButton->count() > 0 ? 0 : -1);
        else
            selectPane(CUTLastPrefName);
        m_editing = true;
    }
    showPaneView(accessoryView, CUTView);
}

bool PreferenceShortcut::willValidateEditing()
{
    if (m_editing && category() == 1) {
        CUTPrefName = CUTLastPrefName;
        CUTPersoDict.insert(K::Name, CUTPrefName);
    }
    abortEditing();
    return ActionPane::willValidateEditing();
}

void PreferenceShortcut::abortEditing()
{
    CUTLastPrefName.clear();
    m_editing = false;
}

QVariantMap PreferenceShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (m_editing && category() == 1)
        data.insert(K::Name, CUTLastPrefName);
    return data;
}

// --- The pop-up -------------------------------------------------------------------------------------

void PreferenceShortcut::setPrefButton()
{
    if (!CUTPrefButton)
        return;
    const QSignalBlocker block(CUTPrefButton);
    CUTPrefButton->clear();
    const PreferencePanes& list = panes();
    for (qsizetype i = 0; i < list.paths.size(); ++i) {
        const QString& name = list.names.at(i);
        int at = 0;
        while (at < CUTPrefButton->count() && name.compare(CUTPrefButton->itemText(at), Qt::CaseSensitive) > 0)
            ++at;
        CUTPrefButton->insertItem(at, QIcon(QPixmap::fromImage(paneIcon(list.paths.at(i), 16))), name);
        CUTPrefButton->setItemData(at, list.paths.at(i), PathRole);
    }
}

void PreferenceShortcut::selectPane(const QString& fileName)
{
    if (!CUTPrefButton)
        return;
    const QSignalBlocker block(CUTPrefButton);
    const QString path = pathFromEndPath(fileName);
    for (int i = 0; i < CUTPrefButton->count(); ++i) {
        if (!path.isEmpty() && CUTPrefButton->itemData(i, PathRole).toString() == path) {
            CUTPrefButton->setCurrentIndex(i);
            return;
        }
    }
    CUTPrefButton->setCurrentIndex(-1);
}

void PreferenceShortcut::modifyPref()
{
    if (!m_editing || !CUTPrefButton || CUTPrefButton->currentIndex() < 0)
        return;
    const QString path = CUTPrefButton->currentData(PathRole).toString();
    const QString fileName = QFileInfo(path).fileName();
    const QString title = CUTPrefButton->currentText();
    const QString name = suggestsNameForModified() ? cls().nameForAction(CUTAction, title) : possibleNameValue();
    setPrefName(fileName, name, false, fillFormat(localizedStr(QStringLiteral("AnnulerModifierPreference")), {title}));
}

void PreferenceShortcut::setPrefName(const QString& fileName, const QString& withCutName, bool isUndo,
                                     const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastPrefName, oldName = possibleNameValue()] { setPrefName(old, oldName, true, {}); },
            [this, fileName, withCutName] { setPrefName(fileName, withCutName, true, {}); }))
        return;
    if (fileName != CUTLastPrefName) {
        CUTLastPrefName = fileName;
        selectPane(fileName);
    }
    setPossibleNameValue(withCutName);
    setPossibleImageValue(paneIcon(pathFromEndPath(fileName), 32));
}

QWidget* PreferenceShortcut::makeView(int category)
{
    auto* view = new QWidget;
    view->setObjectName(category == 1 ? QStringLiteral("OpenView") : QStringLiteral("MenuView"));
    auto* form = new QFormLayout(view);
    if (category != 1)
        return view;
    CUTPrefButton = new QComboBox(view);
    CUTPrefButton->setObjectName(QStringLiteral("CUTPrefButton"));
    CUTPrefButton->setAccessibleName(localizedStr(QStringLiteral("PaneLabel")));
    QObject::connect(CUTPrefButton, &QComboBox::activated, view, [this] { modifyPref(); });
    form->addRow(localizedStr(QStringLiteral("PaneLabel")), CUTPrefButton);
    return view;
}

ZELK_REGISTER_ACTION_PANE(PreferenceShortcutClass)

} // namespace zelk::editor
