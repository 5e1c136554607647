#include "TableCommandGate.h"

#include "ModelSupport.h"
#include "QVEObjectsViewer.h"
#include "StripedTableView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeySequence>

namespace editor {

bool viewRespondsToVerb(QWidget* view, const QString& verb)
{
    if (auto* table = dynamic_cast<StripedTableView*>(view))
        return table->respondsToVerb(verb);
    if (auto* outline = dynamic_cast<QVEOutlineView*>(view))
        return outline->respondsToVerb(verb);
    return false;
}

void viewPerformVerb(QWidget* view, const QString& verb, QObject* sender)
{
    if (auto* table = dynamic_cast<StripedTableView*>(view))
        table->performVerb(verb, sender);
    else if (auto* outline = dynamic_cast<QVEOutlineView*>(view))
        outline->performVerb(verb, sender);
}

QVETableVerbTarget* viewVerbDelegate(QWidget* view)
{
    if (auto* table = dynamic_cast<StripedTableView*>(view))
        return table->verbDelegate();
    if (auto* outline = dynamic_cast<QVEOutlineView*>(view))
        return outline->verbDelegate();
    return nullptr;
}

const QStringList& TableCommandGate::verbs()
{
    static const QStringList list{"cut", "copy", "paste", "clear", "clearStructure", "duplicate", "edit", "export",
                                  "run", "activate", "editTarget", "editRunParameters", "setImageToObject",
                                  "newShortcut", "newMenu", "newPalette"};
    return list;
}

TableCommandGate& TableCommandGate::sharedGate()
{
    static TableCommandGate* gate = new TableCommandGate;
    return *gate;
}

TableCommandGate::TableCommandGate()
{
    const QHash<QString, QKeySequence> keys{
        {"cut", QKeySequence::Cut},
        {"copy", QKeySequence::Copy},
        {"paste", QKeySequence::Paste},
        {"clear", QKeySequence::Delete},
        {"duplicate", QKeySequence(Qt::CTRL | Qt::Key_D)},
        {"edit", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {"run", QKeySequence(Qt::CTRL | Qt::Key_T)},
    };
    for (const QString& verb : verbs()) {
        auto* action = new QAction(loc(QStringLiteral("Verb_") + verb), this);
        action->setObjectName(verb);
        action->setEnabled(false);
        if (keys.contains(verb)) {
            action->setShortcut(keys.value(verb));
            // Inside a table, not in a text field that has its own copy and paste.
            action->setShortcutContext(Qt::WindowShortcut);
        }
        connect(action, &QAction::triggered, this, [this, verb] { trigger(verb); });
        m_actions.insert(verb, action);
    }
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusChanged(now); });
    // Queued: the clipboard's change signal may come from inside the X11
    // event handling, where reading the clipboard again is unsafe.
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TableCommandGate::refresh,
            Qt::QueuedConnection);
}

QList<QAction*> TableCommandGate::actions() const
{
    QList<QAction*> list;
    for (const QString& verb : verbs())
        list << m_actions.value(verb);
    return list;
}

QVETableVerbTarget* TableCommandGate::focusedDelegate() const
{
    return viewVerbDelegate(m_view);
}

QModelIndex selectedIndex(const QAbstractItemView* view)
{
    if (!view || !view->selectionModel())
        return {};
    QItemSelectionModel* selection = view->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isSelected(current))
        return current;
    const QModelIndexList selected = selection->selectedIndexes();
    return selected.isEmpty() ? QModelIndex() : selected.first();
}

void TableCommandGate::watch(QAbstractItemView* view)
{
    for (const auto& connection : std::as_const(m_viewConnections))
        disconnect(connection);
    m_viewConnections.clear();
    m_view = view;
    if (view && view->selectionModel()) {
        m_viewConnections << connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                                     &TableCommandGate::refresh);
        m_viewConnections << connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
                                     &TableCommandGate::refresh);
    }
    if (view && view->model())
        m_viewConnections << connect(view->model(), &QAbstractItemModel::modelReset, this, &TableCommandGate::refresh);
}

void TableCommandGate::focusChanged(QWidget* now)
{
    auto* view = qobject_cast<QAbstractItemView*>(now);
    if (!viewVerbDelegate(view))
        view = nullptr;
    if (view != m_view) {
        watch(view);
        emit focusedViewChanged(view);
    }
    refresh();
}

void TableCommandGate::viewModelChanged(QAbstractItemView* view)
{
    if (view && view == m_view) {
        watch(view);
        refresh();
    } else if (view && view->hasFocus()) {
        focusChanged(view);
    }
}

void TableCommandGate::refresh()
{
    for (const QString& verb : verbs())
        m_actions.value(verb)->setEnabled(m_view && viewRespondsToVerb(m_view, verb));
    // The run item names what it does over the main lists.
    QAction* run = m_actions.value(QStringLiteral("run"));
    if (auto* viewer = dynamic_cast<QVEObjectsViewer*>(focusedDelegate()))
        run->setText(loc(viewer->runsShortcuts() ? QStringLiteral("Tester") : QStringLiteral("Previsualiser")));
    else
        run->setText(loc(QStringLiteral("Verb_run")));
}

void TableCommandGate::trigger(const QString& verb)
{
    // Asked again: a key equivalent may fire before the last refresh.
    if (m_view && viewRespondsToVerb(m_view, verb))
        viewPerformVerb(m_view, verb, m_actions.value(verb));
    refresh();
}

} // namespace editor
