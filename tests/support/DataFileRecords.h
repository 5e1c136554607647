#pragma once
// Records of the six data files as the editor stores them, for tests that
// hand the engine a data folder: actions, key launchers, contexts with their
// rules, shortcuts with one step per action, menus, palettes, and the files
// themselves.
#include "PropertyList.h"

#include <QDir>
#include <QList>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <optional>

namespace zelk::test::records {

// HotKeyCode modifier flags (stored command is Ctrl, option Alt).
inline constexpr quint32 Shift = 0x20000, Control = 0x40000, Option = 0x80000, Command = 0x100000;

inline QVariantMap action(qint64 id, const QString& name, const QString& actionClass, const QVariantMap& data)
{
    return {{"actionname", name}, {"actionclass", actionClass}, {"actionID", id}, {"actiondata", data},
            {"actioneditorrect", "{{0, 0}, {0, 0}}"}, {"actionnotused", false}};
}

// The keyboard action type's "type a text" model.
inline QVariantMap typeTextAction(qint64 id, const QString& text, int charSecond = 200)
{
    return action(id, "type " + text, "KeyboardShortcut", {{"Action", 1}, {"Text", text}, {"CharSecond", charSecond}});
}

struct KeyOptions {
    bool release = false;
    std::optional<int> secondKey; // a second key's virtual key code, with the first one's modifiers
};

inline QVariantMap keyLauncher(qint64 id, quint32 code, const KeyOptions& options = {})
{
    QVariantMap params{{"launcherkeycode", qint64(code)}, {"launcherkeyrelease", options.release},
                       {"launcherkeyrepeat", false}, {"launcherkeyrepeatdelay", 0.0}};
    if (options.secondKey)
        params.insert("launcherkeysecondcode", *options.secondKey);
    return {{"launcherID", id}, {"launchertype", 0}, {"launcherparams", params}, {"launchereditorrect", "{{0, 0}, {0, 0}}"}};
}

inline QVariantMap systemLauncher(qint64 id, int systemType)
{
    return {{"launcherID", id}, {"launchertype", 3}, {"launcherparams", QVariantMap{{"launchersystemtype", systemType}}},
            {"launchereditorrect", "{{0, 0}, {0, 0}}"}};
}

// A rule that switches one key combination off while its context holds.
inline QVariantMap excludeRule(quint32 code)
{
    return {{"ruletype", 1}, {"ruleactive", true}, {"ruleparams", QVariantMap{{"ruleexcludekeycode", qint64(code)}}}};
}

// Types: 0 universal, 1 application in front, 2 not in front, 3 running, 4 not running.
inline QVariantMap context(qint64 id, const QString& name, int type, const QString& application = {},
                           const QVariantList& rules = {})
{
    QVariantMap params;
    if (type != 0)
        params.insert("contextactivatedapplication", application);
    return {{"contextID", id}, {"contextname", name}, {"contexttype", type}, {"contextparams", params},
            {"contextrules", rules}, {"contexteditorrect", "{{0, 0}, {0, 0}}"}};
}

inline QVariantMap shortcut(qint64 id, const QString& name, const QList<qint64>& actions, const QList<qint64>& launchers,
                            const QList<qint64>& contexts)
{
    QVariantList steps, launcherRefs, contextRefs;
    for (qint64 a : actions)
        steps << QVariantMap{{"cutactionID", a}, {"cutactionactive", true},
                             {"cutactionrunparams", QVariantMap{{"runrepeatnum", 0}, {"runrepeatpause", 0.0}}},
                             {"cutactionresultparams", QVariantMap{{"resultsuccess", 0}, {"resultfailing", 0}, {"resultdelay", 20.0}}}};
    for (qint64 l : launchers)
        launcherRefs << QVariantMap{{"cutlauncherID", l}, {"cutlauncheractive", true}};
    for (qint64 c : contexts)
        contextRefs << QVariantMap{{"cutcontextID", c}, {"cutcontextactive", true}};
    return {{"cutname", name}, {"cutID", id}, {"cutimage", QByteArray()}, {"cutactions", steps}, {"cutlaunchers", launcherRefs},
            {"cutcontexts", contextRefs}, {"cutrunparams", QVariantMap{{"runrepeatnum", 0}, {"runrepeatpause", 0.0}}}};
}

// Menu items: 0 separator (or a label), 1 shortcut, 2 action, 3 submenu.
inline QVariantMap menuItem(int type, qint64 id = 0, const QString& label = {}, bool active = true)
{
    QVariantMap params;
    switch (type) {
    case 0: params.insert("menuitemseparatorlabel", label); break;
    case 1: params.insert("menuitemshortcutID", id); break;
    case 2: params.insert("menuitemactionID", id); break;
    case 3: params.insert("menuitemmenuID", id); break;
    default: break;
    }
    return {{"menuitemtype", type}, {"menuitemactive", active}, {"menuitemparams", params}};
}

struct MenuLook {
    bool inBar = false;
    bool imageInBar = false;
    bool nameInBar = false;
    bool showImage = false;
    bool showCombo = false;
};

inline QVariantList references(const QList<qint64>& ids, const char* idKey, const char* activeKey)
{
    QVariantList list;
    for (qint64 id : ids)
        list << QVariantMap{{idKey, id}, {activeKey, true}};
    return list;
}

inline QVariantMap menuRecord(qint64 id, const QString& name, const QVariantList& items, MenuLook look = {},
                              const QList<qint64>& contexts = {0}, const QList<qint64>& launchers = {})
{
    return {{"menuname", name},
            {"menuID", id},
            {"menuimage", QByteArray()},
            {"menuinbar", look.inBar},
            {"menuimageinbar", look.imageInBar},
            {"menuimageistemplate", true},
            {"menunameinbar", look.nameInBar},
            {"menushowimage", look.showImage},
            {"menushowcombo", look.showCombo},
            {"menuitems", items},
            {"menucontexts", references(contexts, "cutcontextID", "cutcontextactive")},
            {"menulaunchers", references(launchers, "cutlauncherID", "cutlauncheractive")}};
}

// Palette items: 1 shortcut, 2 action.
inline QVariantMap paletteItem(int type, qint64 id, bool active = true)
{
    const QVariantMap params = type == 1 ? QVariantMap{{"paletteitemshortcutID", id}} : QVariantMap{{"paletteitemactionID", id}};
    return {{"paletteitemtype", type}, {"paletteitemactive", active}, {"paletteitemparams", params}};
}

struct PaletteLook {
    int origin = 0;
    QString location = "{10, 10}";
    int perRow = 3;
    int type = 1;
    int imageSize = 30;
    int fontSize = 12;
    bool showActive = true;
    bool titleOutside = false;
    int transparency = 0;
};

inline QVariantMap paletteRecord(qint64 id, const QString& name, const QVariantList& items, const PaletteLook& look = {},
                                 const QList<qint64>& contexts = {0}, const QList<qint64>& launchers = {})
{
    return {{"palettename", name},
            {"paletteID", id},
            {"paletteshowactive", look.showActive},
            {"palettelocationorigin", look.origin},
            {"palettelocation", look.location},
            {"palettetitleoutside", look.titleOutside},
            {"paletteoutsidetransparency", look.transparency},
            {"paletteitemsinwidth", look.perRow},
            {"paletteitemstype", look.type},
            {"paletteitemsimagesize", look.imageSize},
            {"paletteitemsfontsize", look.fontSize},
            {"paletteitems", items},
            {"palettecontexts", references(contexts, "cutcontextID", "cutcontextactive")},
            {"palettelaunchers", references(launchers, "cutlauncherID", "cutlauncheractive")}};
}

struct DataFiles {
    QVariantList actions, contexts, launchers, shortcuts, menus, palettes;

    // Writes the six files into the folder (made when missing); false when one fails.
    bool write(const QString& folder) const
    {
        const struct { const char* file; const char* key; const QVariantList& records; } files[] = {
            {"Actions.plist", "actionsarray", actions},     {"Contexts.plist", "contextsarray", contexts},
            {"Launchers.plist", "launchersarray", launchers}, {"Shortcuts.plist", "shortcutsarray", shortcuts},
            {"Menus.plist", "menusarray", menus},           {"Palettes.plist", "palettesarray", palettes},
        };
        if (!QDir().mkpath(folder))
            return false;
        for (const auto& f : files) {
            const QVariantMap container{{"nextID", qint64(f.records.size() + 100)}, {f.key, f.records}};
            if (!zelk::plist::writeFile(folder + "/" + f.file, container))
                return false;
        }
        return true;
    }
};

} // namespace zelk::test::records
