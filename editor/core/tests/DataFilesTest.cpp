// The data folder: the six files read and written back with the same
// meaning, the ID counters, damaged files, the saved-list filters, the
// commands to the engine and the login item.
#include "EditorTestSupport.h"

#include "EditorCommand.h"
#include "LinuxServices.h"
#include "ObjectsFile.h"
#include "PropertyList.h"
#include "SharedUtilities.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace editor::test {
namespace {

class DataFilesTest : public EditorTest {
protected:
    DataFilesTest()
    {
        store.reset();
        resetCounters();
        store = std::make_unique<ObjectStore>();
        folder = home->dataHome() + "/Zelk";
        QDir().mkpath(folder);
    }

    void copyFixture(const QString& name)
    {
        const QDir from(fixture(name));
        for (const QString& file : from.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(from.filePath(file), folder + "/" + file)) << file.toStdString();
    }

    static QVariant readPlist(const QString& path)
    {
        QString error;
        const std::optional<QVariant> value = zelk::plist::readFile(path, &error);
        EXPECT_TRUE(value.has_value()) << error.toStdString();
        return value.value_or(QVariant());
    }

    QString folder;
};

TEST_F(DataFilesTest, TheFolderAndTheFilesInTheirOrder)
{
    EXPECT_EQ(ObjectsFile::objectsFolder(), folder);
    QStringList names, keys;
    for (ObjectsFile::Kind kind : ObjectsFile::order()) {
        names << ObjectsFile::fileName(kind);
        keys << ObjectsFile::arrayKey(kind);
    }
    EXPECT_EQ(names, (QStringList{"Actions.plist", "Contexts.plist", "Launchers.plist", "Shortcuts.plist", "Menus.plist", "Palettes.plist"}));
    EXPECT_EQ(keys, (QStringList{"actionsarray", "contextsarray", "launchersarray", "shortcutsarray", "menusarray", "palettesarray"}));
}

TEST_F(DataFilesTest, HandWrittenFilesLoadAndSaveBackWithTheSameMeaning)
{
    copyFixture("sample");
    QString error;
    ASSERT_TRUE(store->load(folder, &error)) << error.toStdString();
    EXPECT_EQ(store->count(ObjectsFile::Actions), 2);
    EXPECT_EQ(store->count(ObjectsFile::Menus), 2);
    EXPECT_EQ(QVLauncher::currentLauncherID(), 3000000000u) << "an unsigned nextID past the signed range";
    EXPECT_EQ(QVShortcut::currentShortcutID(), 40u);
    // Links made while loading: the submenu stored after its parent too.
    EXPECT_EQ(store->menuWithID(4)->linkedObjects(), QList<zelk::QVEMainObject*>{store->menuWithID(1)});
    EXPECT_EQ(store->actionWithID(11)->linkedObjects().size(), 2);
    EXPECT_EQ(store->launcherWithID(7)->nameValue(), "Ctrl+Alt+t (on press)");

    const QString out = home->path() + "/out";
    QDir().mkpath(out);
    ASSERT_TRUE(store->save(out, &error)) << error.toStdString();
    for (ObjectsFile::Kind kind : ObjectsFile::order()) {
        const QString name = ObjectsFile::fileName(kind);
        EXPECT_EQ(readPlist(out + "/" + name), readPlist(fixture("sample/" + name))) << name.toStdString();
    }
    // Dates and data survive as such.
    const QVariantMap data = readPlist(out + "/Actions.plist").toMap().value("actionsarray").toList().first().toMap().value("actiondata").toMap();
    EXPECT_EQ(data.value("Date").metaType().id(), QMetaType::QDateTime);
    EXPECT_EQ(data.value("Sample").toByteArray(), QByteArray("\x00\x01\x02\xff", 4));
}

TEST_F(DataFilesTest, RepairsOnLoadAsTheExpectedFilesShow)
{
    copyFixture("repair");
    zelk::test::LogCapture log;
    ASSERT_TRUE(store->load(folder));
    ASSERT_NE(store->contextWithID(0), nullptr) << "no contexts file: the universal context";
    EXPECT_EQ(store->contextWithID(0)->nameValue(), "Everywhere");
    ASSERT_TRUE(store->save(folder));
    for (ObjectsFile::Kind kind : ObjectsFile::order()) {
        const QString name = ObjectsFile::fileName(kind);
        EXPECT_EQ(readPlist(folder + "/" + name), readPlist(fixture("repair.expected/" + name))) << name.toStdString();
    }
}

TEST_F(DataFilesTest, NextIDIsTheFirstUnusedOne)
{
    struct Case {
        qint64 nextID;
        QList<qint64> ids;
        quint32 next;
    } cases[] = {{40, {3, 39}, 40}, {10, {3, 39}, 40}, {100, {}, 100}, {-1, {2}, 3}};
    for (const Case& c : cases) {
        store.reset();
        resetCounters();
        store = std::make_unique<ObjectStore>();
        QVariantList records;
        for (qint64 id : c.ids) {
            QVariantMap record = QVShortcut::newData();
            record.insert("cutID", id);
            records << record;
        }
        resetCounters();
        ASSERT_TRUE(zelk::plist::writeFile(folder + "/Shortcuts.plist", QVariantMap{{"nextID", c.nextID}, {"shortcutsarray", records}}));
        ASSERT_TRUE(store->load(folder));
        EXPECT_EQ(QVShortcut::newData().value("cutID").toUInt(), c.next) << c.nextID;
    }
}

TEST_F(DataFilesTest, ADamagedFileIsReportedAndLeftAlone)
{
    copyFixture("damaged");
    const QByteArray damaged = [&] {
        QFile f(folder + "/Launchers.plist");
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    QString error;
    EXPECT_FALSE(store->load(folder, &error));
    EXPECT_TRUE(error.contains("Launchers.plist")) << error.toStdString();
    EXPECT_EQ(store->count(ObjectsFile::Launchers), 0);
    EXPECT_EQ(store->count(ObjectsFile::Shortcuts), 2) << "the other files still load";

    EXPECT_FALSE(store->save(folder, &error));
    QFile f(folder + "/Launchers.plist");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), damaged) << "not overwritten with an empty list";
    // The users keep their references to the launchers that could not load.
    EXPECT_EQ(readPlist(folder + "/Shortcuts.plist"), readPlist(fixture("sample/Shortcuts.plist")));
}

