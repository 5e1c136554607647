// The engine's shipped resources: the six default data files parse, hold
// exactly their two keys, and every ID they refer to exists; the settings
// seed and the strings table read cleanly and hold the texts the engine uses.
#include "ModifierFlags.h"
#include "PropertyList.h"
#include "StringsTable.h"
#include "EngineAppTestSupport.h"

#include <QSet>
#include <QVariantMap>
#include <gtest/gtest.h>

namespace {

QString resources() { return engine::test::sourceDir() + "/resources/engine"; }

class DefaultDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const struct {
            const char* file;
            const char* arrayKey;
            const char* idKey;
        } kinds[] = {{"Actions.plist", "actionsarray", "actionID"},     {"Contexts.plist", "contextsarray", "contextID"},
                     {"Launchers.plist", "launchersarray", "launcherID"}, {"Shortcuts.plist", "shortcutsarray", "cutID"},
                     {"Menus.plist", "menusarray", "menuID"},             {"Palettes.plist", "palettesarray", "paletteID"}};
        for (const auto& kind : kinds) {
            SCOPED_TRACE(kind.file);
            QString error;
            const auto value = zelk::plist::readFile(resources() + "/" + kind.file, &error);
            ASSERT_TRUE(value) << error.toStdString();
            const QVariantMap file = value->toMap();
            EXPECT_EQ(file.keys(), sortedKeys(kind.arrayKey)); // exactly nextID and the array
            ASSERT_EQ(file.value(kind.arrayKey).metaType().id(), QMetaType::QVariantList);
            const qint64 nextID = file.value("nextID").toLongLong();
            EXPECT_GE(nextID, 0);
            EXPECT_LE(nextID, qint64(0xFFFFFFFF));
            QSet<qint64> ids;
            for (const QVariant& record : file.value(kind.arrayKey).toList()) {
                ASSERT_EQ(record.metaType().id(), QMetaType::QVariantMap);
                const qint64 id = record.toMap().value(kind.idKey, -1).toLongLong();
                EXPECT_GE(id, 0);
                EXPECT_LT(id, nextID) << "nextID must be the first unused ID";
                EXPECT_FALSE(ids.contains(id)) << "duplicate ID " << id;
                ids.insert(id);
            }
            records[kind.file] = file.value(kind.arrayKey).toList();
            idsOf[kind.file] = ids;
        }
    }

    static QStringList sortedKeys(const QString& arrayKey)
    {
        QStringList keys{"nextID", arrayKey};
        keys.sort();
        return keys;
    }

    // Checks every reference of a list of {idKey: ID} maps against a kind.
    void expectRefs(const QVariantList& refs, const char* idKey, const char* kindFile, const QString& where)
    {
        for (const QVariant& ref : refs) {
            const QVariantMap map = ref.toMap();
            ASSERT_TRUE(map.contains(idKey)) << where.toStdString() << " lacks " << idKey;
            EXPECT_TRUE(idsOf[kindFile].contains(map.value(idKey).toLongLong()))
                << where.toStdString() << ": " << idKey << " " << map.value(idKey).toLongLong() << " names nothing in " << kindFile;
        }
    }

    QHash<QString, QVariantList> records;
    QHash<QString, QSet<qint64>> idsOf;
};

