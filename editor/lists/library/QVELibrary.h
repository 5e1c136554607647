#pragma once
// The Library: the editor's second window, with the launchers, actions and
// contexts of the object store in three tabs ("1", "2", "3"), one per
// QVELibraryViewer. One per process (sharedLibrary); made without showing
// it, its lists connected at the first display.
//
// The application opens it with display() (its Library menu command), hands
// it the saved layout with setLibraryPref() at start-up and takes it back
// with libraryPref() at every save ("LibraryPref": displayed, rect as a
// rectangle string of the frame in global coordinates, selobject).
#include "QVELibraryViewer.h"

#include <QObject>
#include <QPointer>
#include <QVariantMap>

class QTabWidget;
class QWidget;

namespace editor {

class QVELibrary : public QObject {
    Q_OBJECT
public:
    static QVELibrary& sharedLibrary();
    ~QVELibrary() override;

    void display();
    void displayWithLaunchers() { displayWithTab(QStringLiteral("1")); }
    void displayWithCommands() { displayWithTab(QStringLiteral("2")); }
    void displayWithContexts() { displayWithTab(QStringLiteral("3")); }
    void setLibraryPref(const QVariantMap& pref);
    QVariantMap libraryPref() const;
    // The users' menu of a used mark, from the application.
    void setMenuForObjects(const QVELibraryViewer::MenuForObjects& maker);

    // The parts, for the application's menus and for tests.
    QWidget* window() const { return m_window; }
    QTabWidget* tabView() const { return m_tabs; }
    QVELaunchersViewer* launchersViewer() const { return m_launchers; }
    QVEActionsViewer* commandsViewer() const { return m_commands; }
    QVELContextsViewer* contextsViewer() const { return m_contexts; }
    bool selectTab(const QString& identifier);
    QString selectedTab() const;

private:
    QVELibrary();
    void displayWithTab(const QString& identifier);

    QPointer<QWidget> m_window;
    QTabWidget* m_tabs = nullptr;
    QVELaunchersViewer* m_launchers = nullptr;
    QVEActionsViewer* m_commands = nullptr;
    QVELContextsViewer* m_contexts = nullptr;
    QVariantMap m_prefDict;
    bool m_connected = false;
};

} // namespace editor
