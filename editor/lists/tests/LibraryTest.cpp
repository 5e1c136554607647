// The Library: its three outlines as tables of records in, rows out
// (grouping, counts, used marks), the selection after changes, the
// commands' gate, drags, and the saved layout.
#include "ListsTestSupport.h"
#include "ModelSupport.h"
#include "QVELibrary.h"
#include "QVEModelsManager.h"

#include "QVEActionClass.h"
#include "Geometry.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QTabWidget>
#include <QTest>

using namespace editor;
using namespace editor::test;

namespace {

// Actions whose model is the "model" of their data.
class ModelAction : public zelk::QVEAction {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override
    {
        m_data = record.value("actiondata").toMap();
        return zelk::QVEAction::initWithDictionaryInEditor(record);
    }
    QVariantMap dataValue() const override { return m_data; }
    int modelID() const override { return m_data.value("model").toInt(); }
    bool isValid() const override { return !m_data.value("broken").toBool(); }

private:
    QVariantMap m_data;
};

class FirstFamily : public zelk::QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(TestFirstFamily, QVEAction, ModelAction)
public:
    int familyID() const override { return 1001; }
    QList<int> modelsID() const override { return {1, 2, 3}; }
    QString titleOfModelID(int model) const override { return QStringList{"", "Zeta", "alpha", "Mid"}.value(model); }
};

class SecondFamily : public zelk::QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(TestSecondFamily, QVEAction, ModelAction)
public:
    int familyID() const override { return 1000; }
    QList<int> modelsID() const override { return {1}; }
    QString titleOfModelID(int) const override { return "Only"; }
};

class LibraryTest : public ListsTest {
protected:
    LibraryTest()
    {
        setObjectEditorMaker(Kind::Launchers, [this] { return openEditor(); });
    }
    ~LibraryTest() override
    {
        setObjectEditorMaker(Kind::Launchers, nullptr);
        QVELibrary& library = QVELibrary::sharedLibrary();
        for (QVELibraryViewer* list : lists())
            list->disconnectViewer();
        library.window()->hide();
    }

    static QList<QVELibraryViewer*> lists()
    {
        QVELibrary& library = QVELibrary::sharedLibrary();
        return {library.launchersViewer(), library.commandsViewer(), library.contextsViewer()};
    }

    // The Library shown over this test's store.
    QVELibrary& showLibrary()
    {
        QVELibrary& library = QVELibrary::sharedLibrary();
        library.display();
        for (QVELibraryViewer* list : lists()) {
            list->disconnectViewer();
            list->connectViewer();
            list->expandAllItems();
        }
        return library;
    }

    // A launcher's name comes from its type and parameters: key
    // combinations are named by their key (A = 0, B = 11, C = 8, D = 2).
    QVLauncher* launcher(int type, const QString& key = {})
    {
        static const QHash<QString, quint32> codes{{"A", 0}, {"B", 11}, {"C", 8}, {"D", 2}};
        if (type == 0)
            return addKeyLauncher(codes.value(key));
        return store->addLauncher(QVLauncher::newDataForType(type));
    }
    QVContext* context(int type, const QString& name)
    {
        QVariantMap record = QVContext::newDataForType(type);
        record.insert("contextname", name);
        return store->addContext(record);
    }
    zelk::QVEAction* action(const QString& cls, int model, const QString& name, bool broken = false)
    {
        QVariantMap record = actionRecord(nextAction++, name);
        record.insert("actionclass", cls);
        record.insert("actiondata", QVariantMap{{"model", model}, {"broken", broken}});
        return store->addAction(record);
    }

