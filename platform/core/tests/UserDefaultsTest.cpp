#include "PropertyList.h"
#include "TestSupport.h"
#include "UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QPointF>

using namespace zelk;

namespace {

class UserDefaultsTest : public test::TempHomeTest {
protected:
    static void writeRaw(const QString& path, const QByteArray& data)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    static QByteArray readRaw(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(UserDefaultsTest, FilesLiveUnderTheConfigFolder)
{
    EXPECT_EQ(UserDefaults::folder(), home->configHome() + "/Zelk");
    EXPECT_EQ(UserDefaults::pathForDomain(UserDefaults::SharedDomain),
              home->configHome() + "/Zelk/org.zelk.Zelk.shared.plist");
    EXPECT_EQ(UserDefaults::shared().domain(), "org.zelk.Zelk.shared");
    EXPECT_FALSE(UserDefaults::standard().domain().isEmpty());
}

TEST_F(UserDefaultsTest, PersistentValueWinsOverRegisteredDefault)
{
    UserDefaults d("org.zelk.test");
    d.registerDefaults({{"Speed", 5}, {"Sound", true}});
    EXPECT_EQ(d.integerForKey("Speed"), 5);
    EXPECT_FALSE(d.contains("Speed"));

    ASSERT_TRUE(d.setValue("Speed", 9));
    EXPECT_EQ(d.integerForKey("Speed"), 9);
    EXPECT_TRUE(d.contains("Speed"));
    EXPECT_TRUE(d.boolForKey("Sound"));

    // Registered defaults are never written.
    const auto onDisk = plist::readFile(UserDefaults::pathForDomain("org.zelk.test"));
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(onDisk->toMap(), (QVariantMap{{"Speed", QVariant::fromValue<qint64>(9)}}));

    ASSERT_TRUE(d.removeValue("Speed"));
    EXPECT_EQ(d.integerForKey("Speed"), 5);
    EXPECT_FALSE(d.value("Missing").isValid());
}

TEST_F(UserDefaultsTest, AnotherInstanceReadsWhatWasWritten)
{
    UserDefaults writer("org.zelk.test");
    ASSERT_TRUE(writer.setValue("Name", "Zelk"));
    ASSERT_TRUE(writer.setValue("Window", QVariantMap{{"x", 1.5}}));

    UserDefaults reader("org.zelk.test");
    EXPECT_EQ(reader.stringForKey("Name"), "Zelk");
    EXPECT_EQ(reader.dictionaryForKey("Window").value("x").toDouble(), 1.5);

    ASSERT_TRUE(writer.setValue("Name", "Changed"));
    EXPECT_EQ(reader.stringForKey("Name"), "Zelk");
    reader.reload();
    EXPECT_EQ(reader.stringForKey("Name"), "Changed");
}

TEST_F(UserDefaultsTest, TypedLookUps)
{
    UserDefaults d("org.zelk.test");
    ASSERT_TRUE(d.setPersistentDomain({{"yes", "YES"}, {"no", "NO"}, {"one", 1}, {"real", 2.75}, {"text", "12"},
                                       {"flag", true}, {"map", QVariantMap{{"a", 1}}}}));
    struct Case {
        const char* key;
        bool b;
        qint64 i;
        double d;
        const char* s;
    } cases[] = {
        {"yes", true, 0, 0, "YES"},  {"no", false, 0, 0, "NO"},   {"one", true, 1, 1, "1"},
        {"real", true, 2, 2.75, "2.75"}, {"text", true, 12, 12, "12"}, {"flag", true, 1, 1, ""},
        {"map", false, 0, 0, ""},     {"missing", false, 0, 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(d.boolForKey(c.key), c.b) << c.key;
        EXPECT_EQ(d.integerForKey(c.key), c.i) << c.key;
        EXPECT_EQ(d.doubleForKey(c.key), c.d) << c.key;
        EXPECT_EQ(d.stringForKey(c.key), c.s) << c.key;
    }
    EXPECT_EQ(d.dictionaryForKey("map").value("a").toInt(), 1);
    EXPECT_TRUE(d.dictionaryForKey("one").isEmpty());
}

TEST_F(UserDefaultsTest, CorruptFileIsKeptAside)
{
    const QString path = UserDefaults::pathForDomain("org.zelk.test");
    const QByteArray garbage = "<plist><dict><key>half";
    writeRaw(path, garbage);

    UserDefaults d("org.zelk.test");
    EXPECT_TRUE(d.persistentDomain().isEmpty());
    EXPECT_EQ(readRaw(path), garbage) << "reading must not touch the file";

    ASSERT_TRUE(d.setValue("Key", "value"));
    EXPECT_EQ(readRaw(path + ".corrupt"), garbage);
    UserDefaults again("org.zelk.test");
    EXPECT_EQ(again.stringForKey("Key"), "value");

    // A second broken file does not replace the first one set aside.
    writeRaw(path, "junk");
    again.reload();
    ASSERT_TRUE(again.setValue("Key", "other"));
    EXPECT_EQ(readRaw(path + ".corrupt"), garbage);
    EXPECT_EQ(readRaw(path + ".corrupt.2"), "junk");
}

TEST_F(UserDefaultsTest, RefusedValueChangesNothing)
{
    UserDefaults d("org.zelk.test");
    ASSERT_TRUE(d.setValue("Key", 1));
    EXPECT_FALSE(d.setValue("Key", QVariant::fromValue(QPointF(1, 2))));
    EXPECT_EQ(d.integerForKey("Key"), 1);
    UserDefaults again("org.zelk.test");
    EXPECT_EQ(again.integerForKey("Key"), 1);
}

} // namespace
