// The clipboard action type, running side, on the virtual desktop with a
// real QClipboard (offscreen platform) and the engine's QVUtility: the
// front application's text field answers the copy, cut and paste strokes.
#include "ClipboardShortcut/ClipboardShortcut.h"
#include "QVUtility.h"
#include "RunnerTestSupport.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::test;
using zelk::engine::ClipboardShortcut;

namespace {

QVariantMap rule(const QString& search, const QString& replace, std::optional<bool> caseSensitive = std::nullopt)
{
    QVariantMap r{{"Search", search}, {"Replace", replace}};
    if (caseSensitive)
        r.insert("Case", *caseSensitive);
    return r;
}

class ClipboardShortcutRunnerTest : public TempHomeTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loadActionRunners());
        desktop = VirtualPlatform::current();
        ASSERT_NE(desktop, nullptr);
        ClassRegistry::shared().registerClass(&::engine::QVUtility::sharedUtility());
        // The user's clipboard: a text with a rich form beside it.
        board().setItems({{"text/plain", "old"}, {"text/html", "<b>old</b>"}});
        desktop->setFrontTextField({}, {}, {});
    }
    void TearDown() override { ClassRegistry::shared().unregisterClass(QStringLiteral("QVUtility")); }

    static ClipboardService& board() { return Platform::instance().clipboard(); }

    QString run(const QVariantMap& data, std::shared_ptr<TestController> controller = std::make_shared<TestController>())
    {
        return runAction(actionWithParameters("ClipboardShortcut", "clip", 21, data), controller);
    }

    VirtualPlatform* desktop = nullptr;
};

TEST_F(ClipboardShortcutRunnerTest, PuttingATextReplacesEveryFormOrAppendsToTheText)
{
    EXPECT_EQ(run({{"Action", 1}, {"Text", "cd"}, {"Add", true}, {"Paste", false}}), "");
    EXPECT_EQ(board().items(), (QList<ClipboardItem>{{"text/plain", "oldcd"}}));
    EXPECT_EQ(run({{"Action", 1}, {"Text", "new"}, {"Add", false}, {"Paste", false}}), "");
    EXPECT_EQ(board().text(), "new");

    // Paste: the front application gets it at its selection.
    desktop->setFrontTextField("a ", "sel", " b");
    EXPECT_EQ(run({{"Action", 1}, {"Text", "X"}, {"Add", false}, {"Paste", true}}), "");
    EXPECT_EQ(desktop->frontText(), "a X b");
}

TEST_F(ClipboardShortcutRunnerTest, CopyAndCutAppendOnlyWhatTheStrokeCopied)
{
    desktop->setFrontTextField("a ", "sel", " b");
    EXPECT_EQ(run({{"Action", 3}, {"Add", true}}), "");
    EXPECT_EQ(board().text(), "oldsel");
    EXPECT_EQ(desktop->frontText(), "a sel b");

    EXPECT_EQ(run({{"Action", 4}, {"Add", false}}), "");
    EXPECT_EQ(board().text(), "sel");
    EXPECT_EQ(desktop->frontText(), "a  b");

    // Nothing selected: the clipboard does not change, so its own text is
    // not appended to itself.
    EXPECT_EQ(run({{"Action", 3}, {"Add", true}}), "");
    EXPECT_EQ(board().text(), "sel");
}

