#pragma once
// Desktop entries: what the system calls an application on Linux. Reads
// the entries of $XDG_DATA_HOME/applications and $XDG_DATA_DIRS/applications
// (earlier folders win for the same desktop-file ID), matches running
// programs to them, and turns an entry's Exec line into command lines.
// Also reads the applications of the desktop's recently-used store
// ($XDG_DATA_HOME/recently-used.xbel) and matches them to their entries.
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <mutex>
#include <optional>

namespace zelk {

struct DesktopEntry {
    QString id;         // desktop-file ID: "org.gnome.gedit.desktop"
    QString path;       // the file
    QString name;       // Name
    QString exec;       // Exec, string escapes undone
    QString icon;       // Icon
    QString workingDir; // Path
    QString wmClass;    // StartupWMClass
    QString program;    // the program Exec starts, its canonical path; empty for shells and other launchers
    bool terminal = false;      // Terminal: runs in a terminal emulator
    QStringList categories;     // Categories
    QString terminalArgExec;    // X-TerminalArgExec: what a terminal's entry puts before the command it runs
    QString tryExec;            // TryExec: the program that must be installed
    QStringList onlyShowIn;     // OnlyShowIn, NotShowIn: the desktops it belongs to or not
    QStringList notShowIn;
};

// An application the recently-used store records for a file it opened.
struct RecentUse {
    QString name;       // as the application named itself
    QString exec;       // the command it was recorded with, e.g. "'gedit %u'"
    QDateTime modified; // its last use
};

class DesktopEntries {
public:
    // An application entry read from a file; nullopt for anything else.
    static std::optional<DesktopEntry> read(const QString& path, const QString& id = {});
    // Exec split into arguments by its quoting rules; nullopt when malformed.
    static std::optional<QStringList> splitExec(const QString& exec);
    // One argument as an Exec value holds it in the file, so that reading
    // and splitting give it back: quoted, escaped, '%' doubled.
    static QString quoteExecArgument(const QString& argument);
    // The command lines that start the entry with the documents (paths or
    // URLs): the field codes expanded; one line per document when Exec
    // takes a single file or URL. Empty when Exec is malformed.
    static QList<QStringList> commandLines(const DesktopEntry& entry, const QStringList& documents);

    // The entry of a window class (WM_CLASS instance and class).
    std::optional<DesktopEntry> forWindowClass(const QString& instance, const QString& windowClass);
    // The entry of a program: its executable, or the script an interpreter runs.
    std::optional<DesktopEntry> forProgram(const QString& executable, const QStringList& arguments);
    // The entry of a desktop-file ID ("org.gnome.Nautilus.desktop").
    std::optional<DesktopEntry> forId(const QString& id);
    // The first entry in the category: the earliest folder, then by ID.
    std::optional<DesktopEntry> firstInCategory(const QString& category);
    // The store's applications, one per name and command with its latest
    // use, most recent first; empty when the store is missing or unreadable.
    static QList<RecentUse> readRecentlyUsed(const QString& storePath);
    static QString recentlyUsedPath();
    // The application folders, in precedence order (the user's first).
    static QStringList applicationFolders();
    // Whether OnlyShowIn and NotShowIn let the entry show on the current
    // desktop ($XDG_CURRENT_DESKTOP).
    static bool showsOnCurrentDesktop(const DesktopEntry& entry);
    // The entry of an application of the store: by the program its command
    // runs, else by its name (StartupWMClass or the entry's ID).
    std::optional<DesktopEntry> forRecentUse(const RecentUse& use);

    // Reads the folders again at the next look-up; look-ups also notice a
    // changed folder by themselves.
    void refresh();

private:
    void load();
    bool foldersChanged();

    std::mutex m_mutex;
    bool m_loaded = false;
    QDateTime m_lastCheck;
    QHash<QString, QDateTime> m_folders; // scanned folder -> modification time
    QList<DesktopEntry> m_entries;       // in precedence order
};

} // namespace zelk
