#include "DesktopKeyBindings.h"

#include "Log.h"

#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamReader>

namespace zelk::keybindings {

namespace {

// Stored modifier bits: command is the Control key, control is Super.
constexpr quint32 kShift = 0x20000;
constexpr quint32 kSuper = 0x40000;
constexpr quint32 kAlt = 0x80000;
constexpr quint32 kCtrl = 0x100000;

std::optional<KeyBinding> binding(const QString& keysym, quint32 modifiers)
{
    if (keysym.isEmpty())
        return std::nullopt;
    return KeyBinding{keysym, modifiers};
}

// Qt's key names that differ from the keysym's.
QString keysymForQtKey(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return QString(QChar(key)).toLower();
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return QString(QChar(key));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return QString("F%1").arg(key - Qt::Key_F1 + 1);
    switch (key) {
    case Qt::Key_Escape: return "Escape";
    case Qt::Key_Tab: return "Tab";
    case Qt::Key_Backspace: return "BackSpace";
    case Qt::Key_Return: return "Return";
    case Qt::Key_Enter: return "KP_Enter";
    case Qt::Key_Insert: return "Insert";
    case Qt::Key_Delete: return "Delete";
    case Qt::Key_Pause: return "Pause";
    case Qt::Key_Print: return "Print";
    case Qt::Key_Home: return "Home";
    case Qt::Key_End: return "End";
    case Qt::Key_Left: return "Left";
    case Qt::Key_Up: return "Up";
    case Qt::Key_Right: return "Right";
    case Qt::Key_Down: return "Down";
    case Qt::Key_PageUp: return "Prior";
    case Qt::Key_PageDown: return "Next";
    case Qt::Key_Space: return "space";
    case Qt::Key_Minus: return "minus";
    case Qt::Key_Equal: return "equal";
    case Qt::Key_Comma: return "comma";
    case Qt::Key_Period: return "period";
    case Qt::Key_Slash: return "slash";
    case Qt::Key_Semicolon: return "semicolon";
    case Qt::Key_VolumeUp: return "XF86AudioRaiseVolume";
    case Qt::Key_VolumeDown: return "XF86AudioLowerVolume";
    case Qt::Key_VolumeMute: return "XF86AudioMute";
    case Qt::Key_MediaPlay: return "XF86AudioPlay";
    case Qt::Key_MediaNext: return "XF86AudioNext";
    case Qt::Key_MediaPrevious: return "XF86AudioPrev";
    default: return {};
    }
}

QString runGsettings(const QStringList& arguments)
{
    QProcess process;
    process.start("gsettings", arguments);
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    return process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

QString desktopName()
{
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP") + ":" + qEnvironmentVariable("DESKTOP_SESSION");
}

bool processRuns(const QString& name)
{
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (!entry.front().isDigit())
            continue;
        QFile comm("/proc/" + entry + "/comm");
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name.toUtf8())
            return true;
    }
    return false;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

std::optional<KeyBinding> parseGnomeAccelerator(const QString& accelerator)
{
    static const QRegularExpression modifier("^<([^>]*)>");
    QString rest = accelerator.trimmed();
    quint32 modifiers = 0;
    for (auto match = modifier.match(rest); match.hasMatch(); match = modifier.match(rest)) {
        const QString name = match.captured(1).toLower();
        if (name == "primary" || name == "control" || name == "ctrl" || name == "ctl")
            modifiers |= kCtrl;
        else if (name == "shift" || name == "shft")
            modifiers |= kShift;
        else if (name == "alt" || name == "mod1")
            modifiers |= kAlt;
        else if (name == "super" || name == "mod4")
            modifiers |= kSuper;
        else
            return std::nullopt; // Hyper, Meta, Release...: no stored flag stands for them
        rest.remove(0, match.capturedLength());
    }
    if (rest == "disabled")
        return std::nullopt;
    return binding(rest, modifiers);
}

std::optional<KeyBinding> parseKdeShortcut(const QString& shortcut)
{
    if (shortcut.trimmed().compare("none", Qt::CaseInsensitive) == 0)
        return std::nullopt;
    const QKeySequence sequence = QKeySequence::fromString(shortcut.trimmed(), QKeySequence::PortableText);
    if (sequence.isEmpty())
        return std::nullopt;
    const QKeyCombination combination = sequence[0];
    quint32 modifiers = 0;
    const Qt::KeyboardModifiers qtModifiers = combination.keyboardModifiers();
    if (qtModifiers & Qt::ControlModifier)
        modifiers |= kCtrl;
    if (qtModifiers & Qt::ShiftModifier)
        modifiers |= kShift;
    if (qtModifiers & Qt::AltModifier)
        modifiers |= kAlt;
    if (qtModifiers & Qt::MetaModifier)
        modifiers |= kSuper;
    return binding(keysymForQtKey(combination.key()), modifiers);
}

std::optional<KeyBinding> parseOpenboxKey(const QString& key)
{
    const QString first = key.trimmed().section(' ', 0, 0);
    if (first.isEmpty())
        return std::nullopt;
    const QStringList parts = first.split('-');
    quint32 modifiers = 0;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const QString& m = parts[i];
        if (m == "C")
            modifiers |= kCtrl;
        else if (m == "S")
            modifiers |= kShift;
        else if (m == "A" || m == "Mod1")
            modifiers |= kAlt;
        else if (m == "W" || m == "Mod4")
            modifiers |= kSuper;
        else
            return std::nullopt;
    }
    return binding(parts.last(), modifiers);
}

QList<KeyBinding> fromGsettingsListing(const QString& output)
{
    static const QRegularExpression quoted("'((?:[^'\\\\]|\\\\.)*)'");
    QList<KeyBinding> bindings;
    const QStringList lines = output.split('\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        // "schema key value": the value starts at the third field.
        const QString value = line.section(' ', 2);
        for (auto it = quoted.globalMatch(value); it.hasNext();) {
            if (auto b = parseGnomeAccelerator(it.next().captured(1)))
                bindings.append(*b);
        }
    }
    return bindings;
}

QList<KeyBinding> fromKdeShortcuts(const QString& text)
{
    QList<KeyBinding> bindings;
    const QStringList lines = text.split('\n');
    for (const QString& line : lines) {
        if (line.startsWith('[') || line.startsWith('#') || !line.contains('='))
            continue;
        // action=active shortcuts (tab separated),default,description
        const QString active = line.section('=', 1).section(',', 0, 0);
        for (const QString& one : active.split('\t', Qt::SkipEmptyParts)) {
            if (auto b = parseKdeShortcut(one))
                bindings.append(*b);
        }
    }
    return bindings;
}

QList<KeyBinding> fromOpenboxRc(const QByteArray& xml)
{
    QList<KeyBinding> bindings;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == QLatin1String("keybind")) {
            if (auto b = parseOpenboxKey(reader.attributes().value("key").toString()))
                bindings.append(*b);
        }
    }
    if (reader.hasError())
        zlog("DesktopKeyBindings", "fromOpenboxRc") << "rc.xml:" << reader.errorString();
    return bindings;
}

QList<KeyBinding> readSessionBindings()
{
    QList<KeyBinding> bindings;
    const QString desktop = desktopName();
    if (desktop.contains("GNOME", Qt::CaseInsensitive) || desktop.contains("Unity", Qt::CaseInsensitive)) {
        for (const char* schema : {"org.gnome.desktop.wm.keybindings", "org.gnome.shell.keybindings",
                                   "org.gnome.mutter.keybindings", "org.gnome.settings-daemon.plugins.media-keys"})
            bindings += fromGsettingsListing(runGsettings({"list-recursively", schema}));
    }
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (desktop.contains("KDE", Qt::CaseInsensitive))
        bindings += fromKdeShortcuts(QString::fromUtf8(readFile(config + "/kglobalshortcutsrc")));
    if (desktop.contains("openbox", Qt::CaseInsensitive) || desktop.contains("LXDE", Qt::CaseInsensitive) ||
        processRuns("openbox")) {
        QByteArray rc = readFile(config + "/openbox/rc.xml");
        if (rc.isEmpty())
            rc = readFile("/etc/xdg/openbox/rc.xml");
        bindings += fromOpenboxRc(rc);
    }
    return bindings;
}

} // namespace zelk::keybindings
