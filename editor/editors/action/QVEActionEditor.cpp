#include "QVEActionEditor.h"

#include "EditorWidgets.h"
#include "EditorWindowHost.h"
#include "Log.h"
#include "ModelSupport.h"
#include "QVEAction.h"
#include "QVEActionsManager.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QUndoStack>
#include <QVBoxLayout>

namespace editor {

namespace {

const char* const kWindowName = "QVEActionEditorWindow";
constexpr int kAccessoryWidth = 555;

// Closing by the frame is Cancel; key presses the action's type records
// go to it rather than to the window's controls; becoming key brings the
// editor's other windows along.
class ActionWindowWatcher : public QObject {
public:
    ActionWindowWatcher(QVEActionEditor* editor, QObject* parent) : QObject(parent), m_editor(editor) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (closeIsCancel(m_editor, event))
            return true;
        switch (event->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
            if (m_editor->isEdited() && m_editor->wantKeyEvent()) {
                if (event->type() == QEvent::KeyPress)
                    m_editor->keyEvent(static_cast<QKeyEvent*>(event));
                event->accept();
                return true;
            }
            break;
        case QEvent::WindowActivate:
            if (zelk::QVEAction* action = m_editor->editedAction()) {
                editorWindowHost().undoStackActivated(action->undoManager());
                action->windowDidBecomeKey();
            }
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QVEActionEditor* m_editor;
};

class ActionRenameStep : public QUndoCommand {
public:
    ActionRenameStep(QPointer<QVEActionEditor> editor, QString before, QString after, const QString& text)
        : QUndoCommand(text), m_editor(std::move(editor)), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void redo() override { apply(m_after); }
    void undo() override { apply(m_before); }

private:
    void apply(const QString& name)
    {
        if (m_editor && m_editor->isEdited())
            m_editor->setPossibleActionName(name);
    }
    QPointer<QVEActionEditor> m_editor;
    QString m_before, m_after;
};

} // namespace

QVEActionEditor::QVEActionEditor()
{
    m_startTitle = loc(QStringLiteral("TitreAction"));
    buildWindow();
}

QVEActionEditor::~QVEActionEditor()
{
    // An editor let go of through a queued call may end while the
    // application is being torn down, when deleting a widget would wait
    // on the event queue's lock that the teardown holds.
    if (QCoreApplication::closingDown())
        return;
    // Gone with its object while open (a new object taken back by an undo).
    if (m_isEdited && m_window)
        editorWindowHost().removeWindowsItem(m_window);
    delete m_window;
}

void QVEActionEditor::buildWindow()
{
    m_window = new QWidget(nullptr, Qt::Window);
    m_window->setObjectName(QString::fromLatin1(kWindowName));
    m_window->installEventFilter(new ActionWindowWatcher(this, m_window));
    auto* layout = new QVBoxLayout(m_window);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* top = new QHBoxLayout;
    m_imageView = named(new QLabel, "AEActionImage", loc(QStringLiteral("ImageAction")));
    m_imageView->setFixedSize(32, 32);
    auto* texts = new QVBoxLayout;
    m_nameField = named(new QLineEdit, "AENameField", loc(QStringLiteral("NomAction")));
    m_descriptionField = named(new QLabel, "AEDescriptionField", loc(QStringLiteral("DescriptionAction")));
    m_descriptionField->setWordWrap(true);
    texts->addWidget(m_nameField);
    texts->addWidget(m_descriptionField);
    top->addWidget(m_imageView);
    top->addLayout(texts, 1);
    layout->addLayout(top);
    connect(m_nameField, &QLineEdit::editingFinished, this, &QVEActionEditor::modifyName);
    passUndoToWindowWhenCommitted(m_nameField, [this] { return m_nameField->text() == m_lastName; });

    m_accessoryView = named(new QWidget, "AEAccessoryView", loc(QStringLiteral("ParametresAction")));
    m_accessoryView->setFixedWidth(kAccessoryWidth);
    layout->addWidget(m_accessoryView);

    m_usedWarningField = named(new QLabel, "AEUsedWarningField", loc(QStringLiteral("AttentionCommandeUtiliseeX")));
    m_usedWarningField->setWordWrap(true);
    layout->addWidget(m_usedWarningField);

    addEditorButtons(layout, "AE", this,
                     {[this] { showHelp(); }, [this] { test(); }, [this] { abortEditing(nullptr); }, [this] { stopEditing(); }});
}

void QVEActionEditor::setTitle()
{
    if (!m_window)
        return;
    m_window->setWindowTitle(titleWithName(m_startTitle, m_lastName));
    editorWindowHost().changeWindowsItem(m_window, m_window->windowTitle());
}

void QVEActionEditor::panelSizeToFit()
{
    m_accessoryView->setFixedWidth(kAccessoryWidth);
    m_window->adjustSize();
}

void QVEActionEditor::displayWithAction(zelk::QVEAction* action)
{
    if (!action) {
        zelk::zlog("QVEActionEditor", "displayWithAction") << "no action";
        return;
    }
    m_action = action;
    action->willEditInEditor(this, m_accessoryView);
    m_lastName = action->nameValue();
    m_nameField->setText(m_lastName);
    m_imageView->setPixmap(QPixmap::fromImage(imageSized(action->imageValue(), 32)));
    m_descriptionField->setText(action->descriptionValue());
    m_usedWarningField->setText(action->linkedObjects().size() >= 2 ? loc(QStringLiteral("AttentionCommandeUtiliseeX"))
                                                                    : QString());
    m_window->setWindowTitle(titleWithName(m_startTitle, m_lastName));
    panelSizeToFit();
    m_isEdited = true;

    if (QUndoStack* undo = action->undoManager()) {
        QAction* undoAction = undo->createUndoAction(m_window);
        undoAction->setShortcut(QKeySequence::Undo);
        QAction* redoAction = undo->createRedoAction(m_window);
        redoAction->setShortcut(QKeySequence::Redo);
        m_window->addAction(undoAction);
        m_window->addAction(redoAction);
    }

    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    QRect frame = editorWindowFrame(action->editorRect(), m_window->size(), available);
    if (QWidget* front = QApplication::activeWindow(); front && front != m_window
                                                      && front->objectName() == QLatin1String(kWindowName))
        frame = cascadedFrame(frame, front->geometry());
    editorWindowHost().addWindowsItem(m_window, m_window->windowTitle());
    editorWindowHost().maybeAnimateOpen(m_window, frame, {ObjectsFile::Actions, action->IDValue()});
}

void QVEActionEditor::makeFront()
{
    if (!m_window)
        return;
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

QString QVEActionEditor::possibleActionName() const
{
    return m_nameField->text();
}

void QVEActionEditor::setPossibleActionName(const QString& name)
{
    if (name == m_lastName)
        return;
    m_lastName = name;
    m_nameField->setText(name);
    setTitle();
}

void QVEActionEditor::setPossibleActionImage(const QImage& image)
{
    m_imageView->setPixmap(QPixmap::fromImage(imageSized(image, 32)));
}

void QVEActionEditor::setPossibleActionDescription(const QString& description)
{
    m_descriptionField->setText(description);
}

bool QVEActionEditor::wantKeyEvent()
{
    return m_action && m_action->wantKeyEvent();
}

void QVEActionEditor::keyEvent(QKeyEvent* event)
{
    if (m_action)
        m_action->keyEvent(event);
}

void QVEActionEditor::modifyName()
{
    if (!m_isEdited)
        return;
    const QString text = m_nameField->text();
    if (text != m_lastName)
        setName(text, false, locFormat(QStringLiteral("AnnulerModifierNomAction"), {text}));
}

void QVEActionEditor::setName(const QString& name, bool isUndo, const QString& undoString)
{
    if (name == m_lastName)
        return;
    QUndoStack* undo = m_action ? m_action->undoManager() : nullptr;
    if (!undo) {
        setPossibleActionName(name);
        return;
    }
    undo->push(new ActionRenameStep(QPointer<QVEActionEditor>(this), m_lastName, name, isUndo ? QString() : undoString));
}

void QVEActionEditor::closeWindow()
{
    m_isEdited = false;
    if (m_action && m_window)
        m_action->setEditorRect(QRectF(m_window->geometry()));
    if (m_window) {
        editorWindowHost().maybeAnimateClose(m_window, {ObjectsFile::Actions, m_action ? m_action->IDValue() : 0});
        m_window->hide();
        editorWindowHost().removeWindowsItem(m_window);
    }
    // The steps acted on this window's controls.
    if (m_action && m_action->undoManager())
        m_action->undoManager()->clear();
}

bool QVEActionEditor::stopEditing(QObject*)
{
    if (!m_isEdited || !m_action)
        return false;
    const auto keepEditor = shared_from_this();
    const auto keepAction = m_action->weak_from_this().lock(); // a substitution deletes it
    zelk::QVEAction* action = m_action;
    modifyName();
    if (m_nameField->text().isEmpty()) {
        editorAlert(QStringLiteral("ImpossibleChangement"), QStringLiteral("NomActionVide"));
        return false;
    }
    QVEActionsManager& manager = QVEActionsManager::sharedManager();
    zelk::QVEAction* identical = manager.actionOfClass(action->actionClass().className(), action->editedDataValue());
    if (!identical || identical == action) {
        if (!action->willValidateEditing())
            return false; // the type has told the user why
        closeWindow();
        action->setNameValue(m_nameField->text());
        action->setIsNew(false);
        manager.updateActions();
        m_action = nullptr;
        action->releaseEditor();
        return true;
    }
    if (!action->isNew()) {
        const int answer = alert(loc(QStringLiteral("ActionIdentique1")), loc(QStringLiteral("ActionIdentique2")),
                                 loc(QStringLiteral("Modifier")), loc(QStringLiteral("Substituer")));
        if (answer == 1)
            return false; // "Modifier": keep editing
    }
    // The edited action goes; as a new one its deletion leaves this editor alone.
    action->setIsNew(true);
    closeWindow();
    manager.substituteAction(action, identical, true);
    manager.updateActions();
    m_action = nullptr;
    if (keepAction)
        keepAction->releaseEditor();
    return true;
}

void QVEActionEditor::abortEditing(QObject*)
{
    if (!m_action)
        return;
    const auto keepEditor = shared_from_this();
    zelk::QVEAction* action = m_action;
    const auto keepAction = action->weak_from_this().lock();
    closeWindow();
    action->abortEditing();
    m_action = nullptr;
    if (action->isNew()) {
        action->releaseEditor();
        QVEActionsManager::sharedManager().delActionsID({action->IDValue()}, false, false);
        return;
    }
    action->releaseEditor();
}

void QVEActionEditor::showHelp()
{
    if (m_action)
        m_action->showHelp();
}

void QVEActionEditor::test()
{
    if (m_action)
        m_action->test();
}

} // namespace editor
