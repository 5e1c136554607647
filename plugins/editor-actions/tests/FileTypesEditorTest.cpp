// The types that name documents, folders, addresses and printers, editing
// side: their models and defaults, former model numbers, drops, validity,
// and the editing cycle with undo in their views.
#include "DocumentShortcut/DocumentShortcut.h"
#include "FinderWindowShortcut/FinderWindowShortcut.h"
#include "FolderShortcut/FolderShortcut.h"
#include "PaneTestSupport.h"
#include "PrintShortcut/PrintShortcut.h"
#include "URLShortcut/URLShortcut.h"
#include "VirtualPlatform.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUndoStack>
#include <QUrl>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::editor;
using namespace zelk::test;

namespace {

// Folder and document panels that answer what the test queued.
class FileTypesUtility : public KeyTypesUtility {
public:
    QString getFolderFromPath(const QString& path) override
    {
        folderStarts.append(path);
        return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
    }
    QStringList folderAnswers;
    QStringList folderStarts;
};

std::unique_ptr<QMimeData> filesPasteboard(const QStringList& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

// --- Folder menus ---------------------------------------------------------------------------

class FolderShortcutEditorTest : public PaneTypeTest<FolderShortcut, FolderShortcutClass, FileTypesUtility> {
protected:
    FolderShortcutEditorTest() : PaneTypeTest("FolderShortcut", "Folder") {}
    void SetUp() override
    {
        PaneTypeTest::SetUp();
        folder = home->path() + "/Projects";
        QDir().mkpath(folder);
    }
    QString folder;
};

TEST_F(FolderShortcutEditorTest, UnknownModelValidatesUnchanged)
{
    const QVariantMap stored = params({{"Action", 7}, {"Depth", 4}, {"Whatever", "kept"}});
    auto action = make(stored);
    auto editor = open(action);
    EXPECT_EQ(editor->accessory->findChildren<QWidget*>().size(), 0) << "no view for an unknown model";
    EXPECT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), stored);
}

TEST_F(FolderShortcutEditorTest, DefaultsAndMissingKeys)
{
    QVariantMap expected = params({{"Action", 1}, {"Path", ""}, {"FSRef", QByteArray()}, {"Depth", 1}});
    FolderMenuFlags().write(expected);
    EXPECT_EQ(cls->dataForAction(1, {}), expected);
    auto action = make(params({{"Action", 1}, {"Path", folder}}));
    auto editor = open(action);
    EXPECT_EQ(editor->control<QLineEdit>("CUTDepthField")->text(), "0");
    EXPECT_TRUE(editor->control<QCheckBox>("CUTDisplayIconCheck")->isChecked());
    EXPECT_FALSE(editor->control<QCheckBox>("CUTGenericIconsCheck")->isChecked());
    EXPECT_TRUE(action->isValid());
    EXPECT_FALSE(make(params({{"Action", 1}, {"Path", ""}}))->isValid());
}

TEST_F(FolderShortcutEditorTest, BoxesFollowEachOtherAndUndo)
{
    QVariantMap data = cls->dataForAction(2, {});
    data.insert("GIcons", true);
    data.insert("ShowPackageContent", true);
    auto action = make(data);
    auto editor = open(action);
    auto* icons = editor->control<QCheckBox>("CUTDisplayIconCheck");
    auto* generic = editor->control<QCheckBox>("CUTGenericIconsCheck");
    auto* apps = editor->control<QCheckBox>("CUTShowApplicationCheck");
    auto* packages = editor->control<QCheckBox>("CUTShowPackageContentCheck");
    auto* open = editor->control<QCheckBox>("CUTOpenFolderCheck");
    ASSERT_TRUE(icons && generic && apps && packages && open);

    icons->click();
    EXPECT_FALSE(generic->isChecked());
    EXPECT_FALSE(generic->isEnabled());
    apps->click();
    EXPECT_FALSE(packages->isChecked());
    EXPECT_FALSE(packages->isEnabled());
    QUndoStack* undo = action->undoManager();
    ASSERT_EQ(undo->count(), 2);
    EXPECT_EQ(undo->undoText(), "Hide Applications");
    undo->undo();
    undo->undo();
    EXPECT_TRUE(icons->isChecked());
    EXPECT_TRUE(generic->isChecked());
    EXPECT_TRUE(packages->isChecked());

    // The same depth again is no step; the open-folder box has none but is stored.
    auto* depth = editor->control<QLineEdit>("CUTDepthField");
    depth->setText("1");
    action->modifyDepth();
    open->click();
    EXPECT_EQ(undo->count(), 2);
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_TRUE(action->dataValue().value("FolderOpen").toBool());
    EXPECT_TRUE(action->dataValue().value("GIcons").toBool());
}

