#pragma once
// QVEContextEditor: the editor window of one context: its name, its
// application (types 1 to 4; the universal context has none) and its
// rules, edited in the shared rule panel. OK writes the working copies
// into the context, or substitutes an identical context for it; Cancel
// drops them (and deletes a context that is still new). Changes are steps
// on the context's undo stack, dropped when the window closes.
//
// The rules table is a RecordListModel: adding, removing, moving, cutting,
// copying, pasting and dropping rules are its operations.
#include "QVEObjectEditor.h"
#include "RecordListModel.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QUndoStack>
#include <QVariantMap>
#include <memory>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStackedWidget;
class QTableView;
class QToolButton;
class QWidget;

namespace editor {

class QVContext;

class QVEContextEditor : public QObject,
                         public QVEObjectEditor,
                         public std::enable_shared_from_this<QVEContextEditor> {
    Q_OBJECT
public:
    struct NameState {
        QString name;
        QString application;
        bool operator==(const NameState&) const = default;
    };

    QVEContextEditor();
    ~QVEContextEditor() override;

    // --- The editing convention ---------------------------------------------------------
    void displayWithContext(QVContext* context) override;
    void makeFront() override;
    bool stopEditing(QObject* sender = nullptr);
    void abortEditing(QObject* sender) override;
    void showHelp();

    QWidget* window() const { return m_window; }
    QVContext* editedContext() const { return m_context; }
    bool isEdited() const { return m_isEdited; }
    RecordListModel* rules() const { return m_rules; }
    NameState nameState() const { return m_last; }
    QImage image() const { return m_image; }

    // --- Name and application --------------------------------------------------------------
    void modifyName();
    void modifyApplication();
    // An application chosen (open panel or pop-up); keepName: Option held.
    void modifyApplicationFromPath(const QString& path, bool keepName);
    void setNameState(const NameState& state, const QString& undoString);

    // --- Rules ---------------------------------------------------------------------------------
    void newRuleForType(int type);
    void editSelectedRule();
    void editRuleAtIndex(int row, bool isNew);
    void duplicateSelectedRules();
    void invertActiveOfRuleAtIndex(int row);
    void invertActiveOfSelectedRules();
    void pastePasteboard();

private:
    void buildWindow();
    void showNameState();
    void setAppButtonWithName(const QString& name);
    void fillLaunchedRecentApp();
    void updateButtons();
    void closeWindow();
    static bool optionHeld();

    QPointer<QWidget> m_window;
    QLabel* m_contextImage = nullptr;
    QLineEdit* m_nameField = nullptr;
    QLabel* m_descriptionField = nullptr;
    QTableView* m_rulesTable = nullptr;
    QToolButton* m_rulesAddButton = nullptr;
    QPushButton* m_delRulesButton = nullptr;
    QStackedWidget* m_accessoryView = nullptr;
    QWidget* m_type0View = nullptr;
    QWidget* m_type1View = nullptr;
    QToolButton* m_type1AppButton = nullptr;
    QMenu* m_appMenu = nullptr;

    QVContext* m_context = nullptr;
    QPointer<QUndoStack> m_undoStack;
    RecordListModel* m_rules = nullptr;
    QString m_startTitle;
    NameState m_last;
    QString m_imageApplication; // the application the image was drawn for
    QImage m_image;
    QVariantMap m_params;
    bool m_isEdited = false;
};

} // namespace editor
