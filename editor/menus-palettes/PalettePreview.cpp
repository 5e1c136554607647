#include "PalettePreview.h"

#include "PaletteLayout.h"
#include "ScreenGeometry.h"
#include "QVEAction.h"
#include "QVShortcut.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <cmath>

namespace editor {

namespace {

class PreviewButton : public QAbstractButton {
public:
    PreviewButton(int type, const QString& title, const QImage& image, const QSizeF& titleSize, int imageSize,
                  QWidget* parent)
        : QAbstractButton(parent), m_type(type), m_image(image), m_titleSize(titleSize), m_imageSize(imageSize)
    {
        setText(title);
        setAccessibleName(title);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        // Square, shadowless, no border; lit while pressed.
        painter.fillRect(rect(), palette().color(isDown() ? QPalette::Highlight : QPalette::Button));
        const zelk::PaletteLayout::Parts parts =
            zelk::PaletteLayout::partsInButton(m_type, QRectF(rect()), m_titleSize, m_imageSize);
        if (!parts.image.isEmpty() && !m_image.isNull())
            painter.drawImage(parts.image, m_image);
        if (!parts.title.isEmpty()) {
            painter.setFont(font());
            painter.setPen(palette().color(isDown() ? QPalette::HighlightedText : QPalette::ButtonText));
            painter.drawText(parts.title, Qt::AlignCenter, text());
        }
    }

private:
    int m_type;
    QImage m_image;
    QSizeF m_titleSize;
    int m_imageSize;
};

} // namespace

std::unique_ptr<PalettePreview> PalettePreview::paletteForItems(const QList<QVEPalettesManager::PreviewItem>& items,
                                                                const PaletteLook& look)
{
    QStringList titles;
    QList<QImage> images;
    for (const QVEPalettesManager::PreviewItem& item : items) {
        if (item.shortcut) {
            titles << item.shortcut->nameValue();
            images << item.shortcut->imageValueWithSize(look.imageSize);
        } else if (item.action) {
            titles << item.action->nameValue();
            images << item.action->imageValueWithSize(look.imageSize);
        }
    }
    const bool showsTitle = zelk::PaletteLayout::showsTitle(look.itemsType);
    const QSizeF titleSize =
        showsTitle ? zelk::PaletteLayout::largestTitleSize(titles, look.fontSize) : QSizeF(0, 0);
    const zelk::PaletteLayout layout =
        zelk::PaletteLayout::layout(int(titles.size()), look.itemsInWidth, look.itemsType, titleSize, look.imageSize,
                                    look.location, look.origin, zelk::mainScreenSize());

    auto panel = std::make_unique<PalettePreview>();
    panel->setObjectName(QStringLiteral("PalettePreview"));
    panel->setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    panel->setWindowTitle(look.name);
    panel->setFont(zelk::PaletteLayout::titleFont(look.fontSize));
    panel->m_contentFrame = layout.contentFrame.toAlignedRect();
    panel->m_contentFrame.setSize(QSize(int(std::ceil(layout.contentFrame.width())),
                                        int(std::ceil(layout.contentFrame.height()))));
    for (qsizetype k = 0; k < titles.size(); ++k) {
        auto* button = new PreviewButton(look.itemsType, showsTitle ? titles.at(k) : QString(),
                                         zelk::PaletteLayout::showsImage(look.itemsType) ? images.at(k) : QImage(),
                                         titleSize, look.imageSize, panel.get());
        button->setObjectName(QStringLiteral("PaletteButton%1").arg(k));
        const QRectF frame = layout.buttons.at(k);
        button->setGeometry(QRect(QPoint(int(frame.x()), int(frame.y())),
                                  QSize(int(std::ceil(frame.width())), int(std::ceil(frame.height())))));
    }
    panel->setFixedSize(panel->m_contentFrame.size());
    panel->setGeometry(panel->m_contentFrame);
    return panel;
}

bool PalettePreview::event(QEvent* event)
{
    // The content's top-left corner stays at the location, where the
    // engine shows the palette.
    if (event->type() == QEvent::WindowActivate && geometry().topLeft() != m_contentFrame.topLeft())
        setGeometry(m_contentFrame);
    return QDialog::event(event);
}

} // namespace editor
