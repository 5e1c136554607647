#pragma once
// Updates: an appcast checker on QtNetwork in place of an updater
// framework. QVUpdater reads the feed (an RSS appcast: each <item> offers a
// version in its enclosure's or its own "sparkle:version", and the
// enclosure's url), asks QVSparkleVersionComparator whether the newest
// offer is newer than the running version, and tells its delegate,
// QVSparkleDelegate, which logs each step. The feed is the user default
// "SUFeedURL", else the engine's Info.plist key "SUFeedURL"; without one
// nothing is checked (logged once). Automatic checks run every
// "SUScheduledCheckInterval" seconds (Info.plist, default one day) after
// the last one ("SULastCheckTime" in the user defaults).
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUrl>
#include <memory>

class QNetworkAccessManager;
class QTimer;

namespace engine {

class QVUpdater;

// Compares dot-separated numbers as integers, a missing part counting as
// 0 ("2.6" > "2.5.10" > "2.5.1", "3" == "3.0"); a part that is not a
// number compares as text after the numbers.
class QVSparkleVersionComparator {
public:
    // -1 when a is older than b, 0 when the same, 1 when newer.
    int compareVersion(const QString& a, const QString& b) const;
};

// One offer of the feed.
struct QVUpdateItem {
    QString version;        // what the comparator compares
    QString displayVersion; // what the user reads
    QUrl fileURL;           // the download
    QUrl infoURL;           // the release page, when the feed gives one
    QString title;
};

class QVSparkleDelegate {
public:
    virtual ~QVSparkleDelegate() = default;
    virtual void updaterDidFindValidUpdate(QVUpdater* updater, const QVUpdateItem& item);
    virtual void updaterDidNotFindUpdate(QVUpdater* updater);
    virtual void updaterDidAbortWithError(QVUpdater* updater, const QString& error);
    virtual std::unique_ptr<QVSparkleVersionComparator> versionComparatorForUpdater(QVUpdater* updater);
};

class QVUpdater : public QObject {
    Q_OBJECT
public:
    explicit QVUpdater(const QString& currentVersion, QObject* parent = nullptr);
    ~QVUpdater() override;

    void setDelegate(QVSparkleDelegate* delegate);
    QUrl feedURL() const;
    void setFeedURL(const QUrl& url);
    // Seconds between automatic checks.
    double updateCheckInterval() const;
    QDateTime lastUpdateCheckDate() const;
    bool automaticallyChecksForUpdates() const;
    void setAutomaticallyChecksForUpdates(bool on);
    // A check the user asked for (the editor's "check now").
    void checkForUpdates();
    // An automatic check: the same, without telling the user of "no news".
    void checkForUpdatesInBackground();
    bool isChecking() const;

    // Reads an appcast; the offers in feed order, empty when it has none
    // or cannot be read (*error says why).
    static QList<QVUpdateItem> parseAppcast(const QByteArray& xml, QString* error);

signals:
    // Each check's outcome: found (item valid), none, or an error text.
    void checkFinished(bool userInitiated, bool found, const engine::QVUpdateItem& item, const QString& error);

private:
    void check(bool userInitiated);
    void finish(bool userInitiated, const QByteArray& body, const QString& error);
    void scheduleNextCheck();

    QString m_currentVersion;
    QVSparkleDelegate* m_delegate = nullptr;
    QUrl m_feedURL;
    bool m_automatic = false;
    bool m_checking = false;
    bool m_loggedNoFeed = false;
    QNetworkAccessManager* m_network;
    QTimer* m_timer;
};

} // namespace engine
