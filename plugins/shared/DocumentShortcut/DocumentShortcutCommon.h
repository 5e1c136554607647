#pragma once
// What both halves of the document action type share: the models and their
// categories, the keys of ActionParameters, the reading of a record, the
// class image, the image of an action and bestPath(). Side is the plug-in's
// side (zelk::editor::Side or zelk::engine::Side).
//
// Models: 2 open one document (with its default application or a named
// one), 3 pop up the recent documents, 5 open the files the user copied
// (Linux's stand-in for the file manager's selection). The former numbers 1
// and 4 are read as 2 and 5; the stored "Action" keeps them.
#include "ActionPaths.h"
#include "PluginImages.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVariantMap>
#include <mutex>

namespace zelk {

namespace DocumentShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString DocPath = QStringLiteral("DocPath");
inline const QString DocFSRef = QStringLiteral("DocFSRef");
inline const QString AppName = QStringLiteral("AppName");
inline const QString Order = QStringLiteral("Order");
} // namespace DocumentShortcutKeys

namespace DocumentShortcutModels {
// 2, 3, 5 for themselves; 0 for anything else (1 and 4 included).
inline int categoryOfAction(int model) { return model == 2 || model == 3 || model == 5 ? model : 0; }
// The model a stored number runs as: 1 -> 2, 4 -> 5.
inline int currentModel(int stored) { return stored == 1 ? 2 : stored == 4 ? 5 : stored; }
// "document.tiff" for the three models; empty otherwise.
inline QString nameOfImageForModelID(int model)
{
    return categoryOfAction(model) ? QStringLiteral("document.tiff") : QString();
}
} // namespace DocumentShortcutModels

template <class Side>
class DocumentShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return DocumentShortcutModels::categoryOfAction(model); }
    static QImage docIcon(int size) { return sizedImage(docIconSlot().template get<Base>(Side::bundle()), size); }

    // Model 2: the document's own icon, or the missing-item icon; models 3
    // and 5 the class image; other numbers none.
    QImage imageValueWithSize(int size) const override
    {
        switch (m_model) {
        case 2:
            return fileIconOrUnknown<Base>(bestPath(), size);
        case 3:
        case 5:
            return docIcon(size);
        default:
            return {};
        }
    }

    QString bestPath() const
    {
        std::lock_guard lock(m_pathMutex);
        return renewBestPath<Base>(CUTDocPath, CUTDocFSRef, false, [this](const QByteArray& ref) {
            this->storeParameter(DocumentShortcutKeys::DocFSRef, ref);
        });
    }

protected:
    // The keys of the model (after mapping) into the stored values.
    void readParameters(const QVariantMap& data, int storedAction)
    {
        namespace K = DocumentShortcutKeys;
        m_model = DocumentShortcutModels::currentModel(storedAction);
        switch (m_model) {
        case 2:
            CUTDocPath = data.value(K::DocPath).toString();
            CUTDocFSRef = data.value(K::DocFSRef).toByteArray();
            CUTAppName = data.value(K::AppName).toString();
            break;
        case 3:
            CUTOrder = data.value(K::Order).toInt();
            break;
        case 5:
            CUTAppName = data.value(K::AppName).toString();
            break;
        default:
            break;
        }
    }

    int m_model = 0; // the model the stored number stands for
    mutable std::mutex m_pathMutex;
    mutable QString CUTDocPath;
    mutable QByteArray CUTDocFSRef;
    QString CUTAppName;
    int CUTOrder = 0;

private:
    static KeptImage& docIconSlot()
    {
        static KeptImage slot(QStringLiteral("document.tiff"));
        return slot;
    }
};

} // namespace zelk
