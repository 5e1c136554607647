#include "ClassRegistry.h"
#include "NotificationCenter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zelk;

namespace {

class Named : public ClassObject {
public:
    explicit Named(QString name) : m_name(std::move(name)) {}
    QString className() const override { return m_name; }

private:
    QString m_name;
};

TEST(ClassRegistry, RegistersAndLooksUpByName)
{
    ClassRegistry registry;
    Named a("QVTypeAction"), b("QVClickAction"), replacement("QVTypeAction");
    registry.registerClass(&a);
    registry.registerClass(&b);
    registry.registerClass(nullptr);
    EXPECT_EQ(registry.classNamed("QVTypeAction"), &a);
    EXPECT_EQ(registry.lookup<Named>("QVClickAction"), &b);
    EXPECT_EQ(registry.classNamed("Nothing"), nullptr);
    EXPECT_EQ(registry.classNames(), (QStringList{"QVClickAction", "QVTypeAction"}));

    registry.registerClass(&replacement);
    EXPECT_EQ(registry.classNamed("QVTypeAction"), &replacement);
    registry.unregisterClass("QVTypeAction");
    EXPECT_EQ(registry.classNamed("QVTypeAction"), nullptr);
    EXPECT_FALSE(a.bundle().isValid()) << "classes registered outside a plug-in load get no bundle";
}

// Each test loads its own copy, so a fresh registry sees a fresh load.
class PluginTest : public ::testing::Test {
protected:
    QString copy(const char* built, const QString& name)
    {
        const QString to = dir.filePath(name);
        EXPECT_TRUE(QFile::copy(QString::fromUtf8(built), to)) << built;
        return to;
    }
    QTemporaryDir dir;
    ClassRegistry registry;
};

TEST_F(PluginTest, LoadsAPlugInAndAnnouncesIt)
{
    const QString path = copy(ZELK_TEST_PLUGIN, "libTestActions.so");
    QVariantMap announced;
    const void* sender = nullptr;
    auto h = NotificationCenter::defaultCenter().addObserver(
        ClassRegistry::BundleDidLoadNotification, nullptr, [&](const Notification& n) {
            announced = n.userInfo;
            sender = n.sender;
        });

    QStringList registered;
    QString error;
    ASSERT_TRUE(registry.loadPlugin(path, &registered, &error)) << qPrintable(error);
    EXPECT_EQ(registered, (QStringList{"TestPluginAction", "TestPluginPlacedAction"}));

    ClassObject* cls = registry.classNamed("TestPluginAction");
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->superclassName(), "QVAction");
    EXPECT_EQ(cls->bundle().bundlePath(), dir.filePath("TestActions"));
    EXPECT_EQ(cls->bundle().executablePath(), QFileInfo(path).canonicalFilePath());
    EXPECT_EQ(registry.classNamed("TestPluginPlacedAction")->bundle().bundlePath(), "/elsewhere/Placed");

    EXPECT_EQ(sender, &registry);
    EXPECT_EQ(announced.value("bundlePath").toString(), dir.filePath("TestActions"));
    EXPECT_EQ(announced.value("NSLoadedClasses").toStringList(), registered);

    // A second load of the same file does nothing.
    announced.clear();
    EXPECT_TRUE(registry.loadPlugin(path, &registered, &error));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_TRUE(announced.isEmpty());
}

TEST_F(PluginTest, FailuresSayWhy)
{
    struct Case {
        const char* name;
        QString path;
        const char* reason;
    } cases[] = {
        {"missing file", dir.filePath("Missing.so"), "no such file"},
        {"not a shared object", dir.filePath("Text.so"), ""},
        {"no entry point", copy(ZELK_NO_ENTRY_PLUGIN, "NoEntry.so"), "zelkRegisterClasses"},
    };
    QFile text(dir.filePath("Text.so"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not an ELF file");
    text.close();
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(registry.loadPlugin(c.path, nullptr, &error)) << c.name;
        EXPECT_TRUE(error.contains(QFileInfo(c.path).fileName())) << c.name << ": " << qPrintable(error);
        EXPECT_TRUE(error.contains(c.reason)) << c.name << ": " << qPrintable(error);
    }
}

TEST_F(PluginTest, PlugInWithoutClassesStillLoads)
{
    QStringList registered{"stale"};
    QString error;
    EXPECT_TRUE(registry.loadPlugin(copy(ZELK_EMPTY_PLUGIN, "Empty.so"), &registered, &error)) << qPrintable(error);
    EXPECT_TRUE(registered.isEmpty());
}

TEST_F(PluginTest, LoadsAFolderInNameOrder)
{
    copy(ZELK_TEST_PLUGIN, "B.so");
    copy(ZELK_NO_ENTRY_PLUGIN, "A.so");
    copy(ZELK_EMPTY_PLUGIN, "C.so");
    copy(ZELK_NO_ENTRY_PLUGIN, "notes.txt"); // not a .so: skipped

    QStringList loadedBundles;
    auto h = NotificationCenter::defaultCenter().addObserver(
        ClassRegistry::BundleDidLoadNotification, &registry,
        [&](const Notification& n) { loadedBundles << QFileInfo(n.userInfo.value("bundlePath").toString()).fileName(); });

    EXPECT_EQ(registry.loadPluginsInFolder(dir.path()), QStringList{dir.filePath("A.so")});
    EXPECT_EQ(loadedBundles, (QStringList{"B", "C"}));
    EXPECT_NE(registry.classNamed("TestPluginAction"), nullptr);
    EXPECT_TRUE(registry.loadPluginsInFolder(dir.filePath("missing")).isEmpty());
}

} // namespace
