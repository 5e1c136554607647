#pragma once
// The editor's command to the engine: the distributed notification
// "QVEditorNotification" with userInfo {action: verb, param0: argument},
// delivered at once. Nothing answers; when the engine is not running the
// command is lost without a word.
//
// Verbs and their param0: updateobjects, sparkleCheck, stopshortcuts,
// cleanreport (none); runshortcut (the test payload of a shortcut);
// runaction (an action record); deactivatekeycombo, versioncheck,
// reporteachitem (a bool); palettedelay (seconds, a double).
#include <QString>
#include <QVariant>

namespace editor {

class EditorCommand {
public:
    static constexpr const char* Name = "QVEditorNotification";
    static constexpr const char* UpdateObjects = "updateobjects";
    static constexpr const char* SparkleCheck = "sparkleCheck";
    static constexpr const char* StopShortcuts = "stopshortcuts";
    static constexpr const char* CleanReport = "cleanreport";
    static constexpr const char* RunShortcut = "runshortcut";
    static constexpr const char* RunAction = "runaction";
    static constexpr const char* DeactivateKeyCombo = "deactivatekeycombo";
    static constexpr const char* VersionCheck = "versioncheck";
    static constexpr const char* ReportEachItem = "reporteachitem";
    static constexpr const char* PaletteDelay = "palettedelay";

    // The userInfo of a command: param0 only when the argument is valid.
    static QVariantMap userInfo(const QString& verb, const QVariant& param0 = {});
    // Posts the command; false (and logged) when it could not be sent.
    static bool post(const QString& verb, const QVariant& param0 = {});
};

} // namespace editor