    // Every row, children indented, with its used and valid marks:
    // "name|used|valid" as the accessible texts say them.
    static QStringList rows(QVELibraryViewer* list)
    {
        QStringList out;
        LibraryOutlineModel* model = list->model();
        std::function<void(const QModelIndex&, int)> walk = [&](const QModelIndex& parent, int depth) {
            for (int row = 0; row < model->rowCount(parent); ++row) {
                const QModelIndex index = model->index(row, 0, parent);
                QString line = QString(depth * 2, ' ') + index.data().toString();
                for (int column = 1; column < model->columnCount(); ++column) {
                    const QString mark = index.siblingAtColumn(column).data(Qt::AccessibleTextRole).toString();
                    if (!mark.isEmpty())
                        line += "|" + mark;
                }
                out << line;
                walk(index, depth + 1);
            }
        };
        walk({}, 0);
        return out;
    }
    static QModelIndex rowNamed(QVELibraryViewer* list, const QString& name)
    {
        const QModelIndexList found = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, name, 1,
                                                           Qt::MatchExactly | Qt::MatchRecursive);
        return found.value(0);
    }
    static void select(QVELibraryViewer* list, const QStringList& names)
    {
        QItemSelectionModel* selection = list->objectsTable()->selectionModel();
        selection->clearSelection();
        for (const QString& name : names) {
            const QModelIndex index = rowNamed(list, name);
            ASSERT_TRUE(index.isValid()) << qPrintable(name);
            selection->setCurrentIndex(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    static QStringList selectedNames(QVELibraryViewer* list)
    {
        QStringList names;
        for (const QModelIndex& index : list->objectsTable()->selectionModel()->selectedRows())
            names << index.data().toString();
        return names;
    }
    static bool enabled(QVELibraryViewer* list, const char* verb)
    {
        return list->verbEnabledInTableView(QLatin1String(verb), list->objectsTable());
    }

    quint32 nextAction = 100;
};

TEST_F(LibraryTest, LaunchersAreGroupedByTypeInNameOrderWithCountsAndUsedMarks)
{
    QVLauncher* b = launcher(0, "B");
    QVLauncher* a = launcher(0, "A");
    QVLauncher* system = launcher(3);
    addShortcut({}, {a->IDValue()});
    // Nothing reaches a Library never shown.
    EXPECT_FALSE(QVELibrary::sharedLibrary().launchersViewer()->isConnected());
    QVELibrary& library = showLibrary();
    QVELibraryViewer* list = library.launchersViewer();
    QAbstractItemModelTester tester(list->model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    const QString type0 = loc("LauncherTypeName0"), type3 = loc("LauncherTypeName3"), type5 = loc("LauncherTypeName5");
    const QString nameA = a->nameValue(), nameB = b->nameValue();
    ASSERT_LT(nameA.compare(nameB, Qt::CaseInsensitive), 0);
    EXPECT_EQ(rows(list), (QStringList{type0 + " (2)", "  " + nameA + "|used", "  " + nameB, type3 + " (1)",
                                       "  " + system->nameValue()}));

    // A type's first launcher brings its group; its last one takes it away.
    const QList<quint32> added = QVELaunchersManager::sharedManager().addLaunchers({QVLauncher::newDataForType(5)}, false);
    ASSERT_EQ(added.size(), 1);
    const QString fifth = QVELaunchersManager::sharedManager().launcherWithID(added[0])->nameValue();
    EXPECT_EQ(rows(list).mid(5), (QStringList{type5 + " (1)", "  " + fifth}));
    QVELaunchersManager::sharedManager().delLaunchersID(added, false, false);
    EXPECT_EQ(rows(list).size(), 5);
    EXPECT_FALSE(rows(list).join(",").contains(type5));
}

TEST_F(LibraryTest, RemovingSeveralSelectsTheFirstRowRemovingOneKeepsTheSelection)
{
    launcher(0, "A");
    QVLauncher* b = launcher(0, "B");
    QVLauncher* c = launcher(0, "C");
    QVLauncher* d = launcher(0, "D");
    QVELibraryViewer* list = showLibrary().launchersViewer();
    select(list, {c->nameValue()});
    QVELaunchersManager::sharedManager().delLaunchersID({d->IDValue()}, false, false);
    EXPECT_EQ(selectedNames(list), QStringList{c->nameValue()});
    QVELaunchersManager::sharedManager().delLaunchersID({b->IDValue(), c->IDValue()}, false, false);
    EXPECT_EQ(selectedNames(list), QStringList{loc("LauncherTypeName0") + " (1)"});
    EXPECT_EQ(list->selectedObjectIndex(), 0);
}

TEST_F(LibraryTest, RenamingResortsAndKeepsTheSelectedItem)
{
    QVContext* a = context(1, "a");
    context(1, "b");
    QVELibraryViewer* list = showLibrary().contextsViewer();
    select(list, {"a"});
    a->setNameValue("z");
    postUpdate(Kind::Contexts, kQVUpdateRefreshAction);
    EXPECT_EQ(rows(list).mid(2), (QStringList{"  b", "  z"}));
    EXPECT_EQ(selectedNames(list), QStringList{"z"});
    EXPECT_TRUE(list->objectsTable()->isExpanded(rowNamed(list, loc("ContextTypeName1") + " (2)")));
}

TEST_F(LibraryTest, LauncherCommandsNeedALauncherOnTheSelectedRow)
{
    QVLauncher* a = launcher(0, "A");
    QVLauncher* b = launcher(0, "B");
    QVELibraryViewer* list = showLibrary().launchersViewer();
    const QString group = loc("LauncherTypeName0") + " (2)", nameA = a->nameValue(), nameB = b->nameValue();
    const struct {
        QStringList selected; // the last one is the current row
        bool on;
    } cases[] = {{{}, false}, {{nameA}, true}, {{nameA, group}, false}, {{nameB, nameA}, true}};
    for (const auto& c : cases) {
        select(list, c.selected);
        for (const char* verb : {"copy", "clear", "edit"})
            EXPECT_EQ(enabled(list, verb), c.on) << verb << " with " << qPrintable(c.selected.join(","));
        EXPECT_FALSE(enabled(list, "paste"));
    }
    // Enabled, they act on the launcher rows only.
    select(list, {group, nameB, nameA});
    EXPECT_EQ(list->selectedObjectsIDArray(), (QList<quint32>{a->IDValue(), b->IDValue()}));
    list->verbInTableView("copy", nullptr, list->objectsTable());
    const auto copied = recordsFromPasteboard(QApplication::clipboard()->mimeData(), "QVLauncherPboardType");
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->size(), 2);
}

TEST_F(LibraryTest, ADragWithAGroupRowWritesNothing)
{
    launcher(0, "A");
    QVLauncher* b = launcher(0, "B");
    QVELibraryViewer* list = showLibrary().launchersViewer();
    select(list, {b->nameValue()});
    std::unique_ptr<QMimeData> drag = dragOf(list->objectsTable());
    ASSERT_TRUE(drag);
    const auto records = recordsFromPasteboard(drag.get(), "QVLauncherPboardType");
    ASSERT_TRUE(records);
    EXPECT_EQ(*records, QVariantList{b->dictValue()});
    select(list, {b->nameValue(), loc("LauncherTypeName0") + " (2)"});
    EXPECT_FALSE(dragOf(list->objectsTable()));
    EXPECT_EQ(list->draggingSourceOperationMask(Qt::AltModifier), Qt::MoveAction);
}

TEST_F(LibraryTest, DoubleClicksOpenGroupsAndEditors)
{
    QVLauncher* a = launcher(0, "A");
    launcher(3);
    QVELibraryViewer* list = showLibrary().launchersViewer();
    QVEOutlineView* outline = list->objectsTable();
    const QModelIndex group = rowNamed(list, loc("LauncherTypeName0") + " (1)");
    list->doubleClicked(group);
    EXPECT_FALSE(outline->isExpanded(group));
    list->doubleClicked(group);
    EXPECT_TRUE(outline->isExpanded(group));
    list->doubleClicked(rowNamed(list, a->nameValue()));
    ASSERT_EQ(editors.size(), 1u);
    EXPECT_EQ(editors[0]->calls, QStringList{"displayWithLauncher"});
}

TEST_F(LibraryTest, AClickOnTheUsedMarkOfAUsedObjectAsksForTheMenuOfItsUsers)
{
    QVLauncher* used = launcher(0, "A");
    QVLauncher* unused = launcher(0, "B");
    QVShortcut* user = addShortcut({}, {used->IDValue()});
    QVELibrary& library = showLibrary();
    library.displayWithLaunchers();
    QList<QList<zelk::QVEMainObject*>> asked;
    library.setMenuForObjects([&](const QList<zelk::QVEMainObject*>& objects) -> QMenu* {
        asked << objects;
        return nullptr;
    });
    QVELibraryViewer* list = library.launchersViewer();
    QVEOutlineView* outline = list->objectsTable();
    const auto click = [&](QVLauncher* launcher, bool onTheMark) {
        const QRect cell = outline->visualRect(rowNamed(list, launcher->nameValue()).siblingAtColumn(1));
        QTest::mouseClick(outline->viewport(), Qt::LeftButton, {}, onTheMark ? cell.center() : cell.topLeft() + QPoint(1, 1));
    };
    click(unused, true);
    click(used, false);
    EXPECT_TRUE(asked.isEmpty());
    click(used, true);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], QList<zelk::QVEMainObject*>{user});
    library.setMenuForObjects({});
}

