#pragma once
// Small widgets of the editor's windows. QVECustomImageView: an image well
// that takes its picture from a drop, a paste, an image file or a file's
// icon and always keeps it at 32 x 32; Delete empties it. ZLTextField: a text field that
// selects all its text when clicked.
#include <QImage>
#include <QLabel>
#include <QLineEdit>

class QMenu;
class QMimeData;

namespace editor {

class QVECustomImageView : public QLabel {
    Q_OBJECT
public:
    static constexpr int kImageSize = 32;

    explicit QVECustomImageView(QWidget* parent = nullptr);
    // The shared image menu, aimed at the view.
    static QMenu* selectImageMenuWithTarget(QVECustomImageView* view);

    QImage image() const { return m_image; }
    // Stores the picture at 32 x 32 and shows it at once.
    void setNewImage(const QImage& image);
    void setImageFromImageFile();
    void setImageFromFileIcon();
    // Whether a picture can be made from the clipboard, and the paste.
    bool canPaste() const;
    void paste();
    // A picture made from drag or clipboard data; null when none can be.
    static QImage imageFromMimeData(const QMimeData* data);

signals:
    // The user gave the well a new picture.
    void imageChanged(const QImage& image);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QImage m_image;
};

class ZLTextField : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace editor