TEST_F(ClipboardShortcutRunnerTest, CaseChangesReplaceTheSelectionAndGiveTheClipboardBack)
{
    const struct {
        int model;
        QString selection, result;
    } cases[] = {
        {6, "Hello wörld", "HELLO WÖRLD"},
        {7, "Hello WÖRLD", "hello wörld"},
        {8, "hello wORLD  it's\tfine", "Hello World  It's\tFine"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        board().setItems({{"text/plain", "old"}, {"text/html", "<b>old</b>"}});
        desktop->setFrontTextField("[", c.selection, "]");
        EXPECT_EQ(run({{"Action", c.model}}), "");
        EXPECT_EQ(desktop->frontText(), "[" + c.result + "]");
        EXPECT_EQ(board().items(), (QList<ClipboardItem>{{"text/plain", "old"}, {"text/html", "<b>old</b>"}}));
    }
}

TEST_F(ClipboardShortcutRunnerTest, NothingSelectedLeavesTheTextAndTheClipboardAsTheyWere)
{
    // The former clipboard text is never converted and pasted in its place.
    for (int model : {6, 9}) {
        SCOPED_TRACE(model);
        desktop->setFrontTextField("ab", {}, "cd");
        EXPECT_EQ(run({{"Action", model}, {"Rules", QVariantList{rule("o", "0")}}}), "");
        EXPECT_EQ(desktop->frontText(), "abcd");
        EXPECT_EQ(board().text(), "old");
    }
}

TEST_F(ClipboardShortcutRunnerTest, RulesApplyInOrderWithTheirCaseAndEscapes)
{
    const struct {
        QVariantMap rule;
        QString text, result;
    } cases[] = {
        {rule("abc", "x", false), "ABC abc", "x x"},
        {rule("abc", "x"), "ABC abc", "ABC x"},
        {rule("abc", "x", true), "ABC abc", "ABC x"},
        {rule("", "x"), "abc", "abc"},
        {rule("\\009", "\\013"), "a\tb", "a\rb"},
        {rule("a.c", "-"), "abc a.c", "abc -"}, // literal, no pattern
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClipboardShortcut::applyRule(c.text, c.rule), c.result) << c.text.toStdString();

    desktop->setFrontTextField("", "one two", "");
    EXPECT_EQ(run({{"Action", 9}, {"Rules", QVariantList{rule("one", "two"), rule("two", "three")}}}), "");
    EXPECT_EQ(desktop->frontText(), "three three");
    EXPECT_EQ(board().text(), "old");

    // A stop between the rules leaves the selection as it was.
    desktop->setFrontTextField("", "one", "");
    auto controller = std::make_shared<TestController>();
    controller->stopAfter = 1;
    EXPECT_EQ(run({{"Action", 9}, {"Rules", QVariantList{rule("one", "1"), rule("1", "2")}}}, controller), "");
    EXPECT_EQ(desktop->frontText(), "one");
    EXPECT_EQ(board().text(), "old");
}

TEST_F(ClipboardShortcutRunnerTest, EscapesStandForTheirCharacter)
{
    const struct {
        QString in, out;
    } cases[] = {
        {"a\\010b", "a\nb"},        {"\\0651", "A1"},  {"x\\000y", "x\\000y"}, {"end\\01", "end\\01"},
        {"\\9x9y", "\ty"},         {"\\300", "\\300"},
        {"\\\\065", "\\A"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClipboardShortcut::interpretString(c.in), c.out) << c.in.toStdString();
}

TEST_F(ClipboardShortcutRunnerTest, SaveAndRestoreKeepTheirSetWhateverRunsBetween)
{
    EXPECT_EQ(run({{"Action", 11}}), "");
    EXPECT_EQ(ClipboardShortcut::savedPasteboard(),
              (QList<ClipboardItem>{{"text/plain", "old"}, {"text/html", "<b>old</b>"}}));

    board().setText("other");
    desktop->setFrontTextField("", "abc", "");
    EXPECT_EQ(run({{"Action", 6}}), ""); // its own copy of the clipboard, not the saved set
    EXPECT_EQ(run({{"Action", 12}}), "");
    EXPECT_EQ(board().items(), (QList<ClipboardItem>{{"text/plain", "old"}, {"text/html", "<b>old</b>"}}));
    board().setText("again");
    EXPECT_EQ(run({{"Action", 12}}), "");
    EXPECT_EQ(board().text(), "old");
}

TEST_F(ClipboardShortcutRunnerTest, FilePathsNeedCopiedFilesElseTheClipboardComesBack)
{
    desktop->setFrontTextField("", "not files", "");
    EXPECT_EQ(run({{"Action", 10}, {"Add", false}}), "");
    EXPECT_EQ(board().items(), (QList<ClipboardItem>{{"text/plain", "old"}, {"text/html", "<b>old</b>"}}));
}

} // namespace
