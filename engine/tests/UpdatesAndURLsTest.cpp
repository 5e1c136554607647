// The version comparator, the appcast checker (its feed served from a file
// and from a loopback server) and the engine's URL schemes.
#include "EngineAppTestSupport.h"

#include "QVSparkle.h"
#include "URLHandlerCommand.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

using namespace engine;
using namespace engine::test;

namespace {

TEST(QVSparkleVersionComparator, ComparesDotSeparatedNumbersAsIntegers)
{
    const struct {
        const char* a;
        const char* b;
        int order;
    } cases[] = {
        {"2.5.1", "2.5.10", -1}, {"2.5.10", "2.5.1", 1}, {"2.6", "2.5.1", 1}, {"2.5.1", "2.6", -1},
        {"3", "3", 0},           {"3", "3.0", 0},        {"3.0.0", "3", 0},   {"10.0", "9.9.9", 1},
        {"1.2", "1.10", -1},     {"2..5", "2.5", 0},     {"0.1.0", "0.1.1", -1}, {"2.0", "2.0b", -1},
        {"", "0", 0},
    };
    const QVSparkleVersionComparator comparator;
    for (const auto& c : cases)
        EXPECT_EQ(comparator.compareVersion(c.a, c.b), c.order) << c.a << " vs " << c.b;
}

TEST(URLHandlerCommand, OnlyTheManualURLOfTheEnginesSchemesOpensTheManual)
{
    using Target = URLHandlerCommand::Target;
    const struct {
        const char* url;
        Target target;
    } cases[] = {
        {"zelk://manual", Target::Manual},
        {"ZELK://MANUAL", Target::Manual},
        {"quov://manual", Target::Manual},
        {"zelk://manual/chapter-2", Target::Manual},
        {"zelk:%2F%2Fmanual", Target::Manual},      // percent-decoded first
        {"zelk://%4Danual", Target::Manual},
        {"zelk:manual", Target::None},              // no two slashes
        {"zelk://manual&page=2", Target::None},     // "&": another request
        {"zelk://manual%26page", Target::None},     // "&" after decoding too
        {"zelk://manual&", Target::None},
        {"zelk://editor", Target::None},
        {"http://manual", Target::None},
        {"manual", Target::None},                   // no scheme at all
        {"zelk://manual:extra", Target::Manual},    // the rest keeps its ":"
    };
    for (const auto& c : cases)
        EXPECT_EQ(URLHandlerCommand::targetOfURL(c.url), c.target) << c.url;
    EXPECT_TRUE(URLHandlerCommand::isEngineURL("Quov://x"));
    EXPECT_FALSE(URLHandlerCommand::isEngineURL("/home/user/file.txt"));
}

QByteArray appcast(const QStringList& items)
{
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><title>Zelk</title>)" +
           items.join("").toUtf8() + "</channel></rss>";
}

QString enclosureItem(const QString& version, const QString& shown = {})
{
    return QString(R"(<item><title>Zelk %1</title><link>https://zelk.org/releases/%1</link>
<enclosure url="https://zelk.org/download/zelk-%1.deb" sparkle:version="%1" %2 length="1" type="application/octet-stream"/></item>)")
        .arg(version, shown.isEmpty() ? QString() : QString("sparkle:shortVersionString=\"%1\"").arg(shown));
}

TEST(QVUpdater, AppcastOffersAreReadFromEnclosuresOrElements)
{
    QString error;
    const QList<QVUpdateItem> items = QVUpdater::parseAppcast(
        appcast({enclosureItem("2.5.10", "2.5.10 beta"),
                 "<item><title>Zelk 3</title><sparkle:version>3.0</sparkle:version><enclosure url=\"https://x/3.deb\"/></item>",
                 "<item><title>no version</title></item>"}),
        &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].version, "2.5.10");
    EXPECT_EQ(items[0].displayVersion, "2.5.10 beta");
    EXPECT_EQ(items[0].fileURL, QUrl("https://zelk.org/download/zelk-2.5.10.deb"));
    EXPECT_EQ(items[0].infoURL, QUrl("https://zelk.org/releases/2.5.10"));
    EXPECT_EQ(items[1].version, "3.0");
    EXPECT_EQ(items[1].displayVersion, "3.0");

    EXPECT_TRUE(QVUpdater::parseAppcast("<rss><channel><item>", &error).isEmpty());
    EXPECT_FALSE(error.isEmpty()) << "a broken feed says so";
}

// The updater's outcomes, by whether the user asked for the check.
struct Outcomes {
    explicit Outcomes(QVUpdater& updater)
    {
        QObject::connect(&updater, &QVUpdater::checkFinished,
                         [this](bool userInitiated, bool, const QVUpdateItem&, const QString&) { userInitiatedChecks << userInitiated; });
    }
    QList<bool> userInitiatedChecks;
};

