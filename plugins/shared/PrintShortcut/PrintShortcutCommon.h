#pragma once
// What both halves of the printing action type share: model 1 makes a
// printer the user's default, 2 pops up the printers to choose the default
// from, 3 prints the files the user copied (Linux's stand-in for the file
// manager's selection), 4 prints the documents of a folder; 3 and 4 may
// name a printer for that run only. The keys, the reading of a record, the
// class images and bestPath().
#include "ActionPaths.h"
#include "PluginImages.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVariantMap>
#include <mutex>

namespace zelk {

namespace PrintShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Printer = QStringLiteral("Printer");
inline const QString Path = QStringLiteral("Path");
inline const QString FSRef = QStringLiteral("FSRef");
} // namespace PrintShortcutKeys

namespace PrintShortcutModels {
inline int categoryOfAction(int model) { return model >= 1 && model <= 4 ? model : 0; }
inline QString nameOfImageForModelID(int model)
{
    if (model == 1 || model == 2)
        return QStringLiteral("DefaultPrinter.tiff");
    if (model == 3 || model == 4)
        return QStringLiteral("PrintDocument.tiff");
    return {};
}
} // namespace PrintShortcutModels

template <class Side>
class PrintShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return PrintShortcutModels::categoryOfAction(model); }
    static QImage defaultPrinterIcon(int size) { return sizedImage(defaultSlot().template get<Base>(Side::bundle()), size); }
    static QImage printDocumentIcon(int size) { return sizedImage(documentSlot().template get<Base>(Side::bundle()), size); }

    QImage imageValueWithSize(int size) const override
    {
        switch (categoryOfAction(this->CUTAction)) {
        case 1:
        case 2:
            return defaultPrinterIcon(size);
        case 3:
        case 4:
            return printDocumentIcon(size);
        default:
            return {};
        }
    }

    QString bestPath() const
    {
        std::lock_guard lock(m_pathMutex);
        return renewBestPath<Base>(CUTPath, CUTFSRef, false, [this](const QByteArray& ref) {
            this->storeParameter(PrintShortcutKeys::FSRef, ref);
        });
    }

protected:
    void readParameters(const QVariantMap& data)
    {
        namespace K = PrintShortcutKeys;
        const int category = categoryOfAction(this->CUTAction);
        if (category == 1 || category == 3 || category == 4)
            CUTPrinter = data.value(K::Printer).toString();
        if (category == 4) {
            CUTPath = data.value(K::Path).toString();
            CUTFSRef = data.value(K::FSRef).toByteArray();
        }
    }

    QString CUTPrinter;
    mutable std::mutex m_pathMutex;
    mutable QString CUTPath;
    mutable QByteArray CUTFSRef;

private:
    static KeptImage& defaultSlot()
    {
        static KeptImage slot(QStringLiteral("DefaultPrinter.tiff"));
        return slot;
    }
    static KeptImage& documentSlot()
    {
        static KeptImage slot(QStringLiteral("PrintDocument.tiff"));
        return slot;
    }
};

} // namespace zelk