TEST_F(FolderShortcutEditorTest, DroppedFoldersOnly)
{
    const QString file = writeFile(home->path() + "/note.txt", "x");
    EXPECT_EQ(cls->modelsIDForPasteboard(filesPasteboard({folder}).get()), QList<int>{1});
    EXPECT_TRUE(cls->modelsIDForPasteboard(filesPasteboard({folder, file}).get()).isEmpty());
    const QVariantList records = cls->newDatasWithPasteboard(filesPasteboard({folder, file}).get(), 1);
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].toMap().value("actiondata").toMap().value("Path").toString(), folder);
}

// --- Documents -------------------------------------------------------------------------------

class DocumentShortcutEditorTest : public PaneTypeTest<DocumentShortcut, DocumentShortcutClass, FileTypesUtility> {
protected:
    DocumentShortcutEditorTest() : PaneTypeTest("DocumentShortcut", "Document") {}
    void SetUp() override
    {
        PaneTypeTest::SetUp();
        doc = writeFile(home->path() + "/Letters/letter.odt", "x");
        writeDesktopEntry(home->dataHome() + "/applications", "org.zelktest.Writer.desktop", "Writer");
    }
    QString doc;
};

TEST_F(DocumentShortcutEditorTest, FormerModelsEditAsTheirsAndKeepTheirNumber)
{
    const QVariantMap stored = params({{"Action", 1}, {"DocPath", doc}, {"AppName", ""}});
    auto action = make(stored);
    auto editor = open(action);
    ASSERT_NE(editor->control<QComboBox>("CUTDocButton"), nullptr) << "model 1 opens the model 2 view";
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue().value("Action").toInt(), 1);
    EXPECT_EQ(action->dataValue().value("DocPath").toString(), doc);
    EXPECT_NE(make(params({{"Action", 4}}))->imageValueWithSize(16), QImage()) << "model 4 stands for 5";
}

TEST_F(DocumentShortcutEditorTest, NamesValidityAndDrops)
{
    EXPECT_EQ(cls->nameForAction(2, doc, ""), "Open letter");
    EXPECT_EQ(cls->nameForAction(2, doc, "org.zelktest.Writer"), "Open letter with Writer");
    EXPECT_EQ(cls->nameForAction(5, "", ""), "Open Copied Documents");
    EXPECT_FALSE(make(cls->dataForAction(2, "", ""))->isValid());
    EXPECT_TRUE(make(cls->dataForAction(2, doc, "org.zelktest.Writer"))->isValid());
    auto unknownApp = make(cls->dataForAction(2, home->path() + "/gone.odt", "NoSuch"));
    EXPECT_TRUE(unknownApp->notValidString().contains("gone.odt"));
    EXPECT_TRUE(unknownApp->notValidString().contains("NoSuch"));

    const QString other = writeFile(home->path() + "/b.txt", "y");
    EXPECT_EQ(cls->newDatasWithPasteboard(filesPasteboard({doc, other}).get(), 2).size(), 2);
    EXPECT_TRUE(cls->modelsIDForPasteboard(filesPasteboard({doc, home->path() + "/Letters"}).get()).isEmpty());
}

