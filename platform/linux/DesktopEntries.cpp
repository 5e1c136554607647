#include "DesktopEntries.h"

#include "Log.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStandardPaths>
#include <QSet>
#include <QUrl>
#include <QXmlStreamReader>
#include <algorithm>

namespace zelk {

namespace {

// Programs that start other programs: an entry whose Exec begins with one
// of them says nothing about which process is its application.
bool isLauncher(const QString& program)
{
    static const QStringList launchers{
        "sh",   "bash",   "dash", "zsh",     "ksh",    "csh",     "tcsh", "fish",  "env",      "perl", "ruby",
        "node", "nodejs", "java", "gjs",     "mono",   "wine",    "flatpak", "snap", "xdg-open", "gio",  "sudo",
        "pkexec", "bwrap", "busybox", "gtk-launch", "exo-open", "kioclient5",
    };
    const QString name = QFileInfo(program).fileName();
    return launchers.contains(name) || name.startsWith("python");
}

// The string escapes of desktop-entry values; other backslashes stay for
// Exec's own quoting.
QString unescape(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != '\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        default: out += c; out += next; break;
        }
    }
    return out;
}

QString programOf(const QString& exec)
{
    const std::optional<QStringList> args = DesktopEntries::splitExec(exec);
    if (!args)
        return {};
    qsizetype i = 0;
    if (i < args->size() && QFileInfo(args->at(i)).fileName() == "env") {
        ++i;
        while (i < args->size() && args->at(i).contains('=') && !args->at(i).startsWith('/'))
            ++i;
    }
    if (i >= args->size() || args->at(i).contains('%'))
        return {};
    QString program = args->at(i);
    if (!QFileInfo(program).isAbsolute())
        program = QStandardPaths::findExecutable(program);
    program = QFileInfo(program).canonicalFilePath();
    return isLauncher(program) ? QString() : program;
}

QStringList dataFolders()
{
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + "/.local/share";
    QStringList folders{home + "/applications"};
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = "/usr/local/share:/usr/share";
    for (const QString& dir : dirs.split(':', Qt::SkipEmptyParts))
        folders << QDir::cleanPath(dir) + "/applications";
    folders.removeDuplicates();
    return folders;
}

bool isLocalPathOrFileUrl(const QString& document)
{
    return !document.contains("://") || document.startsWith("file:");
}

QString localPath(const QString& document)
{
    return document.startsWith("file:") ? QUrl(document).toLocalFile() : document;
}

} // namespace

std::optional<DesktopEntry> DesktopEntries::read(const QString& path, const QString& id)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    DesktopEntry entry;
    entry.id = id.isEmpty() ? QFileInfo(path).fileName() : id;
    entry.path = path;
    bool inMain = false, application = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            inMain = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!inMain || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed(), value = unescape(line.mid(eq + 1).trimmed());
        if (key == "Type")
            application = value == "Application";
        else if (key == "Hidden" && value == "true")
            return std::nullopt; // a deleted entry
        else if (key == "Name")
            entry.name = value;
        else if (key == "Exec")
            entry.exec = value;
        else if (key == "Icon")
            entry.icon = value;
        else if (key == "Path")
            entry.workingDir = value;
        else if (key == "StartupWMClass")
            entry.wmClass = value;
        else if (key == "Terminal")
            entry.terminal = value == "true";
        else if (key == "Categories")
            entry.categories = value.split(';', Qt::SkipEmptyParts);
        else if (key == "X-TerminalArgExec")
            entry.terminalArgExec = value;
        else if (key == "TryExec")
            entry.tryExec = value;
        else if (key == "OnlyShowIn")
            entry.onlyShowIn = value.split(';', Qt::SkipEmptyParts);
        else if (key == "NotShowIn")
            entry.notShowIn = value.split(';', Qt::SkipEmptyParts);
    }
    if (!application || entry.exec.isEmpty())
        return std::nullopt;
    if (entry.name.isEmpty())
        entry.name = QFileInfo(path).completeBaseName();
    entry.program = programOf(entry.exec);
    return entry;
}

QStringList DesktopEntries::applicationFolders()
{
    return dataFolders();
}

bool DesktopEntries::showsOnCurrentDesktop(const DesktopEntry& entry)
{
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(':', Qt::SkipEmptyParts);
    for (const QString& desktop : desktops)
        if (entry.notShowIn.contains(desktop, Qt::CaseInsensitive))
            return false;
    if (entry.onlyShowIn.isEmpty())
        return true;
    for (const QString& desktop : desktops)
        if (entry.onlyShowIn.contains(desktop, Qt::CaseInsensitive))
            return true;
    return false;
}

