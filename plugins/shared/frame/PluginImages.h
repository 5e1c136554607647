#pragma once
// Images of the plug-ins' resources: class icons loaded once and kept for
// the life of the program, handed out as sized copies.
#include "Bundle.h"

#include <QImage>
#include <QString>
#include <mutex>

namespace zelk {

// A copy of image at size x size; null for a null image.
QImage sizedImage(const QImage& image, int size);

// One image of a bundle, loaded on first success (a missing file is tried
// again next time) and kept; safe from any thread.
class KeptImage {
public:
    explicit KeptImage(QString name) : m_name(std::move(name)) {}
    template <class Base>
    QImage get(const Bundle& bundle)
    {
        std::lock_guard lock(m_mutex);
        if (m_image.isNull())
            m_image = Base::imageInBundle(bundle, m_name);
        return m_image;
    }

private:
    const QString m_name;
    std::mutex m_mutex;
    QImage m_image;
};

} // namespace zelk