TEST_F(DocumentShortcutEditorTest, ChoosingTheDefaultApplicationAgainIsNoStep)
{
    auto action = make(cls->dataForAction(2, doc, ""));
    auto editor = open(action);
    action->modifyApplication(0);
    EXPECT_EQ(action->undoManager()->count(), 0);
    scope.utility.documentAnswers = {""};
    action->modifyDocument();
    EXPECT_EQ(action->undoManager()->count(), 0) << "a cancelled panel changes nothing";
}

// --- Web addresses -----------------------------------------------------------------------------

class URLShortcutEditorTest : public PaneTypeTest<URLShortcut, URLShortcutClass, FileTypesUtility> {
protected:
    URLShortcutEditorTest() : PaneTypeTest("URLShortcut", "Address") {}
};

TEST_F(URLShortcutEditorTest, NewAddressAndPastedText)
{
    const QVariantMap record = cls->newDataForAction(1);
    EXPECT_EQ(record.value("actiondata").toMap(), params({{"Action", 1}, {"Address", "http://www."}, {"Application", ""}}));
    EXPECT_TRUE(make(record.value("actiondata").toMap())->isValid());
    EXPECT_EQ(cls->nameForAction(1, "http://www."), "Open www.");
    QMimeData text;
    text.setText("exa mple");
    EXPECT_TRUE(cls->modelsIDForPasteboard(&text).isEmpty());
    text.setText("bareword");
    EXPECT_EQ(cls->modelsIDForPasteboard(&text), QList<int>{1});
    EXPECT_FALSE(make(params({{"Action", 1}, {"Address", "a b"}}))->isValid());
    EXPECT_TRUE(make(params({{"Action", 2}, {"Address", ""}}))->isValid());
}

TEST_F(URLShortcutEditorTest, MessageIsStoredOnValidationOnly)
{
    auto action = make(cls->dataForAction(2, "jo@example.org"));
    auto editor = open(action);
    auto* body = editor->control<QPlainTextEdit>("CUTMessageTextView");
    ASSERT_NE(body, nullptr);
    body->setPlainText("one\ntwo & three");
    action->abortEditing();
    EXPECT_EQ(action->dataValue().value("Message").toString(), "");
    editor = open(action);
    body->setPlainText("one\ntwo & three");
    auto* subject = editor->control<QLineEdit>("CUTSubjectField");
    subject->setText("Hi");
    action->modifySubject();
    EXPECT_EQ(action->undoManager()->undoText(), "Subject “Hi”");
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue().value("Message").toString(), "one\ntwo & three");
    EXPECT_EQ(action->dataValue().value("Subject").toString(), "Hi");
}

// --- Printing ----------------------------------------------------------------------------------

class PrintShortcutEditorTest : public PaneTypeTest<PrintShortcut, PrintShortcutClass, FileTypesUtility> {
protected:
    PrintShortcutEditorTest() : PaneTypeTest("PrintShortcut", "Print") {}
    void SetUp() override
    {
        PaneTypeTest::SetUp();
        ASSERT_NE(VirtualPlatform::current(), nullptr);
        VirtualPlatform::current()->virtualPrinting().setPrinters({"Office", "Lab"}, "Office");
        folder = home->path() + "/Reports";
        QDir().mkpath(folder);
    }
    QString folder;
};

