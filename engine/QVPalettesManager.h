#pragma once
// The engine's palettes, built from Palettes.plist on every load (after the
// shortcuts, actions, launchers and contexts they name), each with its
// panel, hidden until shown.
#include <QList>
#include <QVariantList>
#include <QVariantMap>
#include <memory>
#include <mutex>

namespace engine {

class QVPalette;

class QVPalettesManager {
public:
    static QVPalettesManager& sharedManager();

    // Hides every panel, unlinks every palette and drops them.
    void resetPalettes();
    // A new list built from the records, in order.
    void setPalettes(const QVariantList& records);
    void addPaletteObject(const QVariantMap& record);
    // Builds a palette and inserts it; an index out of range or an empty
    // record is logged and inserts nothing.
    void insertPaletteObject(const QVariantMap& record, qsizetype atIndex);

    std::shared_ptr<QVPalette> paletteWithID(quint32 paletteID) const;
    QList<std::shared_ptr<QVPalette>> palettesArray() const;

private:
    QVPalettesManager() = default;
    mutable std::mutex m_mutex;
    QList<std::shared_ptr<QVPalette>> m_palettes; // PMPalettesArray
};

} // namespace engine
