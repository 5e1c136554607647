#include "QVERuleEditor.h"

#include "EditorWidgets.h"
#include "KeyCapture.h"
#include "Log.h"
#include "ModelSupport.h"
#include "ModifierFlags.h"
#include "QVUtility.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace editor {

namespace {

class RuleKeyFieldFilter : public QObject {
public:
    RuleKeyFieldFilter(QVERuleEditor* editor, QObject* parent) : QObject(parent), m_editor(editor) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride && m_editor->editorWantKeyEvent()) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress && m_editor->editorWantKeyEvent())
            return m_editor->editorKeyEvent(static_cast<QKeyEvent*>(event));
        return QObject::eventFilter(watched, event);
    }

private:
    QVERuleEditor* m_editor;
};

QString keystroke(int code)
{
    return code ? QVUtility::sharedUtility().keystrokeStringWithKeycode(quint32(code)) : QString();
}

} // namespace

QVERuleEditor& QVERuleEditor::sharedEditor()
{
    static QVERuleEditor* editor = new QVERuleEditor; // kept for the process, as its panel
    return *editor;
}

QVERuleEditor::QVERuleEditor()
{
    m_panel = new QDialog;
    m_panel->setObjectName(QStringLiteral("QVERulePanel"));
    m_panel->setModal(true);
    auto* layout = new QVBoxLayout(m_panel);
    m_pages = new QStackedWidget;
    m_allKeyPanel = named(new QWidget, "REAllKeyPanel", loc(QStringLiteral("DesactiverTousRaccourcis")));
    m_allKeyTitleField = named(new QLabel, "REAllKeyTitleField", loc(QStringLiteral("EditRuleTitle")));
    auto* all = new QVBoxLayout(m_allKeyPanel);
    all->addWidget(m_allKeyTitleField);
    all->addWidget(new QLabel(loc(QStringLiteral("DesactiverTousRaccourcis"))));
    m_oneKeyPanel = named(new QWidget, "REOneKeyPanel", loc(QStringLiteral("DesactiverRaccourci")));
    m_oneKeyTitleField = named(new QLabel, "REOneKeyTitleField", loc(QStringLiteral("EditRuleTitle")));
    m_oneKeyComboField = named(new QLineEdit, "REOneKeyComboField", loc(QStringLiteral("CombinaisonTouches")));
    m_oneKeyComboField->setReadOnly(true);
    m_oneKeyComboField->installEventFilter(new RuleKeyFieldFilter(this, m_oneKeyComboField));
    auto* one = new QVBoxLayout(m_oneKeyPanel);
    one->addWidget(m_oneKeyTitleField);
    one->addWidget(m_oneKeyComboField);
    m_pages->addWidget(m_allKeyPanel);
    m_pages->addWidget(m_oneKeyPanel);
    layout->addWidget(m_pages);

    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = named(buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole), "REOKButton",
                            QStringLiteral("OK"));
    QPushButton* cancel = named(buttons->addButton(loc(QStringLiteral("Annuler")), QDialogButtonBox::RejectRole),
                                "RECancelButton", loc(QStringLiteral("Annuler")));
    layout->addWidget(buttons);
    // The buttons decide, never the dialog's own accept.
    connect(ok, &QPushButton::clicked, this, &QVERuleEditor::stopPanel);
    connect(cancel, &QPushButton::clicked, this, &QVERuleEditor::abortPanel);
    connect(m_panel, &QDialog::rejected, this, [this] { m_undoManager.clear(); });

    for (auto [key, run] : {std::pair{QKeySequence::Undo, &QUndoStack::undo}, std::pair{QKeySequence::Redo, &QUndoStack::redo}}) {
        auto* action = new QAction(m_panel);
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, [this, run = run] { (m_undoManager.*run)(); });
        m_panel->addAction(action);
    }
}

