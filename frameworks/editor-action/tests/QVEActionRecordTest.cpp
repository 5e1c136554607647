// The action record, the ID counter, class look-up, localisation and images.
#include "Geometry.h"
#include "QVEActionTestTypes.h"
#include "FormatText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace zelk::test {
namespace {

void writeFile(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(text);
}

TEST_F(QVEActionTest, FrameworkClassIsRegisteredWithItsBundle)
{
    auto* cls = ClassRegistry::shared().lookup<QVEActionClass>("QVEAction");
    ASSERT_EQ(cls, &QVEAction::classObject());
    EXPECT_TRUE(cls->bundle().bundlePath().endsWith("/Frameworks/QVEAction")) << cls->bundle().bundlePath().toStdString();
    // The base's answers to the plug-in contract.
    EXPECT_TRUE(cls->registerActionClass());
    EXPECT_EQ(cls->familyID(), 1009);
    EXPECT_TRUE(cls->modelsID().isEmpty());
    EXPECT_EQ(cls->categoryOfAction(7), 1);
    EXPECT_TRUE(cls->pasteboardTypes().isEmpty());
    EXPECT_TRUE(cls->newDatasWithPasteboard(nullptr, 1).isEmpty());
    EXPECT_TRUE(cls->imageForModelID(0, 16).isNull());
    EXPECT_EQ(cls->titleOfModelID(0), "Unknown action"); // its own table, in the framework
    EXPECT_EQ(QVEAction::typeName(), "Action");
}

TEST_F(QVEActionTest, NewRecordTakesTheNextIDAndTheNewNameFormat)
{
    QVEAction::setNextActionID(12);
    const QVariantMap record = TestActionClass().newDataForAction(3);
    EXPECT_EQ(record.value("actionname").toString(), fillFormat(QVEAction::newNameValue(), {12}));
    EXPECT_EQ(record.value("actionname").toString(), "Action 12");
    EXPECT_EQ(record.value("actionclass").toString(), "TestAction");
    EXPECT_EQ(record.value("actionID").toLongLong(), 12);
    EXPECT_EQ(record.value("actiondata").toMap(), (QVariantMap{{"Action", 3}}));
    EXPECT_EQ(record.value("actioneditorrect").toString(), "{{0, 0}, {0, 0}}");
    EXPECT_FALSE(record.contains("actionnotused"));
    EXPECT_EQ(QVEAction::currentActionID(), 13u);

    // The base's own new record: empty parameters, the receiving class's name.
    const QVariantMap base = QVEAction::classObject().newDataForAction(0);
    EXPECT_EQ(base.value("actionclass").toString(), "QVEAction");
    EXPECT_EQ(base.value("actionID").toLongLong(), 13);
    EXPECT_TRUE(base.value("actiondata").toMap().isEmpty());
}

TEST_F(QVEActionTest, CounterContinuesFromTheStoredNextID)
{
    QVEAction::setNextActionID(40);
    EXPECT_EQ(QVEAction::nextActionID(), 40u);
    TestActionClass().newDataForAction(1);
    EXPECT_EQ(QVEAction::currentActionID(), 42u);
}

// A damaged or hand-edited file whose nextID is not above its records' IDs
// must not hand out an ID that is already in use, whatever the order in
// which the counter and the records are read.
TEST_F(QVEActionTest, CounterNeverHandsOutAnIDThatWasRead)
{
    ASSERT_TRUE(makeTestAction(50));
    QVEAction::setNextActionID(10);
    EXPECT_EQ(QVEAction::nextActionID(), 51u);

    QVEAction::setNextActionID(10);
    ASSERT_TRUE(makeTestAction(60));
    ASSERT_TRUE(makeTestAction(3)); // below the counter: no change
    EXPECT_EQ(QVEAction::currentActionID(), 61u);

    // The IDs read count for the next setting of the counter only.
    QVEAction::setNextActionID(70);
    QVEAction::setNextActionID(8);
    EXPECT_EQ(QVEAction::currentActionID(), 8u);
}

TEST_F(QVEActionTest, RecordOfAMissingClassIsSavedBackAsRead)
{
    const QVariantMap record{{"actionname", "Old one"},
                             {"actionclass", "GoneAction"},
                             {"actionID", qint64(7)},
                             {"actiondata", QVariantMap{{"Action", 4}, {"text", "hi"}}},
                             {"actioneditorrect", "{{10, 20}, {300, 200}}"},
                             {"customkey", "kept"}};
    auto action = QVEAction::actionWithRecord(record);
    ASSERT_TRUE(action);
    EXPECT_EQ(app.missing, QStringList{"GoneAction"});
    EXPECT_EQ(&action->actionClass(), &QVEAction::classObject());
    EXPECT_EQ(action->familyValue(), 1009000);
    EXPECT_EQ(action->editorRect(), QRectF(10, 20, 300, 200));
    EXPECT_EQ(action->dataValue(), record.value("actiondata").toMap());
    EXPECT_EQ(action->imageValue().size(), QSize(32, 32));

    QVariantMap expected = record;
    expected.insert("actionnotused", true);
    EXPECT_EQ(action->dictValue(), expected);
    EXPECT_EQ(action->editedDictValue(), expected);

    FakeUser user;
    action->addLinkedObject(&user);
    expected.insert("actionnotused", false);
    EXPECT_EQ(action->dictValue(), expected);

    // Even parameters in a form the base does not understand stay as they were.
    QVariantMap odd = record;
    odd.insert("actiondata", "not a dictionary");
    odd.insert("actionnotused", true);
    EXPECT_EQ(QVEAction::actionWithRecord(odd)->dictValue(), odd);
}

TEST_F(QVEActionTest, KnownClassKeepsUnknownKeysAndSavesItsOwnParameters)
{
    QVariantMap record = testRecord(9, {{"Action", 2}, {"text", "a"}});
    record.insert("customkey", QVariantList{1, 2});
    auto action = std::dynamic_pointer_cast<TestAction>(QVEAction::actionWithRecord(record));
    ASSERT_TRUE(action);
    EXPECT_TRUE(app.missing.isEmpty());
    EXPECT_EQ(action->actionClass().className(), "TestAction");
    EXPECT_EQ(action->nameValue(), "Test");
    EXPECT_EQ(action->IDValue(), 9u);
    EXPECT_TRUE(action->IDIsEqual(9));
    EXPECT_FALSE(action->IDIsEqual(10));

    action->setNameValue("Renamed");
    action->type("text", "b");
    const QVariantMap edited = action->editedDictValue();
    EXPECT_EQ(edited.value("actiondata").toMap().value("text"), "b");
    EXPECT_EQ(edited.value("actionname"), "Renamed");

    const QVariantMap saved = action->dictValue();
    EXPECT_EQ(saved.value("actiondata").toMap(), (QVariantMap{{"Action", 2}, {"text", "a"}}));
    EXPECT_EQ(saved.value("customkey"), record.value("customkey"));
    EXPECT_EQ(saved.value("actionname"), "Renamed");
    EXPECT_EQ(saved.value("actionnotused"), true);

    EXPECT_TRUE(action->isEqualActionOfClass("TestAction", {{"Action", 2}, {"text", "a"}}));
    EXPECT_FALSE(action->isEqualActionOfClass("OtherTestAction", {{"Action", 2}, {"text", "a"}}));
    EXPECT_FALSE(action->isEqualActionOfClass("TestAction", {{"Action", 2}, {"text", "b"}}));
}

TEST_F(QVEActionTest, EmptyRecordIsRefused)
{
    TestAction action;
    EXPECT_FALSE(action.initWithDictionaryInEditor({}));
}

TEST_F(QVEActionTest, EditorRectIsStoredInTextForm)
{
    auto action = makeTestAction();
    ASSERT_TRUE(action);
    action->setEditorRect(QRectF(1.5, 2, 300, 400));
    EXPECT_EQ(action->dictValue().value("actioneditorrect").toString(), "{{1.5, 2}, {300, 400}}");
    EXPECT_EQ(action->editorRect(), QRectF(1.5, 2, 300, 400));

    for (const QVariant& stored : {QVariant(), QVariant("garbage")}) {
        QVariantMap record = testRecord(6);
        if (stored.isValid())
            record.insert("actioneditorrect", stored);
        else
            record.remove("actioneditorrect");
        auto other = QVEAction::actionWithRecord(record);
        ASSERT_TRUE(other);
        EXPECT_EQ(other->editorRect(), QRectF()) << stored.toString().toStdString();
    }
}

TEST_F(QVEActionTest, DescriptionNamesClassNameIDAndNewFlag)
{
    auto action = makeTestAction(12);
    action->setIsNew(true);
    action->setNameValue("50%1 off");
    const QString text = action->description();
    EXPECT_TRUE(text.startsWith("TestAction (0x")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("{ Name:'50%1 off' - ID = 12, isNew = 1 }")) << text.toStdString();
}

TEST_F(QVEActionTest, LocalisationFallsBackToTheSuperclassTableOfTheSameBundle)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("Resources/en.lproj/SubTestAction.strings"), "\"ActionTitle3\" = \"Own three\";\n");
    writeFile(dir.filePath("Resources/en.lproj/TestAction.strings"),
              "\"ActionTitle3\" = \"Super three\";\n\"ActionTitle4\" = \"Super four\";\n"
              "\"ActionDescription4\" = \"Does four\";\n\"ActionName4\" = \"Four\";\n");
    SubTestActionClass cls;
    cls.setBundle(Bundle::atPath(dir.path()));

    EXPECT_EQ(cls.titleOfModelID(3), "Own three");
    EXPECT_EQ(cls.titleOfModelID(4), "Super four");
    EXPECT_EQ(cls.descriptionOfModelID(4), "Does four");
    EXPECT_EQ(cls.localizedActionName(4), "Four");
    EXPECT_EQ(cls.titleOfModelID(5), "ActionTitle5");
    EXPECT_EQ(cls.localizedStr("Missing"), "Missing");

    // An action of the class answers through its class.
    auto action = cls.make();
    ASSERT_TRUE(action->initWithDictionaryInEditor(testRecord(4, {{"Action", 4}})));
    EXPECT_EQ(action->localizedStr("ActionTitle3"), "Own three");
    EXPECT_EQ(action->descriptionValue(), "Does four");
}

