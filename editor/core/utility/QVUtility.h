#pragma once
// The editor's utility class object, registered as "QVUtility" so that the
// action framework and the plug-ins reach it. It adds to the operations the
// two applications share (QVUtilityShared): the desktop's own hot keys, the
// open panels, process and front-application queries, cached images,
// alerts, sounds, the floating menu and the two commands that switch the
// engine's hot keys off and on around a key capture.
//
// Linux notes:
// - The desktop's own hot keys are those its configuration binds (read once)
//   and the combinations another program holds: a test grab of the asked
//   combination is refused. The answer is kept for the life of the process,
//   as the list it stands for is never refreshed.
//   A running engine holds the user's own combinations, so the test grab
//   finds those refused too: a check of the user's key launchers against
//   this list means something only while the engine's hot keys are off.
// - An executable file without a desktop entry counts as an application.
// - Recent applications are those the desktop's recently-used list names.
#include "Accessibility.h"
#include "QVUtilityShared.h"

#include <QHash>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <functional>
#include <mutex>

class QFileDialog;
class QIcon;
class QWidget;
class QMenu;
class QTableView;

namespace editor {

class QVUtility : public zelk::QVUtilityShared {
public:
    // The class object, registered under "QVUtility" on first use.
    static QVUtility& sharedUtility();

    // --- Paths ------------------------------------------------------------------------
    int typeForPath(const QString& path) override;
    // The desktop entry of an application name ("org.gnome.gedit"); empty
    // when it is not installed.
    QString fullPathForApplication(const QString& name);
    // What the user calls the item: an entry's Name, else its file name.
    QString displayNameAtPath(const QString& path);

    // --- Hot keys -------------------------------------------------------------------------
    // Whether the desktop holds the combination (key code and the four
    // modifiers; caps lock, numeric pad, function and key-code bit 7 aside).
    bool isSystemHotkeycode(quint32 keycode);
    // Switch the engine's hot keys off and on around a key capture. Captures
    // are counted: the engine hears off at the first and on after the last,
    // so one window ending its capture leaves another's capturing.
    void deactivateKeyCombo();
    void activateKeyCombo();
    int keyCaptureCount() const { return m_keyCaptures; }

    // --- Images ---------------------------------------------------------------------------
    QImage emptyImage();
    QImage emptyImageWithSize(int size);
    QImage unknownIconWithSize(int size);
    QImage ascendingSortImage();
    QImage descendingSortImage();
    // The icon drawn at size x size: the representation of exactly that
    // size, else the largest one scaled (null for a null icon).
    static QImage bitmapImageRepForImage(const QIcon& image, int withSize);

    // --- Open panels ------------------------------------------------------------------------
    // The panels, set up but not shown (caller owns them): applications,
    // documents of the types (extensions; all documents for none), folders.
    QFileDialog* applicationPanelFromPath(const QString& path);
    QFileDialog* documentPanelOfTypes(const QStringList& types, const QString& fromPath);
    QFileDialog* folderPanelFromPath(const QString& path);
    // The panels the action framework asks for: applications / documents
    // and folders from the home folder (caller owns them).
    QWidget* openApplicationPanel();
    QWidget* openDocumentPanel() override;
    // Run modally: the chosen path, or empty when cancelled.
    QString getApplicationFromPath(const QString& path) override;
    QString getDocumentOfTypes(const QStringList& types, const QString& fromPath) override;
    QString getFolderFromPath(const QString& path) override;
    // A save panel (title, proposed file name, allowed extensions, others
    // allowed too) run modally: the chosen path, or empty when cancelled.
    QString savePanelPath(const QString& title, const QString& proposedName, const QStringList& types);
    // An open panel for several files of the extensions: the chosen paths
    // in the panel's order (a test answerer separates them by line breaks).
    QStringList openPanelPaths(const QString& title, const QString& prompt, const QStringList& types);
    // Whether an open panel of the shared instance's show type lists the item.
    bool panelShouldShowFilename(const QString& path) { return shouldShowFilename(path); }
    // Tests: answers the next panels in place of the user (empty: cancel);
    // nullptr gives the panels back.
    void setPanelAnswerer(std::function<QString(QFileDialog*)> answerer);

    // --- Processes and the front application ----------------------------------------------
    // The process ID of the first running application of that name; 0 for none.
    qint64 PSNOfProcessWithName(const QString& name);
    void quitProcessWithName(const QString& name);
    QStringList launchedAppPathArray() override;
    QStringList recentAppPathArray() override;
    QString frontAppName();
    // The front application's accessibility element and its focused
    // window; null when there is none or it exposes no accessibility.
    zelk::AXElement frontProcApp();
    zelk::AXElement frontProcMainWindow();
    // Whether the focused window's title begins with the text; false with
    // no window or no title.
    bool frontAppHasWindowTitleStarts(const QString& text, bool ignoreCase);

    // --- Alerts, sounds, menus ------------------------------------------------------------------
    // 1 for the first button, 0 for the second, -1 for the third.
    int runAlertPanelWithTitle(const QString& title, const QString& message, const QString& button1,
                               const QString& button2, const QString& button3) override;
    using AlertAnswerer = std::function<int(const QString& title, const QString& message, const QString& button1,
                                            const QString& button2, const QString& button3)>;
    // Tests: answers alerts in place of the dialog; nullptr gives it back.
    void setAlertAnswerer(AlertAnswerer answerer);
    void displayNotImplemented();
    void playClicSound() override;
    void playFailSound();
    // Pops the menu up at the mouse, or at a point (global, top-left origin).
    void displayFloatingMenu(QMenu* menu) override;
    void displayFloatingMenu(QMenu* menu, const QPoint& atPoint);

    // --- Geometry ---------------------------------------------------------------------------------
    // A rectangle of the size at r's origin, moved inside the bounds and 20
    // points under their top edge.
    static QRectF bestRectFromRect(const QRectF& rect, const QRectF& inRect, const QSizeF& withSize);
    // The centre of the row in global coordinates.
    static QPointF centerPointOfRow(int row, QTableView* inTableView);

private:
    QVUtility();
    QImage cachedImage(const QString& name);
    QString runPanel(QFileDialog* panel);
    // Plays a sound of the bundle, read once.
    void playSound(const QString& name);

    std::mutex m_cacheMutex;
    QHash<quint32, bool> m_systemHotKeys; // asked combination -> held elsewhere
    std::once_flag m_desktopHotKeysRead;
    QHash<QString, QByteArray> m_sounds;
    std::function<QString(QFileDialog*)> m_panelAnswerer;
    AlertAnswerer m_alertAnswerer;
    int m_keyCaptures = 0;
};

} // namespace editor