TEST_F(DataFilesTest, WrongShapesAreDamagedNotEmpty)
{
    struct Case {
        const char* text;
        ObjectsFile::Status status;
    } cases[] = {
        {"<plist><array/></plist>", ObjectsFile::Status::Damaged},
        {"<plist><dict><key>nextID</key><integer>1</integer><key>menusarray</key><string>x</string></dict></plist>",
         ObjectsFile::Status::Damaged},
        {"<plist><dict><key>nextID</key><string>7</string></dict></plist>", ObjectsFile::Status::Read},
        {"", ObjectsFile::Status::Damaged},
    };
    const QString path = folder + "/Menus.plist";
    for (const Case& c : cases) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.text);
        f.close();
        ObjectsFile::Contents contents;
        EXPECT_EQ(ObjectsFile::read(path, ObjectsFile::Menus, &contents), c.status) << c.text;
        EXPECT_TRUE(contents.records.isEmpty());
    }
    QFile::remove(path);
    ObjectsFile::Contents contents;
    EXPECT_EQ(ObjectsFile::read(path, ObjectsFile::Menus, &contents), ObjectsFile::Status::Missing);
}

TEST_F(DataFilesTest, EveryKindRoundTripsThroughTheFiles)
{
    resetCounters();
    store.reset();
    store = std::make_unique<ObjectStore>();
    store->addContext(QVContext::newDataForType(0));
    QVContext* app = addAppContext("org.zelktest.Missing", 4);
    app->setRulesDictArray({QVariantMap{{"ruletype", 1}, {"ruleactive", false}, {"ruleparams", QVariantMap{{"ruleexcludekeycode", 0x100000 + 3}}}}});
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::darkCyan);
    app->setImageValue(icon);
    addAction(0, "First");
    for (int type = 0; type < 8; ++type) {
        for (const QVariant& ready : QVLauncher::datasForType(type))
            store->addLauncher(QVLauncher::newDataWithDict(ready.toMap()));
    }
    QVShortcut* cut = addShortcut({0, 0}, {0, 3}, {0, app->IDValue()});
    cut->setImageValue(icon);
    cut->setEditorRect({5, 6, 7, 8});
    QVMenu* sub = addMenu({menuItem(2, 0)}, {});
    QVMenu* menu = addMenu({menuItem(1, cut->IDValue()), menuItem(0, 0, "Label"), menuItem(3, sub->IDValue())});
    menu->setImageValue(icon);
    QVPalette* palette = addPalette({paletteItem(1, cut->IDValue()), paletteItem(2, 0)});
    palette->setLocation({3.5, 4});

    ASSERT_TRUE(store->save(folder));
    QList<QVariantList> before;
    for (ObjectsFile::Kind kind : ObjectsFile::order())
        before << store->savedList(kind);
    const quint32 nextLauncher = QVLauncher::currentLauncherID();

    ObjectStore reread;
    ObjectDirectory::setShared(&reread);
    resetCounters();
    ASSERT_TRUE(reread.load(folder));
    int i = 0;
    for (ObjectsFile::Kind kind : ObjectsFile::order())
        EXPECT_EQ(reread.savedList(kind), before[i++]) << ObjectsFile::fileName(kind);
    EXPECT_EQ(QVLauncher::currentLauncherID(), nextLauncher);
    ObjectDirectory::setShared(store.get());
}

