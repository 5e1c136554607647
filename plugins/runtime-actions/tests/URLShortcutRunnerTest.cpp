// The web-address action type, running side: mail links with every special
// character, the address handed to the chosen application itself, refusals
// reported.
#include "URLShortcut/URLShortcut.h"
#include "FileTypesTestSupport.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <QDir>
#include <QFile>
#include <QUrlQuery>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::engine;
using namespace zelk::test;

namespace {

TEST(URLShortcutMailLink, EscapesEverySpecialCharacterOfSubjectAndBody)
{
    struct Case {
        QString recipient, subject, body, link;
    } cases[] = {
        {"", "", "", "mailto:?subject=&body="},
        {"jo@example.org", "Hello world", "Line 1\nLine 2", "mailto:jo@example.org?subject=Hello%20world&body=Line%201%0ALine%202"},
        {"a@x.org,b@y.org", "Q&A = fun?", "#1 100% / ok", "mailto:a@x.org,b@y.org?subject=Q%26A%20%3D%20fun%3F&body=%231%20100%25%20%2F%20ok"},
        {"jo@example.org", "Café", "\r\n", "mailto:jo@example.org?subject=Caf%C3%A9&body=%0D%0A"},
        {"x&y@example.org", "s", "b", "mailto:x%26y@example.org?subject=s&body=b"},
    };
    for (const Case& c : cases) {
        const QString link = URLShortcut::mailtoLink(c.recipient, c.subject, c.body);
        EXPECT_EQ(link, c.link);
        // Read back, every part is what was given.
        const QUrlQuery query(QUrl(link).query());
        EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded), c.subject) << c.link.toStdString();
        EXPECT_EQ(query.queryItemValue("body", QUrl::FullyDecoded), c.body) << c.link.toStdString();
        EXPECT_EQ(query.queryItems().size(), 2);
    }
}

class URLShortcutRunnerTest : public TempHomeTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loadActionRunners());
        ASSERT_NE(VirtualPlatform::current(), nullptr);
        docs = &VirtualPlatform::current()->virtualDocuments();
        ws = &VirtualPlatform::current()->virtualWorkspace();
        docs->clearRequests();
        ws->clearRequests();
        const QString apps = home->dataHome() + "/applications";
        QDir().mkpath(apps);
        entry = apps + "/org.example.Browser.desktop";
        QFile file(entry);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nType=Application\nName=Browser\nExec=browser %u\n");
    }

    QString run(const QVariantMap& data)
    {
        return runAction(actionWithParameters("URLShortcut", "url", 4, data), controller);
    }

    VirtualDocumentServices* docs = nullptr;
    VirtualWorkspace* ws = nullptr;
    QString entry;
    std::shared_ptr<TestController> controller = std::make_shared<TestController>();
};

TEST_F(URLShortcutRunnerTest, TheChosenApplicationGetsTheAddressItself)
{
    EXPECT_EQ(run(params({{"Action", 1}, {"Address", "https://example.org/a?b=c"}, {"Application", "org.example.Browser"}})), "");
    EXPECT_EQ(ws->requests(), QStringList{"launch " + entry + " https://example.org/a?b=c"});
    EXPECT_TRUE(docs->requests().isEmpty());
    EXPECT_EQ(run(params({{"Action", 2}, {"Address", "jo@example.org"}, {"Subject", "a&b"}, {"Application", "org.example.Browser"}})), "");
    EXPECT_EQ(ws->requests().last(), "launch " + entry + " mailto:jo@example.org?subject=a%26b&body=");
}

TEST_F(URLShortcutRunnerTest, DefaultHandlerAndItsRefusal)
{
    EXPECT_EQ(run(params({{"Action", 1}, {"Address", "https://example.org"}})), "");
    EXPECT_EQ(docs->requests(), QStringList{"open https://example.org"});
    docs->setCannotOpen("nosuch:thing");
    EXPECT_TRUE(run(params({{"Action", 1}, {"Address", "nosuch:thing"}})).contains("nosuch:thing"));
    docs->setCannotOpen("nosuch:thing", false);
}

TEST_F(URLShortcutRunnerTest, BadAddressOrApplicationFailsBeforeAnythingOpens)
{
    EXPECT_TRUE(run(params({{"Action", 1}, {"Address", "http://exa mple.org"}})).contains("exa mple"));
    EXPECT_TRUE(run(params({{"Action", 1}, {"Address", ""}})).size() > 0);
    EXPECT_TRUE(run(params({{"Action", 1}, {"Address", "https://example.org"}, {"Application", "NoSuch"}})).contains("NoSuch"));
    EXPECT_TRUE(docs->requests().isEmpty());
    EXPECT_TRUE(ws->requests().isEmpty());
}

} // namespace
