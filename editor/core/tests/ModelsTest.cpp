// Shortcuts and contexts, and the conventions every model follows: the
// record kept current, links mirroring references, deletes and their
// cascades, substitution, the test payload.
#include "EditorTestSupport.h"

#include "Geometry.h"
#include "PropertyList.h"

#include <QColor>
#include <QDir>
#include <QFile>

namespace editor::test {
namespace {

using ShortcutTest = EditorTest;

TEST_F(ShortcutTest, NewRecordHoldsTheUniversalContextAndANumberedName)
{
    QVShortcut::setNextShortcutID(12);
    const QVariantMap record = QVShortcut::newData();
    EXPECT_EQ(record.value("cutID").toLongLong(), 12);
    EXPECT_EQ(record.value("cutname").toString(), "Shortcut 12");
    EXPECT_EQ(record.value("cutcontexts").toList(), contextRefs({0}));
    EXPECT_EQ(record.value("cuteditorrect").toString(), "{{0, 0}, {0, 0}}");
    EXPECT_TRUE(record.value("cutimage").toByteArray().isEmpty());
    EXPECT_EQ(QVShortcut::currentShortcutID(), 13u);
}

TEST_F(ShortcutTest, EverySetterWritesTheRecord)
{
    addAction(7);
    QVShortcut* cut = addShortcut({});
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    cut->setNameValue("Typed");
    cut->setRunParametersDict({{"runrepeatnum", 3}, {"runrepeatpause", 0.5}});
    cut->setEditorRect(QRectF(10, 20, 300, 200));
    cut->setImageValue(image);
    cut->setActionsDictArray(steps({7}));
    cut->setLaunchersDictArray({});
    const QVariantMap record = cut->dictValue();
    EXPECT_EQ(record.value("cutname").toString(), "Typed");
    EXPECT_EQ(record.value("cutrunparams").toMap().value("runrepeatnum").toInt(), 3);
    EXPECT_EQ(record.value("cuteditorrect").toString(), "{{10, 20}, {300, 200}}");
    EXPECT_EQ(record.value("cutactions").toList(), steps({7}));
    EXPECT_EQ(QImage::fromData(record.value("cutimage").toByteArray()).pixelColor(5, 5), QColor(Qt::red));

    // A shortcut made from that record answers the same record.
    QVShortcut copy;
    ASSERT_TRUE(copy.initWithDictionaryInEditor(record));
    EXPECT_EQ(copy.dictValue(), record);
    EXPECT_EQ(copy.nameValue(), "Typed");
    EXPECT_EQ(copy.editorRect(), QRectF(10, 20, 300, 200));
}

TEST_F(ShortcutTest, StepsLinkOncePerUse)
{
    zelk::QVEAction* action = addAction(5);
    QVShortcut* cut = addShortcut({5, 5});
    EXPECT_EQ(action->linkedObjects().count(cut), 2);
    cut->removeAuxObjects({action});
    EXPECT_EQ(action->linkedObjects().count(cut), 1);
    EXPECT_EQ(cut->actionsDictArray().size(), 1);
    // Replacing the list with an equal one leaves the count as it was.
    cut->setActionsDictArray(cut->actionsDictArray());
    EXPECT_EQ(action->linkedObjects().count(cut), 1);
    cut->setActionsDictArray({});
    EXPECT_FALSE(action->isUsed());
}

TEST_F(ShortcutTest, IconRule)
{
    zelk::QVEAction* action = addAction(3);
    QVShortcut* withStep = addShortcut({3});
    EXPECT_EQ(withStep->imageValue(), action->imageValue()) << "no own image: the first action's";

    QImage own(48, 48, QImage::Format_ARGB32);
    own.fill(Qt::blue);
    withStep->setImageValue(own);
    EXPECT_EQ(withStep->imageValue().size(), QSize(32, 32));
    withStep->setActionsDictArray({});
    EXPECT_EQ(withStep->imageValue().pixelColor(1, 1), QColor(Qt::blue)) << "an own image stays";

    QImage wide(32, 20, QImage::Format_ARGB32);
    wide.fill(Qt::green);
    withStep->setImageValue(wide);
    EXPECT_EQ(withStep->imageValue().size(), QSize(32, 20)) << "width 32 is not resized";

    QVariantMap bare = addShortcut({})->dictValue();
    QVShortcut rebuilt;
    ASSERT_TRUE(rebuilt.initWithDictionaryInEditor(bare));
    ASSERT_FALSE(QVShortcut::defaultIcon().isNull());
    EXPECT_EQ(rebuilt.imageValue(), QVShortcut::defaultIcon());
}

TEST_F(ShortcutTest, IndexOfActionAndSubstitution)
{
    addAction(1);
    addAction(2);
    addAction(9);
    addKeyLauncher(0x100000 + 12);
    QVLauncher* second = addKeyLauncher(0x100000 + 13);
    QVShortcut* cut = addShortcut({1, 2, 1});
    const QVariantMap one = actionRecord(1, {});
    EXPECT_EQ(cut->indexOfActionWithDict(one, 0), 0);
    EXPECT_EQ(cut->indexOfActionWithDict(one, 1), 2);
    EXPECT_EQ(cut->indexOfActionWithDict(one, 3), NotFound) << "a start past the last step";

    cut->replaceActionDict(one, actionRecord(9, {}));
    QList<quint32> ids;
    for (const QVariant& step : cut->actionsDictArray())
        ids << step.toMap().value("cutactionID").toUInt();
    EXPECT_EQ(ids, (QList<quint32>{9, 2, 9})) << "every step of the old action";
    EXPECT_EQ(store->actionWithID(9)->linkedObjects().count(cut), 2);
    EXPECT_FALSE(store->actionWithID(1)->isUsed());

    // Launcher references: only the first equal one, both keys compared.
    const quint32 firstID = second->IDValue() - 1;
    QVariantList refs = launcherRefs({firstID, firstID});
    QVariantMap inactive = refs[1].toMap();
    inactive.insert("cutlauncheractive", false);
    refs[1] = inactive;
    cut->setLaunchersDictArray(refs);
    const QVariantMap active = launcherRefs({firstID}).first().toMap();
    const QVariantMap replacement = launcherRefs({second->IDValue()}).first().toMap();
    cut->replaceLauncherDict(active, replacement);
    EXPECT_EQ(cut->launchersDictArray(), (QVariantList{replacement, inactive}));
    cut->replaceLauncherDict(launcherRefs({4242}).first().toMap(), replacement);
    EXPECT_EQ(cut->launchersDictArray(), (QVariantList{replacement, inactive})) << "no match, no change";
}

TEST_F(ShortcutTest, DroppedObjects)
{
    zelk::QVEAction* action = addAction(4);
    QVLauncher* launcher = addKeyLauncher(0x100000 + 1);
    QVContext* context = addAppContext("org.zelktest.Paint");
    QVShortcut* cut = addShortcut({4}, {launcher->IDValue()});

    cut->addAuxObjects({launcher, context, action});
    EXPECT_EQ(cut->launchersDictArray().size(), 1) << "a launcher already referenced adds nothing";
    EXPECT_EQ(cut->contextsDictArray().size(), 2);
    EXPECT_EQ(cut->actionsDictArray().size(), 2) << "an action already used adds a second step";
    EXPECT_EQ(action->linkedObjects().count(cut), 2);

    // While the editor is open nothing changes.
    cut->editInEditor(std::make_shared<RecordingEditor>());
    cut->removeAuxObjects({launcher, context, action});
    EXPECT_EQ(cut->actionsDictArray().size(), 2);
    cut->releaseEditor();
    cut->removeAuxObjects({launcher, context, action});
    EXPECT_TRUE(cut->launchersDictArray().isEmpty());
    EXPECT_EQ(cut->contextsDictArray(), contextRefs({0}));
    EXPECT_EQ(cut->actionsDictArray().size(), 1);
}

TEST_F(ShortcutTest, DeleteWithAuxObjectsKeepsWhatOthersUse)
{
    addAction(1);
    addAction(2);
    QVLauncher* own = addKeyLauncher(0x100000 + 1);
    QVLauncher* shared = addKeyLauncher(0x100000 + 2);
    QVShortcut* doomed = addShortcut({1, 2}, {own->IDValue(), shared->IDValue()});
    QVShortcut* other = addShortcut({2}, {shared->IDValue()});
    const quint32 ownID = own->IDValue(), sharedID = shared->IDValue();

    ASSERT_TRUE(doomed->canDeleteWithMessage(true));
    store->delShortcutsID({doomed->IDValue()}, true, true, false);
    EXPECT_EQ(store->actionWithID(1), nullptr) << "used only by the deleted shortcut";
    ASSERT_NE(store->actionWithID(2), nullptr);
    EXPECT_EQ(store->actionWithID(2)->linkedObjects(), QList<zelk::QVEMainObject*>{other});
    EXPECT_EQ(store->launcherWithID(ownID), nullptr);
    ASSERT_NE(store->launcherWithID(sharedID), nullptr);
    EXPECT_EQ(store->launcherWithID(sharedID)->linkedObjects().size(), 1);
    EXPECT_EQ(store->contextWithID(0)->linkedObjects(), QList<zelk::QVEMainObject*>{other});
    EXPECT_TRUE(alerts.empty());
}

TEST_F(ShortcutTest, AShortcutInAMenuIsNotDeleted)
{
    QVShortcut* cut = addShortcut({});
    addMenu({menuItem(1, cut->IDValue())});
    EXPECT_FALSE(cut->canDeleteWithMessage(false));
    EXPECT_TRUE(alerts.empty());
    EXPECT_FALSE(cut->canDeleteWithMessage(true));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(alerts[0].title.contains(cut->nameValue()));
    EXPECT_TRUE(alerts[0].message.contains("1"));
    store->delShortcutsID({cut->IDValue()}, false, true, false);
    EXPECT_NE(store->shortcutWithID(cut->IDValue()), nullptr);
}

TEST_F(ShortcutTest, TestPayload)
{
    addAction(1);
    addAction(2);
    QVShortcut* empty = addShortcut({});
    EXPECT_FALSE(empty->testPayload().contains("exportedactions"));
    EXPECT_EQ(empty->testPayload().value("exportedshortcuts").toMap(), empty->dictValue());

    QVShortcut* cut = addShortcut({1, 2, 1});
    const QVariantList actions = cut->testPayload().value("exportedactions").toList();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0].toMap().value("actionID").toInt(), 1);
    EXPECT_EQ(actions[1].toMap().value("actionID").toInt(), 2);

