#pragma once
// The network action type, running side (NetworkShortcutCommon.h), on the
// platform's network and volume services. Locations are switched by the
// profile's identifier, handed to the service as it is (no command line is
// ever made of it); a switch the system refuses is reported. The server's
// password comes from the secret store by the record's reference.
#include "ActionRunner.h"
#include "NetworkShortcut/NetworkShortcutCommon.h"

class QAction;
class QMenu;

namespace zelk::engine {

class NetworkShortcut : public NetworkShortcutCommon<Side, true> {
    ZELK_ACTION_CLASS(NetworkShortcut, QVAction)
public:
    static int categoryOfAction(int model)
    {
        return model == 1 || model == 2 ? model : (model == 3 || model == 4 ? 3 : 0);
    }

    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;
    // Model 2 standing as an item of the engine's menus: the locations menu
    // becomes the item's submenu.
    bool validateMenuItem(QAction* item);

    static QString activeConfigName();
    // The identifier of the last location of that name; empty for none.
    static QString configSetIdForConfigName(const QString& name);
    static QString activateNetworkConfig(const QString& name, QVActionController* fromObject);
    static QString displayConfigMenuFromObject(QVActionController& fromObject);
    static QMenu* configMenu(const QStringList& names, const QString& active);
    static void activateConfigFromMenu(QAction* item);
    // Server and directory with exactly one "/" between them.
    static QString joinedServer(const QString& server, const QString& directory);
    static QString mountServer(const QString& server, const QString& directory, const QString& user,
                               const QString& password, QVActionController& fromObject);
    static QString unmountVolume(const QString& path, QVActionController& fromObject);

private:
    QString password() const;
};

} // namespace zelk::engine
