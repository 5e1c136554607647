#include "QVEMenuBar.h"

#include "Log.h"
#include "ModelSupport.h"
#include "QVEController.h"
#include "QVEResponder.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QUndoGroup>
#include <QUndoStack>
#include <QWidget>

namespace editor {

QStringList QVEMenuBar::editCommands()
{
    return {QStringLiteral("cut:"),       QStringLiteral("copy:"), QStringLiteral("paste:"),
            QStringLiteral("clear:"),     QStringLiteral("duplicate:"), QStringLiteral("edit:"),
            QStringLiteral("export:"),    QStringLiteral("run:")};
}

QVEMenuBar::QVEMenuBar(QVEController& controller, QUndoGroup* undoGroup)
    : m_controller(controller), m_undoGroup(undoGroup), m_ownUndoGroup(undoGroup == nullptr)
{
    if (!m_undoGroup)
        m_undoGroup = new QUndoGroup(this);
    m_undo = m_undoGroup->createUndoAction(this, loc(QStringLiteral("MenuAnnuler")));
    m_undo->setShortcut(QKeySequence::Undo);
    m_undo->setObjectName(QStringLiteral("undo:"));
    m_redo = m_undoGroup->createRedoAction(this, loc(QStringLiteral("MenuRetablir")));
    m_redo->setShortcut(QKeySequence::Redo);
    m_redo->setObjectName(QStringLiteral("redo:"));
    for (QAction* a : {m_undo, m_redo})
        a->setShortcutContext(Qt::ApplicationShortcut);

    addCommand(QStringLiteral("cut:"), QStringLiteral("MenuCouper"), QKeySequence::Cut);
    addCommand(QStringLiteral("copy:"), QStringLiteral("MenuCopier"), QKeySequence::Copy);
    addCommand(QStringLiteral("paste:"), QStringLiteral("MenuColler"), QKeySequence::Paste);
    // The clear item's key is Command + Delete, which is Ctrl + Backspace here.
    addCommand(QStringLiteral("clear:"), QStringLiteral("MenuSupprimer"), QKeySequence(Qt::CTRL | Qt::Key_Backspace));
    addCommand(QStringLiteral("duplicate:"), QStringLiteral("MenuDupliquer"), QKeySequence(Qt::CTRL | Qt::Key_D));
    addCommand(QStringLiteral("edit:"), QStringLiteral("MenuModifier"), QKeySequence(Qt::CTRL | Qt::Key_E));
    addCommand(QStringLiteral("export:"), QStringLiteral("MenuExporter"), QKeySequence());
    addCommand(QStringLiteral("run:"), QStringLiteral("MenuTester"), QKeySequence(Qt::CTRL | Qt::Key_T));

    QVEController& c = m_controller;
    addAppAction(QStringLiteral("MIPreferences:"), QStringLiteral("MenuPreferences"), [&c] { c.MIPreferences(); },
                 QKeySequence::Preferences);
    addAppAction(QStringLiteral("MIUpdateNow:"), QStringLiteral("MenuMettreAJour"), [&c] { c.MIUpdateNow(); },
                 QKeySequence::Save);
    addAppAction(QStringLiteral("MICheckVersion:"), QStringLiteral("MenuVerifierVersion"), [&c] { c.MICheckVersion(); });
    addAppAction(QStringLiteral("saveAndTerminate:"), QStringLiteral("MenuEnregistrerQuitter"), [&c] { c.saveAndTerminate(); });
    addAppAction(QStringLiteral("terminate:"), QStringLiteral("MenuQuitter"), [&c] { c.terminate(); }, QKeySequence::Quit);
    addAppAction(QStringLiteral("MINewMenu:"), QStringLiteral("MenuNouveauMenu"), [&c] { c.MINewMenu(); });
    addAppAction(QStringLiteral("MINewPalette:"), QStringLiteral("MenuNouvellePalette"), [&c] { c.MINewPalette(); });
    addAppAction(QStringLiteral("MIImport:"), QStringLiteral("MenuImporter"), [&c] { c.MIImport(); },
                 QKeySequence(Qt::CTRL | Qt::Key_I));
    addAppAction(QStringLiteral("MIStopShortcuts:"), QStringLiteral("MenuArreterRaccourcis"), [&c] { c.MIStopShortcuts(); },
                 QKeySequence(Qt::CTRL | Qt::Key_Period));
    addAppAction(QStringLiteral("MILibrary:"), QStringLiteral("MenuBibliotheque"), [&c] { c.MILibrary(); },
                 QKeySequence(Qt::CTRL | Qt::Key_L));
    addAppAction(QStringLiteral("MIShowReport:"), QStringLiteral("MenuRapport"), [&c] { c.MIShowReport(); });
    addAppAction(QStringLiteral("showHelp:"), QStringLiteral("MenuAide"), [&c] { c.showHelp(); }, QKeySequence::HelpContents);
    addAppAction(QStringLiteral("showManual:"), QStringLiteral("MenuManuel"), [&c] { c.showManual(); });
    addAppAction(QStringLiteral("MIContact:"), QStringLiteral("MenuContact"), [&c] { c.MIContact(); });
    addAppAction(QStringLiteral("MISiteUpdate:"), QStringLiteral("MenuSiteWeb"), [&c] { c.MISiteUpdate(); });

    m_newShortcutItem = new QAction(loc(QStringLiteral("MenuNouveauRaccourci")), this);
    m_newShortcutItem->setObjectName(QStringLiteral("QVEAddShortcutItem"));

    connect(qApp, &QApplication::focusChanged, this, [this] { validateCommands(); });
    validateCommands();
}

QVEMenuBar::~QVEMenuBar()
{
    for (const QPointer<QMenuBar>& bar : std::as_const(m_bars))
        delete bar.data();
    delete m_modelsMenu.data();
}

QAction* QVEMenuBar::addCommand(const QString& command, const QString& titleKey, const QKeySequence& key)
{
    auto* a = new QAction(loc(titleKey), this);
    a->setObjectName(command);
    a->setShortcut(key);
    // Every window of the editor takes the key; a text field that uses the
    // same key for itself still gets it first (it overrides the shortcut).
    a->setShortcutContext(Qt::ApplicationShortcut);
    connect(a, &QAction::triggered, this, [this, command] { perform(command); });
    m_actions.insert(command, a);
    return a;
}

QAction* QVEMenuBar::addAppAction(const QString& name, const QString& titleKey, const std::function<void()>& fn,
                                  const QKeySequence& key)
{
    auto* a = new QAction(loc(titleKey), this);
    a->setObjectName(name);
    a->setShortcut(key);
    a->setShortcutContext(Qt::ApplicationShortcut);
    connect(a, &QAction::triggered, this, [fn] { fn(); });
    m_actions.insert(name, a);
    m_appActions.append(a);
    return a;
}

void QVEMenuBar::setModelsMenu(QMenu* menu)
{
    delete m_modelsMenu.data();
    m_modelsMenu = menu;
    m_newShortcutItem->setMenu(menu);
    m_newShortcutItem->setEnabled(menu != nullptr);
}

QMenuBar* QVEMenuBar::makeMenuBar(QWidget* window)
{
    auto* bar = new QMenuBar(window);
    bar->setObjectName(QStringLiteral("QVEMenuBar"));
    auto menu = [bar](const QString& key, const char* name) {
        QMenu* m = bar->addMenu(loc(key));
        m->setObjectName(QLatin1String(name));
        return m;
    };
    QMenu* app = menu(QStringLiteral("MenuZelkEditor"), "applicationMenu");
    app->addAction(action(QStringLiteral("MIPreferences:")));
    app->addSeparator();
    app->addAction(action(QStringLiteral("MIUpdateNow:")));
    app->addAction(action(QStringLiteral("MICheckVersion:")));
    app->addSeparator();
    app->addAction(action(QStringLiteral("saveAndTerminate:")));
    app->addAction(action(QStringLiteral("terminate:")));

    QMenu* file = menu(QStringLiteral("MenuFichier"), "fileMenu");
    file->addAction(m_newShortcutItem);
    file->addAction(action(QStringLiteral("MINewMenu:")));
    file->addAction(action(QStringLiteral("MINewPalette:")));
    file->addSeparator();
    file->addAction(action(QStringLiteral("MIImport:")));
    file->addAction(action(QStringLiteral("export:")));

    QMenu* edit = menu(QStringLiteral("MenuEdition"), "editMenu");
    edit->addAction(m_undo);
    edit->addAction(m_redo);
    edit->addSeparator();
    for (const char* c : {"cut:", "copy:", "paste:", "clear:"})
        edit->addAction(action(QLatin1String(c)));
    edit->addSeparator();
    for (const char* c : {"duplicate:", "edit:", "run:"})
        edit->addAction(action(QLatin1String(c)));

    QMenu* engine = menu(QStringLiteral("MenuMoteur"), "engineMenu");
    engine->addAction(action(QStringLiteral("MIStopShortcuts:")));
    engine->addAction(action(QStringLiteral("MIShowReport:")));

    QMenu* window_ = menu(QStringLiteral("MenuFenetre"), "windowMenu");
    window_->addAction(action(QStringLiteral("MILibrary:")));

    QMenu* help = menu(QStringLiteral("MenuAideTitre"), "helpMenu");
    help->addAction(action(QStringLiteral("showHelp:")));
    help->addAction(action(QStringLiteral("showManual:")));
    help->addSeparator();
    help->addAction(action(QStringLiteral("MIContact:")));
    help->addAction(action(QStringLiteral("MISiteUpdate:")));

    // The selection may have changed since the focus last moved.
    for (QMenu* m : {file, edit})
        connect(m, &QMenu::aboutToShow, this, &QVEMenuBar::validateCommands);
    m_bars.append(bar);
    return bar;
}

QVECommandTarget* QVEMenuBar::currentTarget() const
{
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (auto* target = dynamic_cast<QVECommandTarget*>(w))
            return target;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

void QVEMenuBar::validateCommands()
{
    QVECommandTarget* target = currentTarget();
    for (const QString& command : editCommands()) {
        if (QAction* a = action(command))
            a->setEnabled(target && target->commandEnabled(command));
    }
    if (!m_ownUndoGroup)
        return;
    QUndoStack* stack = target ? target->undoManager() : nullptr;
    if (stack && !m_undoGroup->stacks().contains(stack)) {
        m_undoGroup->addStack(stack);
        // A stack that goes with its owner leaves the group by itself.
    }
    m_undoGroup->setActiveStack(stack);
}

bool QVEMenuBar::perform(const QString& command)
{
    QVECommandTarget* target = currentTarget();
    if (!target || !target->commandEnabled(command)) {
        // The key fired with nobody to answer it: the gate keeps it out.
        validateCommands();
        return false;
    }
    target->performCommand(command);
    validateCommands();
    return true;
}

} // namespace editor