TEST_F(PrintShortcutEditorTest, ValidityAsATable)
{
    struct Case {
        QVariantMap data;
        bool valid;
    } cases[] = {
        {params({{"Action", 1}, {"Printer", ""}}), false},
        {params({{"Action", 1}, {"Printer", "Lab"}}), true},
        {params({{"Action", 1}, {"Printer", "Typed"}}), false},
        {params({{"Action", 2}}), true},
        {params({{"Action", 3}, {"Printer", ""}}), true},
        {params({{"Action", 3}, {"Printer", "Typed"}}), false},
        {params({{"Action", 4}, {"Path", folder}, {"Printer", ""}}), true},
        {params({{"Action", 4}, {"Path", folder + "/gone"}, {"Printer", "Lab"}}), false},
        {params({{"Action", 9}}), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(make(c.data)->isValid(), c.valid) << c.data.value("Action").toInt() << " "
                                                    << c.data.value("Printer").toString().toStdString();
}

TEST_F(PrintShortcutEditorTest, DropsAndNames)
{
    const QString other = home->path() + "/Other";
    QDir().mkpath(other);
    const QString file = writeFile(home->path() + "/a.pdf", "x");
    EXPECT_TRUE(cls->modelsIDForPasteboard(filesPasteboard({folder, other, file}).get()).isEmpty());
    QVEAction::setSuggestNameNew(true);
    const QVariantList records = cls->newDatasWithPasteboard(filesPasteboard({folder, other}).get(), 4);
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].toMap().value("actionname").toString(), "Print Reports");
    EXPECT_EQ(cls->nameForAction(3, "Lab", ""), "Print Copied Documents on Lab");
}

TEST_F(PrintShortcutEditorTest, TypedPrinterIsStoredWithUndo)
{
    auto action = make(params({{"Action", 3}, {"Printer", ""}}));
    auto editor = open(action);
    auto* combo = editor->control<QComboBox>("CUTPrinterCombo");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 2);
    combo->setEditText("Typed");
    action->modifyPrinter();
    EXPECT_EQ(action->undoManager()->undoText(), "Printer “Typed”");
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue().value("Printer").toString(), "Typed");
    EXPECT_FALSE(action->isValid());
}

// --- File-manager windows ---------------------------------------------------------------------------

class FinderWindowShortcutEditorTest
    : public PaneTypeTest<FinderWindowShortcut, FinderWindowShortcutClass, FileTypesUtility> {
protected:
    FinderWindowShortcutEditorTest() : PaneTypeTest("FinderWindowShortcut", "Window") {}
};

TEST_F(FinderWindowShortcutEditorTest, DefaultsBoxesAndBounds)
{
    EXPECT_EQ(cls->dataForAction(2, {}), params({{"Action", 2}, {"ViewType", 3}, {"WindowRect", "{{0, 0}, {0, 0}}"}}));
    auto action = make(params({{"Action", 1}, {"Path", home->path()}, {"NewWindow", true}, {"CloseAll", true},
                               {"ViewType", 3}, {"WindowRect", "{{0, 0}, {0, 0}}"}}));
    auto editor = open(action);
    auto* newWindow = editor->control<QCheckBox>("CUTNewWindowCheck");
    auto* closeAll = editor->control<QCheckBox>("CUTCloseAllCheck");
    auto* custom = editor->control<QCheckBox>("CUTCustomWindowCheck");
    ASSERT_TRUE(newWindow && closeAll && custom);
    newWindow->click();
    EXPECT_FALSE(closeAll->isChecked());
    EXPECT_FALSE(closeAll->isEnabled());
    action->undoManager()->undo();
    EXPECT_TRUE(newWindow->isChecked());
    EXPECT_TRUE(closeAll->isChecked());

    custom->click();
    EXPECT_EQ(editor->control<QLineEdit>("CUTWRectField")->text(), "400");
    // Typed bounds are stored even without ending the entry.
    editor->control<QLineEdit>("CUTXRectField")->setText("100");
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue().value("WindowRect").toString(), "{{100, 20}, {400, 300}}");
    EXPECT_EQ(FinderWindowShortcutModels::rectFromString("{{100, 80}, {800, 600}}"), QRect(100, 80, 800, 600));
    EXPECT_EQ(FinderWindowShortcutModels::rectFromString("{1, 2}"), QRect());
}

} // namespace
