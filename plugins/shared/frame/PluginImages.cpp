#include "PluginImages.h"

namespace zelk {

QImage sizedImage(const QImage& image, int size)
{
    if (image.isNull() || size <= 0)
        return {};
    return image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace zelk