TEST_F(LibraryTest, ActionsByFamilyNameThenModelTitleThenName)
{
    FirstFamily first;
    SecondFamily second;
    zelk::ClassRegistry::shared().registerClass(&first);
    zelk::ClassRegistry::shared().registerClass(&second);
    QVEModelsManager& models = QVEModelsManager::sharedManager();
    models.clear();
    models.addClass(first);
    models.addClass(second);
    action("TestFirstFamily", 1, "zz");
    action("TestFirstFamily", 2, "b", true);
    zelk::QVEAction* used = action("TestFirstFamily", 2, "A");
    action("TestSecondFamily", 1, "only");
    action("QVEAction", 0, "classless");
    addShortcut({used->IDValue()});
    QVELibraryViewer* list = showLibrary().commandsViewer();
    const QString f1000 = loc("FamilyName1000"), f1001 = loc("FamilyName1001");
    QStringList expected;
    const QStringList firstRows{f1001 + " (3)", "  alpha (2)", "    A|used|valid", "    b", "  Zeta (1)", "    zz|valid"};
    const QStringList secondRows{f1000 + " (1)", "  Only (1)", "    only|valid"};
    // Ascending localised family names; the model without actions has no row.
    if (f1000.compare(f1001, Qt::CaseInsensitive) <= 0)
        expected << secondRows << firstRows;
    else
        expected << firstRows << secondRows;
    EXPECT_EQ(rows(list), expected);

    // Paste follows the clipboard alone; the rest want an action.
    select(list, {"alpha (2)"});
    EXPECT_FALSE(enabled(list, "copy"));
    EXPECT_FALSE(enabled(list, "run"));
    select(list, {"A"});
    for (const char* verb : {"copy", "clear", "export", "edit", "duplicate", "run", "newShortcut", "newMenu", "newPalette"})
        EXPECT_TRUE(enabled(list, verb)) << verb;
    EXPECT_FALSE(enabled(list, "cut"));

    for (QVELibraryViewer* each : lists())
        each->disconnectViewer();
    models.clear();
    zelk::ClassRegistry::shared().unregisterClass("TestFirstFamily");
    zelk::ClassRegistry::shared().unregisterClass("TestSecondFamily");
}

