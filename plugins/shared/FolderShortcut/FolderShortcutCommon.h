#pragma once
// What both halves of the folder-menu action type share: models,
// categories, keys and their defaults, the reading of a record, the class
// images and bestPath(). Model 1 lists a chosen folder, model 2 the folder
// of the files the user copied (Linux's stand-in for the file manager's
// front window).
#include "ActionPaths.h"
#include "PluginImages.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVariantMap>
#include <mutex>

namespace zelk {

namespace FolderShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Path = QStringLiteral("Path");
inline const QString FSRef = QStringLiteral("FSRef");
inline const QString Depth = QStringLiteral("Depth");
inline const QString DisplayIcon = QStringLiteral("DisplayIcon");
inline const QString GIcons = QStringLiteral("GIcons");
inline const QString ShowDocument = QStringLiteral("ShowDocument");
inline const QString ShowApplication = QStringLiteral("ShowApplication");
inline const QString ShowFolder = QStringLiteral("ShowFolder");
inline const QString ShowPackageContent = QStringLiteral("ShowPackageContent");
inline const QString ShowInvisible = QStringLiteral("ShowInvisible");
inline const QString DisplayExtension = QStringLiteral("DisplayExtension");
inline const QString FolderOpen = QStringLiteral("FolderOpen");
} // namespace FolderShortcutKeys

// The look and the filters of a folder menu, as stored.
struct FolderMenuFlags {
    bool displayIcon = true;
    bool genericIcons = false;
    bool showDocument = true;
    bool showApplication = true;
    bool showFolder = true;
    bool showPackageContent = false;
    bool showInvisible = false;
    bool displayExtension = true;
    bool folderOpen = false;

    // Read with the defaults above for missing keys.
    static FolderMenuFlags read(const QVariantMap& data)
    {
        namespace K = FolderShortcutKeys;
        FolderMenuFlags f;
        f.displayIcon = data.value(K::DisplayIcon, true).toBool();
        f.genericIcons = data.value(K::GIcons, false).toBool();
        f.showDocument = data.value(K::ShowDocument, true).toBool();
        f.showApplication = data.value(K::ShowApplication, true).toBool();
        f.showFolder = data.value(K::ShowFolder, true).toBool();
        f.showPackageContent = data.value(K::ShowPackageContent, false).toBool();
        f.showInvisible = data.value(K::ShowInvisible, false).toBool();
        f.displayExtension = data.value(K::DisplayExtension, true).toBool();
        f.folderOpen = data.value(K::FolderOpen, false).toBool();
        return f;
    }
    void write(QVariantMap& data) const
    {
        namespace K = FolderShortcutKeys;
        data.insert(K::DisplayIcon, displayIcon);
        data.insert(K::GIcons, genericIcons);
        data.insert(K::ShowDocument, showDocument);
        data.insert(K::ShowApplication, showApplication);
        data.insert(K::ShowFolder, showFolder);
        data.insert(K::ShowPackageContent, showPackageContent);
        data.insert(K::ShowInvisible, showInvisible);
        data.insert(K::DisplayExtension, displayExtension);
        data.insert(K::FolderOpen, folderOpen);
    }
    bool operator==(const FolderMenuFlags&) const = default;
};

namespace FolderShortcutModels {
inline int categoryOfAction(int model) { return model == 1 || model == 2 ? model : 0; }
inline QString nameOfImageForModelID(int model)
{
    return categoryOfAction(model) ? QStringLiteral("Folder.tiff") : QString();
}
} // namespace FolderShortcutModels

template <class Side>
class FolderShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return FolderShortcutModels::categoryOfAction(model); }
    static QImage folderIcon(int size) { return sizedImage(slot("Folder.tiff").template get<Base>(Side::bundle()), size); }
    static QImage docIcon(int size) { return sizedImage(slot("Document.tiff").template get<Base>(Side::bundle()), size); }
    static QImage appIcon(int size) { return sizedImage(slot("Application.tiff").template get<Base>(Side::bundle()), size); }

    // Model 2 the class image; model 1 the folder's own icon when it is
    // there, else the missing-item icon; other numbers none.
    QImage imageValueWithSize(int size) const override
    {
        if (this->CUTAction == 2)
            return folderIcon(size);
        if (this->CUTAction == 1)
            return fileIconOrUnknown<Base>(bestPath(), size);
        return {};
    }

    // The rule of stored paths, except that a path that leads nowhere (nor
    // its reference) is answered without renewing the reference.
    QString bestPath() const
    {
        std::lock_guard lock(m_pathMutex);
        return renewExistingBestPath<Base>(CUTPath, CUTFSRef, [this](const QByteArray& ref) {
            this->storeParameter(FolderShortcutKeys::FSRef, ref);
        });
    }

protected:
    void readParameters(const QVariantMap& data)
    {
        namespace K = FolderShortcutKeys;
        if (this->CUTAction == 1) {
            CUTPath = data.value(K::Path).toString();
            CUTFSRef = data.value(K::FSRef).toByteArray();
        }
        CUTMenuDepth = data.value(K::Depth).toInt();
        CUTFlags = FolderMenuFlags::read(data);
    }

    mutable std::mutex m_pathMutex;
    mutable QString CUTPath;
    mutable QByteArray CUTFSRef;
    int CUTMenuDepth = 0;
    FolderMenuFlags CUTFlags;

private:
    static KeptImage& slot(const char* name)
    {
        static KeptImage folder(QStringLiteral("Folder.tiff"));
        static KeptImage document(QStringLiteral("Document.tiff"));
        static KeptImage application(QStringLiteral("Application.tiff"));
        const QString n = QLatin1String(name);
        return n == folder.name() ? folder : n == document.name() ? document : application;
    }
};

} // namespace zelk
