#include "QVEMenuBar.h"

#include "Log.h"
#include "ModelSupport.h"
#include "QVEController.h"
#include "TableCommandGate.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QUndoGroup>
#include <QUndoStack>
#include <QWidget>

namespace editor {

QVEMenuBar::QVEMenuBar(QVEController& controller, QUndoGroup* undoGroup)
    : m_controller(controller), m_undoGroup(undoGroup)
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

}

QVEMenuBar::~QVEMenuBar()
{
    for (const QPointer<QMenuBar>& bar : std::as_const(m_bars))
        delete bar.data();
    delete m_modelsMenu.data();
}

QAction* QVEMenuBar::action(const QString& command) const
{
    if (QAction* own = m_actions.value(command))
        return own;
    return TableCommandGate::sharedGate().action(command);
}

QAction* QVEMenuBar::clearItem() const { return action(QStringLiteral("clear")); }

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
    file->addAction(action(QStringLiteral("export")));

    QMenu* edit = menu(QStringLiteral("MenuEdition"), "editMenu");
    edit->addAction(m_undo);
    edit->addAction(m_redo);
    edit->addSeparator();
    for (const char* c : {"cut", "copy", "paste", "clear", "clearStructure"})
        edit->addAction(action(QLatin1String(c)));
    edit->addSeparator();
    for (const char* c : {"duplicate", "edit", "run", "activate"})
        edit->addAction(action(QLatin1String(c)));
    edit->addSeparator();
    for (const char* c : {"newShortcut", "newMenu", "newPalette"})
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
        connect(m, &QMenu::aboutToShow, &TableCommandGate::sharedGate(), &TableCommandGate::refresh);
    m_bars.append(bar);
    return bar;
}

} // namespace editor
