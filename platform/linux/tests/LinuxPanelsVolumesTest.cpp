// The settings panels as the application folders list them, and server
// volumes mounted through a stand-in `gio` that records what it was given:
// the password must come through its input, never its command line.
#include "LinuxSystem.h"
#include "TestSupport.h"
#include "VirtualDesktop.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zelk;
using zelk::test::ScopedEnv;

namespace {

QString writeEntry(const QString& folder, const QString& name, const QString& body)
{
    QDir().mkpath(folder);
    QFile file(folder + "/" + name);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(("[Desktop Entry]\nType=Application\n" + body).toUtf8());
    return file.fileName();
}

TEST(LinuxSettingsPanels, SettingsEntriesOfThisDesktopInSearchOrder)
{
    QTemporaryDir dir;
    const QString user = dir.path() + "/home/applications", system = dir.path() + "/usr/applications";
    ScopedEnv dataHome("XDG_DATA_HOME", (dir.path() + "/home").toLocal8Bit());
    ScopedEnv dataDirs("XDG_DATA_DIRS", (dir.path() + "/usr").toLocal8Bit());
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    const QString mine = writeEntry(user, "wifi.desktop", "Name=My Wi-Fi\nExec=true\nCategories=Settings;\n");
    const QString wifi = writeEntry(system, "wifi.desktop", "Name=Wi-Fi\nExec=true\nCategories=GTK;Settings;\n");
    const QString sound = writeEntry(system, "sound.desktop", "Name=Sound\nExec=true\nCategories=Settings;\nTryExec=/no/such/tool\n");
    writeEntry(system, "editor.desktop", "Name=Editor\nExec=true\nCategories=Utility;\n");
    writeEntry(system, "kde.desktop", "Name=KDE panel\nExec=true\nCategories=Settings;\nOnlyShowIn=KDE;\n");
    writeEntry(system, "notgnome.desktop", "Name=Not here\nExec=true\nCategories=Settings;\nNotShowIn=GNOME;\n");
    ASSERT_TRUE(QFile::link(wifi, system + "/linked.desktop"));

    VirtualWorkspace workspace;
    LinuxSettingsPanels panels(workspace);
    const QList<SettingsPanel> list = panels.panels();
    QStringList paths;
    for (const SettingsPanel& panel : list)
        paths << panel.path;
    EXPECT_EQ(paths, (QStringList{mine, sound, wifi})) << paths.join(", ").toStdString();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0].name, "My Wi-Fi");

    EXPECT_TRUE(panels.passesHardwareTest(wifi));
    EXPECT_FALSE(panels.passesHardwareTest(sound)) << "its TryExec program is missing";
    EXPECT_TRUE(panels.openPanel(wifi));
    EXPECT_EQ(workspace.requests(), QStringList{"launch " + wifi});
}

class LinuxVolumesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QFile gio(dir.path() + "/gio");
        ASSERT_TRUE(gio.open(QIODevice::WriteOnly));
        gio.write("#!/bin/sh\n"
                  "printf '%s\\n' \"$@\" > \"$GIO_RECORD.args\"\n"
                  "cat > \"$GIO_RECORD.input\"\n"
                  "[ -n \"$GIO_FAIL\" ] && { echo 'gio: refused' >&2; exit \"$GIO_FAIL\"; }\n"
                  "exit 0\n");
        gio.close();
        ASSERT_TRUE(gio.setPermissions(gio.permissions() | QFileDevice::ExeOwner));
        path = std::make_unique<ScopedEnv>("PATH", dir.path().toLocal8Bit() + ":" + qgetenv("PATH"));
        record = std::make_unique<ScopedEnv>("GIO_RECORD", (dir.path() + "/gio").toLocal8Bit());
    }

    QByteArray recorded(const char* what)
    {
        QFile file(dir.path() + "/gio." + what);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }

    QTemporaryDir dir;
    std::unique_ptr<ScopedEnv> path, record;
    LinuxVolumes volumes;
};

TEST_F(LinuxVolumesTest, PasswordGoesThroughTheInputOnly)
{
    QString why;
    EXPECT_EQ(volumes.mountServer("smb://nas/share", "ann lee", "s3cr\u00e9t; rm -rf ~", &why), 0) << why.toStdString();
    EXPECT_EQ(recorded("args"), "mount\nsmb://ann%20lee@nas/share\n");
    EXPECT_EQ(recorded("input"), QString("s3cr\u00e9t; rm -rf ~\n").toUtf8());

    ScopedEnv fail("GIO_FAIL", "2");
    EXPECT_EQ(volumes.mountServer("smb://nas/share", "", "", &why), 2);
    EXPECT_EQ(why, "gio: refused");
    EXPECT_EQ(volumes.unmountVolume("/media/a b", &why), 2);
    EXPECT_EQ(recorded("args"), "mount\n-u\n/media/a b\n");
    EXPECT_NE(volumes.mountServer("not a url", "", "", &why), 0);
}

} // namespace
