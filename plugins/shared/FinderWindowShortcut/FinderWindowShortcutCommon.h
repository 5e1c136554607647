#pragma once
// What both halves of the file-manager window action type share: model 1
// shows a chosen folder, model 2 a window for each folder the user copied;
// the keys, the reading of a record, the class image and bestPath().
//
// NewWindow, CloseAll, ViewType and WindowRect are stored and edited as
// they are; the freedesktop file-manager interface offers no way to close
// windows, pick a view or place a window, so the runner shows the folders
// and leaves those to the file manager.
#include "ActionPaths.h"
#include "PluginImages.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>
#include <QVariantMap>
#include <mutex>

namespace zelk {

namespace FinderWindowShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Path = QStringLiteral("Path");
inline const QString FSRef = QStringLiteral("FSRef");
inline const QString NewWindow = QStringLiteral("NewWindow");
inline const QString CloseAll = QStringLiteral("CloseAll");
inline const QString ViewType = QStringLiteral("ViewType");
inline const QString WindowRect = QStringLiteral("WindowRect");
} // namespace FinderWindowShortcutKeys

namespace FinderWindowShortcutModels {
inline int categoryOfAction(int model) { return model == 1 || model == 2 ? model : 0; }
inline QString nameOfImageForModelID(int model)
{
    return categoryOfAction(model) ? QStringLiteral("finderwindow.tiff") : QString();
}
// The view value that leaves the window's view as it is.
inline constexpr int kViewUnchanged = 3;
// The stored text form of a rectangle, "{{x, y}, {w, h}}", and back (all
// zero for a text that holds no four numbers).
QString stringFromRect(const QRect& rect);
QRect rectFromString(const QString& text);
} // namespace FinderWindowShortcutModels

template <class Side>
class FinderWindowShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return FinderWindowShortcutModels::categoryOfAction(model); }
    static QImage finderWindowIcon(int size) { return sizedImage(iconSlot().template get<Base>(Side::bundle()), size); }

    QImage imageValueWithSize(int size) const override
    {
        if (this->CUTAction == 2)
            return finderWindowIcon(size);
        if (this->CUTAction == 1)
            return fileIconOrUnknown<Base>(bestPath(), size);
        return {};
    }

    // The rule of stored paths; a path that leads nowhere (nor its
    // reference) is answered without renewing the reference.
    QString bestPath() const
    {
        std::lock_guard lock(m_pathMutex);
        return renewExistingBestPath<Base>(CUTPath, CUTFSRef, [this](const QByteArray& ref) {
            this->storeParameter(FinderWindowShortcutKeys::FSRef, ref);
        });
    }

protected:
    void readParameters(const QVariantMap& data)
    {
        namespace K = FinderWindowShortcutKeys;
        const int category = categoryOfAction(this->CUTAction);
        if (category == 1) {
            CUTPath = data.value(K::Path).toString();
            CUTFSRef = data.value(K::FSRef).toByteArray();
            CUTNewWindow = data.value(K::NewWindow).toBool();
            CUTCloseAll = data.value(K::CloseAll).toBool();
        }
        if (category != 0) {
            CUTViewType = data.value(K::ViewType).toInt();
            CUTWindowRect = FinderWindowShortcutModels::rectFromString(data.value(K::WindowRect).toString());
        }
    }

    mutable std::mutex m_pathMutex;
    mutable QString CUTPath;
    mutable QByteArray CUTFSRef;
    bool CUTNewWindow = false;
    bool CUTCloseAll = false;
    int CUTViewType = 0;
    QRect CUTWindowRect;

private:
    static KeptImage& iconSlot()
    {
        static KeptImage slot(QStringLiteral("finderwindow.tiff"));
        return slot;
    }
};

} // namespace zelk
