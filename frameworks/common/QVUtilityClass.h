#pragma once
// What the action frameworks ask of the host application's utility class.
//
// The frameworks look the class named "QVUtility" up in the ClassRegistry on
// every call and forward to it; without one every forwarder answers 0, an
// empty value or false. The editor and the engine each register their own
// QVUtility class object derived from this one and override what they do.
#include "ClassRegistry.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

class QMenu;
class QWidget;

namespace zelk {

class QVUtilityClass : public ClassObject {
public:
    static constexpr const char* Name = "QVUtility";
    QString className() const override { return Name; }

    // The host's utility class, or nullptr when the host has none.
    static QVUtilityClass* host() { return ClassRegistry::shared().lookup<QVUtilityClass>(Name); }

    // Paths, aliases, icons. Kinds: 0 missing, 1 application, 2 document,
    // 3 folder, 4 symbolic link, 5 alias.
    virtual int typeForPath(const QString&) { return 0; }
    virtual int typeForTargetPath(const QString&) { return 0; }
    virtual QString targetPath(const QString&) { return {}; }
    virtual QString resolveAliasPath(const QString&) { return {}; }
    virtual QByteArray FSRefForPath(const QString&) { return {}; }
    virtual QString pathForFSRef(const QByteArray&) { return {}; }
    virtual QImage iconImageForPath(const QString& /*path*/, int /*withSize*/) { return {}; }
    virtual bool isTextFileAtPath(const QString&) { return false; }
    virtual QString stringWithPath(const QString&) { return {}; }

    // Scripts, keys, typing.
    virtual int runScript(const QString&) { return 0; }
    virtual char asciiForKeycode(quint32) { return 0; }
    virtual QString modifierStringWithKeycode(quint32) { return {}; }
    virtual int typeAsciiChar(char) { return 0; }
    // Types one character (a Unicode code point) on the current keyboard
    // layout: 0 when typed, else nonzero (the layout cannot type it and
    // nothing was posted). The default types ASCII through typeAsciiChar().
    virtual int typeCharacter(char32_t c) { return c < 128 ? typeAsciiChar(char(c)) : 1; }
    virtual quint32 asciiKeycodesForAsciiChar(char) { return 0; }

    // Panels, alerts, menus, sounds. runAlertPanel answers 1 for the first
    // button, 0 for the second, -1 for the third (button3 may be empty); it
    // may be called from any thread and shows the alert on the main thread.
    virtual QWidget* openDocumentPanel() { return nullptr; }
    virtual QString getApplicationFromPath(const QString&) { return {}; }
    virtual QString getFolderFromPath(const QString&) { return {}; }
    virtual QString getDocumentOfTypes(const QStringList& /*types*/, const QString& /*fromPath*/) { return {}; }
    virtual void openPreferencePanel(const QString&) {}
    virtual int runAlertPanelWithTitle(const QString& /*title*/, const QString& /*message*/, const QString& /*button1*/,
                                       const QString& /*button2*/, const QString& /*button3*/) { return 0; }
    // Shows the menu on the main thread and returns once it has closed (the
    // chosen item's action has run), from any thread.
    virtual void displayFloatingMenu(QMenu*) {}
    virtual void playClicSound() {}

    // Processes.
    virtual QStringList launchedAppPathArray() { return {}; }
    virtual QStringList recentAppPathArray() { return {}; }
    virtual bool isProcessLaunchedWithPathName(const QString&) { return false; }
};

} // namespace zelk
