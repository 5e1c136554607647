// The editor plug-in as the editor loads it: from the bundle, by its entry
// point; and records of types no plug-in registers.
#include "ActionPane.h"
#include "ActionTypeNames.h"
#include "PaneTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::test;

namespace {

TEST(ActionPanesPluginTest, LoadsFromTheBundleAndRegistersItsTypes)
{
    QStringList registered;
    QString error;
    ASSERT_TRUE(ClassRegistry::shared().loadPlugin(actionPanesPath(), &registered, &error)) << error.toStdString();
    // Another test of this program may have loaded it already: then the
    // load answers no names, and the registry still has them.
    for (const QString& name : registered)
        EXPECT_TRUE(isActionTypeName(name)) << name.toStdString();
    for (const QVEActionClass* built : editor::paneClasses()) {
        EXPECT_EQ(ClassRegistry::shared().classNamed(built->className()), built) << built->className().toStdString();
        if (!registered.isEmpty()) {
            EXPECT_TRUE(registered.contains(built->className())) << built->className().toStdString();
        }
    }

    auto* cls = ClassRegistry::shared().lookup<QVEActionClass>("ApplicationShortcut");
    ASSERT_NE(cls, nullptr);
    EXPECT_TRUE(cls->bundle().bundlePath().endsWith("/PlugIns/ActionPanes")) << cls->bundle().bundlePath().toStdString();
    EXPECT_EQ(cls->bundle().objectForInfoDictionaryKey("NSPrincipalClass").toString(), "ApplicationShortcut");
    // The types' shared texts come from the plug-in's own fallback table.
    EXPECT_NE(cls->localizedStr("FonctionNonValide"), "FonctionNonValide");
}

TEST(ActionPanesPluginTest, RecordOfAnUnknownTypeIsKeptAndReported)
{
    ASSERT_TRUE(ClassRegistry::shared().loadPlugin(actionPanesPath()));
    // A record from a later version, of a type no plug-in here registers.
    const QString missing = QStringLiteral("HologramShortcut");
    ASSERT_FALSE(ClassRegistry::shared().classNamed(missing));
    FakeEditorApplication app;
    QVEAction::setApplicationObject(&app);
    const QVariantMap data{{"Action", 3}, {"Steps", QVariantList{1, 2}}};
    const QVariantMap record{{"actionname", "Drag"}, {"actionclass", missing}, {"actionID", qint64(77)},
                             {"actiondata", data}};
    const auto action = QVEAction::actionWithRecord(record);
    QVEAction::setApplicationObject(nullptr);
    ASSERT_TRUE(action);
    EXPECT_EQ(action->actionClass().className(), "QVEAction");
    EXPECT_EQ(app.missing, QStringList{missing});
    EXPECT_EQ(action->dictValue().value("actiondata").toMap(), data);
    EXPECT_EQ(action->dictValue().value("actionclass").toString(), missing);
}

} // namespace
