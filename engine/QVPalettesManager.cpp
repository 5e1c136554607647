#include "QVPalettesManager.h"

#include "Log.h"
#include "QVAppl.h"

namespace engine {

namespace {
bool trace() { return QVAppl::shared() && QVAppl::shared()->TraceMgrEng(); }
} // namespace

std::atomic<float> QVPalettesManager::s_deactivateDelay{0};

QVPalettesManager& QVPalettesManager::sharedManager()
{
    static QVPalettesManager manager;
    return manager;
}

void QVPalettesManager::resetPalettes()
{
    if (trace())
        zelk::zlog("QVPalettesManager", "resetPalettes");
    std::lock_guard lock(m_mutex);
    m_palettes.clear();
}

void QVPalettesManager::setPalettes(const QVariantList& records)
{
    if (trace())
        zelk::zlog("QVPalettesManager", "setPalettes:") << "(" << records.size() << ")";
    QVariantList palettes;
    for (const QVariant& record : records) {
        if (record.metaType().id() != QMetaType::QVariantMap) {
            zelk::zlog("QVPalettesManager", "setPalettes") << "error insertPaletteObject nil paletteDict, rowIndex" << palettes.size();
            continue;
        }
        palettes.append(record);
    }
    std::lock_guard lock(m_mutex);
    m_palettes = palettes;
}

QVariantList QVPalettesManager::palettesArray() const
{
    std::lock_guard lock(m_mutex);
    return m_palettes;
}

void QVPalettesManager::setDeactivateDelay(float seconds) { s_deactivateDelay = seconds; }

float QVPalettesManager::deactivateDelay() { return s_deactivateDelay; }

void QVPalettesManager::showPalette(quint32 paletteID, bool show)
{
    if (QVAppl::shared() && QVAppl::shared()->TraceAppEng())
        zelk::zlog("QVPalettesManager", show ? "showCommand" : "hideCommand") << "palette" << paletteID;
}

} // namespace engine
