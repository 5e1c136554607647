#include "NetworkShortcut.h"

#include "Log.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <thread>

namespace zelk::engine {

namespace M = NetworkShortcutModels;

namespace {

NetworkService& network()
{
    return Platform::instance().network();
}

} // namespace

bool NetworkShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record), categoryOfAction(CUTAction));
    return true;
}

QString NetworkShortcut::password() const
{
    if (CUTPasswordRef.isEmpty())
        return CUTPassword;
    const std::optional<QString> kept = Platform::instance().secrets().secret(CUTPasswordRef);
    if (!kept)
        zlog("NetworkShortcut", "password") << "no password in the secret store for" << CUTServer;
    return kept.value_or(CUTPassword);
}

QString NetworkShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    QVActionController& c = *controller;
    switch (CUTAction) {
    case M::SwitchLocation:
        return activateNetworkConfig(CUTConfig, &c);
    case M::LocationsMenu:
        return displayConfigMenuFromObject(c);
    case M::Mount:
        return mountServer(CUTServer, CUTDirectory, CUTUser, password(), c);
    case M::Unmount:
        return unmountVolume(CUTServer, c);
    default:
        return {};
    }
}

bool NetworkShortcut::validateMenuItem(QAction* item)
{
    if (!item || CUTAction != M::LocationsMenu)
        return true;
    QMenu* menu = configMenu(configNames(), activeConfigName());
    if (QMenu* old = item->menu())
        old->deleteLater();
    QObject::connect(item, &QObject::destroyed, menu, &QObject::deleteLater);
    item->setMenu(menu);
    return true;
}

QString NetworkShortcut::activeConfigName()
{
    const QString active = network().activeLocation();
    if (active.isEmpty())
        return {};
    for (const NetworkLocation& location : network().locations())
        if (location.identifier == active)
            return location.name;
    return {};
}

QString NetworkShortcut::configSetIdForConfigName(const QString& name)
{
    QString found;
    for (const NetworkLocation& location : network().locations())
        if (location.name == name)
            found = location.identifier;
    return found;
}

QString NetworkShortcut::activateNetworkConfig(const QString& name, QVActionController*)
{
    if (!name.isEmpty() && name == activeConfigName())
        return {};
    const QString identifier = configSetIdForConfigName(name);
    if (identifier.isEmpty())
        return localized(classObject(), "ConfigNonValide", {name});
    QString why;
    if (!network().activateLocation(identifier, &why)) {
        zlog("NetworkShortcut", "activateNetworkConfig") << name << identifier << why;
        return localized(classObject(), "ConfigImpossible", {name, why});
    }
    return {};
}

QString NetworkShortcut::displayConfigMenuFromObject(QVActionController&)
{
    // Asked on the run thread: the network service answers over the bus.
    const QStringList names = configNames();
    const QString active = activeConfigName();
    showFloatingMenu([&names, &active] { return configMenu(names, active); });
    return {};
}

QMenu* NetworkShortcut::configMenu(const QStringList& names, const QString& active)
{
    auto* menu = new QMenu;
    for (const QString& name : names) {
        auto* item = new QAction(name, menu);
        item->setData(name);
        item->setCheckable(true);
        item->setChecked(name == active);
        QObject::connect(item, &QAction::triggered, item, [item] { activateConfigFromMenu(item); });
        insertMenuItemSorted(menu, item);
    }
    return menu;
}

void NetworkShortcut::activateConfigFromMenu(QAction* item)
{
    if (!item)
        return;
    const QString name = item->data().toString();
    std::thread([name] {
        const QString error = activateNetworkConfig(name, nullptr);
        if (!error.isEmpty())
            zlog("NetworkShortcut", "activateConfigFromMenu") << error;
    }).detach();
}

QString NetworkShortcut::joinedServer(const QString& server, const QString& directory)
{
    const bool dirSlash = directory.startsWith('/'), serverSlash = server.endsWith('/');
    if (dirSlash && serverSlash)
        return server + directory.mid(1);
    if (dirSlash || serverSlash)
        return server + directory;
    return server + '/' + directory;
}

QString NetworkShortcut::mountServer(const QString& server, const QString& directory, const QString& user,
                                     const QString& password, QVActionController&)
{
    const QString url = joinedServer(server, directory);
    QString why;
    const int status = Platform::instance().volumes().mountServer(url, user, password, &why);
    if (status == 0)
        return {};
    zlog("NetworkShortcut", "mountServer") << "Mount failed with RC =" << status << why;
    return localized(classObject(), "ImpossibleServer", {url, status});
}

QString NetworkShortcut::unmountVolume(const QString& path, QVActionController&)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return QStringLiteral("unmountVolume error %1").arg(-43); // the classic "file not found"
    QString why;
    if (Platform::instance().volumes().unmountVolume(path, &why) != 0)
        return QStringLiteral("unmounting of %1 failed").arg(path);
    return {};
}

ZELK_REGISTER_ACTION_RUNNER(NetworkShortcut)

} // namespace zelk::engine
