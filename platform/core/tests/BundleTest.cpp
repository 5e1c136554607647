#include "Bundle.h"
#include "PropertyList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zelk;

namespace {

// A fake installation in a temporary folder:
//   Fake.app/Contents/{Info.plist, MacOS/Fake, Resources/..., Frameworks/..., PlugIns/...}
class BundleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app = root.path() + "/Fake.app";
        contents = app + "/Contents";
        writePlist(contents + "/Info.plist", {{"CFBundleIdentifier", "org.zelk.Fake"},
                                             {"CFBundleShortVersionString", "1.2"},
                                             {"CFBundleExecutable", "FakeExe"}});
        write(contents + "/MacOS/FakeExe", "");
        write(contents + "/Resources/Icon.png", "png");
        write(contents + "/Resources/Both.png", "png");
        write(contents + "/Resources/Both.tiff", "tiff");
        write(contents + "/Resources/en.lproj/Help.txt", "help");
        write(contents + "/Resources/en.lproj/Icon.png", "localised png");
        write(contents + "/Resources/en.lproj/Localizable.strings", "\"Hello\" = \"Hi there\";\n\"Blank\" = \"\";");
        write(contents + "/Resources/en.lproj/Menus.strings", "\"Open\" = \"Open…\";");
        write(contents + "/Resources/Menus.strings", "\"Open\" = \"unused: en.lproj comes first\";");
        write(contents + "/Resources/Alerts.strings", "\"Quit\" = \"Quit now?\";");
        write(contents + "/Frameworks/libQVAction.so", "");
        writePlist(contents + "/Frameworks/QVAction/Info.plist", {{"CFBundleIdentifier", "org.zelk.QVAction"}});
        write(contents + "/Frameworks/QVAction/Resources/en.lproj/Localizable.strings", "\"Hello\" = \"Hi from QVAction\";");
        write(contents + "/PlugIns/ActionRunners.so", "");
        write(contents + "/MacOS/Inner.app/Contents/MacOS/Inner", "");
    }

    static void write(const QString& path, const QByteArray& data)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << qPrintable(path);
        f.write(data);
    }
    static void writePlist(const QString& path, const QVariantMap& value)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        ASSERT_TRUE(plist::writeFile(path, value));
    }

    QTemporaryDir root;
    QString app, contents;
};

TEST_F(BundleTest, ApplicationBundle)
{
    const Bundle b = Bundle::atPath(app);
    ASSERT_TRUE(b.isValid());
    EXPECT_EQ(b.bundlePath(), app);
    EXPECT_EQ(b.contentsPath(), contents);
    EXPECT_EQ(b.identifier(), "org.zelk.Fake");
    EXPECT_EQ(b.version(), "1.2");
    EXPECT_EQ(b.objectForInfoDictionaryKey("CFBundleExecutable").toString(), "FakeExe");
    EXPECT_EQ(b.infoDictionary().size(), 3);
    EXPECT_EQ(b.executablePath(), contents + "/MacOS/FakeExe");
    EXPECT_EQ(b.resourcePath(), contents + "/Resources");
    EXPECT_EQ(b.frameworksPath(), contents + "/Frameworks");
    EXPECT_EQ(b.builtInPlugInsPath(), contents + "/PlugIns");
    EXPECT_EQ(b, Bundle::atPath(app + "/"));

    EXPECT_FALSE(Bundle::atPath(root.path() + "/Missing.app").isValid());
    EXPECT_FALSE(Bundle::atPath(QString()).isValid());
    EXPECT_EQ(Bundle().identifier(), QString());
    EXPECT_EQ(Bundle().pathForResource("Icon.png"), QString());
}

