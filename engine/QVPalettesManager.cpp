#include "QVPalettesManager.h"

#include "Log.h"
#include "MainThread.h"
#include "QVLauncher.h"
#include "QVPalette.h"

namespace engine {

QVPalettesManager& QVPalettesManager::sharedManager()
{
    static QVPalettesManager manager;
    return manager;
}

void QVPalettesManager::resetPalettes()
{
    if (traceMgrEng())
        zelk::zlog("QVPalettesManager", "resetPalettes");
    QList<std::shared_ptr<QVPalette>> dropped;
    {
        std::lock_guard lock(m_mutex);
        dropped.swap(m_palettes);
    }
    for (const std::shared_ptr<QVPalette>& palette : std::as_const(dropped)) {
        if (zelk::MainThread::isCurrent())
            palette->hidePalette();
        // Breaks the launcher <-> palette and context <-> palette cycles.
        palette->beforeDealloc();
    }
}

void QVPalettesManager::setPalettes(const QVariantList& records)
{
    if (traceMgrEng())
        zelk::zlog("QVPalettesManager", "setPalettes:") << "(" << records.size() << ")";
    // Palettes still here would stay linked to their launchers, and shown.
    resetPalettes();
    for (const QVariant& record : records) {
        if (record.metaType().id() != QMetaType::QVariantMap) {
            zelk::zlog("QVPalettesManager", "setPalettes")
                << "error insertPaletteObject nil paletteDict, rowIndex" << palettesArray().size();
            continue;
        }
        addPaletteObject(record.toMap());
    }
}

void QVPalettesManager::addPaletteObject(const QVariantMap& record)
{
    qsizetype count = 0;
    {
        std::lock_guard lock(m_mutex);
        count = m_palettes.size();
    }
    insertPaletteObject(record, count);
}

void QVPalettesManager::insertPaletteObject(const QVariantMap& record, qsizetype atIndex)
{
    qsizetype count = 0;
    {
        std::lock_guard lock(m_mutex);
        count = m_palettes.size();
    }
    if (record.isEmpty() || atIndex < 0 || atIndex > count) {
        zelk::zlog("QVPalettesManager", "insertPaletteObject")
            << QStringLiteral("error insertPaletteObject nil paletteDict, rowIndex %1").arg(atIndex);
        return;
    }
    if (traceMgrEng())
        zelk::zlog("QVPalettesManager", "insertPaletteObject") << QStringLiteral("(%1)").arg(atIndex) << record;
    // Built outside the lock: building links the palette to its launchers and contexts.
    auto palette = std::make_shared<QVPalette>();
    palette->initWithDictionaryInLauncher(record);
    std::lock_guard lock(m_mutex);
    m_palettes.insert(std::min(atIndex, m_palettes.size()), palette);
}

std::shared_ptr<QVPalette> QVPalettesManager::paletteWithID(quint32 paletteID) const
{
    std::lock_guard lock(m_mutex);
    return objectWithID(m_palettes, paletteID);
}

QList<std::shared_ptr<QVPalette>> QVPalettesManager::palettesArray() const
{
    std::lock_guard lock(m_mutex);
    return m_palettes;
}

} // namespace engine
