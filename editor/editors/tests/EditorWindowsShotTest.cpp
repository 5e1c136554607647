// Each editor window filled and captured as an image for people to look
// at (never compared by pixels). Under the offscreen platform Qt renders
// them itself; the e2e label runs the same cases on Xvfb.
#include "ClassRegistry.h"
#include "EditorTestSupport.h"
#include "EditorWindowHost.h"
#include "QVEActionEditor.h"
#include "QVEActionsManager.h"
#include "QVEContextEditor.h"
#include "QVEContextsManager.h"
#include "QVELauncherEditor.h"
#include "QVELaunchersManager.h"
#include "QVERuleEditor.h"
#include "QVERunParamsEditor.h"
#include "QVEShortcutEditor.h"
#include "QVEShortcutsManager.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace editor::test {
namespace {

// Saves what the window shows; true when a non-empty image was written.
bool saveShot(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("ZELK_TEST_ARTEFACTS", QDir::tempPath());
    const QImage image = window->grab().toImage();
    return !image.isNull() && image.width() > 50 && image.height() > 50 && image.save(folder + "/" + name + ".png");
}

class EditorWindowsShotTest : public EditorTest {
protected:
    EditorWindowsShotTest() { registerObjectEditors(); }
};

TEST_F(EditorWindowsShotTest, ShortcutEditor)
{
    addAction(1, "Type the greeting");
    addAction(2, "Open the notes");
    QVLauncher* launcher = addKeyLauncher(0x100000 | 17);
    QVContext* context = addAppContext("/usr/share/applications/org.gnome.gedit.desktop");
    QVShortcut* shortcut = addShortcut({1, 2, 1}, {launcher->IDValue()}, {0, context->IDValue()});
    QVEShortcutsManager::sharedManager().editObjectsID({shortcut->IDValue()});
    auto* editor = dynamic_cast<QVEShortcutEditor*>(shortcut->editor());
    ASSERT_TRUE(editor);
    ASSERT_TRUE(editor->window()->isVisible());
    // Assistive tools meet it as a window, its controls inside it.
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(editor->window());
    ASSERT_TRUE(window);
    EXPECT_EQ(window->role(), QAccessible::Window);
    auto* inner = new QWidget(editor->window());
    EXPECT_NE(QAccessible::queryAccessibleInterface(inner)->role(), QAccessible::Window);
    delete inner;
    EXPECT_TRUE(saveShot(editor->window(), "shortcut-editor"));
    editor->abortEditing(nullptr);
}

TEST_F(EditorWindowsShotTest, ActionEditor)
{
    QString error;
    ASSERT_TRUE(zelk::ClassRegistry::shared().loadPlugin(
        zelk::test::appContents() + "/MacOS/Zelk Editor.app/Contents/PlugIns/ActionPanes.so", nullptr, &error))
        << error.toStdString();
    zelk::QVEAction* action = store->addAction({{"actionname", "Pause 2 s"},
                                                {"actionclass", "PauseShortcut"},
                                                {"actionID", qint64(1)},
                                                {"actiondata", QVariantMap{{"Action", 1}, {"Seconds", 2.0}}}});
    ASSERT_TRUE(action);
    addShortcut({1});
    addShortcut({1});
    QVEActionsManager::sharedManager().editActionsID({1});
    QWidget* window = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == "QVEActionEditorWindow" && top->isVisible())
            window = top;
    }
    ASSERT_TRUE(window);
    EXPECT_TRUE(saveShot(window, "action-editor"));
    action->closeEditor();
}

TEST_F(EditorWindowsShotTest, RunResultPanel)
{
    QVERunResultParamsEditor& panel = QVERunResultParamsEditor::sharedEditor();
    bool saved = false;
    QTimer::singleShot(0, panel.panel(), [&] {
        saved = saveShot(panel.panel(), "run-result-panel");
        panel.abortPanel();
    });
    panel.editRunResultParameters({{"runparams", QVariantMap{{"runrepeatnum", 3}, {"runrepeatpause", 0.5}}},
                                   {"resultparams", QVariantMap{{"resultfailing", 3}, {"resultdelay", 2.0}}}},
                                  "Type the greeting");
    EXPECT_TRUE(saved);
}

TEST_F(EditorWindowsShotTest, LauncherEditors)
{
    const struct {
        int type;
        QVariantMap params;
        const char* name;
    } launchers[] = {
        {0, {{"launcherkeycode", 0x100000 | 17}, {"launcherkeyrepeat", true}, {"launcherkeyrepeatdelay", 0.5}},
         "launcher-editor-key"},
        {1, {{"launcherdatetype", 1}, {"launcherdatedays", QVariantList{1, 3, 5}}}, "launcher-editor-date"},
        {2, {{"launcherapplicationapp", "gedit"}, {"launcherapplicationtype", 2}}, "launcher-editor-application"},
        {5, {}, "launcher-editor-usb"},
    };
    for (const auto& l : launchers) {
        QVariantMap record = QVLauncher::newDataForType(l.type);
        QVariantMap params = record.value("launcherparams").toMap();
        for (auto it = l.params.begin(); it != l.params.end(); ++it)
            params.insert(it.key(), it.value());
        record.insert("launcherparams", params);
        QVLauncher* launcher = store->addLauncher(record);
        ASSERT_TRUE(launcher);
        QVELaunchersManager::sharedManager().editLaunchersID({launcher->IDValue()});
        auto* editor = dynamic_cast<QVELauncherEditor*>(launcher->editor());
        ASSERT_TRUE(editor);
        EXPECT_TRUE(saveShot(editor->window(), l.name)) << l.name;
        editor->abortEditing(nullptr);
    }
}

TEST_F(EditorWindowsShotTest, ContextEditorAndRulePanel)
{
    QVContext* context = addAppContext("gedit");
    context->setRulesDictArray({QVERuleEditor::newRuleDataForType(0),
                                QVariantMap{{"ruletype", 1}, {"ruleactive", false},
                                            {"ruleparams", QVariantMap{{"ruleexcludekeycode", 0x100000 | 12}}}}});
    QVEContextsManager::sharedManager().editContextsID({context->IDValue()});
    auto* editor = dynamic_cast<QVEContextEditor*>(context->editor());
    ASSERT_TRUE(editor);
    EXPECT_TRUE(saveShot(editor->window(), "context-editor"));
    bool saved = false;
    QVERuleEditor& panel = QVERuleEditor::sharedEditor();
    QTimer::singleShot(0, panel.panel(), [&] {
        saved = saveShot(panel.panel(), "rule-panel");
        panel.abortPanel();
    });
    editor->editRuleAtIndex(1, false);
    EXPECT_TRUE(saved);
    editor->abortEditing(nullptr);
}

} // namespace
} // namespace editor::test