TEST_F(BundleTest, ResourceLookUp)
{
    const Bundle b = Bundle::atPath(app);
    const QString res = contents + "/Resources";
    struct Case {
        const char* name;
        const char* type;
        QString expected;
    } cases[] = {
        {"Icon.png", "", res + "/Icon.png"},
        {"Icon", "png", res + "/Icon.png"},
        {"Icon", ".png", res + "/Icon.png"},
        {"Help", "txt", res + "/en.lproj/Help.txt"},
        {"Icon", "tiff", res + "/Icon.png"},
        {"Icon.TIFF", "", res + "/Icon.png"},
        {"Both", "tiff", res + "/Both.tiff"},
        {"Missing", "png", QString()},
        {"Help", "tiff", QString()},
        {"", "", QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(b.pathForResource(c.name, c.type), c.expected) << c.name << " " << c.type;
}

TEST_F(BundleTest, LocalizedStringFallBacks)
{
    const Bundle b = Bundle::atPath(app);
    struct Case {
        const char* key;
        const char* value;
        const char* table;
        const char* expected;
    } cases[] = {
        {"Hello", "", "", "Hi there"},
        {"Hello", "ignored", "Localizable", "Hi there"},
        {"Blank", "fallback", "", ""},
        {"Missing", "Fallback", "", "Fallback"},
        {"Missing", "", "", "Missing"},
        {"Open", "", "Menus", "Open…"},
        {"Quit", "", "Alerts", "Quit now?"},
        {"Hello", "", "NoSuchTable", "Hello"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(b.localizedString(c.key, QString::fromUtf8(c.value), c.table), QString::fromUtf8(c.expected))
            << c.key << " / " << c.table;
    }
    EXPECT_TRUE(b.hasLocalizedString("Hello"));
    EXPECT_FALSE(b.hasLocalizedString("Missing"));
    EXPECT_EQ(Bundle().localizedString("Key", "Value"), "Value");
    EXPECT_EQ(Bundle().localizedString("Key"), "Key");
}

TEST_F(BundleTest, SharedObjectBundles)
{
    const Bundle framework = Bundle::forLibrary(contents + "/Frameworks/libQVAction.so");
    ASSERT_TRUE(framework.isValid());
    EXPECT_EQ(framework.bundlePath(), contents + "/Frameworks/QVAction");
    EXPECT_EQ(framework.contentsPath(), framework.bundlePath());
    EXPECT_EQ(framework.identifier(), "org.zelk.QVAction");
    EXPECT_EQ(framework.executablePath(), contents + "/Frameworks/libQVAction.so");
    EXPECT_EQ(framework.localizedString("Hello"), "Hi from QVAction");
    EXPECT_EQ(Bundle::atPath(contents + "/Frameworks/QVAction").executablePath(), contents + "/Frameworks/libQVAction.so");

    // No folder beside it: still a bundle, with nothing in it.
    const Bundle plugin = Bundle::forLibrary(contents + "/PlugIns/ActionRunners.so");
    ASSERT_TRUE(plugin.isValid());
    EXPECT_EQ(plugin.bundlePath(), contents + "/PlugIns/ActionRunners");
    EXPECT_TRUE(plugin.infoDictionary().isEmpty());
    EXPECT_EQ(plugin.pathForResource("Icon.png"), QString());
    EXPECT_EQ(plugin.localizedString("Hello"), "Hello");

    EXPECT_FALSE(Bundle::forLibrary(QString()).isValid());
}

TEST_F(BundleTest, EnclosingAndMain)
{
    EXPECT_EQ(Bundle::enclosing(contents + "/MacOS/FakeExe").bundlePath(), app);
    EXPECT_EQ(Bundle::enclosing(contents + "/MacOS/Inner.app").bundlePath(), app) << "the path itself is excluded";
    EXPECT_EQ(Bundle::enclosing(contents + "/MacOS/Inner.app/Contents/MacOS/Inner").bundlePath(),
              contents + "/MacOS/Inner.app");
    EXPECT_FALSE(Bundle::enclosing(root.path() + "/elsewhere/file").isValid());

    qputenv("ZELK_MAIN_BUNDLE", app.toLocal8Bit());
    EXPECT_EQ(Bundle::main().identifier(), "org.zelk.Fake");
    qunsetenv("ZELK_MAIN_BUNDLE");
    // The test program is not inside a .app.
    EXPECT_FALSE(Bundle::main().isValid());
}

void functionInTheTestProgram() {}

TEST(BundleForAddress, FindsTheSharedObject)
{
    const Bundle platform = Bundle::forAddress(reinterpret_cast<const void*>(&Bundle::forLibrary));
    ASSERT_TRUE(platform.isValid());
    EXPECT_TRUE(platform.bundlePath().endsWith("/Libraries/ZelkPlatform")) << qPrintable(platform.bundlePath());
    EXPECT_TRUE(platform.executablePath().endsWith("/libZelkPlatform.so")) << qPrintable(platform.executablePath());

    // The program itself, which no .app holds.
    EXPECT_FALSE(Bundle::forAddress(reinterpret_cast<const void*>(&functionInTheTestProgram)).isValid());
    EXPECT_FALSE(Bundle::forAddress(nullptr).isValid());
}

} // namespace