// Records what the updater told its delegate.
class RecordingDelegate : public QVSparkleDelegate {
public:
    void updaterDidFindValidUpdate(QVUpdater*, const QVUpdateItem& item) override { told << "found " + item.version; }
    void updaterDidNotFindUpdate(QVUpdater*) override { told << "none"; }
    void updaterDidAbortWithError(QVUpdater*, const QString&) override { told << "error"; }
    QStringList told;
};

class QVUpdaterTest : public zelk::test::TempHomeTest {
protected:
    // One check of the feed; what the delegate heard.
    QStringList checkOnce(const QUrl& feed, const QString& running, bool userInitiated = true)
    {
        QVUpdater updater(running);
        RecordingDelegate delegate;
        updater.setDelegate(&delegate);
        updater.setFeedURL(feed);
        Outcomes finished(updater);
        if (userInitiated)
            updater.checkForUpdates();
        else
            updater.checkForUpdatesInBackground();
        EXPECT_TRUE(waitUntil([&] { return finished.userInitiatedChecks.size() == 1; }, 15000));
        EXPECT_EQ(finished.userInitiatedChecks, QList<bool>{userInitiated});
        return delegate.told;
    }

    QUrl feedFile(const QByteArray& content)
    {
        const QString path = dir.path() + QString("/appcast-%1.xml").arg(++files);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return QUrl::fromLocalFile(path);
    }

    QTemporaryDir dir;
    int files = 0;
};

TEST_F(QVUpdaterTest, TheNewestNewerOfferIsFoundFromAFileFeed)
{
    const QUrl feed = feedFile(appcast({enclosureItem("2.5.1"), enclosureItem("2.6"), enclosureItem("2.5.10")}));
    const struct {
        const char* running;
        const char* told;
    } cases[] = {
        {"2.5.1", "found 2.6"},
        {"2.5.9", "found 2.6"},
        {"2.6", "none"},
        {"2.6.0", "none"},
        {"10.0", "none"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(checkOnce(feed, c.running), QStringList{c.told}) << c.running;
    EXPECT_TRUE(zelk::UserDefaults::standard().value("SULastCheckTime").toDateTime().isValid()) << "the check is remembered";
}

TEST_F(QVUpdaterTest, AMissingFeedOrFileIsAnError)
{
    EXPECT_EQ(checkOnce(QUrl(), "1.0"), QStringList{"error"});
    EXPECT_EQ(checkOnce(QUrl::fromLocalFile(dir.path() + "/none.xml"), "1.0"), QStringList{"error"});
    EXPECT_EQ(checkOnce(feedFile("not a feed <"), "1.0"), QStringList{"error"});
}

TEST_F(QVUpdaterTest, TheFeedIsReadOverHTTPFromALoopbackServer)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const QByteArray body = appcast({enclosureItem("9.1")});
    QStringList requests;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
            const QByteArray request = socket->readAll();
            requests << QString::fromLatin1(request.left(request.indexOf('\r')));
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nConnection: close\r\nContent-Length: " +
                          QByteArray::number(body.size()) + "\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
    });
    const QUrl feed(QString("http://127.0.0.1:%1/appcast.xml").arg(server.serverPort()));
    EXPECT_EQ(checkOnce(feed, "9.0.3", false), QStringList{"found 9.1"});
    EXPECT_EQ(requests, QStringList{"GET /appcast.xml HTTP/1.1"});
}

TEST_F(QVUpdaterTest, AutomaticChecksFollowTheSetting)
{
    // Never checked before: switched on, a check is due at once.
    QVUpdater updater("1.0");
    RecordingDelegate delegate;
    updater.setDelegate(&delegate);
    updater.setFeedURL(feedFile(appcast({enclosureItem("1.1")})));
    Outcomes finished(updater);
    updater.setAutomaticallyChecksForUpdates(true);
    ASSERT_TRUE(waitUntil([&] { return finished.userInitiatedChecks.size() == 1; }, 15000));
    EXPECT_EQ(finished.userInitiatedChecks, QList<bool>{false}) << "an automatic check is not the user's";
    EXPECT_EQ(delegate.told, QStringList{"found 1.1"});
    // Just checked: the next one waits a day. Switched off, none is due.
    EXPECT_TRUE(updater.automaticallyChecksForUpdates());
    updater.setAutomaticallyChecksForUpdates(false);
    EXPECT_FALSE(updater.automaticallyChecksForUpdates());
    EXPECT_EQ(finished.userInitiatedChecks.size(), 1);
}

} // namespace
