#pragma once
// The registry of action models: one ActionModel record per model of every
// registered action class, in registration order, and the models menu
// grouped by family. The registered classes also answer the pasteboard
// chooser (QVEPboardManager).
#include <QList>
#include <QUndoStack>
#include <QVariantList>
#include <functional>

class QMenu;

namespace zelk {
class QVEActionClass;
}

namespace editor {

class QVEModelsManager {
public:
    static QVEModelsManager& sharedManager();

    // Appends one ActionModel per model of the class (a model whose building
    // throws is logged and left out).
    void addClass(const zelk::QVEActionClass& cls);
    QVariantList allModelsArray() const { return m_models; }
    // Despite the name, one family number.
    QVariantList modelsWithFamilyIDArray(int family) const;
    void addActionsWithModels(const QVariantList& models);
    // A new menu: one item per family with models (sorted by its localised
    // name), each with a submenu of its models sorted by title; choosing a
    // model item calls target with the model. The caller owns the menu.
    QMenu* modelsMenuForTarget(const std::function<void(const QVariantMap& model)>& target) const;
    QUndoStack* undoManager() { return &m_undoManager; }

    // The classes in registration order.
    QList<const zelk::QVEActionClass*> registeredClasses() const { return m_classes; }
    // Forgets everything (tests).
    void clear();

private:
    QVEModelsManager() = default;

    QVariantList m_models;
    QList<const zelk::QVEActionClass*> m_classes;
    QUndoStack m_undoManager;
};

// The menu of action models by family, shared by the models menu and the
// actions manager's new-action menu.
QMenu* buildModelsMenu(const QVariantList& models, const std::function<void(const QVariantMap& model)>& target);

} // namespace editor
