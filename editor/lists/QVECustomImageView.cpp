#include "QVECustomImageView.h"

#include "ModelSupport.h"
#include "QVUtility.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPixmap>
#include <QPointer>
#include <QUrl>

namespace editor {

QVECustomImageView::QVECustomImageView(QWidget* parent) : QLabel(parent)
{
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setAlignment(Qt::AlignCenter);
    setFrameShape(QFrame::StyledPanel);
    setMinimumSize(kImageSize + 8, kImageSize + 8);
    setAccessibleName(loc(QStringLiteral("ImageWell")));
}

QMenu* QVECustomImageView::selectImageMenuWithTarget(QVECustomImageView* view)
{
    // One menu for every well, built once; each call aims it at one view.
    static QMenu* menu = nullptr;
    static QPointer<QVECustomImageView> target;
    if (!menu) {
        menu = new QMenu;
        QObject::connect(menu->addAction(loc(QStringLiteral("AddImageFromFile"))), &QAction::triggered, [] {
            if (target)
                target->setImageFromImageFile();
        });
        QObject::connect(menu->addAction(loc(QStringLiteral("AddImageFileIcon"))), &QAction::triggered, [] {
            if (target)
                target->setImageFromFileIcon();
        });
    }
    target = view;
    return menu;
}

void QVECustomImageView::setNewImage(const QImage& image)
{
    if (image.isNull())
        return;
    m_image = QVUtility::bitmapImageRepForImage(QIcon(QPixmap::fromImage(image)), kImageSize);
    setPixmap(QPixmap::fromImage(m_image));
    repaint();
    emit imageChanged(m_image);
}

void QVECustomImageView::setImageFromImageFile()
{
    QStringList types;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        types << QString::fromLatin1(format);
    const QString path = QVUtility::sharedUtility().getDocumentOfTypes(types, QString());
    if (path.isEmpty())
        return;
    QImage image(path);
    if (!image.isNull())
        setNewImage(image);
}

void QVECustomImageView::setImageFromFileIcon()
{
    const QString path = QVUtility::sharedUtility().getDocumentOfTypes({}, QString());
    if (!path.isEmpty())
        setNewImage(QVUtility::sharedUtility().iconImageForPath(path, kImageSize));
}

QImage QVECustomImageView::imageFromMimeData(const QMimeData* data)
{
    if (!data)
        return {};
    if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (!image.isNull())
            return image;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            const QImage image(url.toLocalFile());
            if (!image.isNull())
                return image;
        }
    }
    return {};
}

bool QVECustomImageView::canPaste() const
{
    return !imageFromMimeData(QApplication::clipboard()->mimeData()).isNull();
}

void QVECustomImageView::paste()
{
    setNewImage(imageFromMimeData(QApplication::clipboard()->mimeData()));
}

void QVECustomImageView::contextMenuEvent(QContextMenuEvent* event)
{
    selectImageMenuWithTarget(this)->popup(event->globalPos());
}

void QVECustomImageView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasImage() || event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void QVECustomImageView::dragMoveEvent(QDragMoveEvent* event)
{
    event->acceptProposedAction();
}

void QVECustomImageView::dropEvent(QDropEvent* event)
{
    const QImage image = imageFromMimeData(event->mimeData());
    if (image.isNull()) {
        event->ignore();
        return;
    }
    setNewImage(image);
    // Taken: the source learns that the drop was performed.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void QVECustomImageView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste) && canPaste()) {
        paste();
        return;
    }
    // Delete empties the well, as an editable image well does; its owner
    // decides what an empty well stands for.
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && !m_image.isNull()) {
        m_image = QImage();
        setPixmap(QPixmap());
        emit imageChanged(m_image);
        return;
    }
    QLabel::keyPressEvent(event);
}

void ZLTextField::mousePressEvent(QMouseEvent* event)
{
    QLineEdit::mousePressEvent(event);
    if (!text().isEmpty())
        selectAll();
}

} // namespace editor
