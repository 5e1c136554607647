#pragma once
// The action types, by the class names that records store in "actionclass".
// Both plug-ins know every name here. A record naming a type neither
// registers takes the frameworks' missing-class path (the editor reports
// the missing type, the engine's stand-in fails its runs naming it).
#include <QString>
#include <array>

namespace zelk {

inline constexpr std::array<const char*, 22> kActionTypeNames = {
    "ApplicationShortcut", "KeyboardShortcut",  "KeyShortcut",         "MenuShortcut",       "WindowShortcut",
    "ClipboardShortcut",   "AppleScriptShortcut", "CommandShortcut",   "DocumentShortcut",   "FolderShortcut",
    "PauseShortcut",       "MessageShortcut",   "ZelkShortcut",        "MouseShortcut",      "InterfaceShortcut",
    "URLShortcut",         "FinderWindowShortcut", "PreferenceShortcut", "PrintShortcut",    "SoundShortcut",
    "SystemShortcut",      "NetworkShortcut",
};

// Records of older data name the engine-command type this way: a subclass
// of ZelkShortcut that loads, edits and runs but is never offered for new
// actions.
inline constexpr const char* kLegacyEngineCommandName = "QuovShortcut";

// Whether a class name is one of the types above or the legacy name.
inline bool isActionTypeName(const QString& name)
{
    if (name == QLatin1String(kLegacyEngineCommandName))
        return true;
    for (const char* known : kActionTypeNames)
        if (name == QLatin1String(known))
            return true;
    return false;
}

} // namespace zelk
