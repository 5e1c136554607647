#pragma once
// Shared test helpers: a temporary HOME with its XDG folders, the paths of
// the source tree and of the built application bundle, a list of lines
// from any thread, a capture of the lines logged, a fake utility class
// registered for a scope, an environment variable set for a scope, and
// readable failure messages for Qt strings.
#include "ClassRegistry.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>
#include <QtGlobal>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <ostream>

// Leaves the test when something it needs (an X server, a bus, the built
// engine, a tool bootstrap installs) is missing: a skip on a developer's
// machine, a failure in CI, so a broken desktop never passes as green.
#define ZELK_SKIP_UNLESS_CI(message)                                                    \
    do {                                                                                \
        if (::zelk::test::inCI())                                                       \
            GTEST_FAIL() << message << " (CI needs it)";                                \
        else                                                                            \
            GTEST_SKIP() << message;                                                    \
    } while (0)

// Readable failure messages for Qt strings.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace zelk::test {

// Points HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_CACHE_HOME at a fresh
// temporary folder for the fixture's life, restoring them afterwards.
class TempHome {
public:
    TempHome();
    ~TempHome();
    QString path() const { return m_dir.path(); }
    QString configHome() const { return m_dir.path() + "/.config"; }
    QString dataHome() const { return m_dir.path() + "/.local/share"; }

private:
    QTemporaryDir m_dir;
    QByteArray m_saved[4];
    bool m_had[4] = {};
};

class TempHomeTest : public ::testing::Test {
protected:
    std::unique_ptr<TempHome> home = std::make_unique<TempHome>();
};

// Sets an environment variable (unsets it for a null value) for the
// object's life, restoring it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_saved;
};

QString sourceDir();   // the repository (ZELK_SOURCE_DIR)
QString appContents(); // the built Zelk.app/Contents (ZELK_APP_DIR)

// A dictionary (an action's parameters, a record) from pairs; a later pair
// wins over an earlier one with the same key.
inline QVariantMap params(std::initializer_list<std::pair<QString, QVariant>> list)
{
    QVariantMap map;
    for (const auto& [key, value] : list)
        map.insert(key, value);
    return map;
}

// Registers a fake of the host's utility class as "QVUtility" for its life.
template <class Utility>
class UtilityScope {
public:
    UtilityScope() { ClassRegistry::shared().registerClass(&utility); }
    ~UtilityScope() { ClassRegistry::shared().unregisterClass(QStringLiteral("QVUtility")); }
    UtilityScope(const UtilityScope&) = delete;
    UtilityScope& operator=(const UtilityScope&) = delete;
    Utility utility;
};

// True in CI ($CI set and not "false"/"0"), where nothing may be missing.
bool inCI();

// Runs the Qt event loop until pred() holds or the time-out passes.
bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 5000);

// Lines added from any thread, kept in order (what fakes saw, what ran).
class Lines {
public:
    void add(const QString& line);
    QStringList lines() const;
    int count(const QString& line) const;          // lines equal to it
    int countContaining(const QString& text) const; // lines holding it
    void clear();

private:
    mutable std::mutex m_mutex;
    QStringList m_lines;
};

// Collects the lines logged through Qt (qWarning, qInfo, zlog...) from any
// thread while it lives, in place of printing them; the handler it
// replaced is put back when it ends. One capture at a time.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList lines() const;
    bool contains(const QString& text) const; // some line holds the text

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message);
    QtMessageHandler m_previous = nullptr;
    Lines m_lines;
};

} // namespace zelk::test
