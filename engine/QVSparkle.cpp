#include "QVSparkle.h"

#include "Bundle.h"
#include "Log.h"
#include "UserDefaults.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QXmlStreamReader>
#include <algorithm>
#include <limits>

namespace engine {

namespace {

constexpr double kDefaultCheckInterval = 86400; // one day
constexpr int kCheckTimeoutMs = 30000;
const QString kLastCheckKey = QStringLiteral("SULastCheckTime");

} // namespace

// --- Comparator ---------------------------------------------------------------------------

int QVSparkleVersionComparator::compareVersion(const QString& a, const QString& b) const
{
    const QStringList left = a.trimmed().split(QLatin1Char('.'), Qt::SkipEmptyParts);
    const QStringList right = b.trimmed().split(QLatin1Char('.'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < std::max(left.size(), right.size()); ++i) {
        const QString x = left.value(i, QStringLiteral("0")), y = right.value(i, QStringLiteral("0"));
        bool xNumber = false, yNumber = false;
        const qulonglong xValue = x.toULongLong(&xNumber), yValue = y.toULongLong(&yNumber);
        int order = 0;
        if (xNumber && yNumber)
            order = xValue < yValue ? -1 : xValue > yValue ? 1 : 0;
        else if (xNumber != yNumber)
            order = xNumber ? -1 : 1; // "2.0" before "2.0b": a number part sorts first
        else
            order = std::clamp(x.compare(y), -1, 1);
        if (order != 0)
            return order;
    }
    return 0;
}

// --- Delegate -----------------------------------------------------------------------------

void QVSparkleDelegate::updaterDidFindValidUpdate(QVUpdater* updater, const QVUpdateItem& item)
{
    zelk::zlog("QVSparkleDelegate", "updater:didFindValidUpdate:")
        << static_cast<void*>(updater) << "didFindUpdate:" << item.displayVersion << item.fileURL.toString();
}

void QVSparkleDelegate::updaterDidNotFindUpdate(QVUpdater* updater)
{
    zelk::zlog("QVSparkleDelegate", "updaterDidNotFindUpdate:") << static_cast<void*>(updater);
}

void QVSparkleDelegate::updaterDidAbortWithError(QVUpdater* updater, const QString& error)
{
    zelk::zlog("QVSparkleDelegate", "updater:didAbortWithError:") << static_cast<void*>(updater) << "error:" << error;
}

std::unique_ptr<QVSparkleVersionComparator> QVSparkleDelegate::versionComparatorForUpdater(QVUpdater*)
{
    return std::make_unique<QVSparkleVersionComparator>();
}

// --- Updater ------------------------------------------------------------------------------

QVUpdater::QVUpdater(const QString& currentVersion, QObject* parent)
    : QObject(parent), m_currentVersion(currentVersion), m_network(new QNetworkAccessManager(this)), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &QVUpdater::checkForUpdatesInBackground);
    const QString fromDefaults = zelk::UserDefaults::standard().stringForKey(QStringLiteral("SUFeedURL"));
    const QString fromBundle = zelk::Bundle::main().objectForInfoDictionaryKey(QStringLiteral("SUFeedURL")).toString();
    m_feedURL = QUrl(fromDefaults.isEmpty() ? fromBundle : fromDefaults);
}

QVUpdater::~QVUpdater() = default;

void QVUpdater::setDelegate(QVSparkleDelegate* delegate) { m_delegate = delegate; }
QUrl QVUpdater::feedURL() const { return m_feedURL; }
void QVUpdater::setFeedURL(const QUrl& url) { m_feedURL = url; }

double QVUpdater::updateCheckInterval() const
{
    bool ok = false;
    const double seconds = zelk::Bundle::main().objectForInfoDictionaryKey(QStringLiteral("SUScheduledCheckInterval")).toDouble(&ok);
    return ok && seconds > 0 ? seconds : kDefaultCheckInterval;
}

QDateTime QVUpdater::lastUpdateCheckDate() const
{
    return zelk::UserDefaults::standard().value(kLastCheckKey).toDateTime();
}

bool QVUpdater::automaticallyChecksForUpdates() const { return m_automatic; }

void QVUpdater::setAutomaticallyChecksForUpdates(bool on)
{
    m_automatic = on;
    if (on)
        scheduleNextCheck();
    else
        m_timer->stop();
}

void QVUpdater::scheduleNextCheck()
{
    if (!m_automatic)
        return;
    const QDateTime last = lastUpdateCheckDate();
    const qint64 intervalMs = qint64(updateCheckInterval() * 1000);
    const qint64 dueInMs = last.isValid() ? std::max<qint64>(0, QDateTime::currentDateTimeUtc().msecsTo(last) + intervalMs) : 0;
    // QTimer takes an int of milliseconds: a far date is looked at again later.
    m_timer->start(int(std::min<qint64>(dueInMs, std::numeric_limits<int>::max())));
}