TEST_F(DefaultDataTest, EveryReferenceResolves)
{
    QSet<qint64> usedActions;
    for (const QVariant& v : records["Shortcuts.plist"]) {
        const QVariantMap cut = v.toMap();
        const QString where = "shortcut " + cut.value("cutname").toString();
        expectRefs(cut.value("cutactions").toList(), "cutactionID", "Actions.plist", where);
        expectRefs(cut.value("cutlaunchers").toList(), "cutlauncherID", "Launchers.plist", where);
        expectRefs(cut.value("cutcontexts").toList(), "cutcontextID", "Contexts.plist", where);
        EXPECT_FALSE(cut.value("cutcontexts").toList().isEmpty()) << where.toStdString() << " would be dropped at the next save";
        for (const QVariant& step : cut.value("cutactions").toList()) {
            usedActions.insert(step.toMap().value("cutactionID").toLongLong());
            EXPECT_TRUE(step.toMap().value("cutactionrunparams").toMap().contains("runrepeatnum"));
            EXPECT_TRUE(step.toMap().value("cutactionresultparams").toMap().contains("resultdelay"));
        }
    }
    const struct {
        const char* file;
        const char* prefix;
        const char* itemsKey;
        const char* typeKey;
        const char* paramsKey;
    } mains[] = {{"Menus.plist", "menu", "menuitems", "menuitemtype", "menuitemparams"},
                 {"Palettes.plist", "palette", "paletteitems", "paletteitemtype", "paletteitemparams"}};
    for (const auto& m : mains) {
        for (const QVariant& v : records[m.file]) {
            const QVariantMap object = v.toMap();
            const QString prefix = m.prefix;
            const QString where = prefix + " " + object.value(prefix + "name").toString();
            expectRefs(object.value(prefix + "contexts").toList(), "cutcontextID", "Contexts.plist", where);
            expectRefs(object.value(prefix + "launchers").toList(), "cutlauncherID", "Launchers.plist", where);
            for (const QVariant& item : object.value(m.itemsKey).toList()) {
                const QVariantMap params = item.toMap().value(m.paramsKey).toMap();
                switch (item.toMap().value(m.typeKey).toInt()) {
                case 1:
                    expectRefs({params}, (prefix + "itemshortcutID").toLatin1().constData(), "Shortcuts.plist", where);
                    break;
                case 2:
                    expectRefs({params}, (prefix + "itemactionID").toLatin1().constData(), "Actions.plist", where);
                    usedActions.insert(params.value(prefix + "itemactionID").toLongLong());
                    break;
                case 3:
                    expectRefs({params}, "menuitemmenuID", "Menus.plist", where);
                    break;
                }
            }
        }
    }
    // "actionnotused" says whether anything runs the action.
    for (const QVariant& v : records["Actions.plist"]) {
        const QVariantMap action = v.toMap();
        EXPECT_EQ(action.value("actionnotused").toBool(), !usedActions.contains(action.value("actionID").toLongLong()))
            << action.value("actionname").toString().toStdString();
        EXPECT_TRUE(action.value("actiondata").toMap().contains("Action")) << action.value("actionname").toString().toStdString();
    }
}

TEST_F(DefaultDataTest, OneUniversalContextWithIDZeroAndDistinctKeys)
{
    int universal = 0;
    for (const QVariant& v : records["Contexts.plist"])
        if (v.toMap().value("contexttype").toInt() == 0) {
            ++universal;
            EXPECT_EQ(v.toMap().value("contextID").toLongLong(), 0);
        }
    EXPECT_EQ(universal, 1);

    QSet<qint64> codes;
    for (const QVariant& v : records["Launchers.plist"]) {
        const QVariantMap launcher = v.toMap();
        if (launcher.value("launchertype").toInt() != 0)
            continue;
        const qint64 keycode = launcher.value("launcherparams").toMap().value("launcherkeycode").toLongLong();
        const qint64 code = keycode & zelk::HotKey::CombinationMask;
        EXPECT_NE(code & 0xBE0000, 0) << "a key combination needs a modifier";
        EXPECT_FALSE(codes.contains(code)) << "two launchers for one key combination";
        codes.insert(code);
    }
}

TEST(DefaultResources, SettingsSeedAndStringsRead)
{
    QString error;
    const auto prefs = zelk::plist::readFile(resources() + "/Preferences.plist", &error);
    ASSERT_TRUE(prefs) << error.toStdString();
    const QVariantMap settings = prefs->toMap();
    for (const char* key : {"GECheckUpdate", "GEReportEachItem", "GEDaysSaveReport", "GEDontAnimateWindow", "GEDeactivateKeyCombo",
                            "ACSuggestNameNew", "ACSuggestNameModified", "SCRunParameters", "SCActionsRunParameters",
                            "SCActionsResultParameters", "CopyActions", "MEMenuInBar", "MEMenuImageInBar", "MEMenuNameInBar",
                            "MEMenuShowImage", "MEMenuShowCombo", "PAPaletteShowActive", "PAPaletteLocationOrigin", "PAPaletteLocation",
                            "PAPaletteTitleOutside", "PAPaletteOutsideTransparency", "PAPaletteItemsInWidth", "PAPaletteItemsType",
                            "PAPaletteItemsImageSize", "PAPaletteItemsFontSize", "PAPaletteDeactivatedDelay"})
        EXPECT_TRUE(settings.contains(key)) << key;
    // Any value of this one silences the editor's hot-key clash warning.
    EXPECT_FALSE(settings.contains("GEHotkeyConflict"));

    const zelk::StringsTable table = zelk::StringsTable::load(resources() + "/en.lproj/Localizable.strings", &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    for (const char* key : {"AutreVersionEnCours", "QuitterAvant", "OK", "PluginManquant", "ActionInactive", "ZelkRunning", "WhatToDo",
                            "Edit", "Annuler", "Quit", "NUTitle", "NUWelcome", "NUStart", "NURunning", "NUDocumentation", "NUEditor",
                            "NULoginItem", "NUSuppress"})
        EXPECT_TRUE(table.contains(key)) << key;
    EXPECT_TRUE(table.value("PluginManquant").contains("%@"));
}

} // namespace