TEST_F(QVEActionTest, ModelImagesComeFromTheClassBundle)
{
    QTemporaryDir dir;
    QImage art(64, 64, QImage::Format_ARGB32);
    art.fill(Qt::red);
    QDir().mkpath(dir.filePath("Resources"));
    ASSERT_TRUE(art.save(dir.filePath("Resources/model2.png")));
    TestActionClass cls;
    cls.setBundle(Bundle::atPath(dir.path()));

    const QImage image = cls.imageForModelID(2, 16);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(16, 16));
    EXPECT_TRUE(cls.imageForModelID(3, 16).isNull());
    EXPECT_TRUE(QVEAction::imageInBundle(cls.bundle(), "missing.png").isNull());

    auto action = cls.make();
    ASSERT_TRUE(action->initWithDictionaryInEditor(testRecord(4)));
    EXPECT_EQ(action->typeImageValue().size(), QSize(16, 16));
}

TEST_F(QVEActionTest, TypesOfOneFamilyShareItsImage)
{
    QVariantMap other = testRecord(8);
    other.insert("actionclass", "OtherTestAction");
    auto first = makeTestAction(7);
    auto second = QVEAction::actionWithRecord(other);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(second->actionClass().className(), "OtherTestAction");
    ASSERT_FALSE(first->familyImageValue().isNull());
    EXPECT_EQ(first->familyImageValue().size(), QSize(16, 16));
    EXPECT_EQ(first->familyImageValue(), second->familyImageValue());
    EXPECT_EQ(first->familyImageValue(), QVEAction::imageForFamilyID(1003, 16));
    EXPECT_NE(first->familyImageValue(), QVEAction::imageForFamilyID(1009, 16));
    // Same family and model: the same type value for two classes.
    EXPECT_EQ(first->typeValue(), 1003002);
    EXPECT_EQ(second->typeValue(), 1003002);
}

