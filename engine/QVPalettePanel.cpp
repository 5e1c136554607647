#include "QVPalettePanel.h"

#include "PaletteLayout.h"
#include "ScreenGeometry.h"

#include <QCloseEvent>
#include <QPainter>

namespace engine {

namespace {
// The pointer is not reported over another client's window or the window
// manager's title bar, so the panel looks where it is this often.
constexpr int kTrackingIntervalMs = 100;
} // namespace

QVPaletteButton::QVPaletteButton(int type, const QString& title, const QImage& image, const QSizeF& titleSize,
                                 int imageSize, const QFont& font, QWidget* parent)
    : QAbstractButton(parent), m_type(type), m_image(image), m_titleSize(titleSize), m_imageSize(imageSize)
{
    setFont(font);
    if (zelk::PaletteLayout::showsTitle(type))
        setText(title);
    setAccessibleName(title);
    setToolTip(title);
    setFocusPolicy(Qt::NoFocus);
}

void QVPaletteButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    // A momentary light: lit only while held down.
    if (isDown())
        painter.fillRect(rect(), palette().color(QPalette::Highlight));
    const zelk::PaletteLayout::Parts parts = zelk::PaletteLayout::partsInButton(m_type, QRectF(rect()), m_titleSize, m_imageSize);
    if (!parts.image.isEmpty() && !m_image.isNull()) {
        if (!isEnabled())
            painter.setOpacity(0.4);
        painter.drawImage(parts.image, m_image);
        painter.setOpacity(1.0);
    }
    if (!parts.title.isEmpty() && !text().isEmpty()) {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       isDown() ? QPalette::HighlightedText : QPalette::ButtonText));
        painter.drawText(parts.title, Qt::AlignCenter, text());
    }
}

QVPalettePanel::QVPalettePanel(const QString& title)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setWindowTitle(title);
    setAccessibleName(title);
    // The application the user works in keeps the focus.
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_tracking.setInterval(kTrackingIntervalMs);
    QObject::connect(&m_tracking, &QTimer::timeout, this, [this] { checkPointer(); });
}

void QVPalettePanel::addTrackingArea(bool assumeInside)
{
    m_inside = assumeInside;
    m_tracking.start();
}

void QVPalettePanel::removeTrackingArea() { m_tracking.stop(); }

void QVPalettePanel::checkPointer()
{
    const QRect area = geometry().adjusted(0, -kTitleBand, 0, 0).united(frameGeometry());
    const bool inside = area.contains(zelk::mousePoint().toPoint());
    if (inside == m_inside)
        return;
    m_inside = inside;
    if (m_pointerHandler)
        m_pointerHandler(inside);
}

void QVPalettePanel::closeEvent(QCloseEvent* event)
{
    removeTrackingArea();
    if (m_closeHandler)
        m_closeHandler();
    event->accept();
}

} // namespace engine
