#pragma once
// The engine's palettes. For now the manager keeps the palette records of
// each load and the palettes' deactivation delay; the panels come later.
#include <QVariantList>
#include <atomic>
#include <mutex>

namespace engine {

class QVPalettesManager {
public:
    static QVPalettesManager& sharedManager();

    void resetPalettes();
    void setPalettes(const QVariantList& records);
    QVariantList palettesArray() const;
    // The scripting commands that show and hide a palette (main thread).
    void showPalette(quint32 paletteID, bool show);

    // Seconds a palette stays as it is after the pointer left it (the
    // setting "PAPaletteDeactivatedDelay"), for all palettes.
    static void setDeactivateDelay(float seconds);
    static float deactivateDelay();

private:
    mutable std::mutex m_mutex;
    QVariantList m_palettes; // PMPalettesArray
    static std::atomic<float> s_deactivateDelay;
};

} // namespace engine
