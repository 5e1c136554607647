#include "SharedUtilities.h"

#include "Bundle.h"
#include "Log.h"
#include "Platform.h"

namespace engine {

QString SharedUtilities::helperPath()
{
    // The editor runs this too: its main bundle lies inside the engine's.
    zelk::Bundle engine = zelk::Bundle::main();
    if (engine.isValid() && engine.identifier() != QLatin1String(EngineIdentifier))
        engine = zelk::Bundle::enclosing(engine.bundlePath());
    if (!engine.isValid())
        return {};
    return engine.bundlePath() + QStringLiteral("/Contents/MacOS/Zelk Editor.app/Contents/Library/LoginItems/ZelkHelper.app");
}

bool SharedUtilities::installLoginItem(bool on)
{
    if (!zelk::Platform::instance().loginItems().setEnabled(QLatin1String(HelperIdentifier), helperPath(), on)) {
        zelk::zlog("SharedUtilities", "installLoginItem") << "Login item configuration failed";
        return false;
    }
    zelk::zlog("SharedUtilities", "installLoginItem") << "Login item" << (on ? "enabled" : "disabled");
    return true;
}

bool SharedUtilities::isLoginItemInstalled()
{
    return zelk::Platform::instance().loginItems().isEnabled(QLatin1String(HelperIdentifier));
}

} // namespace engine
