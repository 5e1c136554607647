#pragma once
// What every editor model shares: texts of the editor's strings table,
// alerts, icons kept as TIFF data in records, reading numbers out of
// records, the per-kind ID counter and the list of users of an object.
#include <QImage>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <limits>

namespace zelk {
class QVEAuxObject;
class QVEMainObject;
}

namespace editor {

// The text of a key in the editor's default strings table.
QString loc(const QString& key);
// The text of a key used as a format and filled with the values.
QString locFormat(const QString& key, const QVariantList& values);
// A modal alert through the editor's utility class: 1 for the first
// button, 0 for the second.
int alert(const QString& title, const QString& message, const QString& button1, const QString& button2 = {});

// An image as LZW-compressed TIFF data, as records keep icons; empty data
// for a null image.
QByteArray tiffData(const QImage& image);
QImage imageFromData(const QByteArray& data);
// The models' icon rule: set to 32 x 32 unless the width is already 32.
QImage iconOf32(const QImage& image);
// A copy at size x size (null stays null).
QImage imageSized(const QImage& image, int size);

// Numbers as records hold them: plist integers read back as qint64, IDs are
// unsigned 32-bit. Anything else reads as 0.
quint32 uintValue(const QVariant& value);
int intValue(const QVariant& value);

// Each record made into what make gives for it (items, references), in order.
QVariantList mappedRecords(const QVariantList& records, QVariantMap (*make)(const QVariantMap&));
// The reference to the universal context that new records hold; with no
// such context yet (logged for cls), still one naming context 0, which the
// controller makes at the next load.
QVariantMap universalContextRef(const char* cls);

// One kind's ID counter: hands out its current value and then adds one.
// Setting it from a file never goes at or below an ID read since the last
// set, so a file whose nextID lags behind its own records still gives
// fresh IDs (the file's value wins whenever it is past them).
class IDCounter {
public:
    quint32 next();
    quint32 current() const { return m_next; }
    void setNext(quint32 next);
    void noteExisting(quint32 id);

private:
    quint32 m_next = 0;
    quint64 m_floor = 0; // one past the highest ID read since the last set
};

// The objects that use an object, one entry per use, in order of use.
class LinkedObjects {
public:
    void add(zelk::QVEMainObject* object) { m_list.append(object); }
    void removeFirst(zelk::QVEMainObject* object) { m_list.removeOne(object); }
    bool contains(const zelk::QVEMainObject* object) const;
    bool isEmpty() const { return m_list.isEmpty(); }
    qsizetype size() const { return m_list.size(); }
    zelk::QVEMainObject* first() const { return m_list.isEmpty() ? nullptr : m_list.first(); }
    const QList<zelk::QVEMainObject*>& list() const { return m_list; }
    void clear() { m_list.clear(); }

private:
    QList<zelk::QVEMainObject*> m_list;
};

// Asks every user of an object being deleted to drop it, once per link. A
// user whose editor is open ignores the request: its link is dropped here
// so that the delete ends, and its editor loses the reference when it hears
// of the delete.
void removeAllLinks(LinkedObjects& links, zelk::QVEAuxObject* object, const char* cls);

// The platform's not-found index (the largest signed integer).
inline constexpr qsizetype NotFound = std::numeric_limits<qsizetype>::max();

} // namespace editor
