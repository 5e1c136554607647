#pragma once
// The utility operations that the engine and the editor share: key names
// and the key-code-to-character table, path kinds, file references and
// symbolic links, text files, icons and named images, scripts, settings
// panels and process look-ups. Each application's QVUtility class object
// derives from this one and adds or changes what it does differently.
//
// Depends on the platform layer and QtGui only, so the editor can link it
// without the engine.
//
// Linux mapping:
// - An application is a desktop entry (".desktop" file) or one of our own
//   ".app" bundles: path kind 1. Symbolic links stand for alias files: they
//   answer kind 4 and are what resolveAliasPath follows.
// - A file reference is our own small record (absolute path, device,
//   inode), resolved by its path first and then by its inode in the
//   recorded folder, so a file renamed in place is still found.
// - Modifier names follow the modifier convention: the stored command flag
//   is Ctrl, control is Super, option is Alt.
#include "QVUtilityClass.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <array>
#include <atomic>
#include <mutex>

namespace zelk {

class QVUtilityShared : public QVUtilityClass {
public:
    QVUtilityShared();

    // Path kinds (typeForPath).
    enum PathType { Missing = 0, Application = 1, Document = 2, Folder = 3, SymbolicLink = 4, Alias = 5 };

    // --- Key names and characters (HotKeyCode words) ---------------------------
    // (Re)builds the 256-entry key table: 0-127 what each key code types
    // alone, 128-255 what it types with Shift, from the current layout.
    virtual void fillKeycodeToAscii();
    // Entry (code & 0x7F) of the key table, in its Shift half when the code
    // holds shift or caps lock.
    char asciiForKeycode(quint32 keycode) override;
    // The localised names of the code's modifiers, then "(Num)" for a
    // numeric-pad key that is not a function key.
    QString modifierStringWithKeycode(quint32 keycode) override;
    // The name of the key: the strings table's "Keycode<n>" or its character.
    virtual QString keyStringWithKeycode(quint32 keycode);
    // Modifiers and key; empty for 0.
    QString keystrokeStringWithKeycode(quint32 keycode);

    // --- Paths, file references, text files ------------------------------------------
    int typeForPath(const QString& path) override;
    int typeForTargetPath(const QString& path) override;
    QString targetPath(const QString& path) override;
    QString resolveAliasPath(const QString& path) override;
    QByteArray FSRefForPath(const QString& path) override;
    QString pathForFSRef(const QByteArray& ref) override;
    bool isTextFileAtPath(const QString& path) override;
    QString stringWithPath(const QString& path) override;
    // Runs a script with the interpreter its "#!" line names (/bin/sh when
    // it has none); 0 on success, else its exit status (-1 when it could not
    // run or crashed). The error text of the last failure goes to *error.
    int runScript(const QString& script) override;
    int runScript(const QString& script, QString* error);
    // A settings panel is a desktop entry named after it in the application
    // folders; nothing happens when there is none.
    void openPreferencePanel(const QString& name) override;
    static QList<int> arrayOfIntFromIndex(int start, int withLength);

    // --- Icons and images ---------------------------------------------------------------
    // The path's icon at the smallest available size that is at least the
    // asked one (sizes of 1000 or more never chosen), else the first size;
    // a null image when the path has no icon.
    QImage iconImageRepForPath(const QString& path, int withSize);
    // The same, scaled to withSize x withSize.
    QImage iconImageForPath(const QString& path, int withSize) override;
    // A named image of the application's bundle, cached.
    QImage imageWithName(const QString& name);

    // --- Choosing files: what an open panel shows besides folders ----------------------
    void setShowPathType(int type);
    bool shouldShowFilename(const QString& path);

    // --- Processes -----------------------------------------------------------------------
    // The paths of the running applications that have windows, in the
    // desktop's order, each once (two processes of one entry are one
    // application).
    QStringList launchedAppPathArray() override;
    // The desktop's recent applications merged with those this process
    // started, most recent first.
    QStringList recentAppPathArray() override;
    // A running application whose file name, without ".app" or ".desktop",
    // equals the name.
    bool isProcessLaunchedWithPathName(const QString& name) override;
    // "gedit.desktop" -> "gedit", "Zelk Editor.app" -> "Zelk Editor".
    static QString bundleBaseName(const QString& fileName);

    // The text of a key in the default strings table of this class's bundle
    // (the application's bundle unless another was set); empty when missing.
    QString localizedString(const QString& key) const;

protected:
    // The key table, built on first use.
    std::array<char, 256> keyTable();

private:
    QString desktopEntryIcon(const QString& path) const;

    std::mutex m_mutex; // the utility lock: tables, icon look-ups, cached images
    std::array<char, 256> m_keyTable{};
    bool m_keyTableFilled = false;
    QHash<QString, QImage> m_images;
    std::atomic<int> m_showPathType{0}; // QVUTypeToShow
};

} // namespace zelk
