#include "QVEUsedMainModel.h"

namespace editor {

bool QVEUsedMainModel::canDeleteUnlessUsed(bool withMessage, const char* titleKey, const char* messageKey)
{
    const qsizetype users = m_linkedObjects.size();
    if (users == 0)
        return true;
    if (withMessage)
        alert(locFormat(QLatin1String(titleKey), {m_name}), locFormat(QLatin1String(messageKey), {qint64(users)}),
              QStringLiteral("OK"));
    return false;
}

} // namespace editor
