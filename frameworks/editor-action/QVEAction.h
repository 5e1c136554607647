#pragma once
// QVEAction: the base of every editor-side action type (libQVEAction.so).
//
// One QVEAction wraps one stored ActionRecord inside the editor and gives it
// back for saving ({actionname, actionclass, actionID, actiondata,
// actioneditorrect, actionnotused}; keys it does not know stay in the
// record). It takes part in editing (one open QVEActionEditorInterface at a
// time, an undo stack of its own), test runs through the engine, and links
// to the shortcuts, menus and palettes that use it.
//
// Types are subclasses with a class object of their own (QVEActionClass.h).
// A record whose class is not installed becomes a plain QVEAction that keeps
// "actiondata" untouched and saves the record back as it was read.
//
// Class-wide state (the ID counter, the naming settings, icon caches) is
// shared by all classes; the counter and settings are atomic, the caches are
// filled once under a lock. Everything else runs on the editor's main thread.
#include "QVEActionClass.h"
#include "QVEActionEditorInterface.h"
#include "QVEActionHostApplication.h"
#include "QVEObjects.h"

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <memory>
#include <optional>

class QKeyEvent;
class QUndoStack;
class QWidget;

namespace zelk {

class QVEAction : public QVEAuxObject, public std::enable_shared_from_this<QVEAction> {
public:
    // The framework's own class object, registered as "QVEAction" when the
    // library loads; its bundle is the framework's.
    static QVEActionClass& classObject();
    static const Bundle& frameworkBundle();
    // Registers the framework's classes (idempotent; done at load already).
    static void registerFrameworkClasses();

    // Makes and initialises the action of the class named by "actionclass".
    // A class that is not installed is reported to the application object's
    // addMissingPlugin() and the record is wrapped by a plain QVEAction.
    // nullptr when the class refuses the record.
    static std::shared_ptr<QVEAction> actionWithRecord(const QVariantMap& record);

    QVEAction();
    ~QVEAction() override;
    QVEAction(const QVEAction&) = delete;
    QVEAction& operator=(const QVEAction&) = delete;

    const QVEActionClass& actionClass() const { return *m_class; }

    // --- The record ---------------------------------------------------------
    // Reads the record (the base part; types then read "actiondata"). Answers
    // false for an empty record. Every ID read raises the counter past it.
    virtual bool initWithDictionaryInEditor(const QVariantMap& record);
    // "<class> (<identity>) { Name:'<name>' - ID = <id>, isNew = <0|1> }"
    QString description() const;
    QString localizedStr(const QString& key) const { return m_class->localizedStr(key); }

    // The saved form: "actiondata" := dataValue(), "actionnotused" := no
    // users, written into the kept record, which is answered.
    QVariantMap dictValue();
    // The record as it would be saved if the open edit were validated now;
    // the kept record is not changed.
    QVariantMap editedDictValue() const;
    // The type's parameters ("actiondata"); the base answers the kept ones
    // of a plain QVEAction and an empty map otherwise.
    virtual QVariantMap dataValue() const;
    virtual int modelID() const { return 0; }

    QString nameValue() const { return m_name; }
    void setNameValue(const QString& name);
    quint32 IDValue() const { return m_id; }
    bool IDIsEqual(quint32 id) const { return id == m_id; }

    QImage imageValue() const;                       // 32 x 32, kept until an edit is validated
    virtual QImage imageValueWithSize(int size) const; // base: the default icon
    QString typeNameValue() const { return typeName(); }
    QString descriptionValue() const;
    QString linkNameValue() const;                   // "ActionLinkName" of the host filled with the name
    QImage familyImageValue() const { return m_familyImage; }
    QImage typeImageValue() const;                   // the model's image at 16, kept
    int familyValue() const;                         // family * 1000 + model
    int typeValue() const { return familyValue(); }
    bool isEqualActionOfClass(const QString& className, const QVariantMap& params) const;

    QRectF editorRect() const { return m_editorRect; }
    void setEditorRect(const QRectF& rect);          // also "actioneditorrect" in text form

    // --- Editing -------------------------------------------------------------
    // Brings the open editor forward; false when there is none.
    bool edit();
    // Keeps the editor and has it display this action.
    void editInEditor(std::shared_ptr<QVEActionEditorInterface> editor);
    // The editor is about to show the action: types put their controls into
    // the view. The base makes the undo stack the first time.
    virtual void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView);
    virtual bool wantKeyEvent() { return false; }
    virtual void keyEvent(QKeyEvent* /*event*/) {}
    bool editorWantKeyEvent();
    void editorKeyEvent(QKeyEvent* event);
    // The user confirmed: types commit their parameters and may refuse
    // (false keeps the editor open). The base drops the 32 x 32 image.
    virtual bool willValidateEditing();
    // The user cancelled: types restore their parameters.
    virtual void abortEditing() {}
    // The parameters as they would be if the edit were validated now.
    virtual QVariantMap editedDataValue() const { return dataValue(); }
    void releaseEditor();
    void closeEditor();
    bool hasEditor() const { return m_editor != nullptr; }
    void showHelp();
    QString possibleNameValue() const;
    void setPossibleNameValue(const QString& name);
    void setPossibleImageValue(const QImage& image);
    void setPossibleDescriptionValue(const QString& description);
    bool isNew() const { return m_isNew; }
    void setIsNew(bool isNew) { m_isNew = isNew; }
    QUndoStack* undoManager() const { return m_undoManager.get(); }
    // As the editor window's delegate.
    void windowDidBecomeKey();
    QUndoStack* windowWillReturnUndoManager() const { return undoManager(); }

