#include "QVPalette.h"

#include "FormatText.h"
#include "Geometry.h"
#include "Log.h"
#include "QVContext.h"
#include "QVEAction.h"
#include "QVLauncher.h"
#include "QVShortcut.h"
#include "QVUtility.h"

#include <algorithm>

namespace editor {

namespace {

struct ClassState {
    IDCounter counter;
    QVPalette::Defaults defaults;
};

ClassState& state()
{
    static ClassState s;
    return s;
}

const QString kType = QStringLiteral("paletteitemtype");
const QString kActive = QStringLiteral("paletteitemactive");
const QString kParams = QStringLiteral("paletteitemparams");
const QString kShortcutID = QStringLiteral("paletteitemshortcutID");
const QString kActionID = QStringLiteral("paletteitemactionID");

int atLeastOne(int count) { return std::max(count, 1); }

int typeOf(const QVariantMap& item) { return intValue(item.value(kType)); }

quint32 objectIDOf(const QVariantMap& item)
{
    const QVariantMap params = item.value(kParams).toMap();
    switch (typeOf(item)) {
    case QVPalette::ShortcutItem:
        return uintValue(params.value(kShortcutID));
    case QVPalette::ActionItem:
        return uintValue(params.value(kActionID));
    default:
        return 0;
    }
}

} // namespace

// --- Class operations --------------------------------------------------------------

quint32 QVPalette::nextPaletteID() { return state().counter.next(); }
quint32 QVPalette::currentPaletteID() { return state().counter.current(); }
void QVPalette::setNextPaletteID(quint32 next) { state().counter.setNext(next); }
QVPalette::Defaults& QVPalette::defaults() { return state().defaults; }

QString QVPalette::newNameValue()
{
    return loc("NewPaletteName");
}

QVariantMap QVPalette::newData()
{
    const quint32 id = nextPaletteID();
    const Defaults& s = defaults();
    return {{"palettename", zelk::fillFormat(newNameValue(), {qint64(id)})},
            {"paletteID", qint64(id)},
            {"paletteshowactive", s.showActive},
            {"palettelocationorigin", s.locationOrigin},
            {"palettelocation", zelk::stringFromPoint(s.location)},
            {"palettetitleoutside", s.titleOutside},
            {"paletteoutsidetransparency", s.outsideTransparency},
            {"paletteitemsinwidth", atLeastOne(s.itemsInWidth)},
            {"paletteitemstype", s.itemsType},
            {"paletteitemsimagesize", s.itemsImageSize},
            {"paletteitemsfontsize", s.itemsFontSize},
            {"paletteitems", QVariantList{}},
            {"palettecontexts", QVariantList{universalContextRef("QVPalette")}},
            {"palettelaunchers", QVariantList{}},
            {"paletteeditorrect", zelk::stringFromRect({})}};
}

QVariantMap QVPalette::newDataWithShortcutsDict(const QVariantList& shortcuts)
{
    QVariantMap record = newData();
    record.insert("paletteitems", mappedRecords(shortcuts, newItemDictWithShortcutDict));
    return record;
}

QVariantMap QVPalette::newDataWithShortcutsDict(const QVariantList& shortcuts, const QVariantList& contexts)
{
    QVariantMap record = newDataWithShortcutsDict(shortcuts);
    record.insert("palettecontexts", mappedRecords(contexts, QVContext::newContextRefDictWithContextDict));
    return record;
}

QVariantMap QVPalette::newDataWithActionsDict(const QVariantList& actions)
{
    QVariantMap record = newData();
    record.insert("paletteitems", mappedRecords(actions, newItemDictWithActionDict));
    return record;
}

QVariantMap QVPalette::newDataWithContextsDict(const QVariantList& contexts)
{
    QVariantMap record = newData();
    record.insert("palettecontexts", mappedRecords(contexts, QVContext::newContextRefDictWithContextDict));
    return record;
}

QVariantMap QVPalette::newDataWithLaunchersDict(const QVariantList& launchers)
{
    QVariantMap record = newData();
    record.insert("palettelaunchers", mappedRecords(launchers, QVLauncher::newLauncherRefDictWithLauncherDict));
    return record;
}

QVariantMap QVPalette::newItemDictWithShortcutDict(const QVariantMap& record)
{
    return {{kType, int(ShortcutItem)}, {kActive, true}, {kParams, QVariantMap{{kShortcutID, record.value("cutID")}}}};
}

QVariantMap QVPalette::newItemDictWithActionDict(const QVariantMap& record)
{
    return {{kType, int(ActionItem)}, {kActive, true}, {kParams, QVariantMap{{kActionID, record.value("actionID")}}}};
}

// --- Instance ------------------------------------------------------------------------

QVPalette::QVPalette()
    : QVEMainModel({"paletteID", "palettename", "paletteeditorrect", "paletteitems", "palettelaunchers", "palettecontexts"})
{
}

QVPalette::~QVPalette() = default;

bool QVPalette::initWithDictionaryInEditor(const QVariantMap& source)
{
    if (source.isEmpty()) {
        zelk::zlog("QVPalette", "initWithDictionaryInEditor") << "empty record";
        return false;
    }
    readRecord(source);
    state().counter.noteExisting(m_id);
    m_showActive = source.value("paletteshowactive").toBool();
    m_locationOrigin = intValue(source.value("palettelocationorigin"));
    m_location = zelk::pointFromString(source.value("palettelocation").toString());
    m_titleOutside = source.value("palettetitleoutside").toBool();
    m_outsideTransparency = intValue(source.value("paletteoutsidetransparency"));
    m_itemsInWidth = intValue(source.value("paletteitemsinwidth"));
    if (m_itemsInWidth < 1)
        setItemsInWidth(1);
    m_itemsType = intValue(source.value("paletteitemstype"));
    m_itemsImageSize = intValue(source.value("paletteitemsimagesize"));
    m_itemsFontSize = intValue(source.value("paletteitemsfontsize"));
    readLists(true);
    return true;
}

QString QVPalette::linkNameValue() const
{
    return locFormat("PaletteLinkName", {m_name});
}

QImage QVPalette::imageValue() const
{
    return QVUtility::sharedUtility().emptyImage();
}

QImage QVPalette::imageValueWithSize(int size) const
{
    return QVUtility::sharedUtility().emptyImageWithSize(size);
}

void QVPalette::setInt(int& field, const char* key, int value)
{
    field = value;
    m_dict.insert(QLatin1String(key), value);
}

void QVPalette::setBool(bool& field, const char* key, bool value)
{
    field = value;
    m_dict.insert(QLatin1String(key), value);
}

void QVPalette::setShowActive(bool on) { setBool(m_showActive, "paletteshowactive", on); }
void QVPalette::setLocationOrigin(int origin) { setInt(m_locationOrigin, "palettelocationorigin", origin); }
void QVPalette::setTitleOutside(bool on) { setBool(m_titleOutside, "palettetitleoutside", on); }
void QVPalette::setOutsideTransparency(int percent) { setInt(m_outsideTransparency, "paletteoutsidetransparency", percent); }
void QVPalette::setItemsType(int type) { setInt(m_itemsType, "paletteitemstype", type); }
void QVPalette::setItemsInWidth(int count) { setInt(m_itemsInWidth, "paletteitemsinwidth", atLeastOne(count)); }
void QVPalette::setItemsImageSize(int size) { setInt(m_itemsImageSize, "paletteitemsimagesize", size); }
void QVPalette::setItemsFontSize(int size) { setInt(m_itemsFontSize, "paletteitemsfontsize", size); }

void QVPalette::setLocation(const QPointF& location)
{
    m_location = location;
    m_dict.insert("palettelocation", zelk::stringFromPoint(location));
}

QList<ObjectRef> QVPalette::itemRefs(const QVariantList& items) const
{
    QList<ObjectRef> refs;
    for (const QVariant& value : items) {
        const QVariantMap entry = value.toMap();
        if (typeOf(entry) == ShortcutItem)
            refs.append({ObjectRef::Shortcut, objectIDOf(entry)});
        else if (typeOf(entry) == ActionItem)
            refs.append({ObjectRef::Action, objectIDOf(entry)});
    }
    return refs;
}

QVariantMap QVPalette::newItemForAction(zelk::QVEAction* action) const
{
    return newItemDictWithActionDict({{"actionID", qint64(action->IDValue())}});
}

bool QVPalette::actionIDOfItem(const QVariantMap& entry, quint32* id) const
{
    if (typeOf(entry) != ActionItem)
        return false;
    *id = objectIDOf(entry);
    return true;
}

QVariantMap QVPalette::itemWithActionID(const QVariantMap& entry, const QVariant& id) const
{
    QVariantMap changed = entry;
    QVariantMap params = entry.value(kParams).toMap();
    params.insert(kActionID, id);
    changed.insert(kParams, params);
    return changed;
}

void QVPalette::willDeleteWithAuxObjects(bool aux)
{
    ObjectDirectory* directory = ObjectDirectory::shared();
    for (const ObjectRef& ref : itemRefs(m_items)) {
        linkObjects({ref}, this, false);
        if (!aux || !directory)
            continue;
        if (ref.kind == ObjectRef::Action)
            directory->delActionsID({ref.id}, false, false);
        else
            directory->delShortcutsID({ref.id}, false, true, false);
    }
    linkObjects(launcherRefs(m_launchers), this, false);
    linkObjects(contextRefs(m_contexts), this, false);
    if (const auto editor = m_editor; editor && !m_isNew)
        editor->abortEditing(nullptr);
}

QString QVPalette::showActiveValue() const
{
    return loc(m_showActive ? "Oui" : "Non");
}

QString QVPalette::itemsValue() const
{
    QString first;
    if (!m_items.isEmpty()) {
        const QVariantMap entry = m_items.first().toMap();
        ObjectDirectory* directory = ObjectDirectory::shared();
        if (typeOf(entry) == ShortcutItem) {
            if (QVShortcut* shortcut = directory ? directory->shortcutWithID(objectIDOf(entry)) : nullptr)
                first = shortcut->linkNameValue();
        } else if (typeOf(entry) == ActionItem) {
            if (zelk::QVEAction* action = directory ? directory->actionWithID(objectIDOf(entry)) : nullptr)
                first = action->linkNameValue();
        }
        if (first.isEmpty())
            first = loc("MenuItemSansNom");
    }
    return countedNames(first, m_items.size(), QStringLiteral("Aucun"), QStringLiteral("ActionValue2"));
}

QImage QVPalette::itemsImageValue() const
{
    QVUtility& utility = QVUtility::sharedUtility();
    if (m_items.isEmpty())
        return utility.emptyImage();
    const QVariantMap entry = m_items.first().toMap();
    ObjectDirectory* directory = ObjectDirectory::shared();
    QImage image;
    if (typeOf(entry) == ShortcutItem) {
        if (QVShortcut* shortcut = directory ? directory->shortcutWithID(objectIDOf(entry)) : nullptr)
            image = shortcut->imageValueWithSize(16);
    } else if (typeOf(entry) == ActionItem) {
        if (zelk::QVEAction* action = directory ? directory->actionWithID(objectIDOf(entry)) : nullptr)
            image = action->imageValueWithSize(16);
    }
    return image.isNull() ? utility.emptyImageWithSize(16) : image;
}

void QVPalette::displayInEditor(QVEObjectEditor* editor)
{
    editor->displayWithPalette(this);
}

} // namespace editor