QString DesktopEntries::quoteExecArgument(const QString& argument)
{
    QString quoted;
    for (const QChar c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    // The file's string escapes come off before the quoting rules apply,
    // so every backslash is written twice, and a line break must not end
    // the line; '%' starts a field code.
    quoted.replace('\\', QStringLiteral("\\\\")).replace('%', QStringLiteral("%%"));
    quoted.replace('\n', QStringLiteral("\\n")).replace('\r', QStringLiteral("\\r")).replace('\t', QStringLiteral("\\t"));
    return '"' + quoted + '"';
}

std::optional<QStringList> DesktopEntries::splitExec(const QString& exec)
{
    QStringList args;
    QString current;
    bool quoted = false, inArgument = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == '"')
                quoted = false;
            else if (c == '\\' && i + 1 < exec.size() && QStringLiteral("\"`$\\").contains(exec[i + 1]))
                current += exec[++i];
            else
                current += c;
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (inArgument)
                args << current;
            current.clear();
            inArgument = false;
        } else if (c == '"') {
            quoted = inArgument = true;
        } else if (c == '\\' && i + 1 < exec.size()) {
            current += exec[++i];
            inArgument = true;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inArgument)
        args << current;
    return args;
}

QList<QStringList> DesktopEntries::commandLines(const DesktopEntry& entry, const QStringList& documents)
{
    const std::optional<QStringList> args = splitExec(entry.exec);
    if (!args || args->isEmpty())
        return {};
    QStringList files, urls;
    for (const QString& d : documents) {
        urls << d;
        // A file field takes local files only.
        if (isLocalPathOrFileUrl(d))
            files << localPath(d);
    }
    const bool single = std::any_of(args->begin(), args->end(),
                                    [](const QString& a) { return a.contains("%f") || a.contains("%u"); });

    auto expand = [&](const QStringList& fileList, const QStringList& urlList) {
        QStringList out;
        for (const QString& arg : *args) {
            if (arg == "%F") {
                out << fileList;
            } else if (arg == "%U") {
                out << urlList;
            } else if (arg == "%i") {
                if (!entry.icon.isEmpty())
                    out << "--icon" << entry.icon;
            } else {
                QString result;
                bool hadCode = false;
                for (qsizetype i = 0; i < arg.size(); ++i) {
                    if (arg[i] != '%' || i + 1 == arg.size()) {
                        result += arg[i];
                        continue;
                    }
                    hadCode = true;
                    switch (arg[++i].unicode()) {
                    case 'f': result += fileList.value(0); break;
                    case 'u': result += urlList.value(0); break;
                    case 'c': result += entry.name; break;
                    case 'k': result += entry.path; break;
                    case '%': result += '%'; break;
                    default: break; // deprecated and unknown codes expand to nothing
                    }
                }
                // A code that expands to nothing takes its argument with it.
                if (!result.isEmpty() || !hadCode)
                    out << result;
            }
        }
        return out;
    };

    QList<QStringList> lines;
    if (single && documents.size() > 1) {
        for (const QString& d : documents) {
            const QStringList file = isLocalPathOrFileUrl(d) ? QStringList{localPath(d)} : QStringList{};
            lines << expand(file, {d});
        }
    } else {
        lines << expand(files, urls);
    }
    lines.removeIf([](const QStringList& l) { return l.isEmpty() || l.first().isEmpty(); });
    return lines;
}

bool DesktopEntries::foldersChanged()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // Cheap, but not on every look-up of a busy poll.
    if (m_lastCheck.isValid() && m_lastCheck.msecsTo(now) < 1000)
        return false;
    m_lastCheck = now;
    for (const QString& folder : dataFolders()) {
        if (!m_folders.contains(folder))
            return true;
    }
    for (auto it = m_folders.cbegin(); it != m_folders.cend(); ++it) {
        if (QFileInfo(it.key()).lastModified() != it.value())
            return true;
    }
    return false;
}

void DesktopEntries::load()
{
    m_entries.clear();
    m_folders.clear();
    QSet<QString> ids;
    for (const QString& folder : dataFolders()) {
        m_folders.insert(folder, QFileInfo(folder).lastModified());
        QDirIterator dirs(folder, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (dirs.hasNext()) {
            const QString dir = dirs.next();
            m_folders.insert(dir, QFileInfo(dir).lastModified());
        }
        QDirIterator files(folder, {"*.desktop"}, QDir::Files, QDirIterator::Subdirectories);
        // By ID within a folder, so that "the first" entry of a kind is the
        // same on every run, whatever order the file system lists.
        QMap<QString, QString> byId;
        while (files.hasNext()) {
            const QString path = files.next();
            // The ID of applications/kde/foo.desktop is kde-foo.desktop.
            byId.insert(QDir(folder).relativeFilePath(path).replace('/', '-'), path);
        }
        for (auto it = byId.cbegin(); it != byId.cend(); ++it) {
            if (ids.contains(it.key()))
                continue;
            ids.insert(it.key());
            if (auto entry = read(it.value(), it.key()))
                m_entries << *entry;
        }
    }
    m_loaded = true;
    m_lastCheck = QDateTime::currentDateTimeUtc();
}

void DesktopEntries::refresh()
{
    std::lock_guard lock(m_mutex);
    m_loaded = false;
}

std::optional<DesktopEntry> DesktopEntries::forWindowClass(const QString& instance, const QString& windowClass)
{
    std::lock_guard lock(m_mutex);
    if (!m_loaded || foldersChanged())
        load();
    QStringList names{instance, windowClass};
    names.removeAll(QString());
    if (names.isEmpty())
        return std::nullopt;
    auto matches = [&](const QString& candidate, Qt::CaseSensitivity cs) {
        return !candidate.isEmpty() && names.contains(candidate, cs);
    };
    // StartupWMClass first, exact, then ignoring case; then the ID itself
    // ("org.gnome.Gedit.desktop", "gedit.desktop" for class "Gedit").
    for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (const DesktopEntry& e : std::as_const(m_entries)) {
            if (matches(e.wmClass, cs))
                return e;
        }
    }
    for (const DesktopEntry& e : std::as_const(m_entries)) {
        const QString base = e.id.chopped(8); // ".desktop"
        if (matches(base, Qt::CaseInsensitive) || matches(base.section('.', -1), Qt::CaseInsensitive))
            return e;
    }
    return std::nullopt;
}

