#pragma once
// Shared test helpers: a temporary HOME with its XDG folders, and the paths
// of the source tree and of the built application bundle.
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

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

QString sourceDir();   // the repository (ZELK_SOURCE_DIR)
QString appContents(); // the built Zelk.app/Contents (ZELK_APP_DIR)

// Runs the Qt event loop until pred() holds or the time-out passes.
bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 5000);

} // namespace zelk::test
