#pragma once
// Paths of files and applications as both halves of the action types see
// them. An application is a desktop entry: its .desktop file stands where a
// bundle path is stored, its file name without ".desktop" where a bundle
// name without ".app" is (Zelk's own bundles keep their ".app").
//
// bestPathOf() is the one rule that decides which of a stored path and the
// file reference made from it names the item now; Base is the side's action
// framework class (QVEAction or QVAction), whose forwarders make and read
// the references.
#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <optional>
#include <utility>

namespace zelk {

// What the user calls the item at a path: a desktop entry's Name, else the
// file name ("/" for the root).
QString displayNameAtPath(const QString& path);
// The name without a trailing ".desktop" or ".app".
QString withoutAppExtension(const QString& name);
// The application's name as parameters store it: the file name of its
// entry or bundle without the extension ("org.gnome.gedit" for
// ".../org.gnome.gedit.desktop").
QString applicationNameOfPath(const QString& path);
// The desktop entry "<name>.desktop" in the XDG application folders (user's
// first), else the empty string.
QString fullPathForApplication(const QString& name);
bool fileExistsAtPath(const QString& path);

struct BestPath {
    QString path;                     // the answer
    std::optional<QByteArray> newRef; // the reference to store now, when it must be renewed
    bool pathReplaced = false;        // the item was found elsewhere by its application name
};

// 1. A file exists at the stored path: that path, renewing the reference
//    when it yields no path or another one.
// 2. Else the path the reference yields now (the item was moved or renamed).
// 3. byApplicationName: else the application of the same name found in the
//    application folders, with a reference made from it.
// 4. Else the stored path; the reference is renewed from it unless
//    byApplicationName (applications keep theirs).
template <class Base>
BestPath bestPathOf(const QString& path, const QByteArray& ref, bool byApplicationName = false)
{
    if (fileExistsAtPath(path)) {
        const QString refPath = ref.isEmpty() ? QString() : Base::pathForFSRef(ref);
        if (refPath.isEmpty() || refPath != path)
            return {path, Base::FSRefForPath(path), false};
        return {path, std::nullopt, false};
    }
    if (!ref.isEmpty()) {
        const QString moved = Base::pathForFSRef(ref);
        if (!moved.isEmpty())
            return {moved, std::nullopt, false};
    }
    if (byApplicationName) {
        const QString found = fullPathForApplication(applicationNameOfPath(path));
        if (!found.isEmpty())
            return {found, Base::FSRefForPath(found), true};
        return {path, std::nullopt, false};
    }
    return {path, Base::FSRefForPath(path), false};
}

} // namespace zelk

namespace zelk {

// bestPathOf() applied to a type's stored path and reference: renews the
// reference (and hands it to refRenewed, which stores it where the type
// keeps its parameters), takes a path found by application name as the new
// stored path, and answers the best path.
template <class Base, class RefRenewed>
QString renewBestPath(QString& path, QByteArray& ref, bool byApplicationName, RefRenewed&& refRenewed)
{
    const BestPath best = bestPathOf<Base>(path, ref, byApplicationName);
    if (best.pathReplaced)
        path = best.path;
    if (best.newRef) {
        ref = *best.newRef;
        refRenewed(ref);
    }
    return best.path;
}

} // namespace zelk

namespace zelk {

// renewBestPath() for a folder: when neither the stored path nor its
// reference leads to an item, the stored path is answered and the
// reference kept as it is.
template <class Base, class RefRenewed>
QString renewExistingBestPath(QString& path, QByteArray& ref, RefRenewed&& refRenewed)
{
    if (!fileExistsAtPath(path)) {
        const QString moved = ref.isEmpty() ? QString() : Base::pathForFSRef(ref);
        return moved.isEmpty() || !fileExistsAtPath(moved) ? path : moved;
    }
    return renewBestPath<Base>(path, ref, false, std::forward<RefRenewed>(refRenewed));
}

} // namespace zelk
