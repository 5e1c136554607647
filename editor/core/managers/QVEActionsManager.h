#pragma once
// The actions manager: actions are made by the class their record names;
// new ones come from records, models or pasteboard data the plug-in
// classes read. Each change is one undo step of its own stack.
#include "ManagerSupport.h"

#include <QUndoStack>

class QMenu;
class QMimeData;

namespace zelk {
class QVEAction;
class QVEActionEditorInterface;
}

namespace editor {

class QVEActionsManager {
public:
    static QVEActionsManager& sharedManager();

    void setActions(const QVariantList& records);
    QVariantList actionsDictArray() const;
    QList<zelk::QVEAction*> allActionsArray() const;
    QList<zelk::QVEAction*> actionsOfClass(const QString& className, int withModelID) const;
    QList<zelk::QVEAction*> actionsNotValid() const;
    QList<zelk::QVEAction*> unusedActions() const;
    // The new-action menu (see QVEModelsManager::modelsMenuForTarget), its
    // models fixed at the first call; entries call target with their model.
    QMenu* actionsMenuForTarget(const std::function<void(const QVariantMap& model)>& target);
    void addActionsPboardTypes(const QStringList& types);
    QStringList actionsPboardTypes() const { return m_pboardTypes; }
    void addActionObject(const QVariantMap& record);
    void insertActionObject(const QVariantMap& record, int atIndex);

    void newActionsWithPasteboard(const QMimeData* pasteboard);
    bool newActionsForClass(const QString& className, int forAction, const QMimeData* pasteboard);
    QList<quint32> addActionsWithModels(const QVariantList& models, bool isUndo);
    QVariantList newActionsWithModels(const QVariantList& models);
    QList<quint32> addActions(const QVariantList& records, bool withNewID, bool isUndo);
    QList<quint32> delActionsID(const QList<quint32>& ids, bool withMessage, bool isUndo);

    void exportActionsID(const QList<quint32>& ids);
    QVariantList exportDataForActionsID(const QList<quint32>& ids) const;
    QVariantList actionsArrayWithActionIds(const QList<quint32>& ids) const { return exportDataForActionsID(ids); }
    void copyActionsID(const QList<quint32>& ids);
    void pastePasteboard(const QMimeData* pasteboard) { newActionsWithPasteboard(pasteboard); }
    void pasteModelsWithPasteboard(const QMimeData* pasteboard);
    void duplicateActionsID(const QList<quint32>& ids);
    zelk::QVEAction* duplicateActionID(quint32 id);
    void runActionsID(const QList<quint32>& ids);
    void editActionsID(const QList<quint32>& ids);
    void newShortcutWithActionsID(const QList<quint32>& ids);
    void newMenuWithActionsID(const QList<quint32>& ids);
    void newPaletteWithActionsID(const QList<quint32>& ids);

    zelk::QVEAction* actionWithID(quint32 id) const;
    zelk::QVEAction* actionOfClass(const QString& className, const QVariantMap& params) const;
    void substituteAction(zelk::QVEAction* old, zelk::QVEAction* with, bool deleteOld);
    void updateActionsWithDictionary(const QVariantMap& payload);
    void updateActions();
    void reloadActions();
    QUndoStack* undoManager() { return &m_undoManager; }

    // Where new action editor windows come from (the windows live outside
    // this library); none: no editor opens, logged.
    using ActionEditorMaker = std::function<std::shared_ptr<zelk::QVEActionEditorInterface>()>;
    void setActionEditorMaker(ActionEditorMaker maker) { m_editorMaker = std::move(maker); }

private:
    QVEActionsManager() = default;
    QVariantMap duplicateRecord(zelk::QVEAction* action) const;

    QUndoStack m_undoManager;
    QStringList m_pboardTypes;
    ActionEditorMaker m_editorMaker;
    std::optional<QVariantList> m_menuModels;
};

bool compareActionsByName(const zelk::QVEAction* a, const zelk::QVEAction* b);

} // namespace editor
