#pragma once
// The class object of an editor-side action type: its names, its bundle and
// the class operations that action types override. `this` is the receiving
// class: the base's localizedStr() reads the table named after this class in
// this class's bundle, newDataForAction() makes a record of this class, ...
//
// A type names itself, its superclass and the C++ type of its instances in
// its class object, and overrides what it needs:
//
//   class KeyboardShortcutClass : public zelk::QVEActionClass {
//       ZELK_EDITOR_ACTION_CLASS(KeyboardShortcut, QVEAction, KeyboardShortcut)
//   public:
//       int familyID() const override { return 1003; }
//       QList<int> modelsID() const override { return {1, 2}; }
//   };
//
// A class with no instance code of its own derives from its superclass's
// class object and names the superclass's instance type:
//
//   class QuovShortcutClass : public ZelkShortcutClass {
//       ZELK_EDITOR_ACTION_CLASS(QuovShortcut, ZelkShortcut, ZelkShortcut)
//   public:
//       bool registerActionClass() const override { return false; }
//   };
//
// The plug-in registers one long-lived class object per class:
//   extern "C" ZELK_PLUGIN_EXPORT void zelkRegisterClasses(zelk::ClassRegistry& r)
//   { static KeyboardShortcutClass cls; r.registerClass(&cls); }
#include "ClassRegistry.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <memory>

class QMimeData;

namespace zelk {

class QVEAction;

class QVEActionClass : public ClassObject {
public:
    static constexpr const char* Name = "QVEAction";
    QString className() const override { return QString::fromLatin1(Name); }

    // A new, uninitialised instance of this class; initWithDictionaryInEditor()
    // comes next.
    virtual std::shared_ptr<QVEAction> make() const;

    // The plug-in contract; the comments give the base's answer.
    virtual bool registerActionClass() const { return true; }        // offered by the editor
    virtual int familyID() const { return 1009; }                     // ActionFamilyID 1000..1019
    virtual QList<int> modelsID() const { return {}; }                // offered models, menu order
    virtual int categoryOfAction(int /*model*/) const { return 1; }   // 0 for an unknown model
    virtual QString nameOfImageForModelID(int /*model*/) const { return {}; } // resource file name
    // The model's image from this class's bundle at size x size; null when missing.
    virtual QImage imageForModelID(int model, int withSize) const;
    // "ActionTitle<model>" and "ActionDescription<model>" through localizedStr().
    virtual QString titleOfModelID(int model) const;
    virtual QString descriptionOfModelID(int model) const;
    // A new record of this class for a model (types fill "actiondata").
    virtual QVariantMap newDataForAction(int model) const;
    // Pasteboards: types the class can read, the models it could make from a
    // pasteboard, and new records made from it. Empty means none.
    virtual QStringList pasteboardTypes() const { return {}; }
    virtual QList<int> modelsIDForPasteboard(const QMimeData* /*pasteboard*/) const { return {}; }
    virtual QVariantList newDatasWithPasteboard(const QMimeData* /*pasteboard*/, int /*forAction*/) const { return {}; }

    // The key in this class's table of its bundle, else in its superclass's
    // table of the same bundle, else the key itself.
    virtual QString localizedStr(const QString& key) const;
    QString localizedStr(const QString& key, int appendInt) const;  // key followed by the number
    QString localizedActionName(int model) const;                    // "ActionName<model>"

    // A new record of a class: the next ID, the "NewName" name, an empty
    // "actiondata" and the zero editor frame.
    static QVariantMap newDataForClass(const ClassObject& cls);

protected:
    // Binds a freshly made instance to this class object (for make()).
    std::shared_ptr<QVEAction> adopt(std::shared_ptr<QVEAction> action) const;
};

} // namespace zelk

// Inside the body of a class object: the class's name, its superclass's name
// and the C++ type of its instances (a QVEAction subclass, defined before).
#define ZELK_EDITOR_ACTION_CLASS(Cls, Super, Instance)                                                 \
public:                                                                                                \
    QString className() const override { return QStringLiteral(#Cls); }                                \
    QString superclassName() const override { return QStringLiteral(#Super); }                         \
    std::shared_ptr<::zelk::QVEAction> make() const override { return adopt(std::make_shared<Instance>()); } \
                                                                                                       \
private:
