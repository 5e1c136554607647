#include "QVUtilityShared.h"

#include "Bundle.h"
#include "Log.h"
#include "ModifierFlags.h"
#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <QtEndian>
#include <algorithm>
#include <optional>
#include <sys/stat.h>

namespace zelk {

namespace {

// The one-character text of a key, as a byte of the Latin-1 set; 0 for none.
char latin1Char(const QString& text)
{
    if (text.size() != 1 || text.at(0).unicode() > 0xFF)
        return 0;
    return char(text.at(0).unicode());
}

QString withoutTrailingSlash(QString path)
{
    if (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

struct FileId {
    quint64 device = 0;
    quint64 inode = 0;
};

// The item itself, a symbolic link included, not what it leads to.
std::optional<FileId> fileId(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileId{quint64(st.st_dev), quint64(st.st_ino)};
}

// A file reference: "ZREF", version 1, device and inode (64-bit little
// endian), then the absolute path in UTF-8.
constexpr char kRefMagic[] = "ZREF";
constexpr qsizetype kRefHeader = 4 + 1 + 8 + 8;

QByteArray encodeRef(const QString& path, const FileId& id)
{
    QByteArray ref(kRefMagic, 4);
    ref.append(char(1));
    char number[8];
    qToLittleEndian(id.device, number);
    ref.append(number, 8);
    qToLittleEndian(id.inode, number);
    ref.append(number, 8);
    ref.append(path.toUtf8());
    return ref;
}

bool decodeRef(const QByteArray& ref, QString* path, FileId* id)
{
    if (ref.size() <= kRefHeader || !ref.startsWith(kRefMagic) || ref.at(4) != char(1))
        return false;
    // Byte by byte: reading through constData() trips GCC's array-bounds
    // check, which can't see the size test above.
    const auto number = [&ref](int at) {
        quint64 value = 0;
        for (int i = 7; i >= 0; --i)
            value = (value << 8) | quint8(ref.at(at + i));
        return value;
    };
    id->device = number(5);
    id->inode = number(13);
    *path = QString::fromUtf8(ref.constData() + kRefHeader, ref.size() - kRefHeader);
    return path->startsWith(u'/');
}

QString decodeText(const QByteArray& data)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(data);
    if (!utf8.hasError())
        return text;
    // Not UTF-8: older text files are most likely Latin-1.
    return QString::fromLatin1(data);
}

// The plain text of a rich-text document: groups, control words and
// destinations that are not text (font and colour tables, pictures...) are
// dropped; \par and \line end lines, \tab is a tab, \'hh and \uN are
// characters.
QString plainTextFromRtf(const QByteArray& rtf)
{
    static const QStringList skippedDestinations = {
        "fonttbl", "colortbl", "expandedcolortbl", "stylesheet", "info", "pict", "header", "footer",
        "headerl", "headerr", "footerl", "footerr", "listtable", "listoverridetable", "rsidtbl", "generator",
        "xmlnstbl", "themedata", "colorschememapping", "latentstyles", "datastore", "filetbl", "revtbl"};
    struct Group {
        bool skip = false;
        int unicodeSkip = 1;
    };
    QList<Group> stack{Group{}};
    QString out;
    int pendingSkip = 0; // characters that stand in for the last \uN
    const qsizetype n = rtf.size();
    auto put = [&](QChar c) {
        if (pendingSkip > 0) {
            --pendingSkip;
            return;
        }
        if (!stack.last().skip)
            out += c;
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char c = rtf.at(i);
        if (c == '{') {
            stack.append(stack.last());
            continue;
        }
        if (c == '}') {
            if (stack.size() > 1)
                stack.removeLast();
            continue;
        }
        if (c == '\r' || c == '\n')
            continue;
        if (c != '\\') {
            put(QChar::fromLatin1(c));
            continue;
        }
        if (++i >= n)
            break;
        const char s = rtf.at(i);
        if (s == '\\' || s == '{' || s == '}') {
            put(QChar::fromLatin1(s));
        } else if (s == '\'') {
            bool ok = false;
            const int byte = rtf.mid(i + 1, 2).toInt(&ok, 16);
            i += 2;
            if (ok)
                put(QChar::fromLatin1(char(byte)));
        } else if (s == '*') {
            stack.last().skip = true;
        } else if (s == '~') {
            put(QChar(0xA0));
        } else if (s == '\r' || s == '\n') {
            put(u'\n');
        } else if (QChar::isLetter(uchar(s))) {
            qsizetype j = i;
            while (j < n && QChar::isLetter(uchar(rtf.at(j))))
                ++j;
            const QString word = QString::fromLatin1(rtf.mid(i, j - i));
            qsizetype k = j;
            if (k < n && rtf.at(k) == '-')
                ++k;
            while (k < n && QChar::isDigit(uchar(rtf.at(k))))
                ++k;
            const bool hasParam = k > j && QChar::isDigit(uchar(rtf.at(k - 1)));
            const int param = hasParam ? rtf.mid(j, k - j).toInt() : 0;
            if (k < n && rtf.at(k) == ' ')
                ++k; // the delimiter belongs to the word
            i = k - 1;
            if (skippedDestinations.contains(word)) {
                stack.last().skip = true;
            } else if (word == "par" || word == "line") {
                put(u'\n');
            } else if (word == "tab") {
                put(u'\t');
            } else if (word == "uc" && hasParam) {
                stack.last().unicodeSkip = param;
            } else if (word == "u" && hasParam) {
                pendingSkip = 0;
                put(QChar(char16_t(param < 0 ? param + 65536 : param)));
                pendingSkip = stack.last().unicodeSkip;
            }
        }
    }
    return out;
}

} // namespace

QVUtilityShared::QVUtilityShared() = default;

QString QVUtilityShared::localizedString(const QString& key) const
{
    const Bundle b = bundle().isValid() ? bundle() : Bundle::main();
    return b.localizedString(key);
}

// --- Key names and characters ----------------------------------------------------

void QVUtilityShared::fillKeycodeToAscii()
{
    std::array<char, 256> table{};
    KeyboardLayout& layout = Platform::instance().keyboardLayout();
    for (quint16 key = 0; key < 128; ++key) {
        table[key] = latin1Char(layout.characterForKey(key, 0));
        table[128 + key] = latin1Char(layout.characterForKey(key, Keystroke::Shift));
    }
    std::lock_guard lock(m_mutex);
    m_keyTable = table;
    m_keyTableFilled = true;
}

std::array<char, 256> QVUtilityShared::keyTable()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_keyTableFilled)
            return m_keyTable;
    }
    fillKeycodeToAscii();
    std::lock_guard lock(m_mutex);
    return m_keyTable;
}

char QVUtilityShared::asciiForKeycode(quint32 keycode)
{
    const bool shifted = keycode & (HotKey::Shift | HotKey::CapsLock);
    return keyTable()[(keycode & HotKey::KeyCodeMask) + (shifted ? 128 : 0)];
}

QString QVUtilityShared::modifierStringWithKeycode(quint32 keycode)
{
    static const std::pair<quint32, const char*> names[] = {
        {HotKey::Command, "NameCommandMod"}, {HotKey::Option, "NameAltMod"},
        {HotKey::Control, "NameControlMod"}, {HotKey::Shift, "NameShiftMod"},
        {HotKey::CapsLock, "NameAlphaShiftMod"},
    };
    QString text;
    for (const auto& [flag, key] : names) {
        if (keycode & flag)
            text += localizedString(QString::fromLatin1(key));
    }
    if ((keycode & HotKey::NumericPad) && !(keycode & HotKey::Function))
        text += QStringLiteral("(Num)");
    return text;
}

QString QVUtilityShared::keyStringWithKeycode(quint32 keycode)
{
    const QString key = QStringLiteral("Keycode%1").arg(keycode & 0xFF);
    const Bundle b = bundle().isValid() ? bundle() : Bundle::main();
    if (b.hasLocalizedString(key))
        return b.localizedString(key);
    const char c = asciiForKeycode(keycode);
    return c ? QString(QChar::fromLatin1(c)) : QString();
}

QString QVUtilityShared::keystrokeStringWithKeycode(quint32 keycode)
{
    if (keycode == 0)
        return {};
    const QString modifiers = modifierStringWithKeycode(keycode);
    const QString key = keyStringWithKeycode(keycode);
    if (modifiers.isEmpty())
        return key;
    // The modifier names carry their own "+" separator ("Ctrl+Alt+").
    return modifiers.endsWith(u'+') ? modifiers + key : modifiers + u' ' + key;
}

// --- Paths, file references, text files -----------------------------------------------

int QVUtilityShared::typeForPath(const QString& rawPath)
{
    const QString path = withoutTrailingSlash(rawPath);
    if (path.isEmpty())
        return Missing;
    const QFileInfo info(path);
    // Before exists(): a link whose target is gone is still a link.
    if (info.isSymLink())
        return SymbolicLink;
    if (!info.exists())
        return Missing;
    if (info.isDir())
        return info.suffix() == QLatin1String("app") ? Application : Folder;
    if (info.isFile() && info.suffix() == QLatin1String("desktop"))
        return Application;
    return Document;
}

int QVUtilityShared::typeForTargetPath(const QString& path)
{
    const int type = typeForPath(path);
    if (type != SymbolicLink && type != Alias)
        return type;
    // A link that leads nowhere has no target type.
    const QString target = QFileInfo(withoutTrailingSlash(path)).canonicalFilePath();
    return target.isEmpty() ? Missing : typeForPath(target);
}

QString QVUtilityShared::targetPath(const QString& path)
{
    const int type = typeForPath(path);
    return type == SymbolicLink || type == Alias ? resolveAliasPath(path) : path;
}

QString QVUtilityShared::resolveAliasPath(const QString& path)
{
    if (typeForPath(path) != SymbolicLink)
        return path;
    const QString target = QFileInfo(withoutTrailingSlash(path)).canonicalFilePath();
    return target.isEmpty() ? path : target;
}

QByteArray QVUtilityShared::FSRefForPath(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QString absolute = withoutTrailingSlash(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    const std::optional<FileId> id = fileId(absolute);
    if (!id)
        return {};
    return encodeRef(absolute, *id);
}

QString QVUtilityShared::pathForFSRef(const QByteArray& ref)
{
    QString path;
    FileId id;
    if (!decodeRef(ref, &path, &id))
        return {};
    if (fileId(path))
        return withoutTrailingSlash(path);
    // Moved or renamed inside its folder: the same device and inode.
    const QFileInfo recorded(path);
    const QDir folder = recorded.absoluteDir();
    const QStringList entries =
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        const QString candidate = folder.filePath(entry);
        const std::optional<FileId> other = fileId(candidate);
        if (other && other->device == id.device && other->inode == id.inode)
            return withoutTrailingSlash(candidate);
    }
    return {};
}

bool QVUtilityShared::isTextFileAtPath(const QString& path)
{
    static const QStringList textExtensions = {"'TEXT'", "txt", "rtf", "rtfd"};
    const QFileInfo info(path);
    if (textExtensions.contains(info.suffix()))
        return true;
    // The file's own kind stands for the type code of the original design.
    return info.isFile() && QMimeDatabase().mimeTypeForFile(info).inherits(QStringLiteral("text/plain"));
}

QString QVUtilityShared::stringWithPath(const QString& path)
{
    const QFileInfo info(path);
    QString file = path;
    if (info.isDir()) {
        // A rich-text folder keeps its text in TXT.rtf.
        if (info.suffix() != QLatin1String("rtfd"))
            return QString("");
        file = QDir(path).filePath(QStringLiteral("TXT.rtf"));
    }
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return QString(""); // empty, not null: callers test the text, not its presence
    const QByteArray data = f.readAll();
    if (QFileInfo(file).suffix() == QLatin1String("rtf") || data.startsWith("{\\rtf"))
        return plainTextFromRtf(data);
    return decodeText(data);
}

int QVUtilityShared::runScript(const QString& script) { return runScript(script, nullptr); }

int QVUtilityShared::runScript(const QString& script, QString* error)
{
    // The interpreter of the "#!" line, with its one optional argument as
    // the kernel reads it.
    QString program = QStringLiteral("/bin/sh");
    QStringList arguments;
    if (script.startsWith(QLatin1String("#!"))) {
        const QString line = script.mid(2, script.indexOf(u'\n') - 2).trimmed();
        const qsizetype space = line.indexOf(QRegularExpression(QStringLiteral("\\s")));
        program = space < 0 ? line : line.left(space);
        if (space >= 0 && !line.mid(space).trimmed().isEmpty())
            arguments << line.mid(space).trimmed();
    }
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/zelk-script-XXXXXX"));
    if (!file.open() || file.write(script.toUtf8()) < 0 || !file.flush()) {
        if (error)
            *error = QStringLiteral("cannot write the script: ") + file.errorString();
        return -1;
    }
    file.close();
    arguments << file.fileName();

    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(-1)) {
        if (error)
            *error = program + QStringLiteral(": ") + process.errorString();
        return -1;
    }
    process.waitForFinished(-1);
    const bool crashed = process.exitStatus() != QProcess::NormalExit;
    const int status = crashed ? -1 : process.exitCode();
    if (status != 0 && error) {
        const QString stderrText = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        *error = stderrText.isEmpty() ? QStringLiteral("%1 exited with status %2").arg(program).arg(status) : stderrText;
    }
    return status;
}

void QVUtilityShared::openPreferencePanel(const QString& name)
{
    if (name.isEmpty())
        return;
    const QString entry =
        QStandardPaths::locate(QStandardPaths::ApplicationsLocation, name + QStringLiteral(".desktop"));
    if (entry.isEmpty()) {
        zlog("QVUtility", "openPreferencePanel") << "no settings panel named" << name;
        return;
    }
    if (!Platform::instance().workspace().launchApplication(entry))
        zlog("QVUtility", "openPreferencePanel") << "cannot open" << entry;
}

QList<int> QVUtilityShared::arrayOfIntFromIndex(int start, int withLength)
{
    QList<int> numbers;
    for (int i = 0; i < withLength; ++i)
        numbers.append(start + i);
    return numbers;
}

// --- Icons and images ---------------------------------------------------------------------

QString QVUtilityShared::desktopEntryIcon(const QString& path) const
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inEntry = false;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (inEntry && line.startsWith(QLatin1String("Icon"))) {
            const qsizetype eq = line.indexOf(u'=');
            if (eq > 0 && line.left(eq).trimmed() == QLatin1String("Icon"))
                return line.mid(eq + 1).trimmed();
        }
    }
    return {};
}

QImage QVUtilityShared::iconImageRepForPath(const QString& path, int withSize)
{
    // Theme look-ups need the GUI side of Qt.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    const int type = typeForTargetPath(path);
    if (type == Missing)
        return {};
    const QString target = targetPath(withoutTrailingSlash(path));
    std::lock_guard lock(m_mutex);
    QIcon icon;
    if (type == Application) {
        QString name;
        if (QFileInfo(target).isDir()) {
            const Bundle app = Bundle::atPath(target);
            name = app.pathForResource(app.objectForInfoDictionaryKey("CFBundleIconFile").toString());
        } else {
            name = desktopEntryIcon(target);
        }
        icon = name.startsWith(u'/') ? QIcon(name) : QIcon::fromTheme(name);
        if (icon.isNull())
            icon = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    } else if (type == Folder) {
        icon = QIcon::fromTheme(QStringLiteral("folder"));
    } else {
        const QMimeType mime = QMimeDatabase().mimeTypeForFile(target);
        icon = QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName()));
    }
    if (icon.isNull())
        return {};
    const QList<QSize> sizes = icon.availableSizes();
    QSize chosen(withSize, withSize); // a scalable icon draws at any size
    if (!sizes.isEmpty()) {
        chosen = sizes.first();
        int best = -1;
        for (const QSize& s : sizes) {
            if (s.height() >= withSize && s.height() < 1000 && (best < 0 || s.height() < best)) {
                best = s.height();
                chosen = s;
            }
        }
    }
    return icon.pixmap(chosen).toImage();
}

QImage QVUtilityShared::iconImageForPath(const QString& path, int withSize)
{
    const QImage image = iconImageRepForPath(path, withSize);
    if (image.isNull() || image.size() == QSize(withSize, withSize))
        return image;
    return image.scaled(withSize, withSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage QVUtilityShared::imageWithName(const QString& name)
{
    if (name.isEmpty())
        return {};
    std::lock_guard lock(m_mutex);
    if (auto it = m_images.constFind(name); it != m_images.cend())
        return *it;
    const Bundle b = bundle().isValid() ? bundle() : Bundle::main();
    QString path = b.pathForResource(name);
    if (path.isEmpty() && QFileInfo(name).suffix().isEmpty()) {
        for (const char* type : {"png", "tiff"}) {
            path = b.pathForResource(name, QString::fromLatin1(type));
            if (!path.isEmpty())
                break;
        }
    }
    const QImage image = path.isEmpty() ? QImage() : QImage(path);
    if (!image.isNull())
        m_images.insert(name, image);
    return image;
}

// --- Choosing files ---------------------------------------------------------------------------

void QVUtilityShared::setShowPathType(int type) { m_showPathType.store(type); }

bool QVUtilityShared::shouldShowFilename(const QString& path)
{
    const int type = typeForTargetPath(path);
    return type == Folder || type == m_showPathType.load();
}

// --- Processes ------------------------------------------------------------------------------------

QString QVUtilityShared::bundleBaseName(const QString& fileName)
{
    for (const QLatin1String extension : {QLatin1String(".app"), QLatin1String(".desktop")}) {
        if (fileName.endsWith(extension))
            return fileName.chopped(extension.size());
    }
    return fileName;
}

QStringList QVUtilityShared::launchedAppPathArray()
{
    QStringList paths;
    for (const RunningApplication& app : Platform::instance().workspace().runningApplications()) {
        if (!app.background && !app.path.isEmpty() && !paths.contains(app.path))
            paths << app.path;
    }
    return paths;
}

QStringList QVUtilityShared::recentAppPathArray() { return Platform::instance().workspace().recentApplications(); }

bool QVUtilityShared::isProcessLaunchedWithPathName(const QString& name)
{
    const QList<RunningApplication> apps = Platform::instance().workspace().runningApplications();
    return std::any_of(apps.cbegin(), apps.cend(),
                       [&](const RunningApplication& app) { return bundleBaseName(app.name) == name; });
}

} // namespace zelk
