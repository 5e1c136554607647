#pragma once
// The frame of every editor-side action type in the ActionPanes plug-in.
//
// A type is two classes in namespace zelk::editor: its instance class,
// derived from ActionPane (directly, or through the template that holds
// what it shares with the runner plug-in, see Side), and its class object,
// derived from QVEActionClass with ZELK_EDITOR_ACTION_CLASS, registered by
// one line in the type's .cpp:
//
//   class PauseShortcut : public ActionPane { ... };
//   class PauseShortcutClass : public QVEActionClass {
//       ZELK_EDITOR_ACTION_CLASS(PauseShortcut, QVEAction, PauseShortcut)
//   public:
//       int familyID() const override { return 1009; }
//       ...
//   };
//   ZELK_REGISTER_ACTION_PANE(PauseShortcutClass)
//
// and reaches it as paneClassObject<PauseShortcutClass>().
//
// The frame keeps the stored parameters (CUTPersoDict) and the model
// (CUTAction), loads each category's view once and keeps it, runs every
// edit through the action's undo stack (registerUndo), and offers the
// suggestion rule for names, the pop-up helpers (tags, markers, the path
// pop-up) and the reading of dropped files.
//
// The editing cycle, as the action editor window drives it:
//   willEditInEditor()   the type calls ActionPane's, builds its view once
//                        (paneView), copies the stored values into its edit
//                        copies, shows them and adds the view (showPaneView)
//   modify...()          control handlers: nothing when the control's value
//                        equals the edit copy; else the undo title, the name
//                        (suggestsNameForModified()), and the type's setter
//   set...(values, withCutName, isUndo, undoString)
//                        the setter begins with registerUndo(); it applies
//                        the values only when that answers true
//   willValidateEditing() edit copies -> stored values and CUTPersoDict,
//                        then ActionPane's (which calls QVEAction's)
//   abortEditing()       drops the edit copies; stored values untouched
//   editedDataValue()    CUTPersoDict with the edit copies laid over it
#include "QVEAction.h"

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QIcon>
#include <QTimer>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <map>
#include <utility>

class QFormLayout;
class QLineEdit;
class QMimeData;
class QWidget;

namespace zelk::editor {

class ActionPane;

// The plug-in's own bundle (PlugIns/ActionPanes): the types' strings tables
// and images.
const Bundle& pluginBundle();

// What the sources shared with the runner plug-in (plugins/shared/<Type>)
// are built on, on this side: the frame class and the plug-in's bundle.
// The runner plug-in has its own Side (zelk::engine::Side).
struct Side {
    using Base = ActionPane;
    static const Bundle& bundle() { return pluginBundle(); }
};

class ActionPane : public QVEAction {
public:
    ActionPane();
    ~ActionPane() override;

    // The frame's part of reading a record: the base's, then CUTPersoDict
    // (a copy of "actiondata") and CUTAction ("Action"). Types call it
    // first, then read the keys of category().
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    int modelID() const override { return CUTAction; }
    // The stored parameters, exactly as read (and as validated since).
    QVariantMap dataValue() const override { return CUTPersoDict; }
    // The category of the stored model; 0 for a model the class doesn't know.
    int category() const { return actionClass().categoryOfAction(CUTAction); }

    // Keeps a renewed value in the stored parameters (bestPath() renews the
    // stored file reference, also from const members).
    void storeParameter(const QString& key, const QVariant& value) const { CUTPersoDict.insert(key, value); }

    // The current keyboard modifiers have Option (Alt) down.
    static bool optionKeyDown();
    // The suggestion rule: a name is suggested when flag and Option disagree.
    static bool suggestsName(bool flag) { return flag != optionKeyDown(); }
    static bool suggestsNameForNew() { return suggestsName(suggestNameNew()); }
    static bool suggestsNameForModified() { return suggestsName(suggestNameModified()); }

protected:
    // The first thing every setter does. With isUndo false it pushes one
    // step named undoString on the action's undo stack, whose redo and undo
    // call the setter again with isUndo true and the new or the former
    // values, and answers false (the push has applied the values already).
    // With isUndo true, or when the action has no undo stack (it is not
    // being edited), it answers true: the caller applies the values now.
    bool registerUndo(bool isUndo, const QString& undoString, std::function<void()> undo,
                      std::function<void()> redo);

    // The view of a category, built by build() the first time and kept for
    // the next edits (the action owns it; the window only hosts it).
    QWidget* paneView(int category, const std::function<QWidget*()>& build);
    // Adds a view to the editor's accessory area (nothing for nullptr).
    static void showPaneView(QWidget* accessoryView, QWidget* view);
    // The possible image of an action naming a file: the file's icon, else
    // the missing-item icon.
    void setPossibleImageOfFile(const QString& path);

