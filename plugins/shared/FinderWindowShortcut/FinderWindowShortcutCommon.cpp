#include "FinderWindowShortcutCommon.h"

#include <QRegularExpression>

namespace zelk::FinderWindowShortcutModels {

QString stringFromRect(const QRect& rect)
{
    return QStringLiteral("{{%1, %2}, {%3, %4}}").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

QRect rectFromString(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("-?\\d+(\\.\\d+)?"));
    QList<int> values;
    for (auto it = number.globalMatch(text); it.hasNext() && values.size() < 4;)
        values << int(it.next().captured().toDouble());
    if (values.size() < 4)
        return {};
    return QRect(values[0], values[1], values[2], values[3]);
}

} // namespace zelk::FinderWindowShortcutModels
