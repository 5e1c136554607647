#include "LinuxDocuments.h"

#include "LinuxCommands.h"
#include "Log.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QThread>
#include <QUrl>
#include <QXmlStreamReader>
#include <algorithm>

namespace zelk {

namespace {

const QString kFileManagerService = QStringLiteral("org.freedesktop.FileManager1");

QStringList fileUris(const QStringList& paths)
{
    QStringList uris;
    for (const QString& path : paths)
        uris << QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    return uris;
}

QString dataHome()
{
    const QString home = qEnvironmentVariable("XDG_DATA_HOME");
    return home.isEmpty() ? QDir::homePath() + "/.local/share" : home;
}

} // namespace

bool LinuxDocumentServices::openWithDefault(const QString& pathOrUrl)
{
    bool running = false;
    const std::optional<int> code = startCommand("openWithDefault", "xdg-open", {pathOrUrl}, kOpenWaitMs, &running);
    if (running)
        return true;
    if (code && *code == 0)
        return true;
    zlog("LinuxDocumentServices", "openWithDefault") << "the desktop could not open" << pathOrUrl << "exit"
                                                     << (code ? *code : -1);
    return false;
}

bool LinuxDocumentServices::callFileManager(const QString& method, const QStringList& paths)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    QDBusConnectionInterface* names = bus.interface();
    const bool present = names->isServiceRegistered(kFileManagerService).value() ||
                         names->activatableServiceNames().value().contains(kFileManagerService);
    if (!present)
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(kFileManagerService, "/org/freedesktop/FileManager1",
                                                      kFileManagerService, method);
    call << fileUris(paths) << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, kBusWaitMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        zlog("LinuxDocumentServices", "callFileManager") << method << "failed:" << reply.errorMessage();
        return false;
    }
    return true;
}

QString LinuxDocumentServices::fileManagerEntry()
{
    if (auto chosen = runCommand("fileManagerEntry", "xdg-mime", {"query", "default", "inode/directory"}, kBusWaitMs)) {
        const QString id = QString::fromUtf8(chosen->output).trimmed();
        if (chosen->exitCode == 0 && !id.isEmpty())
            if (auto entry = m_entries.forId(id))
                return entry->path;
    }
    if (auto entry = m_entries.firstInCategory("FileManager"))
        return entry->path;
    return {};
}

bool LinuxDocumentServices::showFolders(const QStringList& folders)
{
    if (folders.isEmpty())
        return true;
    if (callFileManager("ShowFolders", folders))
        return true;
    const QString entry = fileManagerEntry();
    if (entry.isEmpty()) {
        zlog("LinuxDocumentServices", "showFolders") << "no file manager to show" << folders;
        return false;
    }
    return m_workspace.launchApplication(entry, folders);
}

bool LinuxDocumentServices::showItems(const QStringList& paths)
{
    if (paths.isEmpty())
        return true;
    if (callFileManager("ShowItems", paths))
        return true;
    // Without the service an item can't be selected: its folder is shown.
    QStringList folders;
    for (const QString& path : paths)
        folders << QFileInfo(path).absolutePath();
    folders.removeDuplicates();
    const QString entry = fileManagerEntry();
    if (entry.isEmpty()) {
        zlog("LinuxDocumentServices", "showItems") << "no file manager to show" << paths;
        return false;
    }
    return m_workspace.launchApplication(entry, folders);
}

QStringList LinuxDocumentServices::pathsOfUriList(const QByteArray& uriList)
{
    QStringList paths;
    for (const QByteArray& raw : uriList.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url = QUrl::fromEncoded(line, QUrl::StrictMode);
        if (url.isValid() && url.isLocalFile())
            paths << QDir::cleanPath(url.toLocalFile());
    }
    return paths;
}

std::optional<QStringList> LinuxDocumentServices::copiedFiles()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return std::nullopt;
    std::optional<QStringList> files;
    auto read = [&files] {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
        if (!data)
            return;
        if (data->hasFormat("text/uri-list")) {
            files = pathsOfUriList(data->data("text/uri-list"));
        } else if (data->hasFormat("x-special/gnome-copied-files")) {
            // "copy" or "cut" on the first line, then the URIs.
            const QByteArray copied = data->data("x-special/gnome-copied-files");
            files = pathsOfUriList(copied.mid(copied.indexOf('\n') + 1));
        } else {
            files = QStringList();
        }
    };
    // The clipboard belongs to the main thread.
    if (QThread::currentThread() == app->thread())
        read();
    else
        QMetaObject::invokeMethod(app, read, Qt::BlockingQueuedConnection);
    return files;
}

QList<RecentDocument> LinuxDocumentServices::readRecentFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    struct Entry {
        RecentDocument document;
        QDateTime modified;
    };
    QList<Entry> entries;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != QLatin1String("bookmark"))
            continue;
        const QUrl url(xml.attributes().value("href").toString());
        QDateTime modified = QDateTime::fromString(xml.attributes().value("modified").toString(), Qt::ISODate);
        if (!modified.isValid())
            modified = QDateTime::fromString(xml.attributes().value("added").toString(), Qt::ISODate);
        Entry entry;
        entry.modified = modified;
        if (url.isLocalFile()) {
            entry.document.path = QDir::cleanPath(url.toLocalFile());
            entry.document.displayName = QFileInfo(entry.document.path).fileName();
        } else {
            entry.document.displayName = url.fileName();
        }
        if (!entry.document.displayName.isEmpty())
            entries << entry;
    }
    if (xml.hasError())
        zlog("LinuxDocumentServices", "readRecentFile") << path << xml.errorString();
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.modified > b.modified; });
    QList<RecentDocument> documents;
    for (const Entry& e : std::as_const(entries))
        documents << e.document;
    return documents;
}

QList<RecentDocument> LinuxDocumentServices::recentDocuments()
{
    return readRecentFile(dataHome() + "/recently-used.xbel");
}

} // namespace zelk
