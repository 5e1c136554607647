#include "ModelSupport.h"

#include "Bundle.h"
#include "FormatText.h"
#include "Log.h"
#include "ObjectDirectory.h"
#include "QVContext.h"
#include "QVEObjects.h"
#include "QVUtility.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>

namespace editor {

QString loc(const QString& key)
{
    // The utility class keeps the editor's bundle: no look-up of the main
    // bundle for every text.
    return QVUtility::sharedUtility().bundle().localizedString(key);
}

QString locFormat(const QString& key, const QVariantList& values)
{
    return zelk::fillFormat(loc(key), values);
}

int alert(const QString& title, const QString& message, const QString& button1, const QString& button2)
{
    return QVUtility::sharedUtility().runAlertPanelWithTitle(title, message, button1, button2, {});
}

QByteArray tiffData(const QImage& image)
{
    if (image.isNull())
        return {};
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "tiff");
    writer.setCompression(1); // LZW
    if (!writer.write(image)) {
        // Without the TIFF plug-in a PNG still keeps the icon.
        data.clear();
        buffer.seek(0);
        image.save(&buffer, "PNG");
    }
    return data;
}

QImage imageFromData(const QByteArray& data)
{
    if (data.isEmpty())
        return {};
    return QImage::fromData(data);
}

QImage iconOf32(const QImage& image)
{
    if (image.isNull() || image.width() == 32)
        return image;
    return image.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage imageSized(const QImage& image, int size)
{
    if (image.isNull() || size <= 0 || image.size() == QSize(size, size))
        return image;
    return image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

quint32 uintValue(const QVariant& value)
{
    bool ok = false;
    const qlonglong n = value.toLongLong(&ok);
    if (!ok || n < 0 || n > qlonglong(0xFFFFFFFF))
        return 0;
    return quint32(n);
}

int intValue(const QVariant& value)
{
    return value.toInt();
}

QVariantList mappedRecords(const QVariantList& records, QVariantMap (*make)(const QVariantMap&))
{
    QVariantList mapped;
    mapped.reserve(records.size());
    for (const QVariant& record : records)
        mapped.append(make(record.toMap()));
    return mapped;
}

QVariantMap universalContextRef(const char* cls)
{
    ObjectDirectory* directory = ObjectDirectory::shared();
    if (QVContext* universal = directory ? directory->contextWithID(0) : nullptr)
        return QVContext::newContextRefDictWithContextDict(universal->dictValue());
    zelk::zlog(cls, "newData") << "no universal context";
    return {{"cutcontextID", qint64(0)}, {"cutcontextactive", true}};
}

// --- IDCounter ----------------------------------------------------------------

quint32 IDCounter::next()
{
    return m_next++;
}

void IDCounter::setNext(quint32 next)
{
    m_next = quint32(std::min<quint64>(std::max<quint64>(next, m_floor), 0xFFFFFFFF));
    m_floor = 0;
}

void IDCounter::noteExisting(quint32 id)
{
    m_floor = std::max<quint64>(m_floor, quint64(id) + 1);
    if (m_next <= id && id < 0xFFFFFFFF)
        m_next = id + 1;
}

// --- LinkedObjects --------------------------------------------------------------

bool LinkedObjects::contains(const zelk::QVEMainObject* object) const
{
    return object && std::find(m_list.cbegin(), m_list.cend(), object) != m_list.cend();
}

void removeAllLinks(LinkedObjects& links, zelk::QVEAuxObject* object, const char* cls)
{
    const QList<zelk::QVEMainObject*> users = links.list();
    for (zelk::QVEMainObject* user : users) {
        if (links.contains(user))
            user->removeAuxObjects({object});
    }
    if (!links.isEmpty()) {
        zelk::zlog(cls, "removeAllLinkedObject") << "left to" << links.size() << "open editor(s)";
        links.clear();
    }
}

} // namespace editor
