#include "QVContext.h"

#include "Geometry.h"
#include "Log.h"
#include "QVLauncher.h"
#include "QVUtility.h"

namespace editor {

namespace {

IDCounter& counter()
{
    static IDCounter c;
    return c;
}

} // namespace

quint32 QVContext::nextContextID() { return counter().next(); }
quint32 QVContext::currentContextID() { return counter().current(); }
void QVContext::setNextContextID(quint32 next) { counter().setNext(next); }

QString QVContext::newNameValueForType(int type)
{
    return locFormat(QStringLiteral("NomContexte%1").arg(type), {QStringLiteral("app")});
}

QVariantMap QVContext::newDataForType(int type)
{
    const QVariantMap params = type == 0 ? QVariantMap{} : QVariantMap{{"contextactivatedapplication", QString("")}};
    return {{"contextname", newNameValueForType(type)},
            {"contextID", qint64(nextContextID())},
            {"contexttype", type},
            {"contextparams", params},
            {"contextrules", QVariantList{}},
            {"contexteditorrect", zelk::stringFromRect({})}};
}

QVariantMap QVContext::newContextRefDictWithContextDict(const QVariantMap& record)
{
    return {{"cutcontextID", record.value("contextID")}, {"cutcontextactive", true}};
}

QString QVContext::descriptionForContextType(int type)
{
    return loc(QStringLiteral("ContextDescription%1").arg(type));
}

QString QVContext::typeName()
{
    static const QString name = loc("Context");
    return name;
}

QVContext::QVContext() : QVEAuxModel("QVContext", "contextID", "contextname", "contexteditorrect") {}

QVContext::~QVContext() = default;

bool QVContext::initWithDictionaryInEditor(const QVariantMap& source)
{
    if (source.isEmpty()) {
        zelk::zlog("QVContext", "initWithDictionaryInEditor") << "empty record";
        return false;
    }
    readRecord(source);
    counter().noteExisting(m_id);
    m_type = intValue(source.value("contexttype"));
    m_params = source.value("contextparams").toMap();
    m_rules = source.value("contextrules").toList();
    QVUtility& utility = QVUtility::sharedUtility();
    if (m_type == 0) {
        m_image = utility.imageWithName(QStringLiteral("system"));
    } else if (m_type >= 1 && m_type <= 4) {
        const QByteArray stored = source.value("contexticon").toByteArray();
        if (!stored.isEmpty()) {
            m_image = imageFromData(stored);
        } else {
            const QString path = utility.fullPathForApplication(m_params.value("contextactivatedapplication").toString());
            const QImage icon = path.isEmpty() ? QImage() : utility.iconImageForPath(path, 32);
            if (!icon.isNull()) {
                // Kept in the record so that the next save has it.
                m_image = icon;
                m_dict.insert("contexticon", tiffData(icon));
            } else {
                m_image = utility.unknownIconWithSize(32);
            }
        }
    }
    m_image = iconOf32(m_image);
    return true;
}

void QVContext::setParamsDict(const QVariantMap& params)
{
    m_params = params;
    m_dict.insert("contextparams", params);
}

void QVContext::setRulesDictArray(const QVariantList& rules)
{
    m_rules = rules;
    m_dict.insert("contextrules", rules);
}

void QVContext::setImageValue(const QImage& image)
{
    m_dict.insert("contexticon", tiffData(image));
    m_image = iconOf32(image);
}

bool QVContext::isEqualContextType(int type, const QVariantMap& params) const
{
    if (type != m_type)
        return false;
    if (type == 0)
        return true;
    if (type >= 1 && type <= 4)
        return m_params == params;
    return false;
}

bool QVContext::canDelete()
{
    if (m_type == 0) {
        alert(locFormat("PasSupprimerContexte", {m_name}), loc("ContexteUniversel"), QStringLiteral("OK"));
        return false;
    }
    const qsizetype users = m_linkedObjects.size();
    if (users == 0)
        return true;
    return alert(locFormat("ContexteNameUtilise", {m_name, qint64(users)}), loc("ReellementSupprimerContexte"),
                 loc("Supprimer"), loc("Annuler"))
           == 1;
}

void QVContext::displayInEditor(QVEObjectEditor* editor)
{
    editor->displayWithContext(this);
}

} // namespace editor