    // While editing, the working copy is what the engine runs.
    auto window = std::make_shared<RecordingEditor>();
    window->steps = steps({2});
    window->runParams = {{"runrepeatnum", -1}};
    cut->editInEditor(window);
    const QVariantMap edited = cut->testPayload().value("exportedshortcuts").toMap();
    EXPECT_EQ(edited.value("cutactions").toList(), steps({2}));
    EXPECT_EQ(edited.value("cutrunparams").toMap().value("runrepeatnum").toInt(), -1);
    EXPECT_EQ(cut->testPayload().value("exportedactions").toList().size(), 1);
    EXPECT_EQ(cut->dictValue().value("cutactions").toList().size(), 3) << "the record is not changed by a test";
}

TEST_F(ShortcutTest, TestRunGoesToTheEngineOnlyWhenItRuns)
{
    QVShortcut* cut = addShortcut({});
    QList<QVariantMap> sent;
    auto observer = desktop().addObserver("QVEditorNotification", [&](const QString&, const QVariantMap& info) { sent << info; });

    cut->test();
    EXPECT_TRUE(sent.isEmpty());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, "The shortcut can't be tested.");

    desktop().virtualWorkspace().userLaunches("Zelk.app", "/opt/Zelk.app");
    cut->test();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].value("action").toString(), "runshortcut");
    EXPECT_EQ(sent[0].value("param0").toMap(), cut->testPayload());
}