    // --- Validity and test runs ----------------------------------------------
    virtual bool isValid() const { return true; }
    virtual QString notValidString() const { return {}; }
    void displayNotValid();
    virtual bool canTest() const { return true; }
    // Sends the record (the edited form while an editor is open) to the
    // engine as "runaction"; alerts when the engine is not running.
    void test();
    void testEditedObject() { test(); }

    // --- Links (QVEAuxObject) ------------------------------------------------
    void addLinkedObject(QVEMainObject* object) override;
    void removeLinkedObject(QVEMainObject* object) override;
    bool isLinkedToObject(const QVEMainObject* object) const override;
    QList<QVEMainObject*> linkedObjects() const override { return m_linkedObjects; }
    bool isUsed() const override { return !m_linkedObjects.isEmpty(); }
    // Asks each current user once (one call per link it holds); a user that
    // ignores the request (its editor is open) keeps its link.
    void removeAllLinkedObject() override;
    bool canDeleteWithMessage(bool withMessage) override;
    void willDelete() override;

    // --- Class-wide ----------------------------------------------------------
    static int objectIndex() { return 1; }
    // The family's image from the framework's bundle at size x size; null
    // (and logged) for a family outside 1000..1019 or without an image.
    static QImage imageForFamilyID(int family, int withSize);
    static QString newNameValue();                  // the "NewName" format

    // The ID counter. setNextActionID() sets it (from the actions file's
    // nextID), but never at or below an ID read since the last call: a file
    // whose nextID lags behind its records still hands out fresh IDs.
    static quint32 nextActionID();                  // answers the counter, then adds one
    static quint32 currentActionID();
    static void setNextActionID(quint32 next);
    static void noteExistingActionID(quint32 id);   // an ID in use: counter past it

    static void setSuggestNameNew(bool on);
    static bool suggestNameNew();
    static void setSuggestNameModified(bool on);
    static bool suggestNameModified();

    static QImage defaultIcon();                    // kept once loaded
    static QImage unknownIconWithSize(int size);    // a new copy each call
    static QImage imageInBundle(const Bundle& bundle, const QString& name); // null when missing
    static QString typeName();                      // "CommandName", looked up once

    // The editor's application object (not owned; nullptr for none).
    static void setApplicationObject(QVEActionHostApplication* application);
    static QVEActionHostApplication* applicationObject();

    // Forwarders to the host's QVUtility class, looked up on every call;
    // without one they answer 0, empty or false and do nothing.
    static QWidget* openDocumentPanel();
    static QString resolveAliasPath(const QString& path);
    static int typeForPath(const QString& path);
    static int typeForTargetPath(const QString& path);
    static QString targetPath(const QString& path);
    static QByteArray FSRefForPath(const QString& path);
    static QString pathForFSRef(const QByteArray& ref);
    static QImage iconImageForPath(const QString& path, int withSize);
    static int runScript(const QString& script);
    static char asciiForKeycode(quint32 keycode);
    static QString modifierStringWithKeycode(quint32 keycode);
    static QString getApplicationFromPath(const QString& path);
    static QString getFolderFromPath(const QString& path);
    static QString getDocumentOfTypes(const QStringList& types, const QString& fromPath);
    static bool isTextFileAtPath(const QString& path);
    static QString stringWithPath(const QString& path);
    static void openPreferencePanel(const QString& name);
    static QStringList launchedAppPathArray();
    static QStringList recentAppPathArray();
    static void playClicSound();

private:
    friend class QVEActionClass;
    bool isPlain() const { return m_plain; }

    const QVEActionClass* m_class;
    QVariantMap m_dict;
    QString m_name;
    quint32 m_id = 0;
    mutable QImage m_image;
    std::shared_ptr<QVEActionEditorInterface> m_editor;
    std::unique_ptr<QUndoStack> m_undoManager;
    bool m_plain = false;                  // a record whose class is missing
    std::optional<QVariantMap> m_privateDict;
    bool m_isNew = false;
    QList<QVEMainObject*> m_linkedObjects;
    QImage m_familyImage;
    mutable QImage m_typeImage;
    QRectF m_editorRect;
};

} // namespace zelk
