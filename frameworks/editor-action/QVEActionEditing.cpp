// Editing, validity, test runs and links of QVEAction.
#include "QVEAction.h"

#include "Log.h"
#include "Platform.h"
#include "QVEActionPrivate.h"
#include "FormatText.h"
#include "QVUtilityClass.h"

#include <QCoreApplication>
#include <QUndoStack>

namespace zelk {

// --- Editing ------------------------------------------------------------------

bool QVEAction::edit()
{
    if (!m_editor)
        return false;
    if (qveActionDebug())
        zlog("QVEAction", "edit") << description() << "editor" << static_cast<const void*>(m_editor.get());
    const auto editor = m_editor;
    editor->makeFront();
    return true;
}

void QVEAction::editInEditor(std::shared_ptr<QVEActionEditorInterface> editor)
{
    if (!editor)
        return;
    m_editor = std::move(editor);
    const auto keep = m_editor;
    keep->displayWithAction(this);
}

void QVEAction::willEditInEditor(QVEActionEditorInterface* /*editor*/, QWidget* /*accessoryView*/)
{
    if (!m_undoManager)
        m_undoManager = std::make_unique<QUndoStack>();
}

bool QVEAction::editorWantKeyEvent()
{
    const auto editor = m_editor;
    return editor && editor->wantKeyEvent();
}

void QVEAction::editorKeyEvent(QKeyEvent* event)
{
    if (const auto editor = m_editor)
        editor->keyEvent(event);
}

bool QVEAction::willValidateEditing()
{
    m_image = QImage();
    return true;
}

void QVEAction::releaseEditor()
{
    std::shared_ptr<QVEActionEditorInterface> editor = std::move(m_editor);
    m_editor.reset();
    // The editor usually calls this from inside its own abortEditing() or
    // stopEditing(): let it go once that call has returned.
    if (editor && QCoreApplication::instance())
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [editor]() {}, Qt::QueuedConnection);
}

void QVEAction::closeEditor()
{
    if (const auto editor = m_editor)
        editor->abortEditing(nullptr);
}

void QVEAction::showHelp()
{
    if (QVEActionHostApplication* app = applicationObject())
        app->showHelpWithSubject(m_class->bundle().localizedString(QStringLiteral("HelpSubject")));
}

QString QVEAction::possibleNameValue() const
{
    return m_editor ? m_editor->possibleActionName() : QString();
}

void QVEAction::setPossibleNameValue(const QString& name)
{
    if (const auto editor = m_editor)
        editor->setPossibleActionName(name);
}

void QVEAction::setPossibleImageValue(const QImage& image)
{
    if (const auto editor = m_editor)
        editor->setPossibleActionImage(image);
}

void QVEAction::setPossibleDescriptionValue(const QString& description)
{
    if (const auto editor = m_editor)
        editor->setPossibleActionDescription(description);
}

void QVEAction::windowDidBecomeKey()
{
    if (QVEActionHostApplication* app = applicationObject())
        app->arrangeInFront();
}

// --- Validity and test runs ---------------------------------------------------

void QVEAction::displayNotValid()
{
    qveAlert(fillFormat(qveFrameworkString("RaccourciInvalide"), {m_name}), notValidString(), qveFrameworkString("OK"));
}

void QVEAction::test()
{
    if (!canTest())
        return;
    QVUtilityClass* host = QVUtilityClass::host();
    if (!host || !host->isProcessLaunchedWithPathName(QStringLiteral("Zelk"))) {
        qveAlert(qveFrameworkString("PasTesterAction"), qveFrameworkString("ZelkPasEnCours"), qveFrameworkString("OK"));
        return;
    }
    // While editing, the engine runs what the editor shows, not what is saved.
    const QVariantMap record = m_editor ? editedDictValue() : dictValue();
    if (qveActionDebug())
        zlog("QVEAction", "test") << record;
    const QVariantMap command{{QStringLiteral("action"), QStringLiteral("runaction")},
                              {QStringLiteral("param0"), record}};
    if (!Platform::instance().distributedNotifications().post(QStringLiteral("QVEditorNotification"), command))
        zlog("QVEAction", "test") << "could not send the test of" << description();
}

// --- Links --------------------------------------------------------------------

void QVEAction::addLinkedObject(QVEMainObject* object)
{
    if (object)
        m_linkedObjects.append(object);
}

void QVEAction::removeLinkedObject(QVEMainObject* object)
{
    m_linkedObjects.removeOne(object);
}

bool QVEAction::isLinkedToObject(const QVEMainObject* object) const
{
    return object && m_linkedObjects.contains(object);
}

void QVEAction::removeAllLinkedObject()
{
    // Each link is asked to go once. A user whose editor is open ignores the
    // request; asking it again would never end.
    const QList<QVEMainObject*> users = m_linkedObjects;
    for (QVEMainObject* user : users) {
        if (isLinkedToObject(user))
            user->removeAuxObjects({this});
    }
    if (!m_linkedObjects.isEmpty())
        zlog("QVEAction", "removeAllLinkedObject")
            << description() << "is still used by" << m_linkedObjects.size() << "object(s) being edited";
}

bool QVEAction::canDeleteWithMessage(bool withMessage)
{
    const qsizetype users = m_linkedObjects.size();
    if (users == 0)
        return true;
    if (!withMessage)
        return false;
    const QString title = fillFormat(qveFrameworkString("ActionNameUtilise"), {m_name, qint64(users)});
    return qveAlert(title, qveFrameworkString("ReellementSupprimerAction"), qveFrameworkString("Supprimer"),
                    qveFrameworkString("Annuler")) == 1;
}

void QVEAction::willDelete()
{
    // A new action's editor is the one deleting it.
    if (const auto editor = m_editor; editor && !m_isNew)
        editor->abortEditing(nullptr);
    removeAllLinkedObject();
}

} // namespace zelk
