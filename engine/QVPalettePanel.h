#pragma once
// The window of a palette: a floating tool window of buttons that never
// takes the focus from the application the user works in, and the buttons,
// each drawing its image and title where its type puts them. The panel
// tells its palette when the pointer comes over it (the title bar included)
// or leaves, and when the user closes it; closing only hides it.
#include <QAbstractButton>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace engine {

class QVPaletteButton : public QAbstractButton {
public:
    QVPaletteButton(int type, const QString& title, const QImage& image, const QSizeF& titleSize, int imageSize,
                    const QFont& font, QWidget* parent);
    int type() const { return m_type; }
    QImage image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_type;
    QImage m_image;
    QSizeF m_titleSize;
    int m_imageSize;
};

class QVPalettePanel : public QWidget {
public:
    explicit QVPalettePanel(const QString& title);

    // Pointer tracking over the content and a band above it as high as a
    // title bar; assumeInside says where the pointer is taken to be now.
    void addTrackingArea(bool assumeInside);
    void removeTrackingArea();
    bool isTracking() const { return m_tracking.isActive(); }
    // Called with true when the pointer comes in, false when it leaves.
    void setPointerHandler(std::function<void(bool inside)> handler) { m_pointerHandler = std::move(handler); }
    void setCloseHandler(std::function<void()> handler) { m_closeHandler = std::move(handler); }

    // The height of the band over the content that counts as the panel.
    static constexpr int kTitleBand = 16;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void checkPointer();

    QTimer m_tracking;
    bool m_inside = false;
    std::function<void(bool)> m_pointerHandler;
    std::function<void()> m_closeHandler;
};

} // namespace engine
