#include "QVEActionClass.h"

#include "Geometry.h"
#include "QVEAction.h"
#include "FormatText.h"

#include <QRectF>

namespace zelk {

std::shared_ptr<QVEAction> QVEActionClass::make() const
{
    return adopt(std::make_shared<QVEAction>());
}

std::shared_ptr<QVEAction> QVEActionClass::adopt(std::shared_ptr<QVEAction> action) const
{
    if (action)
        action->m_class = this;
    return action;
}

QImage QVEActionClass::imageForModelID(int model, int withSize) const
{
    const QImage image = QVEAction::imageInBundle(bundle(), nameOfImageForModelID(model));
    if (image.isNull())
        return {};
    return image.scaled(withSize, withSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QString QVEActionClass::titleOfModelID(int model) const
{
    return localizedStr(QStringLiteral("ActionTitle"), model);
}

QString QVEActionClass::descriptionOfModelID(int model) const
{
    return localizedStr(QStringLiteral("ActionDescription"), model);
}

QVariantMap QVEActionClass::newDataForAction(int /*model*/) const
{
    return newDataForClass(*this);
}

QString QVEActionClass::localizedStr(const QString& key) const
{
    const Bundle& b = bundle();
    const QString own = b.localizedString(key, {}, className());
    if (own != key)
        return own;
    // Types find the framework-wide keys in their superclass's table of
    // their own bundle. An empty table name would mean "Localizable".
    const QString super = superclassName();
    if (super.isEmpty())
        return key;
    return b.localizedString(key, {}, super);
}

QString QVEActionClass::localizedStr(const QString& key, int appendInt) const
{
    return localizedStr(key + QString::number(appendInt));
}

QString QVEActionClass::localizedActionName(int model) const
{
    return localizedStr(QStringLiteral("ActionName"), model);
}

QVariantMap QVEActionClass::newDataForClass(const ClassObject& cls)
{
    const quint32 id = QVEAction::nextActionID();
    return {
        {QStringLiteral("actionname"), fillFormat(QVEAction::newNameValue(), {id})},
        {QStringLiteral("actionclass"), cls.className()},
        {QStringLiteral("actionID"), qint64(id)},
        {QStringLiteral("actiondata"), QVariantMap()},
        {QStringLiteral("actioneditorrect"), stringFromRect(QRectF())},
    };
}

} // namespace zelk
