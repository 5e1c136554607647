#include "ObjectsFile.h"

#include "PropertyList.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace editor {

const char* ObjectsFile::fileName(Kind kind)
{
    static const char* const names[] = {"Actions.plist", "Contexts.plist", "Launchers.plist",
                                        "Shortcuts.plist", "Menus.plist", "Palettes.plist"};
    return names[kind];
}

const char* ObjectsFile::arrayKey(Kind kind)
{
    static const char* const keys[] = {"actionsarray", "contextsarray", "launchersarray",
                                       "shortcutsarray", "menusarray", "palettesarray"};
    return keys[kind];
}

QString ObjectsFile::objectsFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/Zelk");
}

ObjectsFile::Status ObjectsFile::read(const QString& path, Kind kind, Contents* contents, QString* error)
{
    *contents = {};
    if (!QFileInfo::exists(path))
        return Status::Missing;
    QString why;
    const std::optional<QVariant> value = zelk::plist::readFile(path, &why);
    if (!value || value->metaType().id() != QMetaType::QVariantMap) {
        if (error)
            *error = value ? path + QStringLiteral(": not a dictionary") : why;
        return Status::Damaged;
    }
    const QVariantMap file = value->toMap();
    const QVariant array = file.value(QLatin1String(arrayKey(kind)));
    if (array.isValid() && array.metaType().id() != QMetaType::QVariantList) {
        if (error)
            *error = path + QStringLiteral(": ") + QLatin1String(arrayKey(kind)) + QStringLiteral(" is not an array");
        return Status::Damaged;
    }
    bool ok = false;
    const qulonglong next = file.value(QStringLiteral("nextID")).toULongLong(&ok);
    contents->nextID = ok && next <= 0xFFFFFFFFull ? quint32(next) : 0;
    contents->records = array.toList();
    return Status::Read;
}

QByteArray ObjectsFile::data(Kind kind, quint32 nextID, const QVariantList& records, QString* error)
{
    const QVariantMap file{{QStringLiteral("nextID"), qint64(nextID)}, {QLatin1String(arrayKey(kind)), records}};
    return zelk::plist::writeXml(file, error);
}

bool ObjectsFile::write(const QString& path, Kind kind, quint32 nextID, const QVariantList& records, QString* error)
{
    const QVariantMap file{{QStringLiteral("nextID"), qint64(nextID)}, {QLatin1String(arrayKey(kind)), records}};
    return zelk::plist::writeFile(path, file, error);
}

} // namespace editor
