#pragma once
// The window of the object editors: the main window grows it out of the
// edited object's row and shrinks it back, in a fixed time.
#include <QRect>
#include <QWidget>

namespace editor {

class QVAnimationWindow : public QWidget {
public:
    using QWidget::QWidget;
    // Milliseconds for any target frame.
    static int animationResizeTime(const QRect&) { return 250; }
};

} // namespace editor