TEST_F(ShortcutTest, EditingConvention)
{
    QVShortcut* cut = addShortcut({});
    EXPECT_FALSE(cut->edit());
    auto window = std::make_shared<RecordingEditor>();
    cut->editInEditor(window);
    EXPECT_TRUE(cut->edit());
    cut->closeEditor();
    EXPECT_EQ(window->calls, (QStringList{"displayWithShortcut", "makeFront", "abortEditing"}));
    EXPECT_EQ(cut->undoManager(), cut->windowWillReturnUndoManager());
    cut->releaseEditor();
    EXPECT_EQ(cut->editor(), nullptr);
}

// --- Contexts ------------------------------------------------------------------------------

using ContextTest = EditorTest;

TEST_F(ContextTest, NewRecord)
{
    const QVariantMap record = QVContext::newDataForType(3);
    EXPECT_EQ(record.value("contextname").toString(), "While app runs");
    EXPECT_EQ(record.value("contextparams").toMap(), (QVariantMap{{"contextactivatedapplication", ""}}));
    EXPECT_TRUE(record.value("contextrules").toList().isEmpty());
    EXPECT_TRUE(QVContext::newDataForType(0).value("contextparams").toMap().isEmpty());
}

TEST_F(ContextTest, AnInstalledApplicationsIconIsKeptInTheRecord)
{
    const QString applications = home->dataHome() + "/applications";
    ASSERT_TRUE(QDir().mkpath(applications));
    QFile entry(applications + "/org.zelktest.Paint.desktop");
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write(("[Desktop Entry]\nType=Application\nName=Paint\nExec=true\nIcon=" + zelk::test::appContents()
                 + "/MacOS/Zelk Editor.app/Contents/Resources/system.png\n").toUtf8());
    entry.close();

    QVContext* installed = addAppContext("org.zelktest.Paint");
    QVContext* missing = addAppContext("org.zelktest.Missing");
    EXPECT_FALSE(installed->dictValue().value("contexticon").toByteArray().isEmpty());
    EXPECT_EQ(installed->imageValue().size(), QSize(32, 32));
    EXPECT_FALSE(missing->dictValue().contains("contexticon"));
    EXPECT_EQ(missing->imageValue().size(), QSize(32, 32)) << "the unknown icon stands in";
}

