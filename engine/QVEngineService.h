#pragma once
// The engine's commands for other programs (the hot-key viewer's list and
// run requests and its "Stop" signal, the scripting element lists, the
// run-shortcut, show-menu and show/hide-palette commands, URLs),
// answered from the engine's managers. The platform's command service
// carries them: on the real desktop as the session bus's "org.zelk.Zelk".
//
// The service's name is claimed at the start of start-up, before anything
// is loaded: a second engine of the session finds it taken (a guard beside
// the lock file). The commands are published at the end of start-up, so a
// caller that gets answers knows the engine is running with its objects
// loaded. Calls come on the main thread.
#include "DesktopServices.h"

#include <QString>
#include <functional>

namespace engine {

class QVShortcut;

class QVEngineService : public zelk::EngineCommands {
public:
    static QVEngineService& sharedService();

    // Takes the name; false only when another program of the session owns it.
    bool claimName();
    // Publishes the commands (the handlers of the requests), and withdraws them.
    bool enableKeyCueSupport();
    void disableKeyCueSupport();

    QString shortcutList(zelk::CommandError* error) override;
    zelk::CommandError runLauncher(quint32 launcherID) override;
    zelk::CommandElements orderedShortcuts() override;
    zelk::CommandElements orderedActions() override;
    zelk::CommandElements orderedMenus() override;
    zelk::CommandElements orderedPalettes() override;
    zelk::CommandElements orderedSets() override;
    zelk::CommandElements setShortcuts(quint32 contextID, zelk::CommandError* error) override;
    zelk::CommandError runShortcut(quint32 shortcutID) override;
    zelk::CommandError runShortcutNamed(const QString& name) override;
    zelk::CommandError displayMenu(quint32 menuID) override;
    zelk::CommandError showPalette(quint32 paletteID, bool show) override;
    void openURL(const QString& url) override;
    // A hot key fired: the bus service's KeyCue signal.
    void signalKeyCue(const QString& code);
    // Another start of the engine: the application's edit-or-quit question,
    // asked after the caller has its answer.
    void reopen() override;

private:
    zelk::CommandError runFirstShortcut(const QString& event, const std::function<bool(const QVShortcut&)>& match);
};

} // namespace engine
