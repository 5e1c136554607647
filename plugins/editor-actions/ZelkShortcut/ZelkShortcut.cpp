#include "ZelkShortcut.h"

#include "FormatText.h"

#include <QFormLayout>

namespace zelk::editor {

namespace M = ZelkShortcutModels;

QVariantMap ZelkShortcutClass::dataForAction(int model) const
{
    if (categoryOfAction(model) == 0)
        return {};
    return {{QStringLiteral("Action"), qint64(model)}};
}

QString ZelkShortcutClass::nameForAction(int model) const
{
    return categoryOfAction(model) ? localizedActionName(model) : QString();
}

QVariantMap ZelkShortcutClass::newDataForAction(int model) const
{
    return newActionRecord(*this, dataForAction(model), ActionPane::suggestsNameForNew() ? nameForAction(model) : QString());
}

void ZelkShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    if (category() == 0)
        return;
    CUTView = paneView(1, [this] { return makeView(); });
    CUTLastAction = CUTAction;
    selectItemWithTag(CUTActionButton, CUTLastAction);
    m_editing = true;
    showPaneView(accessoryView, CUTView);
}

bool ZelkShortcut::willValidateEditing()
{
    if (m_editing && category() != 0) {
        CUTAction = CUTLastAction;
        CUTPersoDict.insert(QStringLiteral("Action"), qint64(CUTAction));
    }
    m_editing = false;
    return ActionPane::willValidateEditing();
}

QVariantMap ZelkShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (m_editing && category() != 0)
        data.insert(QStringLiteral("Action"), qint64(CUTLastAction));
    return data;
}

void ZelkShortcut::modifyAction()
{
    const int tag = tagOfItem(CUTActionButton, CUTActionButton->currentIndex());
    if (!m_editing || tag == CUTLastAction || category() != 1)
        return;
    const auto& cls = static_cast<const ZelkShortcutClass&>(actionClass());
    const QString name = suggestsNameForModified() ? cls.nameForAction(tag) : possibleNameValue();
    setAction(tag, name, false, fillFormat(localizedStr(QStringLiteral("AnnulerModifierAction")), {CUTActionButton->currentText()}));
}

void ZelkShortcut::setAction(int model, const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastAction, oldName = possibleNameValue()] { setAction(old, oldName, true, {}); },
            [this, model, withCutName] { setAction(model, withCutName, true, {}); }))
        return;
    if (model != CUTLastAction) {
        setPossibleDescriptionValue(actionClass().descriptionOfModelID(model));
        CUTLastAction = model;
    }
    if (CUTActionButton)
        selectItemWithTag(CUTActionButton, model);
    setPossibleNameValue(withCutName);
}

QWidget* ZelkShortcut::makeView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("ZelkView"));
    auto* form = new QFormLayout(view);
    CUTActionButton = new QComboBox(view);
    CUTActionButton->setObjectName(QStringLiteral("CUTActionButton"));
    CUTActionButton->setAccessibleName(localizedStr(QStringLiteral("ActionLabel")));
    fillModelPopUp(CUTActionButton, actionClass(), actionClass().modelsID());
    QObject::connect(CUTActionButton, &QComboBox::activated, view, [this] { modifyAction(); });
    form->addRow(localizedStr(QStringLiteral("ActionLabel")), CUTActionButton);
    return view;
}

ZELK_REGISTER_ACTION_PANE(ZelkShortcutClass)
ZELK_REGISTER_ACTION_PANE(QuovShortcutClass)

} // namespace zelk::editor
