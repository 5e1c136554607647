#pragma once
// IPv4 configuration of the network interfaces, from NetworkManager on the
// system bus, while anyone observes: "State:/Network/Interface/<iface>/IPv4"
// is present when a device gets an IPv4 configuration or its configuration
// changes, and not present when it loses it (or the device goes). Without
// NetworkManager no change arrives; that is logged once.
//
// Locations are NetworkManager's connection profiles, known by their UUID;
// the active one is the primary connection's. Switching activates the
// profile on a device of NetworkManager's choice.
#include "DesktopServices.h"

#include <memory>

namespace zelk {

class LinuxNetwork : public NetworkService {
public:
    LinuxNetwork();
    ~LinuxNetwork() override;
    [[nodiscard]] ObserverHandle observe(std::function<void(const QString& key, bool present)> observer) override;
    QList<NetworkLocation> locations() override;
    QString activeLocation() override;
    bool activateLocation(const QString& identifier, QString* error) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace zelk