TEST_F(QVEActionTest, FamilyOutsideTheRangeHasNoImageAndIsLogged)
{
    for (int family : {999, 1020}) {
        LogCapture log;
        EXPECT_TRUE(QVEAction::imageForFamilyID(family, 16).isNull());
        EXPECT_TRUE(log.contains(QStringLiteral("Error missing QVEAction.framework icon family%1.tiff").arg(family)))
            << log.lines().join('\n').toStdString();
    }
    EXPECT_EQ(QVEAction::imageForFamilyID(1000, 24).size(), QSize(24, 24));
    EXPECT_EQ(QVEAction::imageForFamilyID(1019, 24).size(), QSize(24, 24));
}

TEST_F(QVEActionTest, FrameworkIcons)
{
    const QImage icon = QVEAction::defaultIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(QVEAction::defaultIcon(), icon);
    EXPECT_EQ(QVEAction::unknownIconWithSize(20).size(), QSize(20, 20));
    EXPECT_EQ(QVEAction::unknownIconWithSize(48).size(), QSize(48, 48));
}

TEST_F(QVEActionTest, ForwardersReachTheHostUtilityOrAnswerNothing)
{
    EXPECT_EQ(QVEAction::typeForPath("/folder"), 3);
    ClassRegistry::shared().unregisterClass(QVUtilityClass::Name);
    EXPECT_EQ(QVEAction::typeForPath("/folder"), 0);
    EXPECT_TRUE(QVEAction::launchedAppPathArray().isEmpty());
    EXPECT_EQ(QVEAction::openDocumentPanel(), nullptr);
}

TEST_F(QVEActionTest, LinkNameUsesTheHostApplicationsFormat)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("Resources/en.lproj/Localizable.strings"), "\"ActionLinkName\" = \"Action: %@\";\n");
    utility.setBundle(Bundle::atPath(dir.path()));
    auto action = makeTestAction();
    EXPECT_EQ(action->linkNameValue(), "Action: Test");
    utility.setBundle(Bundle());
}

TEST_F(QVEActionTest, NamingSettings)
{
    QVEAction::setSuggestNameNew(true);
    QVEAction::setSuggestNameModified(false);
    EXPECT_TRUE(QVEAction::suggestNameNew());
    EXPECT_FALSE(QVEAction::suggestNameModified());
    QVEAction::setSuggestNameNew(false);
    EXPECT_FALSE(QVEAction::suggestNameNew());
}

} // namespace
} // namespace zelk::test
