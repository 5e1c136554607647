#pragma once
// The benchmarks' data folder: n actions, n key launchers and n shortcuts
// (one step, one launcher, the universal context each), written as the
// editor writes its six files.
#include "ObjectsFile.h"

#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <utility>

namespace editor::bench {

inline bool writeFolder(const QString& folder, int n)
{
    QVariantList actions, launchers, shortcuts;
    for (qint64 i = 0; i < n; ++i) {
        actions.append(QVariantMap{{"actionname", QStringLiteral("Type text %1").arg(i)},
                                   {"actionclass", "QVEAction"},
                                   {"actionID", i},
                                   {"actiondata", QVariantMap{{"Action", 1}, {"Text", QStringLiteral("Hello %1").arg(i)}}},
                                   {"actioneditorrect", "{{0, 0}, {0, 0}}"},
                                   {"actionnotused", false}});
        launchers.append(QVariantMap{{"launcherID", i},
                                     {"launchertype", 0},
                                     {"launcherparams", QVariantMap{{"launcherkeycode", qint64(0x100000 + i % 50)},
                                                                    {"launcherkeyrelease", false},
                                                                    {"launcherkeyrepeat", false},
                                                                    {"launcherkeyrepeatdelay", 0.0}}},
                                     {"launchereditorrect", "{{0, 0}, {0, 0}}"}});
        shortcuts.append(QVariantMap{
            {"cutname", QStringLiteral("Shortcut %1").arg(i)},
            {"cutID", i},
            {"cutimage", QByteArray()},
            {"cutactions", QVariantList{QVariantMap{{"cutactionID", i}, {"cutactionactive", true},
                                                    {"cutactionrunparams", QVariantMap{}}, {"cutactionresultparams", QVariantMap{}}}}},
            {"cutlaunchers", QVariantList{QVariantMap{{"cutlauncherID", i}, {"cutlauncheractive", true}}}},
            {"cutcontexts", QVariantList{QVariantMap{{"cutcontextID", 0}, {"cutcontextactive", true}}}},
            {"cutrunparams", QVariantMap{{"runrepeatnum", 0}, {"runrepeatpause", 0.0}}},
            {"cuteditorrect", "{{0, 0}, {0, 0}}"}});
    }
    const QVariantList contexts{QVariantMap{{"contextname", "Everywhere"}, {"contextID", 0}, {"contexttype", 0},
                                            {"contextparams", QVariantMap{}}, {"contextrules", QVariantList{}},
                                            {"contexteditorrect", "{{0, 0}, {0, 0}}"}}};
    const std::pair<ObjectsFile::Kind, QVariantList> files[] = {
        {ObjectsFile::Actions, actions}, {ObjectsFile::Contexts, contexts}, {ObjectsFile::Launchers, launchers},
        {ObjectsFile::Shortcuts, shortcuts}, {ObjectsFile::Menus, {}}, {ObjectsFile::Palettes, {}}};
    for (const auto& [kind, records] : files) {
        if (!ObjectsFile::write(folder + "/" + ObjectsFile::fileName(kind), kind, quint32(n), records))
            return false;
    }
    return true;
}

} // namespace editor::bench
