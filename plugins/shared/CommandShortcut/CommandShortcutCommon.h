#pragma once
// What both halves of the shell-command action type share: the models, the
// keys of ActionParameters, the reading of a record, the class image, the
// image of an action and bestPath().
//
// Models: 1 a command line kept in the action (Source, several lines
// allowed); 2 a text file whose plain text is the command (Path, FSRef).
// InTerminal: run it in a terminal window instead of in the background.
#include "ActionPaths.h"
#include "PluginImages.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVariantMap>
#include <mutex>

namespace zelk {

namespace CommandShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Source = QStringLiteral("Source");
inline const QString Path = QStringLiteral("Path");
inline const QString FSRef = QStringLiteral("FSRef");
inline const QString InTerminal = QStringLiteral("InTerminal");
} // namespace CommandShortcutKeys

namespace CommandShortcutModels {
inline constexpr int CommandText = 1;
inline constexpr int CommandFile = 2;
inline int categoryOfAction(int model) { return model == CommandText || model == CommandFile ? model : 0; }
} // namespace CommandShortcutModels

template <class Side>
class CommandShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return CommandShortcutModels::categoryOfAction(model); }
    static QString nameOfImageForModelID(int model)
    {
        return categoryOfAction(model) ? QStringLiteral("command.tiff") : QString();
    }
    static QImage commandIcon(int size) { return sizedImage(iconSlot().template get<Base>(Side::bundle()), size); }

    QImage imageValueWithSize(int size) const override
    {
        switch (categoryOfAction(this->CUTAction)) {
        case CommandShortcutModels::CommandFile:
            return fileIconOrUnknown<Base>(bestPath(), size);
        case CommandShortcutModels::CommandText:
            return commandIcon(size);
        default:
            return {};
        }
    }

    QString bestPath() const
    {
        std::lock_guard lock(m_pathMutex);
        return renewBestPath<Base>(CUTPath, CUTFSRef, false, [this](const QByteArray& ref) {
            this->storeParameter(CommandShortcutKeys::FSRef, ref);
        });
    }

protected:
    void readParameters(const QVariantMap& data)
    {
        namespace K = CommandShortcutKeys;
        switch (categoryOfAction(this->CUTAction)) {
        case CommandShortcutModels::CommandText:
            CUTSource = data.value(K::Source).toString();
            break;
        case CommandShortcutModels::CommandFile:
            CUTPath = data.value(K::Path).toString();
            CUTFSRef = data.value(K::FSRef).toByteArray();
            break;
        default:
            return;
        }
        CUTInTerminal = data.value(K::InTerminal).toBool();
    }

    mutable std::mutex m_pathMutex;
    mutable QString CUTPath;
    mutable QByteArray CUTFSRef;
    QString CUTSource;
    bool CUTInTerminal = false;

private:
    static KeptImage& iconSlot()
    {
        static KeptImage slot(QStringLiteral("command.tiff"));
        return slot;
    }
};

} // namespace zelk
