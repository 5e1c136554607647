#pragma once
// Adds the objects of an exchange file to the editor's lists: fresh IDs of
// each kind, references rewritten to them, equal launchers and contexts
// reused. A file that is not a well-formed exchange file is refused with
// one alert before anything is added; a step or item whose object the file
// does not hold is dropped with a logged warning. No undo step, nothing
// marked new, no editor opened.
#include <QByteArray>
#include <QString>
#include <QVariant>
#include <optional>

namespace editor {

class QVEImporter {
public:
    static QVEImporter& sharedImporter();
    // "zlex" or "qvex", letter case counting.
    static bool extensionIsValidForPath(const QString& path);

    // The open panel; each chosen file imported in the panel's order.
    void tryImport();
    // False (after the alert) when the file was refused.
    bool importFromFile(const QString& path);
    // The same for the bytes of a file; name stands for its path in the
    // alert and the log.
    bool importFromData(const QByteArray& data, const QString& name);

    // Parses an exchange file and checks its shape: the root dictionary, or
    // nullopt with the reason.
    static std::optional<QVariantMap> readExchangeData(const QByteArray& data, QString* why);

private:
    QVEImporter() = default;
    bool refuse(const QString& name, const QString& why);
    void importRecords(const QVariantMap& file, const QString& path);
};

} // namespace editor
