#pragma once
// How the main window drives its three lists (shortcuts, menus, palettes).
#include <QPoint>
#include <QString>
#include <QVariantMap>
#include <optional>

class QMenu;

namespace editor {

class QVEMainModel;
class QVEModelObject;
class StripedTableView;

class QVEMainObjectsViewer {
public:
    virtual ~QVEMainObjectsViewer() = default;

    virtual void initViewer() = 0;
    virtual void connectViewer() = 0;
    virtual void disconnectViewer() = 0;
    virtual void reselectViewer() = 0;
    virtual void showTargetObjects() = 0;
    // The screen centre of the object's row; none when it is not a shown row.
    virtual std::optional<QPoint> locationOfObject(QVEModelObject* object) const = 0;
    virtual void updateShownObjects() = 0;
    virtual QString windowTitle() const = 0;
    virtual QMenu* actionMenu() const = 0;
    virtual QString searchString() const = 0;
    virtual void setSelectionDict(const QVariantMap& selection) = 0;
    virtual QVariantMap selectionDict() const = 0;
    virtual void showMainObject(QVEMainModel* object) = 0;
    virtual void newObject() = 0;
    virtual void newObjectWithContexts(const QVariantList& contexts) = 0;
    virtual void deleteObjects() = 0;
    virtual void editObjects() = 0;
    virtual void duplicateObjects() = 0;

    // The selection operations of the base, which the window and the pane use.
    virtual void showAllObjects() = 0;
    virtual void showObjectsWithContextID(quint32 contextID) = 0;
    virtual void showObjectsNameContains(const QString& text) = 0;
    virtual StripedTableView* objectsTable() const = 0;
};

} // namespace editor
