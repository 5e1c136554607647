#include "EditorCommand.h"

#include "Log.h"
#include "Platform.h"

namespace editor {

QVariantMap EditorCommand::userInfo(const QString& verb, const QVariant& param0)
{
    QVariantMap info{{QStringLiteral("action"), verb}};
    if (param0.isValid())
        info.insert(QStringLiteral("param0"), param0);
    return info;
}

bool EditorCommand::post(const QString& verb, const QVariant& param0)
{
    if (zelk::Platform::instance().distributedNotifications().post(QLatin1String(Name), userInfo(verb, param0)))
        return true;
    zelk::zlog("EditorCommand", "post") << "could not send" << verb;
    return false;
}

} // namespace editor
