#pragma once
// The key combinations the desktop's own configuration binds, where it can
// be read: GNOME's settings (through gsettings), KDE's global shortcuts file
// and Openbox's rc.xml. A test grab finds only what some program holds right
// now; these are bound even while their owner is not running.
//
// A binding is a keysym name and stored modifier bits (Control is the
// stored command flag, Super control, Alt option); turning the name into a
// key of the current keymap is left to the hot-key service.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace zelk::keybindings {

struct KeyBinding {
    QString keysym; // "t", "F4", "Left", "XF86AudioMute"
    quint32 modifiers = 0;
    bool operator==(const KeyBinding&) const = default;
};

// "<Primary><Alt>t"; nullopt for "disabled", "" or a modifier alone.
std::optional<KeyBinding> parseGnomeAccelerator(const QString& accelerator);
// "Meta+E", "Ctrl+Alt+Del"; nullopt for "none" or a key without a keysym.
std::optional<KeyBinding> parseKdeShortcut(const QString& shortcut);
// "C-A-Left", "W-e"; only the first key of a chain ("C-a b") counts.
std::optional<KeyBinding> parseOpenboxKey(const QString& key);

// The output of `gsettings list-recursively SCHEMA`: every accelerator of
// every key, lists and single strings alike.
QList<KeyBinding> fromGsettingsListing(const QString& output);
// The text of kglobalshortcutsrc: the active shortcuts of every action.
QList<KeyBinding> fromKdeShortcuts(const QString& text);
// The text of Openbox's rc.xml: every <keybind key=...>.
QList<KeyBinding> fromOpenboxRc(const QByteArray& xml);

// The bindings of this session's desktop; empty where none can be read.
QList<KeyBinding> readSessionBindings();

} // namespace zelk::keybindings
