// Launchers: the key-combination word, records of every type, names,
// equality and deletion.
#include "EditorTestSupport.h"

#include "HotKeyCode.h"

namespace editor::test {
namespace {

TEST(HotKeyCodeTest, FromKeyEvent)
{
    struct Case {
        quint32 key, flags, code;
    } cases[] = {
        {12, 0x100000, 0x10000C},              // command-Q
        {12, 0x120000 | 0x10000, 0x13000C},    // with shift and caps lock
        {83, 0x200000, 0x200053},              // a numeric-pad key alone keeps its flag
        {122, 0x800000, 0x80007A},             // a function key alone keeps its flag
        {122, 0xA00000, 0xA0007A},             // numeric pad and function alone
        {122, 0x900000, 0x10007A},             // with command the function flag goes
        {123, 0xB00000, 0x30007B},             // shift-arrow: numeric pad kept, function dropped
        {0, 0x400000 | 0x100000, 0x100000},    // help is never kept
    };
    for (const Case& c : cases)
        EXPECT_EQ(HotKeyCode::fromKeyEvent(c.key, c.flags), c.code) << std::hex << c.key << " " << c.flags;
}

TEST(HotKeyCodeTest, MasksAndParts)
{
    EXPECT_TRUE(HotKeyCode::sameCombination(0x100000 + 12, 0x300000 + 12)) << "numeric pad does not count";
    EXPECT_TRUE(HotKeyCode::sameCombination(0x100000 + 12, 0x900000 + 12)) << "function does not count";
    EXPECT_FALSE(HotKeyCode::sameCombination(0x100000 + 12, 0x120000 + 12)) << "shift counts";
    EXPECT_FALSE(HotKeyCode::isAcceptedCombination(0x010000 + 12)) << "caps lock alone";
    EXPECT_TRUE(HotKeyCode::isAcceptedCombination(0x200000 + 83));
    EXPECT_EQ(HotKeyCode::modifierPart(0x14007F), 0x140000u);
    EXPECT_EQ(HotKeyCode::secondKeyCode(0x100000 + 12, 13), 0x10000Du);
    EXPECT_EQ(HotKeyCode::systemCheckPart(0xB100FF), 0x10007Fu) << "caps lock, numeric pad, function and bit 7 aside";
}

using LauncherTest = EditorTest;

TEST_F(LauncherTest, NewAndReadyMadeRecords)
{
    QVLauncher::setNextLauncherID(30);
    const QVariantMap key = QVLauncher::newDataForType(0);
    EXPECT_EQ(key.value("launcherID").toInt(), 30);
    EXPECT_EQ(key.value("launcherparams").toMap(),
              (QVariantMap{{"launcherkeycode", 0}, {"launcherkeyrelease", false}, {"launcherkeyrepeat", false}, {"launcherkeyrepeatdelay", 0.0}}));
    EXPECT_EQ(QVLauncher::newDataForType(1).value("launcherparams").toMap().value("launcherdatetime").toString(), "12:00:00");
    EXPECT_EQ(QVLauncher::newDataForType(5).value("launcherparams").toMap().value("launcherusbtype").toInt(), -1);
    EXPECT_TRUE(QVLauncher::newDataForType(7).value("launcherparams").toMap().isEmpty());

    const int counts[] = {1, 1, 1, 4, 2, 1, 3, 2};
    for (int type = 0; type < 8; ++type) {
        const QVariantList records = QVLauncher::datasForType(type);
        EXPECT_EQ(records.size(), counts[type]) << type;
        for (const QVariant& r : records)
            EXPECT_EQ(r.toMap().value("launcherID").toInt(), 0) << type;
    }
    EXPECT_TRUE(QVLauncher::datasForType(8).isEmpty());
    EXPECT_FALSE(QVLauncher::datasForType(5).first().toMap().value("launcherparams").toMap().contains("launcherusbmodifiers"));
    const quint32 before = QVLauncher::currentLauncherID();
    const QVariantMap fresh = QVLauncher::newDataWithDict(QVLauncher::datasForType(3).at(2).toMap());
    EXPECT_EQ(fresh.value("launcherID").toUInt(), before);
    EXPECT_EQ(fresh.value("launcherparams").toMap().value("launchersystemtype").toInt(), 2);
}

QVariantMap launcher(int type, const QVariantMap& params)
{
    return {{"launcherID", 1}, {"launchertype", type}, {"launcherparams", params}, {"launchereditorrect", "{{0, 0}, {0, 0}}"}};
}

TEST_F(LauncherTest, NamesOfEveryType)
{
    const QVariantMap wheel{{"launcherusbtype", 1}, {"launcherusbmodifiers", 0x120000}, {"launcherusbproductname", "Mouse"}};
    const auto withUsb = [&](QVariantMap params, const QVariantMap& usb) {
        params.insert("launcherusbparamsdict", usb);
        return params;
    };
    struct Case {
        int type;
        QVariantMap params;
        QString name;
    } cases[] = {
        {0, {{"launcherkeycode", 0x100000 + 17}}, "Ctrl+t (on press)"},
        {0, {{"launcherkeycode", 0x180000 + 17}, {"launcherkeyrelease", true}}, "Ctrl+Alt+t (on release)"},
        {0, {{"launcherkeycode", 0x100000 + 17}, {"launcherkeyrepeat", true}, {"launcherkeyrepeatdelay", 0.5}},
         "Ctrl+t (on press) (repeat every 0.5s)"},
        {0, {{"launcherkeycode", 0x100000 + 17}, {"launcherkeysecondcode", 0}}, "Ctrl+t a (on press)"},
        {0, {{"launcherkeycode", 0x200000 + 76}}, "(Num) Enter (on press)"},
        {1, {{"launcherdatetype", 0}, {"launcherdatetime", "08:30:00"}}, "Every day at 08:30:00"},
        {1, {{"launcherdatetype", 1}, {"launcherdatedays", QVariantList{1, 5}}, {"launcherdatetime", "09:00:00"}},
         "Every week (Monday, Friday) at 09:00:00"},
        {1, {{"launcherdatetype", 2}, {"launcherdatedays", QVariantList{1, 15}}, {"launcherdatetime", "12:00:00"}},
         "Every month (1, 15) at 12:00:00"},
        {2, {{"launcherapplicationtype", 1}, {"launcherapplicationapp", "org.zelktest.Missing"}}, "org.zelktest.Missing quits"},
        {3, {{"launchersystemtype", 2}}, "Wake"},
        {4, {{"launchercontexttype", 1}}, "Context active, every time"},
        {5, withUsb(wheel, {{"launcherusbwheelincrement", -2}}), "Ctrl+Shift+ Wheel -2 - Mouse"},
        {5, withUsb(wheel, {{"launcherusbwheelincrement", 0}}), "Ctrl+Shift+ Wheel -0 - Mouse"},
        {5, withUsb(wheel, {{"launcherusbwheelincrement", 3}}), "Ctrl+Shift+ Wheel +3 - Mouse"},
        {5, withUsb({{"launcherusbtype", 0}, {"launcherusbproductname", "Pad"}}, {{"launcherusbbuttonusage", 4}, {"launcherusbbuttonrelease", true}}),
         " Button 4 (on release) - Pad"},
        {5, {{"launcherusbtype", -1}}, "USB device (nothing chosen yet)"},
        {5, {{"launcherusbtype", 7}}, ""},
        {6, {{"launchercalendartype", 2}}, "Any changes events"},
        {6, {{"launchercalendartype", 0}, {"launcherapplicationapp", "org.zelktest.Cal"}}, "org.zelktest.Cal changes calendars"},
        {7, {{"launchernetworktype", 1}}, "Network lost"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QVLauncher::nameOfLauncherWithDict(launcher(c.type, c.params)), c.name) << c.name.toStdString();

    zelk::test::LogCapture log;
    EXPECT_EQ(QVLauncher::nameOfLauncherWithDict(launcher(9, {})), "");
    EXPECT_TRUE(log.contains("missing new launcher 9"));
}

TEST_F(LauncherTest, EqualityByType)
{
    const auto key = [](quint32 code, const QVariantMap& more = {}) {
        QVariantMap p{{"launcherkeycode", code}, {"launcherkeyrelease", false}};
        p.insert(more);
        return p;
    };
    const auto usb = [](int type, const QVariantMap& params) {
        return QVariantMap{{"launcherusbcookie", 9}, {"launcherusbvendorid", 1}, {"launcherusbproductid", 2}, {"launcherusbmodifiers", 0},
                           {"launcherusbtype", type}, {"launcherusbparamsdict", params}};
    };
    const auto wheel = [&](int step) { return usb(1, {{"launcherusbwheelincrement", step}}); };
    struct Case {
        int type;
        QVariantMap mine, other;
        bool equal;
        const char* what;
    } cases[] = {
        {0, key(0x100000 + 12), key(0x300000 + 12), true, "numeric pad bit"},
        {0, key(0x100000 + 12), key(0x120000 + 12), false, "shift bit"},
        {0, key(0x100000 + 12), key(0x100000 + 12, {{"launcherkeyrepeat", true}, {"launcherkeyrepeatdelay", 0.5}}), true, "repeat"},
        {0, key(0x100000 + 12), key(0x100000 + 12, {{"launcherkeysecondcode", 3}}), false, "second key"},
        {0, key(0x100000 + 12), key(0x100000 + 12, {{"launcherkeyrelease", true}}), false, "release"},
        {5, wheel(3), wheel(1), true, "wheel same direction"},
        {5, wheel(3), wheel(-1), false, "wheel other direction"},
        {5, wheel(0), wheel(-2), true, "wheel zero and down"},
        {5, usb(0, {{"launcherusbbuttonrelease", true}}), usb(0, {{"launcherusbbuttonrelease", true}}), true, "button"},
        {6, {{"launchercalendartype", 1}}, {{"launchercalendartype", 1}}, false, "calendar never"},
        {7, {{"launchernetworktype", 1}}, {{"launchernetworktype", 1}}, false, "network never"},
        {3, {{"launchersystemtype", 1}}, {{"launchersystemtype", 1}}, true, "system, whole dictionary"},
    };
    for (const Case& c : cases) {
        QVLauncher mine;
        ASSERT_TRUE(mine.initWithDictionaryInEditor(launcher(c.type, c.mine)));
        EXPECT_EQ(mine.isEqualLauncherType(c.type, c.other), c.equal) << c.what;
        EXPECT_FALSE(mine.isEqualLauncherType(c.type + 1, c.other)) << c.what << ": another type";
    }
}

TEST_F(LauncherTest, KeyCodesValidityAndEditing)
{
    QVLauncher* plain = addKeyLauncher(0x100000 + 12);
    EXPECT_EQ(plain->keycodeKeyEvent(), 0x100000 + 12);
    EXPECT_EQ(plain->secondKeycodeKeyEvent(), -1);
    QVariantMap params = plain->paramsDict();
    params.insert("launcherkeysecondcode", 13);
    plain->setParamsDict(params);
    EXPECT_EQ(plain->secondKeycodeKeyEvent(), 13);
    EXPECT_EQ(plain->nameValue(), "Ctrl+q w (on press)") << "the name follows the parameters";
    EXPECT_EQ(plain->dictValue().value("launcherparams").toMap(), params);

    QVLauncher* app = store->addLauncher(QVLauncher::newDataForType(2));
    EXPECT_FALSE(app->isValid()) << "no such application";
    QVLauncher* wake = store->addLauncher(QVLauncher::newDataWithDict(QVLauncher::datasForType(3).at(2).toMap()));
    auto window = std::make_shared<RecordingEditor>();
    wake->editInEditor(window);
    EXPECT_FALSE(wake->edit());
    EXPECT_TRUE(window->calls.isEmpty()) << "system events have nothing to edit";

    QVLauncher* usb = store->addLauncher(QVLauncher::newDataForType(5));
    usb->editInEditor(window);
    usb->windowDidBecomeKey();
    usb->windowDidResignKey();
    plain->editInEditor(window);
    plain->windowDidResignKey();
    EXPECT_EQ(window->calls, (QStringList{"displayWithLauncher", "windowDidBecomeKey", "windowDidResignKey", "displayWithLauncher"}));
}

TEST_F(LauncherTest, DeleteAsksWhenUsed)
{
    QVLauncher* used = addKeyLauncher(0x100000 + 1);
    QVShortcut* cut = addShortcut({}, {used->IDValue()});
    QVMenu* menu = addMenu({});
    menu->setLaunchersDictArray(launcherRefs({used->IDValue()}));
    EXPECT_FALSE(used->canDeleteWithMessage(false));
    answerAlerts({0});
    EXPECT_FALSE(used->canDeleteWithMessage(true));
    EXPECT_EQ(alerts.back().title, QString("The launcher “%1” is used 2 time(s).").arg(used->nameValue()));
    answerAlerts({1});
    store->delLaunchersID({used->IDValue()}, true, false);
    EXPECT_TRUE(cut->launchersDictArray().isEmpty());
    EXPECT_TRUE(menu->launchersDictArray().isEmpty());
    EXPECT_EQ(store->count(ObjectsFile::Launchers), 0);
}

} // namespace
} // namespace editor::test