TEST_F(LibraryTest, ContextsListTheUniversalRowFirstAndNeedASelection)
{
    QVContext* app = context(1, "Text editor");
    addShortcut({}, {}, {0});
    QVELibraryViewer* list = showLibrary().contextsViewer();
    const QString universal = loc("ContextTypeName0"), type1 = loc("ContextTypeName1");
    EXPECT_EQ(rows(list), (QStringList{universal + "|used", type1 + " (1)", "  Text editor"}));

    // No selected row: nothing to copy, clear or edit, and the user's
    // clipboard stays as it was.
    QApplication::clipboard()->setText("the user's");
    select(list, {});
    const struct {
        QStringList selected;
        bool copy, clear, edit;
    } cases[] = {{{}, false, false, false},
                 {{universal}, true, false, true},
                 {{type1 + " (1)"}, false, false, false},
                 {{"Text editor"}, true, true, true}};
    for (const auto& c : cases) {
        select(list, c.selected);
        EXPECT_EQ(enabled(list, "copy"), c.copy) << qPrintable(c.selected.join(","));
        EXPECT_EQ(enabled(list, "clear"), c.clear) << qPrintable(c.selected.join(","));
        EXPECT_EQ(enabled(list, "edit"), c.edit) << qPrintable(c.selected.join(","));
    }
    select(list, {});
    list->verbInTableView("copy", nullptr, list->objectsTable());
    EXPECT_EQ(QApplication::clipboard()->text(), "the user's");

    // The universal row stands for the universal context.
    select(list, {universal});
    list->verbInTableView("copy", nullptr, list->objectsTable());
    const auto copied = recordsFromPasteboard(QApplication::clipboard()->mimeData(), "QVContextPboardType");
    ASSERT_TRUE(copied);
    EXPECT_EQ(*copied, QVariantList{store->contextWithID(0)->dictValue()});
    std::unique_ptr<QMimeData> drag = dragOf(list->objectsTable());
    ASSERT_TRUE(drag);
    select(list, {universal, type1 + " (1)"});
    EXPECT_FALSE(dragOf(list->objectsTable()));

    // Deleting the only context of a type takes its group away.
    QVEContextsManager::sharedManager().delContextsID({app->IDValue()}, false);
    EXPECT_EQ(rows(list), (QStringList{universal + "|used"}));
}

TEST_F(LibraryTest, TheLayoutComesBackAsSaved)
{
    QVELibrary& library = QVELibrary::sharedLibrary();
    library.setLibraryPref({{"displayed", true}, {"rect", "{{40, 50}, {300, 400}}"}, {"selobject", "3"}});
    EXPECT_TRUE(library.window()->isVisible());
    QVariantMap pref = library.libraryPref();
    EXPECT_EQ(pref.value("selobject").toString(), "3");
    EXPECT_TRUE(pref.value("displayed").toBool());
    bool ok = false;
    const QRectF frame = zelk::rectFromString(pref.value("rect").toString(), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(frame.size(), QSizeF(300, 400));
    // A tab that does not exist leaves the tab alone.
    library.setLibraryPref({{"displayed", false}, {"selobject", "9"}});
    EXPECT_EQ(library.selectedTab(), "3");
    library.displayWithLaunchers();
    EXPECT_EQ(library.libraryPref().value("selobject").toString(), "1");
}

} // namespace