QVariantMap QVERuleEditor::newRuleDataForType(int type)
{
    QVariantMap params;
    if (type == 1)
        params.insert(QStringLiteral("ruleexcludekeycode"), 0);
    return {{QStringLiteral("ruletype"), type}, {QStringLiteral("ruleactive"), true}, {QStringLiteral("ruleparams"), params}};
}

QString QVERuleEditor::labelOfRule(const QVariantMap& rule)
{
    switch (rule.value(QStringLiteral("ruletype")).toInt()) {
    case 0:
        return loc(QStringLiteral("DesactiverTousRaccourcis"));
    case 1:
        return locFormat(QStringLiteral("DesactiverRaccourci"),
                         {keystroke(rule.value(QStringLiteral("ruleparams")).toMap().value(QStringLiteral("ruleexcludekeycode")).toInt())});
    default:
        return {};
    }
}

std::optional<QVariantMap> QVERuleEditor::editRuleParameters(const QVariantMap& rule, const QString& title)
{
    QVariantMap edited = rule;
    QVariantMap params = rule.value(QStringLiteral("ruleparams")).toMap();
    m_undoManager.clear();
    const int type = rule.value(QStringLiteral("ruletype")).toInt();
    if (type == 1) {
        QVUtility& utility = QVUtility::sharedUtility();
        utility.deactivateKeyCombo();
        m_oneKeyTitleField->setText(title);
        m_lastKeyKeycode = params.value(QStringLiteral("ruleexcludekeycode")).toInt();
        showKeycode();
        m_pages->setCurrentWidget(m_oneKeyPanel);
        m_oneKeyComboField->setFocus();
        const int answer = m_panel->exec();
        // Back on whatever the outcome.
        utility.activateKeyCombo();
        m_undoManager.clear();
        if (answer != QDialog::Accepted)
            return std::nullopt;
        params.insert(QStringLiteral("ruleexcludekeycode"), m_lastKeyKeycode);
    } else if (type == 0) {
        m_allKeyTitleField->setText(title);
        m_pages->setCurrentWidget(m_allKeyPanel);
        const int answer = m_panel->exec();
        m_undoManager.clear();
        if (answer != QDialog::Accepted)
            return std::nullopt;
    }
    edited.insert(QStringLiteral("ruleparams"), params);
    return edited;
}

bool QVERuleEditor::editorWantKeyEvent() const
{
    return m_panel->isVisible() && m_pages->currentWidget() == m_oneKeyPanel && m_oneKeyComboField->hasFocus();
}

bool QVERuleEditor::editorKeyEvent(QKeyEvent* event)
{
    if (!editorWantKeyEvent())
        return false;
    const FirstKeyCapture capture = captureFirstKey(keyPressOfEvent(event), zelk::HotKey::RuleCaptureMask);
    switch (capture.answer) {
    case FirstKeyCapture::PassedOn:
        return false;
    case FirstKeyCapture::Refused:
        refusedKeyAlert();
        return true;
    case FirstKeyCapture::Captured:
        setOneKeyKeycode(int(capture.code), locFormat(QStringLiteral("AnnulerModifierTouche"), {keystroke(int(capture.code))}));
        return true;
    }
    return true;
}

void QVERuleEditor::setOneKeyKeycode(int code, const QString& undoString)
{
    if (code == m_lastKeyKeycode)
        return;
    auto apply = [this](const int& value) {
        m_lastKeyKeycode = value;
        showKeycode();
    };
    m_undoManager.push(new StateStep<int>(apply, m_lastKeyKeycode, code, undoString));
}

void QVERuleEditor::showKeycode()
{
    m_oneKeyComboField->setText(keystroke(m_lastKeyKeycode));
}

void QVERuleEditor::stopPanel()
{
    if (m_pages->currentWidget() == m_oneKeyPanel && m_oneKeyComboField->text().isEmpty()) {
        editorAlert(QStringLiteral("ImpossibleChangement"), QStringLiteral("AucunRaccourci"));
        return;
    }
    m_panel->accept();
}

void QVERuleEditor::abortPanel()
{
    m_panel->reject();
}

} // namespace editor
