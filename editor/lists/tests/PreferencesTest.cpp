// The preferences window driven through its widgets: the round trip into
// the shared domain (a concurrent writer's key kept), the engine told, the
// login item switched in a temporary XDG_CONFIG_HOME, Cancel, the menu-bar
// boxes, the panes and the location picking.
#include "ListsTestSupport.h"
#include "LinuxServices.h"
#include "EditorCommand.h"
#include "ModelSupport.h"
#include "LocationPicker.h"
#include "ScreenGeometry.h"
#include "QVEPreferencesEditor.h"
#include "SharedUtilities.h"
#include "UserDefaults.h"

#include "Geometry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace editor;
using namespace editor::test;

namespace {

// The virtual desktop with the real XDG autostart login items.
class XdgLoginPlatform : public zelk::VirtualPlatform {
public:
    zelk::LoginItems& loginItems() override { return m_items; }

private:
    zelk::LinuxLoginItems m_items;
};

class PreferencesTest : public ListsTest {
protected:
    PreferencesTest()
    {
        m_observer = zelk::Platform::instance().distributedNotifications().addObserver(
            EditorCommand::Name, [this](const QString&, const QVariantMap& info) {
                commands << info.value("action").toString() + "=" + info.value("param0").toString();
            });
    }
    ~PreferencesTest() override
    {
        prefs().panel()->hide();
        m_observer.reset();
    }

