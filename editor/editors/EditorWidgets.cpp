#include "EditorWidgets.h"

#include "FormatText.h"
#include "ModelSupport.h"

namespace editor {

QString titleWithName(const QString& format, const QString& name)
{
    return zelk::fillFormat(format, {name});
}

void editorAlert(const QString& titleKey, const QString& messageKey)
{
    alert(loc(titleKey), loc(messageKey), QStringLiteral("OK"));
}

} // namespace editor
