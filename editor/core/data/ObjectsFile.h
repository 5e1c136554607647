#pragma once
// The data folder and its six data files. Each file is an XML property
// list {nextID: the kind's counter, <array key>: the records}, read and
// written in the order actions, contexts, launchers, shortcuts, menus,
// palettes: the later kinds link to the earlier ones by ID as they load.
//
// The folder is "Zelk" in the user's data folder ($XDG_DATA_HOME, by
// default ~/.local/share); only the engine creates it.
//
// A file that exists but cannot be read as such a dictionary is reported
// as damaged rather than read as empty, so that nobody saves an empty list
// over data that a repair could still bring back.
#include <QString>
#include <QVariantList>
#include <array>

namespace editor {

class ObjectsFile {
public:
    enum Kind { Actions, Contexts, Launchers, Shortcuts, Menus, Palettes };
    static constexpr int KindCount = 6;
    static const char* fileName(Kind kind);  // "Actions.plist"...
    static const char* arrayKey(Kind kind);  // "actionsarray"...
    static constexpr std::array<Kind, KindCount> order() { return {Actions, Contexts, Launchers, Shortcuts, Menus, Palettes}; }

    // $XDG_DATA_HOME/Zelk; empty when there is no data location.
    static QString objectsFolder();

    enum class Status { Read, Missing, Damaged };
    struct Contents {
        quint32 nextID = 0;      // a missing or unusable nextID reads as 0
        QVariantList records;    // a missing array reads as empty
    };
    // Reads one file; *error says why a file is damaged.
    static Status read(const QString& path, Kind kind, Contents* contents, QString* error = nullptr);
    // The XML text of one file; empty (with *error) when it can't be written.
    static QByteArray data(Kind kind, quint32 nextID, const QVariantList& records, QString* error = nullptr);
    // Writes one file atomically: the old file stays whole when anything fails.
    static bool write(const QString& path, Kind kind, quint32 nextID, const QVariantList& records, QString* error = nullptr);
};

} // namespace editor