void QVUpdater::checkForUpdates() { check(true); }
void QVUpdater::checkForUpdatesInBackground() { check(false); }
bool QVUpdater::isChecking() const { return m_checking; }

void QVUpdater::check(bool userInitiated)
{
    if (m_checking)
        return;
    if (!m_feedURL.isValid() || m_feedURL.isEmpty()) {
        if (!m_loggedNoFeed || userInitiated)
            zelk::zlog("QVUpdater", "checkForUpdates") << "no update feed is set (SUFeedURL): nothing to check";
        m_loggedNoFeed = true;
        finish(userInitiated, {}, QStringLiteral("No update feed is set."));
        return;
    }
    m_checking = true;
    QNetworkRequest request(m_feedURL);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(kCheckTimeoutMs);
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply, userInitiated] {
        reply->deleteLater();
        m_checking = false;
        if (reply->error() != QNetworkReply::NoError)
            finish(userInitiated, {}, reply->errorString());
        else
            finish(userInitiated, reply->readAll(), {});
    });
}

void QVUpdater::finish(bool userInitiated, const QByteArray& body, const QString& error)
{
    QString why = error;
    QVUpdateItem best;
    bool found = false;
    if (why.isEmpty()) {
        const QList<QVUpdateItem> items = parseAppcast(body, &why);
        if (why.isEmpty()) {
            zelk::UserDefaults::standard().setValue(kLastCheckKey, QDateTime::currentDateTimeUtc());
            QVSparkleDelegate fallback;
            const std::unique_ptr<QVSparkleVersionComparator> comparator =
                (m_delegate ? m_delegate : &fallback)->versionComparatorForUpdater(this);
            for (const QVUpdateItem& item : items) {
                const QString& than = found ? best.version : m_currentVersion;
                if (comparator->compareVersion(item.version, than) > 0) {
                    best = item;
                    found = true;
                }
            }
        }
    }
    if (m_delegate) {
        if (!why.isEmpty())
            m_delegate->updaterDidAbortWithError(this, why);
        else if (found)
            m_delegate->updaterDidFindValidUpdate(this, best);
        else
            m_delegate->updaterDidNotFindUpdate(this);
    }
    emit checkFinished(userInitiated, found, best, why);
    scheduleNextCheck();
}

QList<QVUpdateItem> QVUpdater::parseAppcast(const QByteArray& xml, QString* error)
{
    QList<QVUpdateItem> items;
    QXmlStreamReader reader(xml);
    QVUpdateItem item;
    bool inItem = false;
    // The version may stand as an element or as the enclosure's attribute;
    // the prefix is the feed's convention, matched by name.
    const auto isVersion = [](QStringView qualified) { return qualified == u"sparkle:version"; };
    const auto isShortVersion = [](QStringView qualified) { return qualified == u"sparkle:shortVersionString"; };
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const QStringView name = reader.qualifiedName();
            if (name == u"item") {
                inItem = true;
                item = {};
            } else if (!inItem) {
                continue;
            } else if (name == u"enclosure") {
                const QXmlStreamAttributes attributes = reader.attributes();
                item.fileURL = QUrl(attributes.value(QLatin1String("url")).toString());
                for (const QXmlStreamAttribute& attribute : attributes) {
                    if (isVersion(attribute.qualifiedName()))
                        item.version = attribute.value().toString().trimmed();
                    else if (isShortVersion(attribute.qualifiedName()))
                        item.displayVersion = attribute.value().toString().trimmed();
                }
            } else if (isVersion(name)) {
                item.version = reader.readElementText().trimmed();
            } else if (isShortVersion(name)) {
                item.displayVersion = reader.readElementText().trimmed();
            } else if (name == u"link") {
                item.infoURL = QUrl(reader.readElementText().trimmed());
            } else if (name == u"title") {
                item.title = reader.readElementText().trimmed();
            }
        } else if (reader.isEndElement() && reader.qualifiedName() == u"item") {
            inItem = false;
            if (item.displayVersion.isEmpty())
                item.displayVersion = item.version;
            // An offer without a version cannot be compared: left out.
            if (!item.version.isEmpty())
                items.append(item);
        }
    }
    if (reader.hasError()) {
        if (error)
            *error = QStringLiteral("The update feed cannot be read: %1").arg(reader.errorString());
        return {};
    }
    if (error)
        error->clear();
    return items;
}

} // namespace engine
