#include "QVEMainModel.h"

#include "QVContext.h"
#include "QVEAction.h"
#include "QVLauncher.h"
#include "QVUtility.h"

namespace editor {

namespace {

const QString kLauncherID = QStringLiteral("cutlauncherID");
const QString kContextID = QStringLiteral("cutcontextID");

// The first reference in the list naming the ID; -1 for none.
qsizetype indexOfRef(const QVariantList& refs, const QString& idKey, quint32 id)
{
    for (qsizetype i = 0; i < refs.size(); ++i) {
        if (uintValue(refs.at(i).toMap().value(idKey)) == id)
            return i;
    }
    return -1;
}

} // namespace

QVEMainModel::QVEMainModel(const Keys& keys)
    : QVEModelObject(keys.id, keys.name, keys.rect), m_keys(keys)
{
}

QList<ObjectRef> QVEMainModel::launcherRefs(const QVariantList& refs)
{
    QList<ObjectRef> out;
    out.reserve(refs.size());
    for (const QVariant& ref : refs)
        out.append({ObjectRef::Launcher, uintValue(ref.toMap().value(kLauncherID))});
    return out;
}

QList<ObjectRef> QVEMainModel::contextRefs(const QVariantList& refs)
{
    QList<ObjectRef> out;
    out.reserve(refs.size());
    for (const QVariant& ref : refs)
        out.append({ObjectRef::Context, uintValue(ref.toMap().value(kContextID))});
    return out;
}

void QVEMainModel::readLists(bool linkItems)
{
    m_items = m_dict.value(QLatin1String(m_keys.items)).toList();
    if (linkItems)
        linkObjects(itemRefs(m_items), this, true);
    m_launchers = m_dict.value(QLatin1String(m_keys.launchers)).toList();
    linkObjects(launcherRefs(m_launchers), this, true);
    m_contexts = m_dict.value(QLatin1String(m_keys.contexts)).toList();
    linkObjects(contextRefs(m_contexts), this, true);
}

void QVEMainModel::replaceItems(const QVariantList& items)
{
    linkObjects(itemRefs(m_items), this, false);
    m_items = items;
    m_dict.insert(QLatin1String(m_keys.items), items);
    linkObjects(itemRefs(m_items), this, true);
}

void QVEMainModel::setLaunchersDictArray(const QVariantList& launchers)
{
    linkObjects(launcherRefs(m_launchers), this, false);
    m_launchers = launchers;
    m_dict.insert(QLatin1String(m_keys.launchers), launchers);
    linkObjects(launcherRefs(m_launchers), this, true);
}

void QVEMainModel::setContextsDictArray(const QVariantList& contexts)
{
    linkObjects(contextRefs(m_contexts), this, false);
    m_contexts = contexts;
    m_dict.insert(QLatin1String(m_keys.contexts), contexts);
    linkObjects(contextRefs(m_contexts), this, true);
}

void QVEMainModel::replaceLauncherDict(const QVariantMap& old, const QVariantMap& with)
{
    QVariantList refs = m_launchers;
    const qsizetype i = refs.indexOf(old);
    if (i < 0)
        return;
    refs[i] = with;
    setLaunchersDictArray(refs);
}

void QVEMainModel::replaceContextDict(const QVariantMap& old, const QVariantMap& with)
{
    QVariantList refs = m_contexts;
    const qsizetype i = refs.indexOf(old);
    if (i < 0)
        return;
    refs[i] = with;
    setContextsDictArray(refs);
}

qsizetype QVEMainModel::indexOfActionWithDict(const QVariantMap& actionRecord, qsizetype start) const
{
    const quint32 wanted = uintValue(actionRecord.value(QStringLiteral("actionID")));
    for (qsizetype i = std::max<qsizetype>(start, 0); i < m_items.size(); ++i) {
        quint32 id = 0;
        if (actionIDOfItem(m_items.at(i).toMap(), &id) && id == wanted)
            return i;
    }
    return NotFound;
}

void QVEMainModel::replaceActionDict(const QVariantMap& old, const QVariantMap& with)
{
    QVariantList items = m_items;
    const QVariant newID = with.value(QStringLiteral("actionID"));
    bool changed = false;
    for (qsizetype i = indexOfActionWithDict(old, 0); i != NotFound; i = indexOfActionWithDict(old, i + 1)) {
        items[i] = itemWithActionID(items.at(i).toMap(), newID);
        changed = true;
    }
    if (changed)
        replaceItems(items);
}

void QVEMainModel::addAuxObjects(const QList<zelk::QVEAuxObject*>& objects)
{
    if (hasEditor())
        return;
    for (zelk::QVEAuxObject* object : objects) {
        if (auto* launcher = dynamic_cast<QVLauncher*>(object)) {
            if (!launcher->isLinkedToObject(this))
                setLaunchersDictArray(m_launchers + QVariantList{QVLauncher::newLauncherRefDictWithLauncherDict(launcher->dictValue())});
        } else if (auto* context = dynamic_cast<QVContext*>(object)) {
            if (!context->isLinkedToObject(this))
                setContextsDictArray(m_contexts + QVariantList{QVContext::newContextRefDictWithContextDict(context->dictValue())});
        } else if (auto* action = dynamic_cast<zelk::QVEAction*>(object)) {
            replaceItems(m_items + QVariantList{newItemForAction(action)});
        }
    }
}

void QVEMainModel::removeAuxObjects(const QList<zelk::QVEAuxObject*>& objects)
{
    if (hasEditor())
        return;
    for (zelk::QVEAuxObject* object : objects) {
        if (auto* launcher = dynamic_cast<QVLauncher*>(object)) {
            if (!launcher->isLinkedToObject(this))
                continue;
            const qsizetype i = indexOfRef(m_launchers, kLauncherID, launcher->IDValue());
            if (i >= 0) {
                QVariantList refs = m_launchers;
                refs.removeAt(i);
                setLaunchersDictArray(refs);
            }
        } else if (auto* context = dynamic_cast<QVContext*>(object)) {
            if (!context->isLinkedToObject(this))
                continue;
            const qsizetype i = indexOfRef(m_contexts, kContextID, context->IDValue());
            if (i >= 0) {
                QVariantList refs = m_contexts;
                refs.removeAt(i);
                setContextsDictArray(refs);
            }
        } else if (auto* action = dynamic_cast<zelk::QVEAction*>(object)) {
            const qsizetype i = indexOfActionWithDict({{QStringLiteral("actionID"), qint64(action->IDValue())}}, 0);
            if (i != NotFound) {
                QVariantList items = m_items;
                items.removeAt(i);
                replaceItems(items);
            }
        }
    }
}

QString QVEMainModel::countedNames(const QString& first, qsizetype count, const QString& noneKey, const QString& formatKey)
{
    if (count == 0)
        return loc(noneKey);
    if (count == 1)
        return first;
    return locFormat(formatKey, {first, qint64(count)});
}

QString QVEMainModel::contextsValue() const
{
    QString first;
    if (!m_contexts.isEmpty()) {
        ObjectDirectory* directory = ObjectDirectory::shared();
        if (QVContext* context = directory ? directory->contextWithID(uintValue(m_contexts.first().toMap().value(kContextID))) : nullptr)
            first = context->nameValue();
    }
    return countedNames(first, m_contexts.size(), QStringLiteral("Aucun"), QStringLiteral("ContextValue2"));
}

QImage QVEMainModel::contextsImageValue() const
{
    if (m_contexts.isEmpty())
        return QVUtility::sharedUtility().emptyImage();
    ObjectDirectory* directory = ObjectDirectory::shared();
    QVContext* context = directory ? directory->contextWithID(uintValue(m_contexts.first().toMap().value(kContextID))) : nullptr;
    return context ? context->imageValueWithSize(16) : QImage();
}

QString QVEMainModel::launchersValue() const
{
    QString first;
    if (!m_launchers.isEmpty()) {
        ObjectDirectory* directory = ObjectDirectory::shared();
        if (QVLauncher* launcher = directory ? directory->launcherWithID(uintValue(m_launchers.first().toMap().value(kLauncherID))) : nullptr)
            first = launcher->nameValue();
    }
    return countedNames(first, m_launchers.size(), QStringLiteral("Aucun"), QStringLiteral("LauncherValue2"));
}

QImage QVEMainModel::launchersImageValue() const
{
    if (m_launchers.isEmpty())
        return QVUtility::sharedUtility().emptyImage();
    ObjectDirectory* directory = ObjectDirectory::shared();
    QVLauncher* launcher = directory ? directory->launcherWithID(uintValue(m_launchers.first().toMap().value(kLauncherID))) : nullptr;
    return launcher ? launcher->imageValue() : QImage();
}

} // namespace editor
