#pragma once
// The types of the freedesktop object manager's answers, for the services
// that list their objects with it (GetManagedObjects, InterfacesAdded).
#include <QDBusObjectPath>
#include <QMap>
#include <QString>
#include <QVariantMap>

namespace zelk {

// interface -> properties
using DBusInterfaces = QMap<QString, QVariantMap>;
// object -> its interfaces
using DBusManagedObjects = QMap<QDBusObjectPath, DBusInterfaces>;

} // namespace zelk

Q_DECLARE_METATYPE(zelk::DBusInterfaces)
Q_DECLARE_METATYPE(zelk::DBusManagedObjects)
