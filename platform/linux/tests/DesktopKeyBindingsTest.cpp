#include "DesktopKeyBindings.h"

#include <gtest/gtest.h>

using namespace zelk::keybindings;

namespace {
constexpr quint32 Shift = 0x20000, Super = 0x40000, Alt = 0x80000, Ctrl = 0x100000;

std::optional<KeyBinding> key(const char* keysym, quint32 modifiers)
{
    return KeyBinding{keysym, modifiers};
}
} // namespace

TEST(DesktopKeyBindingsTest, EachDesktopsNotationGivesTheKeysymAndStoredModifiers)
{
    struct Case {
        const char* text;
        std::optional<KeyBinding> (*parse)(const QString&);
        std::optional<KeyBinding> expected;
    } cases[] = {
        {"<Primary><Alt>t", parseGnomeAccelerator, key("t", Ctrl | Alt)},
        {"<Super><Shift>Up", parseGnomeAccelerator, key("Up", Super | Shift)},
        {"<Control>F4", parseGnomeAccelerator, key("F4", Ctrl)},
        {"XF86AudioMute", parseGnomeAccelerator, key("XF86AudioMute", 0)},
        {"disabled", parseGnomeAccelerator, std::nullopt},
        {"", parseGnomeAccelerator, std::nullopt},
        {"<Super>", parseGnomeAccelerator, std::nullopt},
        {"<Hyper>a", parseGnomeAccelerator, std::nullopt},
        {"Meta+E", parseKdeShortcut, key("e", Super)},
        {"Ctrl+Alt+Del", parseKdeShortcut, key("Delete", Ctrl | Alt)},
        {"Shift+Print", parseKdeShortcut, key("Print", Shift)},
        {"Alt+F2", parseKdeShortcut, key("F2", Alt)},
        {"none", parseKdeShortcut, std::nullopt},
        {"C-A-Left", parseOpenboxKey, key("Left", Ctrl | Alt)},
        {"W-e", parseOpenboxKey, key("e", Super)},
        {"S-W-F1", parseOpenboxKey, key("F1", Shift | Super)},
        {"C-a b", parseOpenboxKey, key("a", Ctrl)},
        {"H-x", parseOpenboxKey, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.parse(c.text), c.expected) << c.text;
}

TEST(DesktopKeyBindingsTest, ConfigurationFilesAndListingsGiveEveryActiveBinding)
{
    const QString gsettings = "org.gnome.desktop.wm.keybindings close ['<Alt>F4']\n"
                              "org.gnome.desktop.wm.keybindings move-to-workspace-1 @as []\n"
                              "org.gnome.desktop.wm.keybindings switch-windows ['<Super>Tab', '<Alt>Tab']\n"
                              "org.gnome.settings-daemon.plugins.media-keys screensaver '<Super>l'\n"
                              "org.gnome.settings-daemon.plugins.media-keys logout ''\n";
    EXPECT_EQ(fromGsettingsListing(gsettings),
              (QList<KeyBinding>{{"F4", Alt}, {"Tab", Super}, {"Tab", Alt}, {"l", Super}}));

    const QString kde = "[kwin]\n_k_friendly_name=KWin\nShow Desktop=Meta+D,Meta+D,Peek at Desktop\n"
                        "Window Close=Alt+F4\tCtrl+Q,Alt+F4,Close Window\nExpose=none,Ctrl+F9,Toggle\n";
    EXPECT_EQ(fromKdeShortcuts(kde), (QList<KeyBinding>{{"d", Super}, {"F4", Alt}, {"q", Ctrl}}));

    const QByteArray rc = R"(<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc"><keyboard>
<chainQuitKey>C-g</chainQuitKey>
<keybind key="C-A-Left"><action name="GoToDesktop"><to>left</to></action></keybind>
<keybind key="W-e"><action name="Execute"><command>kfmclient</command></action></keybind>
</keyboard></openbox_config>)";
    EXPECT_EQ(fromOpenboxRc(rc), (QList<KeyBinding>{{"Left", Ctrl | Alt}, {"e", Super}}));
    EXPECT_TRUE(fromOpenboxRc("<not-xml").isEmpty());
}
