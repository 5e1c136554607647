#pragma once
// Images of the plug-ins' resources: class icons loaded once and kept for
// the life of the program, handed out as sized copies.
#include "ActionPaths.h"
#include "Bundle.h"

#include <QImage>
#include <QString>
#include <map>
#include <mutex>

namespace zelk {

// A copy of image at size x size; null for a null image.
QImage sizedImage(const QImage& image, int size);

// The icon of the item at path when it is there and has one, else the
// missing-item icon; Base is the side's action framework class.
template <class Base>
QImage fileIconOrUnknown(const QString& path, int size)
{
    if (fileExistsAtPath(path)) {
        const QImage icon = Base::iconImageForPath(path, size);
        if (!icon.isNull())
            return icon;
    }
    return Base::unknownIconWithSize(size);
}

// One image of a bundle, loaded on first success (a missing file is tried
// again next time) and kept; safe from any thread.
class KeptImage {
public:
    explicit KeptImage(QString name) : m_name(std::move(name)) {}
    const QString& name() const { return m_name; }
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

// Images of a bundle by file name, each loaded once on first success and
// kept (the model images of the types that have one per model).
class KeptImageSet {
public:
    template <class Base>
    QImage get(const Bundle& bundle, const QString& name)
    {
        if (name.isEmpty())
            return {};
        std::lock_guard lock(m_mutex);
        QImage& image = m_images[name];
        if (image.isNull())
            image = Base::imageInBundle(bundle, name);
        return image;
    }

private:
    std::mutex m_mutex;
    std::map<QString, QImage> m_images;
};

} // namespace zelk