    mutable QVariantMap CUTPersoDict;  // the stored ActionParameters
    int CUTAction = 0;                 // the stored model
    QPointer<QWidget> CUTView;         // the view shown by the open edit

private:
    std::map<int, QPointer<QWidget>> m_views;
};

// --- Class side ------------------------------------------------------------------

// A new record of a class (QVEActionClass::newDataForClass) with the given
// parameters as "actiondata" and, when not empty, the suggested name.
QVariantMap newActionRecord(const QVEActionClass& cls, const QVariantMap& parameters,
                            const QString& suggestedName = {});

// The file an alias or link leads to; the path itself when it leads nowhere.
QString resolvedPath(const QString& path);
// The name a file model's action takes from its file: the display name
// without extension, empty for no file.
QString fileBaseDisplayName(const QString& path);
// One new record per dropped file of a kind (see pathsOfKind), its
// parameters and suggested name made from the file's path.
QVariantList newRecordsOfPaths(const QVEActionClass& cls, const QMimeData* pasteboard, int kind,
                               const std::function<QVariantMap(const QString&)>& dataOfPath,
                               const std::function<QString(const QString&)>& nameOfPath);

// The pasteboard type of file names, and the local files a pasteboard holds.
inline constexpr const char* kFilenamesPboardType = "text/uri-list";
QStringList filePathsOfPasteboard(const QMimeData* pasteboard);

// A modal alert through the editor's QVUtility: 1 for the first button, 0
// for the second (0, logged, without one).
int alertPanel(const QVEActionClass& cls, const QString& title, const QString& message, const QString& button1,
               const QString& button2 = {});
// The dropped files whose kind (typeForTargetPath: 2 document, 3 folder)
// is kind, in order; and whether every dropped file is of that kind (true
// for a list of none).
QStringList pathsOfKind(const QMimeData* pasteboard, int kind);
bool allPathsOfKind(const QMimeData* pasteboard, int kind);

// The accessibility check: the alert "FonctionInactive1" / "FonctionNonValide"
// with the button "OuvrirPanneau", then the accessibility settings.
void notifyNotAvailable(const QVEActionClass& cls);

// Registration of the plug-in's class objects (see the top of this file).
void addPaneClass(QVEActionClass* cls);
QList<QVEActionClass*> paneClasses();
// The one class object of a class-object type, made on first use.
template <class ClassObjectType>
ClassObjectType& paneClassObject()
{
    static ClassObjectType object;
    return object;
}

// --- Pop-ups (QComboBox) -----------------------------------------------------------
// Items carry a tag (a model or an option value), a marker (fixed items of
// a view that generated sections are placed against) and a represented
// path.
inline constexpr int TagRole = Qt::UserRole;
inline constexpr int MarkerRole = Qt::UserRole + 1;
inline constexpr int PathRole = Qt::UserRole + 2;

void addTaggedItem(QComboBox* popUp, const QString& title, int tag, const QImage& image = {});
void addMarkerItem(QComboBox* popUp, const QString& title, const QString& marker);
int indexOfTag(const QComboBox* popUp, int tag);          // -1 when none
int indexOfMarker(const QComboBox* popUp, const QString& marker);
bool selectItemWithTag(QComboBox* popUp, int tag);         // false when none has it
int tagOfItem(const QComboBox* popUp, int index);
bool popUpHasTitle(const QComboBox* popUp, const QString& title);
// The class's models, titled by titleOfModelID(), tagged by model, with
// their 16-point images.
void fillModelPopUp(QComboBox* popUp, const QVEActionClass& cls, const QList<int>& models);

// The path pop-up: item 0 names the file at path (its display name, its
// 16-point icon, or the missing-item icon and nothing more when no file is
// there); the enclosing folders follow from index 1, innermost first, the
// root never listed, each title made unique by appending blanks; the items
// from the previous path between index 1 and firstFixedIndex (the view's
// fixed items after the folders) are removed first. Answers the index just
// past the last folder.
int setPathPopUp(QComboBox* popUp, const QString& path, int firstFixedIndex);

// The file pop-up of the types that name a file: the path pop-up above
// with a separator and "Choose…" (the class's "PathChooseItem") as its
// fixed items.
inline constexpr const char* PathChooseItem = "CUTPathChooseItem";
QComboBox* makeFilePopUp(const QVEActionClass& cls, QWidget* parent);
// Shows a path in it, item 0 selected.
void showFileInPopUp(QComboBox* popUp, const QString& path);
// An item was chosen: the pop-up goes back to the file; true for "Choose…".
bool filePopUpAskedToChoose(QComboBox* popUp, int index);
// The rows of a script file's view: the file pop-up ("CUTPathButton",
// labelled "FileLabel") calling choose for "Choose…", and the "EditButton"
// ("CUTEditButton") calling edit. Answers the pop-up.
QComboBox* addScriptFileRows(const QVEActionClass& cls, QFormLayout* form, QWidget* view,
                             std::function<void()> choose, std::function<void()> edit);

// The chooser of an application ("CUTAppPanel", titled "AppPanelTitle"):
// its list ("CUTAppTable") under the message, when there is one; a row
// activated or OK calls choose, Cancel calls cancel. Answers the panel and
// its list.
std::pair<QDialog*, QListWidget*> makeAppPanel(const QVEActionClass& cls, QWidget* parent, Qt::WindowFlags flags,
                                               const QString& message, std::function<void()> choose,
                                               std::function<void()> cancel);

// The class's offered models of a category, in menu order.
QList<int> modelsOfCategory(const QVEActionClass& cls, int category);

// The list with each item inserted in turn at its row (kept inside the
// list). select gets the row to show, selectAfterIndex, first, then the new
// rows.
QVariantList listWithInsertedItems(const QVariantList& list, const QVariantList& items, const QList<int>& atIndexes,
                                   int selectAfterIndex, QList<int>* select);
// The list without the items at rows (any order; repeated rows and rows
// out of range left out); removed gets how many went, select the row to
// select after: selectAfterIndex, the new last row when that is past the
// end, none when the list is empty.
QVariantList listWithoutRows(const QVariantList& list, const QList<int>& rows, int selectAfterIndex, QList<int>* select,
                             int* removed);
// Items of a type's list on the clipboard: an XML property list {key:
// items} under the list's own MIME type (that type alone).
void putListItemsOnClipboard(const QString& mimeType, const QString& key, const QVariantList& items);
QVariantList listItemsOnClipboard(const QString& mimeType, const QString& key);
bool clipboardHasListItems(const QString& mimeType);

// Calls fn each time the widget loses the focus (the hook goes with it).
void onFocusOut(QWidget* widget, std::function<void()> fn);
// Calls fn each time the widget is hidden (its window closed).
void onHide(QWidget* widget, std::function<void()> fn);

// The application icon blinking while a type records (a menu choice,
// interface controls): the action's image and the icon, one second each,
// on the main thread. One blink at a time: start() while it runs does
// nothing; stop() puts the icon back.
class RecordingBlink {
public:
    RecordingBlink();
    ~RecordingBlink();
    RecordingBlink(const RecordingBlink&) = delete;
    RecordingBlink& operator=(const RecordingBlink&) = delete;
    void start(const QImage& image);
    void stop();
    bool isBlinking() const { return m_timer.isActive(); }

private:
    QTimer m_timer;
    QIcon m_savedIcon;
    QIcon m_image;
    bool m_showingImage = false;
};

// --- Calendar formats -----------------------------------------------------------------------
// The panel of format elements beside a date field: a tool window owned by
// the view, one button per element titled "DateElementLabel<n>" of the
// class, calling insert(n). Its buttons take no focus.
QWidget* makeDateHelpPanel(const QVEActionClass& cls, QWidget* view, const std::function<void(int tag)>& insert);
// Puts the element "DateElement<n>" of the class into the field: at the
// cursor while the field has the focus in its window, else at the end.
void insertDateElement(const QVEActionClass& cls, QLineEdit* field, int tag);

// --- The application pop-up ------------------------------------------------------------
// Item 0 names the application; then the view's fixed items, each with its
// marker: a separator (AppFirstItem), "launched" and "recent" section titles
// (AppLaunchedItem, AppRecentItem) followed by the running and the recently
// used applications (each with its PathRole), and "Other…" (AppOtherItem).
inline constexpr const char* AppFirstItem = "CUTAppFirstItem";
inline constexpr const char* AppLaunchedItem = "CUTAppLaunchedItem";
inline constexpr const char* AppRecentItem = "CUTAppRecentItem";
inline constexpr const char* AppOtherItem = "CUTAppOtherItem";

// The name shown for an application: its display name without extension.
QString applicationDisplayName(const QString& path);
// A new application pop-up, titled from the class's "AppLaunchedItem",
// "AppRecentItem" and "AppOtherItem".
QComboBox* makeApplicationPopUp(const QVEActionClass& cls, QWidget* parent);
// Item 0 shows the application of that name (found in the application
// folders: its display name and icon; else the name and the missing-item
// icon), and is selected.
void showApplicationName(QComboBox* popUp, const QString& name);
// The launched and recent sections filled anew.
void fillLaunchedRecentApp(QComboBox* popUp);
// What an activated item asks for; the pop-up goes back to item 0.
struct ApplicationChoice {
    bool other = false; // "Other…": the application panel
    QString path;       // an application of the two sections
};
ApplicationChoice applicationPopUpActivated(QComboBox* popUp, int index);

// Folder pop-ups: item 0 the folder, its enclosing folders, then a
// separator and the item that chooses another (choose is called).
QComboBox* makeFolderPopUp(QWidget* parent, const QString& chooseTitle, std::function<void()> choose);
// Shows a folder in such a pop-up (its name without ".app").
void setFolderPopUp(QComboBox* popUp, const QString& path);
// The folder row of a view: such a pop-up ("CUTPathButton", labelled
// "FolderLabel", its last item the class's "ChooseFolderItem").
QComboBox* addFolderRow(const QVEActionClass& cls, QFormLayout* form, QWidget* view, std::function<void()> choose);


} // namespace zelk::editor

// One line in a type's .cpp, inside namespace zelk::editor, registers its
// class object with the plug-in; the type reaches it as
// paneClassObject<ClassObjectType>().
#define ZELK_REGISTER_ACTION_PANE(ClassObjectType)                                         \
    namespace {                                                                            \
    [[maybe_unused]] const bool zelkPaneRegistered_##ClassObjectType =                     \
        (::zelk::editor::addPaneClass(&::zelk::editor::paneClassObject<ClassObjectType>()), true); \
    }