TEST_F(DataFilesTest, SavedListFilters)
{
    QVShortcut* lonely = addShortcut({}, {}, {});
    QVShortcut* inMenu = addShortcut({}, {}, {});
    QVMenu* noContext = addMenu({menuItem(1, inMenu->IDValue())}, {});
    QVMenu* sub = addMenu({}, {});
    addMenu({menuItem(3, sub->IDValue())});
    QVPalette* hidden = addPalette({}, {});
    const auto ids = [](const QVariantList& records, const char* key) {
        QList<quint32> out;
        for (const QVariant& r : records)
            out << r.toMap().value(key).toUInt();
        return out;
    };
    EXPECT_FALSE(ids(store->shortcutsDictArray(), "cutID").contains(lonely->IDValue()));
    EXPECT_TRUE(ids(store->shortcutsDictArray(), "cutID").contains(inMenu->IDValue()));
    EXPECT_FALSE(ids(store->menusDictArray(), "menuID").contains(noContext->IDValue()));
    EXPECT_TRUE(ids(store->menusDictArray(), "menuID").contains(sub->IDValue()));
    EXPECT_FALSE(ids(store->palettesDictArray(), "paletteID").contains(hidden->IDValue()));
}

// --- Commands to the engine --------------------------------------------------------------------

TEST_F(DataFilesTest, EditorCommands)
{
    QList<QVariantMap> sent;
    auto observer = desktop().addObserver("QVEditorNotification", [&](const QString&, const QVariantMap& info) { sent << info; });
    EditorCommand::post(EditorCommand::UpdateObjects);
    QVUtility::sharedUtility().deactivateKeyCombo();
    QVUtility::sharedUtility().activateKeyCombo();
    EditorCommand::post(EditorCommand::PaletteDelay, 1.5);
    EditorCommand::post(EditorCommand::VersionCheck, true);
    ASSERT_EQ(sent.size(), 5);
    EXPECT_EQ(sent[0], (QVariantMap{{"action", "updateobjects"}})) << "no param0";
    EXPECT_EQ(sent[1], (QVariantMap{{"action", "deactivatekeycombo"}, {"param0", true}}));
    EXPECT_EQ(sent[1].value("param0").metaType().id(), QMetaType::Bool);
    EXPECT_EQ(sent[2].value("param0"), QVariant(false));
    EXPECT_EQ(sent[3].value("param0").metaType().id(), QMetaType::Double);
    EXPECT_EQ(sent[4].value("action").toString(), "versioncheck");
}

TEST_F(DataFilesTest, KeyCapturesAreCountedSoTheFirstToEndLeavesHotKeysOff)
{
    QList<QVariant> switches;
    auto observer = desktop().addObserver("QVEditorNotification", [&](const QString&, const QVariantMap& info) {
        if (info.value("action") == "deactivatekeycombo")
            switches << info.value("param0");
    });
    QVUtility& utility = QVUtility::sharedUtility();
    utility.deactivateKeyCombo(); // two capturing windows
    utility.deactivateKeyCombo();
    utility.activateKeyCombo(); // the first closes: still capturing
    EXPECT_EQ(switches, QList<QVariant>({true}));
    utility.activateKeyCombo();
    EXPECT_EQ(switches, QList<QVariant>({true, false}));
    zelk::test::LogCapture log;
    utility.activateKeyCombo(); // one end too many is not a capture of its own
    utility.deactivateKeyCombo();
    EXPECT_EQ(switches, QList<QVariant>({true, false, true}));
    EXPECT_TRUE(log.contains("no capture to end"));
    utility.activateKeyCombo();
    EXPECT_EQ(utility.keyCaptureCount(), 0);
}

// --- Login item ------------------------------------------------------------------------------------

// The virtual desktop with the real autostart folder behind its login items.
class AutostartPlatform : public zelk::VirtualPlatform {
public:
    zelk::LoginItems& loginItems() override { return m_items; }

private:
    zelk::LinuxLoginItems m_items;
};

TEST_F(DataFilesTest, LoginItemWritesAndRemovesTheAutostartEntry)
{
    auto previous = zelk::Platform::install(std::make_unique<AutostartPlatform>());
    const QString entry = home->configHome() + "/autostart/org.zelk.Zelk.helper.desktop";
    zelk::test::LogCapture log;

    ASSERT_TRUE(engine::SharedUtilities::installLoginItem(true));
    ASSERT_TRUE(QFileInfo::exists(entry));
    QFile f(entry);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.contains("ZelkHelper")) << text.toStdString();
    EXPECT_TRUE(log.contains("Login item enabled"));

    ASSERT_TRUE(engine::SharedUtilities::installLoginItem(false));
    EXPECT_FALSE(QFileInfo::exists(entry));
    EXPECT_TRUE(log.contains("Login item disabled"));
    zelk::Platform::install(std::move(previous));
}

} // namespace
} // namespace editor::test
