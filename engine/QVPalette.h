#pragma once
// One palette of Palettes.plist at run time: a floating panel of buttons,
// one per active shortcut or action item, laid out by PaletteLayout at its
// stored corner of the main screen; the launchers that show and hide it and
// the contexts that activate it.
//
// In title-outside mode the shown panel shrinks to its title bar and fades
// to (100 - transparency) % once the pointer has been away for the class's
// deactivation delay, and grows back, opaque, when the pointer returns.
//
// Panels are built, shown and resized on the main thread; activation may be
// pushed from another thread, which hands the showing over to it.
#include "QVActivationCount.h"
#include "QVLinkedObject.h"
#include "QVObjectLinks.h"
#include "QVPalettePanel.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <atomic>
#include <functional>
#include <memory>

namespace engine {

class QVShortcut;

class QVPalette : public QVLinkedObject {
public:
    // What a button runs and shows: a shortcut or an action.
    struct Object {
        QString name;
        std::function<QImage(int size)> image;
        std::function<void()> run;
        std::shared_ptr<QVShortcut> shortcut; // enables the button while it is active
    };

    QVPalette();
    ~QVPalette() override;
    QVPalette(const QVPalette&) = delete;
    QVPalette& operator=(const QVPalette&) = delete;

    // Reads a PaletteRecord, builds its panel and links itself. Call on a
    // palette held by a shared_ptr.
    bool initWithDictionaryInLauncher(const QVariantMap& record);
    // The panel of the objects laid out by PaletteLayout (hidden; nullptr
    // without a window system).
    static QVPalettePanel* paletteForItems(const QList<Object>& objects, const QString& named, const QPointF& location,
                                           int locationOrigin, int itemType, int itemsInWidth, int imageSize,
                                           int fontSize);
    void beforeDealloc();

    void setObjectActivated(bool activated) override;
    // While active: hides the shown panel, else shows it.
    void runObject() override;
    void showPalette();
    void hidePalette();
    // The pointer's comings and goings over the panel.
    void mouseEntered();
    void mouseExited();
    void pointerEnterPalette();
    void pointerExitPalette();
    // The user closes the panel.
    bool windowShouldClose();
    bool isVisible() const;
    // The scripting commands that show and hide the palette; answer nothing.
    void showCommand(const QString& command, const QString& event);
    void hideCommand(const QString& command, const QString& event);

    bool isActive() const { return m_activation.isActive(); }
    int activatedCount() const { return m_activation.count(); }
    bool isCollapsed() const { return m_isCollapsed; }
    quint32 paletteID() const { return m_id; }
    quint32 IDValue() const { return m_id; }
    bool IDIsEqual(quint32 paletteID) const { return paletteID == m_id; }
    QString name() const { return m_name; }
    QString nameValue() const { return m_name; }
    QVPalettePanel* panel() const { return m_panel; }
    // The height of the panel's content when built.
    double paletteHeight() const { return m_paletteHeight; }
    QString description() const;
    const QVObjectLinks& links() const { return m_links; }

    // Seconds a palette waits, after the pointer left it, before it
    // collapses and fades (the setting "PAPaletteDeactivatedDelay").
    static void setDeactivateDelay(float seconds);
    static float deactivateDelay();

private:
    double outsideAlpha() const;
    // Shrinks or grows the panel by the content height less one, keeping its
    // top edge where the screen allows.
    void resizeBy(bool collapse);

    quint32 m_id = 0;                    // QVPID
    QString m_name;                      // QVPName
    QVObjectLinks m_links;               // QVPLaunchersArray, QVPContextsArray
    bool m_showActive = false;           // QVPShowActive
    bool m_titleOutside = false;         // QVPTitleOutside
    int m_outsideTransparency = 0;       // QVPOutsideTransparency
    QPointer<QVPalettePanel> m_panel;    // QVPPalette
    double m_paletteHeight = 0;          // QVPPaletteHeight
    bool m_pointerEntered = false;       // QVPPointerEntered
    bool m_pointerToExit = false;        // QVPPointerToExit
    bool m_isCollapsed = false;

    QVActivationCount m_activation; // QVPIsActivated, QVPActivatedCount

    static std::atomic<float> s_deactivateDelay;
};

} // namespace engine
