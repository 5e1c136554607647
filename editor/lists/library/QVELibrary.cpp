#include "QVELibrary.h"

#include "Geometry.h"
#include "ModelSupport.h"
#include "StripedTableView.h"

#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

namespace editor {

QVELibrary& QVELibrary::sharedLibrary()
{
    static QVELibrary* library = new QVELibrary; // lives as long as the process
    return *library;
}

static QVEOutlineView* libraryOutline(const char* name, const QString& title)
{
    auto* outline = new QVEOutlineView;
    outline->setObjectName(QLatin1String(name));
    outline->setAccessibleName(title);
    outline->setUniformRowHeights(true);
    outline->setIconSize(QSize(16, 16));
    return outline;
}

QVELibrary::QVELibrary()
{
    m_window = new QWidget(nullptr, Qt::Window);
    m_window->setObjectName(QStringLiteral("QVLWindow"));
    m_window->setWindowTitle(loc(QStringLiteral("Library")));
    m_window->setAccessibleName(loc(QStringLiteral("Library")));
    m_window->resize(360, 480);
    m_tabs = new QTabWidget(m_window);
    m_tabs->setObjectName(QStringLiteral("QVLMainTabView"));
    m_tabs->setAccessibleName(loc(QStringLiteral("LibraryTabs")));
    auto* layout = new QVBoxLayout(m_window);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_tabs);
    const struct {
        const char* identifier;
        const char* outline;
        const char* title;
    } tabs[] = {{"1", "LVLaunchersTable", "LibraryTab1"},
                {"2", "AVActionsTable", "LibraryTab2"},
                {"3", "CVContextsTable", "LibraryTab3"}};
    QVEOutlineView* outlines[3];
    for (int i = 0; i < 3; ++i) {
        const QString title = loc(QLatin1String(tabs[i].title));
        outlines[i] = libraryOutline(tabs[i].outline, title);
        outlines[i]->setProperty("tabIdentifier", QLatin1String(tabs[i].identifier));
        m_tabs->addTab(outlines[i], title);
    }
    m_launchers = new QVELaunchersViewer(outlines[0], this);
    m_commands = new QVEActionsViewer(outlines[1], this);
    m_contexts = new QVELContextsViewer(outlines[2], this);
    m_launchers->initViewer();
    m_commands->initViewer();
    m_contexts->initViewer();
}

QVELibrary::~QVELibrary()
{
    delete m_window;
}

void QVELibrary::setMenuForObjects(const QVELibraryViewer::MenuForObjects& maker)
{
    m_launchers->setMenuForObjects(maker);
    m_commands->setMenuForObjects(maker);
    m_contexts->setMenuForObjects(maker);
}

void QVELibrary::display()
{
    if (!m_connected) {
        m_connected = true;
        m_launchers->connectViewer();
        m_commands->connectViewer();
        m_contexts->connectViewer();
    }
    if (!m_window)
        return;
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void QVELibrary::displayWithTab(const QString& identifier)
{
    display();
    selectTab(identifier);
}

bool QVELibrary::selectTab(const QString& identifier)
{
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (m_tabs->widget(i)->property("tabIdentifier").toString() == identifier) {
            m_tabs->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

QString QVELibrary::selectedTab() const
{
    QWidget* current = m_tabs->currentWidget();
    return current ? current->property("tabIdentifier").toString() : QString();
}

void QVELibrary::setLibraryPref(const QVariantMap& pref)
{
    m_prefDict = pref;
    bool ok = false;
    const QRectF frame = zelk::rectFromString(pref.value(QStringLiteral("rect")).toString(), &ok);
    if (ok && frame.isValid() && m_window)
        m_window->setGeometry(frame.toRect());
    selectTab(pref.value(QStringLiteral("selobject")).toString());
    if (pref.value(QStringLiteral("displayed")).toBool())
        display();
}

QVariantMap QVELibrary::libraryPref() const
{
    return {{QStringLiteral("displayed"), m_window && m_window->isVisible()},
            {QStringLiteral("rect"), zelk::stringFromRect(m_window ? QRectF(m_window->geometry()) : QRectF())},
            {QStringLiteral("selobject"), selectedTab()}};
}

} // namespace editor