std::optional<DesktopEntry> DesktopEntries::forId(const QString& id)
{
    std::lock_guard lock(m_mutex);
    if (!m_loaded || foldersChanged())
        load();
    for (const DesktopEntry& e : std::as_const(m_entries)) {
        if (e.id == id)
            return e;
    }
    return std::nullopt;
}

std::optional<DesktopEntry> DesktopEntries::firstInCategory(const QString& category)
{
    std::lock_guard lock(m_mutex);
    if (!m_loaded || foldersChanged())
        load();
    for (const DesktopEntry& e : std::as_const(m_entries)) {
        if (e.categories.contains(category))
            return e;
    }
    return std::nullopt;
}

std::optional<DesktopEntry> DesktopEntries::forProgram(const QString& executable, const QStringList& arguments)
{
    std::lock_guard lock(m_mutex);
    if (!m_loaded || foldersChanged())
        load();
    if (executable.isEmpty())
        return std::nullopt;
    QStringList candidates{executable};
    // An interpreter running a script: the script is the program.
    if (arguments.size() >= 2 && arguments[1].startsWith('/'))
        candidates << QFileInfo(arguments[1]).canonicalFilePath();
    for (const QString& program : candidates) {
        for (const DesktopEntry& e : std::as_const(m_entries)) {
            if (!e.program.isEmpty() && e.program == program)
                return e;
        }
    }
    return std::nullopt;
}

QString DesktopEntries::recentlyUsedPath()
{
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + "/.local/share";
    return home + "/recently-used.xbel";
}

QList<RecentUse> DesktopEntries::readRecentlyUsed(const QString& storePath)
{
    QFile file(storePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QHash<QString, RecentUse> uses; // name + exec -> latest use
    QXmlStreamReader xml(&file);
    bool inApplications = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"applications") {
            inApplications = true;
        } else if (xml.isEndElement() && xml.name() == u"applications") {
            inApplications = false;
        } else if (inApplications && xml.isStartElement() && xml.name() == u"application") {
            const QXmlStreamAttributes a = xml.attributes();
            RecentUse use{a.value("name").toString(), a.value("exec").toString(), {}};
            // Newer stores write "modified" (ISO 8601), older ones "timestamp" (seconds).
            if (a.hasAttribute("modified"))
                use.modified = QDateTime::fromString(a.value("modified").toString(), Qt::ISODateWithMs);
            else if (a.hasAttribute("timestamp"))
                use.modified = QDateTime::fromSecsSinceEpoch(a.value("timestamp").toLongLong(), Qt::UTC);
            if (use.name.isEmpty() && use.exec.isEmpty())
                continue;
            const QString key = use.name + u'\n' + use.exec;
            auto it = uses.find(key);
            if (it == uses.end())
                uses.insert(key, use);
            else if (use.modified > it->modified)
                it->modified = use.modified;
        }
    }
    if (xml.hasError()) {
        zlog("DesktopEntries", "readRecentlyUsed") << storePath << "is not readable:" << xml.errorString();
        return {};
    }
    QList<RecentUse> list = uses.values();
    std::stable_sort(list.begin(), list.end(), [](const RecentUse& a, const RecentUse& b) {
        return a.modified != b.modified ? a.modified > b.modified : a.name < b.name;
    });
    return list;
}

std::optional<DesktopEntry> DesktopEntries::forRecentUse(const RecentUse& use)
{
    // The store quotes the whole command for a shell: 'gedit %u'.
    QString exec = use.exec.trimmed();
    if (exec.size() >= 2 && exec.startsWith(u'\'') && exec.endsWith(u'\''))
        exec = exec.mid(1, exec.size() - 2);
    if (const std::optional<QStringList> args = splitExec(exec); args && !args->isEmpty()) {
        QString program = args->first();
        if (!QFileInfo(program).isAbsolute())
            program = QStandardPaths::findExecutable(program);
        program = QFileInfo(program).canonicalFilePath();
        if (!program.isEmpty()) {
            if (auto entry = forProgram(program, *args))
                return entry;
        }
    }
    if (use.name.isEmpty())
        return std::nullopt;
    return forWindowClass(use.name, use.name);
}

} // namespace zelk
