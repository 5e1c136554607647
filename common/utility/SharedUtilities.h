#pragma once
// The login-item switch, the same in the editor and the engine: the helper
// "ZelkHelper.app" (identifier: the engine's followed by ".helper"), which
// lies in the editor's bundle inside the engine's, starts at login.
#include <QString>

namespace engine {

class SharedUtilities {
public:
    static constexpr const char* EngineIdentifier = "org.zelk.Zelk";
    static constexpr const char* HelperIdentifier = "org.zelk.Zelk.helper";

    // Switches the login item on or off; answers whether that worked.
    static bool installLoginItem(bool on);
    static bool isLoginItemInstalled();
    // The helper bundle inside the engine's bundle (empty outside one).
    static QString helperPath();
};

} // namespace engine