    static QVEPreferencesEditor& prefs() { return QVEPreferencesEditor::sharedEditor(); }
    template <class T>
    static T* control(const char* name)
    {
        T* widget = prefs().panel()->findChild<T*>(QLatin1String(name));
        if (!widget) {
            for (int i = 0; i < 5 && !widget; ++i)
                widget = prefs().paneView(i)->findChild<T*>(QLatin1String(name));
        }
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    static void writeDomain(const QVariantMap& values)
    {
        zelk::UserDefaults other(zelk::UserDefaults::SharedDomain);
        ASSERT_TRUE(other.setPersistentDomain(values));
    }
    static QVariantMap domain()
    {
        zelk::UserDefaults other(zelk::UserDefaults::SharedDomain);
        return other.persistentDomain();
    }
    // Runs the window modally; inside runs while it is open.
    static void edit(const std::function<void()>& inside)
    {
        QTimer::singleShot(0, [inside] {
            inside();
            if (prefs().panel()->isVisible())
                prefs().abortPanel();
        });
        prefs().editPreferences();
    }
    static void ok() { control<QPushButton>("PEOKButton")->click(); }

    QStringList commands;

private:
    zelk::ObserverHandle m_observer;
};

TEST_F(PreferencesTest, OKStoresTheWindowAndKeepsAConcurrentWritersKeys)
{
    writeDomain({{"GECheckUpdate", true}, {"GEDaysSaveReport", 7}, {"MEMenuInBar", true}});
    prefs().loadPreferences();
    EXPECT_TRUE(QVMenu::defaults().inBar);
    // The engine writes while the window is open.
    edit([] {
        writeDomain({{"GECheckUpdate", true}, {"GEDaysSaveReport", 30}, {"MEMenuInBar", true}, {"EngineKey", 5}});
        control<QCheckBox>("PEGEReportEachItemCheck")->click();
        control<QCheckBox>("PEMEMenuShowComboCheck")->click();
        control<QLineEdit>("PEPAPaletteLocationXField")->setText("120");
        control<QLineEdit>("PEPAPaletteLocationYField")->setText("45");
        control<QLineEdit>("PEPAPaletteDeactivatedDelayField")->setText("1.5");
        ok();
    });
    const QVariantMap stored = domain();
    EXPECT_EQ(stored.value("EngineKey").toInt(), 5);
    EXPECT_EQ(stored.value("GEDaysSaveReport").toInt(), 30) << "a key the user left alone keeps the other writer's value";
    EXPECT_TRUE(stored.value("GEReportEachItem").toBool());
    EXPECT_TRUE(stored.value("MEMenuShowCombo").toBool());
    EXPECT_EQ(stored.value("PAPaletteLocation").toString(), zelk::stringFromPoint(QPointF(120, 45)));
    EXPECT_DOUBLE_EQ(stored.value("PAPaletteDeactivatedDelay").toDouble(), 1.5);
    // Missing keys become explicit.
    for (const char* key : {"ACSuggestNameNew", "CopyActions", "PAPaletteItemsType", "SCRunParameters"})
        EXPECT_TRUE(stored.contains(key)) << key;
    EXPECT_TRUE(QVMenu::defaults().showCombo);
    EXPECT_EQ(QVPalette::defaults().location, QPointF(120, 45));
    EXPECT_EQ(commands, (QStringList{"versioncheck=true", "reporteachitem=true", "palettedelay=1.5"}));
    // A single key written by the application leaves the others too.
    writeDomain({{"EngineKey", 6}, {"GEDaysSaveReport", 30}});
    prefs().setValueForKey(true, "GEHotkeyConflict");
    EXPECT_EQ(domain().value("EngineKey").toInt(), 6);
    EXPECT_TRUE(domain().value("GEHotkeyConflict").toBool());
}

TEST_F(PreferencesTest, CancelStoresNothingAndTheMenuBarBoxesFollowTheLoadedValue)
{
    writeDomain({{"MEMenuInBar", true}, {"MEMenuImageInBar", true}, {"SCRunParameters", QVariantMap{{"runrepeatnum", 2}}}});
    prefs().loadPreferences();
    edit([] {
        QCheckBox* inBar = control<QCheckBox>("PEMEMenuInBarCheck");
        inBar->click();
        EXPECT_FALSE(control<QCheckBox>("PEMEMenuImageInBarCheck")->isEnabled());
        EXPECT_FALSE(control<QCheckBox>("PEMEMenuImageInBarCheck")->isChecked());
        control<QPushButton>("PECancelButton")->click();
    });
    EXPECT_TRUE(domain().value("MEMenuInBar").toBool());
    EXPECT_EQ(domain().size(), 3);
    EXPECT_TRUE(commands.isEmpty());
    edit([] {
        EXPECT_TRUE(control<QCheckBox>("PEMEMenuInBarCheck")->isChecked());
        EXPECT_TRUE(control<QCheckBox>("PEMEMenuImageInBarCheck")->isEnabled());
        EXPECT_TRUE(control<QCheckBox>("PEMEMenuNameInBarCheck")->isEnabled());
        EXPECT_TRUE(control<QCheckBox>("PEMEMenuImageInBarCheck")->isChecked());
        EXPECT_EQ(prefs().lastRunParameters().value("runrepeatnum").toInt(), 2);
    });
    // The close box is a Cancel.
    edit([] {
        control<QCheckBox>("PEGECheckUpdateCheck")->click();
        prefs().panel()->close();
    });
    EXPECT_FALSE(domain().contains("GECheckUpdate"));
}

TEST_F(PreferencesTest, TheLoginItemIsSwitchedAndAFailedSwitchIsToldAndReadBack)
{
    auto previous = zelk::Platform::install(std::make_unique<XdgLoginPlatform>());
    const QString entry = zelk::LinuxLoginItems::entryPath(engine::SharedUtilities::HelperIdentifier);
    ASSERT_TRUE(entry.startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    prefs().loadPreferences();
    const auto switchBox = [] {
        edit([] {
            control<QCheckBox>("PEGELaunchStartupCheck")->click();
            ok();
        });
    };
    switchBox();
    EXPECT_TRUE(QFile::exists(entry));
    EXPECT_EQ(QVEPreferencesEditor::loginItemInstalledState(), 1);
    EXPECT_TRUE(alerts.empty());
    // A box that shows on and stays on switches nothing.
    QFile::remove(entry);
    QFile(entry).open(QIODevice::WriteOnly);
    edit([] { ok(); });
    EXPECT_EQ(QFile(entry).size(), 0);
    switchBox();
    EXPECT_FALSE(QFile::exists(entry));

    // The autostart folder cannot be made: the switch fails, the user is
    // told, and the box shows the state as it is.
    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart";
    QDir(folder).removeRecursively();
    QFile(folder).open(QIODevice::WriteOnly);
    switchBox();
    EXPECT_FALSE(QFile::exists(entry));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, loc("LoginItemFailed"));
    edit([] { EXPECT_EQ(control<QCheckBox>("PEGELaunchStartupCheck")->checkState(), Qt::Unchecked); });
    zelk::Platform::install(std::move(previous));
}

TEST_F(PreferencesTest, TheWindowOpensOnTheGeneralPaneAndTheFillerDoesNothing)
{
    prefs().displayPrefAtIndex(3);
    edit([] {
        EXPECT_EQ(prefs().selectedIndex(), 0);
        QVEPrefTableView* bar = prefs().prefsTable();
        const QPoint filler = bar->visualRect(bar->model()->index(0, 5)).center();
        QTest::mouseClick(bar->viewport(), Qt::LeftButton, {}, filler);
        EXPECT_EQ(prefs().selectedIndex(), 0);
        const QPoint palettes = bar->visualRect(bar->model()->index(0, 4)).center();
        const int top = prefs().panel()->frameGeometry().top();
        QTest::mouseClick(bar->viewport(), Qt::LeftButton, {}, palettes);
        EXPECT_EQ(prefs().selectedIndex(), 4);
        EXPECT_EQ(prefs().panel()->windowTitle(), loc("pref4"));
        EXPECT_EQ(prefs().panel()->frameGeometry().top(), top) << "the top edge stays";
        EXPECT_TRUE(prefs().paneView(4)->isVisible());
    });
}

TEST_F(PreferencesTest, PickingALocationWaitsForCtrlWithoutFreezingAndEscapeOrTimeOutCancel)
{
    prefs().loadPreferences();
    prefs().getPreferences();
    prefs().panel()->show();
    LocationPicker* picker = prefs().locationPicker();
    QLineEdit* x = control<QLineEdit>("PEPAPaletteLocationXField");
    QLineEdit* y = control<QLineEdit>("PEPAPaletteLocationYField");
    control<QComboBox>("PEPAPaletteLocationOriginButton")->setCurrentIndex(2);
    QPushButton* button = control<QPushButton>("PEPAPaletteLocationButton");

    // Cancel in the question: nothing starts.
    answerAlerts({0});
    button->click();
    EXPECT_FALSE(picker->isWaiting());

    // Escape cancels, the icon is put back.
    const qint64 before = QApplication::windowIcon().cacheKey();
    answerAlerts({1});
    button->click();
    ASSERT_TRUE(picker->isWaiting());
    EXPECT_NE(QApplication::windowIcon().cacheKey(), before) << "the icon blinks while waiting";
    QApplication::setActiveWindow(prefs().panel());
    QTest::keyClick(prefs().panel(), Qt::Key_Escape);
    EXPECT_FALSE(picker->isWaiting());
    EXPECT_EQ(QApplication::windowIcon().cacheKey(), before);
    EXPECT_TRUE(prefs().panel()->isVisible()) << "Escape ends the picking, not the window";

    // The window answers while waiting; Ctrl held anywhere takes the pointer.
    QCursor::setPos(200, 150);
    answerAlerts({1});
    button->click();
    ASSERT_TRUE(picker->isWaiting());
    x->setText("9");
    EXPECT_EQ(x->text(), "9");
    desktop().postKey(55, true);
    QTRY_VERIFY_WITH_TIMEOUT(!picker->isWaiting(), 5000);
    desktop().postKey(55, false);
    const QPointF expected = zelk::pointOnScreenForPointOnScreen(zelk::mousePoint(), 2);
    EXPECT_EQ(x->text(), QString::number(int(expected.x())));
    EXPECT_EQ(y->text(), QString::number(int(expected.y())));
    EXPECT_TRUE(button->isEnabled());

    // Nobody holds Ctrl: the time-out cancels.
    QSignalSpy cancelled(picker, &LocationPicker::cancelled);
    picker->setTimeout(50);
    answerAlerts({1});
    button->click();
    QTRY_COMPARE_WITH_TIMEOUT(cancelled.count(), 1, 5000);
    picker->setTimeout(60000);
}

} // namespace
