#pragma once
// Documents, the file manager and the copied files on a Linux desktop.
//
// Opening goes through xdg-open, whose exit code says whether the desktop
// found a handler (one that stays with the application it started counts
// as opened after a short wait). The file manager is the freedesktop
// org.freedesktop.FileManager1 service on the session bus when one is
// running or can be started, else the desktop entry the user chose for
// folders (xdg-mime), else the first entry of the FileManager category.
// The copied files are the clipboard's text/uri-list (or GNOME's
// x-special/gnome-copied-files), read on the main thread. Recent documents
// come from $XDG_DATA_HOME/recently-used.xbel.
#include "DesktopEntries.h"
#include "DesktopServices.h"

namespace zelk {

class LinuxDocumentServices : public DocumentServices {
public:
    explicit LinuxDocumentServices(Workspace& workspace) : m_workspace(workspace) {}

    bool openWithDefault(const QString& pathOrUrl) override;
    bool showFolders(const QStringList& folders) override;
    bool showItems(const QStringList& paths) override;
    std::optional<QStringList> copiedFiles() override;
    QList<RecentDocument> recentDocuments() override;

    // The bounds of the waits, in milliseconds.
    static constexpr int kOpenWaitMs = 5000;
    static constexpr int kBusWaitMs = 5000;

    // The local paths a text/uri-list names, in order (comments and other
    // schemes left out).
    static QStringList pathsOfUriList(const QByteArray& uriList);
    // The entries of a recently-used.xbel file, most recently changed first.
    static QList<RecentDocument> readRecentFile(const QString& path);

private:
    bool callFileManager(const QString& method, const QStringList& paths);
    // The desktop entry of the user's file manager; empty when none.
    QString fileManagerEntry();

    Workspace& m_workspace;
    DesktopEntries m_entries;
};

} // namespace zelk