TEST_F(ContextTest, EqualityIgnoresRulesAndNames)
{
    QVContext* paint = addAppContext("org.zelktest.Paint");
    paint->setRulesDictArray({QVariantMap{{"ruletype", 0}, {"ruleactive", true}}, QVariantMap{{"ruletype", 1}}});
    EXPECT_EQ(paint->rulesValue().toInt(), 2);
    EXPECT_TRUE(paint->isEqualContextType(1, {{"contextactivatedapplication", "org.zelktest.Paint"}}));
    EXPECT_FALSE(paint->isEqualContextType(2, {{"contextactivatedapplication", "org.zelktest.Paint"}}));
    EXPECT_TRUE(store->contextWithID(0)->isEqualContextType(0, {{"anything", 1}}));
}

TEST_F(ContextTest, DeleteAfterConfirmationLeavesItsUsersWithoutIt)
{
    QVContext* paint = addAppContext("org.zelktest.Paint");
    QVShortcut* a = addShortcut({}, {}, {paint->IDValue()});
    QVShortcut* b = addShortcut({}, {}, {0, paint->IDValue()});
    const quint32 id = paint->IDValue();

    answerAlerts({0});
    EXPECT_FALSE(paint->canDelete()) << "Cancel";
    answerAlerts({1});
    ASSERT_TRUE(paint->canDelete());
    EXPECT_TRUE(alerts.back().title.contains("2"));
    paint->willDelete();
    EXPECT_TRUE(a->contextsDictArray().isEmpty());
    EXPECT_EQ(b->contextsDictArray(), contextRefs({0}));
    EXPECT_NE(store->contextWithID(id), nullptr);

    alerts.clear();
    EXPECT_FALSE(store->contextWithID(0)->canDelete()) << "the universal context stays";
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, "It is the context that is always active.");
}

TEST_F(ContextTest, ADeleteEndsWhileAUserIsBeingEdited)
{
    QVContext* paint = addAppContext("org.zelktest.Paint");
    QVLauncher* launcher = addKeyLauncher(0x100000 + 3);
    QVShortcut* edited = addShortcut({}, {launcher->IDValue()}, {paint->IDValue()});
    QVShortcut* plain = addShortcut({}, {launcher->IDValue()}, {paint->IDValue()});
    edited->editInEditor(std::make_shared<RecordingEditor>());
    zelk::test::LogCapture log;

    const quint32 launcherID = launcher->IDValue();
    answerAlerts({1, 1});
    store->delLaunchersID({launcherID}, true, false);
    EXPECT_EQ(store->launcherWithID(launcherID), nullptr);
    EXPECT_TRUE(plain->launchersDictArray().isEmpty());
    EXPECT_EQ(edited->launchersDictArray().size(), 1) << "its editor drops it later";

    const quint32 id = paint->IDValue();
    answerAlerts({1});
    ASSERT_TRUE(store->contextWithID(id)->canDelete());
    store->contextWithID(id)->willDelete();
    EXPECT_FALSE(store->contextWithID(id)->isUsed());
    EXPECT_TRUE(plain->contextsDictArray().isEmpty());
    EXPECT_TRUE(log.contains("open editor"));
}

} // namespace
} // namespace editor::test
