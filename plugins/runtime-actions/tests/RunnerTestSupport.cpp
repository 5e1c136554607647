#include "RunnerTestSupport.h"

namespace zelk::test {

QString actionRunnersPath()
{
    // The build's bundle when the environment does not name one.
    const QString contents = appContents().isEmpty() ? QStringLiteral(ZELK_TEST_APP_DIR) : appContents();
    return contents + QStringLiteral("/PlugIns/ActionRunners.so");
}

::testing::AssertionResult loadActionRunners()
{
    QString error;
    if (ClassRegistry::shared().loadPlugin(actionRunnersPath(), nullptr, &error))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << error.toStdString();
}

std::shared_ptr<QVAction> actionWithParameters(const QString& className, const QString& name, qint64 id,
                                               const QVariantMap& data)
{
    return QVAction::actionWithRecord(
        {{"actionname", name}, {"actionclass", className}, {"actionID", id}, {"actiondata", data}});
}

QString runAction(const std::shared_ptr<QVAction>& action, const std::shared_ptr<QVActionController>& controller)
{
    return action ? action->runActionFromObject(controller) : QStringLiteral("no action");
}

QString menuTitles(QMenu* menu)
{
    QStringList titles;
    for (QAction* item : menu->actions()) {
        QString title = item->text();
        if (item->isChecked())
            title.prepend('*');
        if (!item->data().isValid())
            title.prepend('-');
        titles.append(title);
    }
    return titles.join(", ");
}

void pickMenuItem(QMenu* menu, const QString& title)
{
    for (QAction* item : menu->actions())
        if (item->text() == title) {
            item->trigger();
            return;
        }
}

} // namespace zelk::test
