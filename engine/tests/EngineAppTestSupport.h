#pragma once
// The engine application under test: a temporary HOME and runtime folder, a
// fresh virtual desktop, a bundle made of the source tree's engine resources
// (with no plug-ins), alerts answered and recorded, and the application
// object made and dropped per test.
#include "Bundle.h"
#include "NotificationCenter.h"
#include "Platform.h"
#include "PropertyList.h"
#include "QVAppl.h"
#include "QVUtility.h"
#include "TestSupport.h"
#include "UserDefaults.h"
#include "VirtualPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QFile>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <mutex>
#include <vector>

namespace engine::test {

using zelk::test::waitUntil;
using zelk::test::appContents;
using zelk::test::sourceDir;

// Local notifications of some names, with the thread each came on.
class NotificationRecorder {
public:
    struct Entry {
        QString name;
        QVariantMap userInfo;
        bool onMainThread = false;
    };
    explicit NotificationRecorder(const QStringList& names)
    {
        for (const QString& name : names)
            m_handles.push_back(zelk::NotificationCenter::defaultCenter().addObserver(name, nullptr, [this](const zelk::Notification& n) {
                std::lock_guard lock(m_mutex);
                m_entries.append({n.name, n.userInfo, QThread::currentThread() == QCoreApplication::instance()->thread()});
            }));
    }
    QList<Entry> entries() const
    {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }
    QStringList names() const
    {
        QStringList out;
        for (const Entry& e : entries())
            out << e.name;
        return out;
    }
    int count(const QString& name) const { return int(names().count(name)); }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_entries.clear();
    }

private:
    mutable std::mutex m_mutex;
    QList<Entry> m_entries;
    std::vector<zelk::ObserverHandle> m_handles;
};

class EngineAppTest : public zelk::test::TempHomeTest {
protected:
    void SetUp() override
    {
        m_savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        m_savedBundle = qgetenv("ZELK_MAIN_BUNDLE");
        const QString runtime = home->path() + "/run";
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());

        bundlePath = home->path() + "/Zelk.app";
        const QString contents = bundlePath + "/Contents";
        QDir().mkpath(contents + "/Frameworks");
        QDir().mkpath(contents + "/PlugIns");
        QDir().mkpath(contents + "/MacOS");
        QFile::copy(appContents() + "/Info.plist", contents + "/Info.plist");
        copyTree(sourceDir() + "/resources/engine", contents + "/Resources");
        qputenv("ZELK_MAIN_BUNDLE", bundlePath.toLocal8Bit());

        installDesktop(std::make_unique<zelk::VirtualPlatform>());

        zelk::UserDefaults::standard().reload();
        zelk::UserDefaults::shared().reload();
        QVUtility::sharedUtility().setAlertAnswerer([this](const QString& title, const QString& message, const QString& b1,
                                                           const QString&, const QString&) {
            std::lock_guard lock(m_alertMutex);
            m_alerts << title + " | " + message;
            return b1.isEmpty() ? 0 : m_alertAnswer.load();
        });
    }

    void TearDown() override
    {
        appl.reset();
        QVUtility::sharedUtility().setAlertAnswerer(nullptr);
        restore("XDG_RUNTIME_DIR", m_savedRuntime);
        restore("ZELK_MAIN_BUNDLE", m_savedBundle);
    }

    // A fresh desktop per test; the old one stays alive for the singletons
    // that still hold on to its services.
    void installDesktop(std::unique_ptr<zelk::VirtualPlatform> platform)
    {
        retired().push_back(zelk::Platform::install(std::move(platform)));
        desktop = zelk::VirtualPlatform::current();
    }

    // Marks the engine as onboarded with the panel suppressed (or not).
    static void onboard(bool suppressPanel = true)
    {
        zelk::UserDefaults::standard().setValue("QVOnboardedVersion", zelk::Bundle::main().version());
        zelk::UserDefaults::standard().setValue("QVSuppressIntroPanel", suppressPanel);
    }

    // Makes the application object and launches it.
    QVAppl& launch()
    {
        appl = QVAppl::make();
        appl->finishLaunching();
        return *appl;
    }

    QStringList alerts() const
    {
        std::lock_guard lock(m_alertMutex);
        return m_alerts;
    }
    QStringList alertsStartingWith(const QString& title) const { return alerts().filter(QRegularExpression("^" + QRegularExpression::escape(title))); }
    void answerAlertsWith(int answer) { m_alertAnswer = answer; }

    QString dataFolder() const { return home->dataHome() + "/Zelk"; }
    QString resource(const QString& name) const { return bundlePath + "/Contents/Resources/" + name; }
    static QByteArray readBytes(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static QVariantMap readPlist(const QString& path)
    {
        const auto v = zelk::plist::readFile(path);
        return v ? v->toMap() : QVariantMap();
    }
    static void writePlist(const QString& path, const QVariantMap& value)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        ASSERT_TRUE(zelk::plist::writeFile(path, value)) << path.toStdString();
    }
    // Sends the editor's command as the editor does.
    void editorCommand(const QString& verb, const QVariant& param = {})
    {
        QVariantMap info{{"action", verb}};
        if (param.isValid())
            info.insert("param0", param);
        desktop->post("QVEditorNotification", info);
    }

    // From now on the editor's commands come from the bundle's editor (the
    // engine runs records only for it), or from another program.
    void postAsTheEditor(bool editor = true)
    {
        const QString executable = bundlePath + "/Contents/MacOS/Zelk Editor.app/Contents/MacOS/Zelk Editor";
        QDir().mkpath(QFileInfo(executable).absolutePath());
        QFile file(executable);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        desktop->setPostSender({editor ? 4242 : 4343, editor ? QFileInfo(executable).canonicalFilePath() : QString("/usr/bin/dbus-send")});
    }

    static void copyTree(const QString& from, const QString& to)
    {
        QDir().mkpath(to);
        const QDir dir(from);
        for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (info.isDir())
                copyTree(info.filePath(), to + "/" + info.fileName());
            else
                QFile::copy(info.filePath(), to + "/" + info.fileName());
        }
    }

    QString bundlePath;
    zelk::VirtualPlatform* desktop = nullptr;
    QVAppl::Ptr appl;

private:
    static std::vector<std::unique_ptr<zelk::Platform>>& retired()
    {
        static std::vector<std::unique_ptr<zelk::Platform>> platforms;
        return platforms;
    }
    static void restore(const char* name, const QByteArray& value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    QByteArray m_savedRuntime, m_savedBundle;
    mutable std::mutex m_alertMutex;
    QStringList m_alerts;
    std::atomic<int> m_alertAnswer{1};
};

} // namespace engine::test
