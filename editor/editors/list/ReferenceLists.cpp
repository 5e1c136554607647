#include "ReferenceLists.h"

#include "ModelSupport.h"
#include "QVContext.h"
#include "QVEAction.h"
#include "QVEActionsManager.h"
#include "QVEContextsManager.h"
#include "QVELaunchersManager.h"
#include "QVLauncher.h"
#include "QVShortcut.h"
#include "QVUtility.h"

#include <QIcon>
#include <QPixmap>

namespace editor {

namespace {

std::function<std::optional<quint32>(const QVariantMap&)> idKey(const QString& key)
{
    return [key](const QVariantMap& record) -> std::optional<quint32> {
        if (!record.contains(key))
            return std::nullopt;
        return uintValue(record.value(key));
    };
}

QVariant checkState(const QVariantMap& record, const QString& key)
{
    return record.value(key).toBool() ? Qt::Checked : Qt::Unchecked;
}

QVariant iconOf(const QImage& image)
{
    return image.isNull() ? QVariant() : QVariant(QIcon(QPixmap::fromImage(image)));
}

zelk::QVEAction* actionOfStep(const QVariantMap& step)
{
    return QVEActionsManager::sharedManager().actionWithID(uintValue(step.value(QStringLiteral("cutactionID"))));
}

QString repeatText(const QVariantMap& step)
{
    const int n = intValue(step.value(QStringLiteral("cutactionrunparams")).toMap().value(QStringLiteral("runrepeatnum")));
    if (n == -1)
        return loc(QStringLiteral("Infini"));
    return QStringLiteral("%1 %2").arg(n == 0 ? 1 : n).arg(loc(QStringLiteral("Fois")));
}

QString pauseText(const QVariantMap& step)
{
    const double pause = step.value(QStringLiteral("cutactionrunparams")).toMap().value(QStringLiteral("runrepeatpause")).toDouble();
    return QStringLiteral("%1 %2").arg(pause, 0, 'f', 1).arg(loc(QStringLiteral("Seconde")));
}

QString resultText(const QVariantMap& step, const QString& key)
{
    const int code = intValue(step.value(QStringLiteral("cutactionresultparams")).toMap().value(key));
    return loc(QStringLiteral("ResultLabel%1").arg(code));
}

} // namespace

ReferenceKeys launcherReferenceKeys()
{
    return {QStringLiteral("cutlauncherID"), QStringLiteral("cutlauncheractive")};
}

ReferenceKeys contextReferenceKeys()
{
    return {QStringLiteral("cutcontextID"), QStringLiteral("cutcontextactive")};
}

ReferenceKeys actionStepKeys()
{
    return {QStringLiteral("cutactionID"), QStringLiteral("cutactionactive")};
}

RecordListModel::Config launcherReferencesConfig()
{
    const ReferenceKeys keys = launcherReferenceKeys();
    auto launcher = [keys](const QVariantMap& record) {
        return QVELaunchersManager::sharedManager().launcherWithID(uintValue(record.value(keys.id)));
    };
    RecordListModel::Config config;
    config.pboardType = QStringLiteral("QVLauncherRefPboardType");
    config.realPboardType = QStringLiteral("QVLauncherPboardType");
    config.referenceFor = &QVLauncher::newLauncherRefDictWithLauncherDict;
    config.idOf = idKey(keys.id);
    config.isKnown = [launcher](const QVariantMap& record) { return launcher(record) != nullptr; };
    config.nameOf = [launcher](const QVariantMap& record) {
        const QVLauncher* object = launcher(record);
        return object ? object->nameValue() : QString();
    };
    config.add = {QStringLiteral("AnnulerAjouterLanceur"), QStringLiteral("AnnulerAjouterLanceurs")};
    config.remove = {QStringLiteral("AnnulerSupprimerLanceur"), QStringLiteral("AnnulerSupprimerLanceurs")};
    config.move = {QStringLiteral("AnnulerDeplacerLanceur"), QStringLiteral("AnnulerDeplacerLanceurs")};
    config.cut = {QStringLiteral("AnnulerCouperLanceur"), QStringLiteral("AnnulerCouperLanceurs")};
    config.paste = {QStringLiteral("AnnulerCollerLanceur"), QStringLiteral("AnnulerCollerLanceurs")};
    config.copy = {QStringLiteral("AnnulerCopierLanceur"), QStringLiteral("AnnulerCopierLanceurs")};
    config.columns = {QStringLiteral("active"), QStringLiteral("name")};
    config.headers = {QString(), loc(QStringLiteral("ColonneLanceurs"))};
    config.data = [keys, launcher](const QVariantMap& record, int, const QString& column, int role) -> QVariant {
        if (column == QLatin1String("active"))
            return role == Qt::CheckStateRole ? checkState(record, keys.active) : QVariant();
        const QVLauncher* object = launcher(record);
        if (!object)
            return {};
        if (role == Qt::DisplayRole)
            return QStringLiteral(" %1").arg(object->nameValue());
        if (role == Qt::DecorationRole)
            return iconOf(object->imageValueWithSize(16));
        return {};
    };
    return config;
}

RecordListModel::Config contextReferencesConfig(std::function<bool(const QList<int>& rows)> mayRemove)
{
    const ReferenceKeys keys = contextReferenceKeys();
    auto context = [keys](const QVariantMap& record) {
        return QVEContextsManager::sharedManager().contextWithID(uintValue(record.value(keys.id)));
    };
    RecordListModel::Config config;
    config.pboardType = QStringLiteral("QVContextRefPboardType");
    config.realPboardType = QStringLiteral("QVContextPboardType");
    config.referenceFor = &QVContext::newContextRefDictWithContextDict;
    config.idOf = idKey(keys.id);
    config.isKnown = [context](const QVariantMap& record) { return context(record) != nullptr; };
    config.nameOf = [context](const QVariantMap& record) {
        const QVContext* object = context(record);
        return object ? object->nameValue() : QString();
    };
    config.mayRemove = std::move(mayRemove);
    config.add = {QStringLiteral("AnnulerAjouterContexte"), QStringLiteral("AnnulerAjouterContextes")};
    config.remove = {QStringLiteral("AnnulerSupprimerContexte"), QStringLiteral("AnnulerSupprimerContextes")};
    config.move = {QStringLiteral("AnnulerDeplacerContexte"), QStringLiteral("AnnulerDeplacerContextes")};
    config.cut = {QStringLiteral("AnnulerCouperContexte"), QStringLiteral("AnnulerCouperContextes")};
    config.paste = {QStringLiteral("AnnulerCollerContexte"), QStringLiteral("AnnulerCollerContextes")};
    config.copy = {QStringLiteral("AnnulerCopierContexte"), QStringLiteral("AnnulerCopierContextes")};
    config.columns = {QStringLiteral("active"), QStringLiteral("name")};
    config.headers = {QString(), loc(QStringLiteral("ColonneContextes"))};
    config.data = [keys, context](const QVariantMap& record, int, const QString& column, int role) -> QVariant {
        if (column == QLatin1String("active"))
            return role == Qt::CheckStateRole ? checkState(record, keys.active) : QVariant();
        const QVContext* object = context(record);
        if (!object)
            return {};
        if (role == Qt::DisplayRole)
            return QStringLiteral(" %1").arg(object->nameValue());
        if (role == Qt::DecorationRole)
            return iconOf(object->imageValueWithSize(16));
        return {};
    };
    return config;
}

RecordListModel::Config actionStepsConfig()
{
    const ReferenceKeys keys = actionStepKeys();
    RecordListModel::Config config;
    config.pboardType = QStringLiteral("QVCutActionPboardType");
    config.realPboardType = QStringLiteral("QVActionPboardType");
    config.referenceFor = &QVShortcut::newActionRefDictWithActionDict;
    config.isKnown = [](const QVariantMap& step) { return actionOfStep(step) != nullptr; };
    config.nameOf = [](const QVariantMap& step) {
        const zelk::QVEAction* action = actionOfStep(step);
        return action ? action->nameValue() : QString();
    };
    config.add = {QStringLiteral("AnnulerAjouterAction"), QStringLiteral("AnnulerAjouterActions")};
    config.remove = {QStringLiteral("AnnulerSupprimerAction"), QStringLiteral("AnnulerSupprimerActions")};
    config.move = {QStringLiteral("AnnulerDeplacerAction"), QStringLiteral("AnnulerDeplacerActions")};
    config.cut = {QStringLiteral("AnnulerCouperAction"), QStringLiteral("AnnulerCouperActions")};
    config.paste = {QStringLiteral("AnnulerCollerAction"), QStringLiteral("AnnulerCollerActions")};
    config.copy = {QStringLiteral("AnnulerCopierAction"), QStringLiteral("AnnulerCopierActions")};
    config.columns = {QStringLiteral("step"),   QStringLiteral("active"),        QStringLiteral("name"),
                      QStringLiteral("repeat"), QStringLiteral("pause"),         QStringLiteral("resultsuccess"),
                      QStringLiteral("resultfailure")};
    config.headers = {QString(),
                      QString(),
                      loc(QStringLiteral("ColonneActions")),
                      loc(QStringLiteral("ColonneRepeter")),
                      loc(QStringLiteral("ColonnePause")),
                      loc(QStringLiteral("ColonneSucces")),
                      loc(QStringLiteral("ColonneEchec"))};
    config.data = [keys](const QVariantMap& step, int row, const QString& column, int role) -> QVariant {
        if (column == QLatin1String("active"))
            return role == Qt::CheckStateRole ? checkState(step, keys.active) : QVariant();
        if (role != Qt::DisplayRole && role != Qt::DecorationRole)
            return {};
        const bool display = role == Qt::DisplayRole;
        if (column == QLatin1String("step"))
            return display ? QVariant(QString::number(row + 1)) : QVariant();
        if (column == QLatin1String("name")) {
            const zelk::QVEAction* action = actionOfStep(step);
            if (!action)
                return {};
            return display ? QVariant(QStringLiteral(" %1").arg(action->nameValue()))
                           : iconOf(action->imageValueWithSize(16));
        }
        if (!display)
            return {};
        if (column == QLatin1String("repeat"))
            return repeatText(step);
        if (column == QLatin1String("pause"))
            return pauseText(step);
        if (column == QLatin1String("resultsuccess"))
            return resultText(step, QStringLiteral("resultsuccess"));
        if (column == QLatin1String("resultfailure"))
            return resultText(step, QStringLiteral("resultfailing"));
        return {};
    };
    return config;
}

RecordListModel::Config contextRulesConfig(std::function<QString(const QVariantMap& rule)> labelOf)
{
    RecordListModel::Config config;
    config.pboardType = QStringLiteral("QVRulePboardType");
    config.add = {QString(), QStringLiteral("AnnulerAjouterRegles")};
    config.remove = {QString(), QStringLiteral("AnnulerSupprimerRegles")};
    config.move = {QString(), QStringLiteral("AnnulerDeplacerRegles")};
    config.cut = {QString(), QStringLiteral("AnnulerCouperRegles")};
    config.paste = {QString(), QStringLiteral("AnnulerCollerRegles")};
    config.copy = {QString(), QStringLiteral("AnnulerCopierRegles")};
    config.columns = {QStringLiteral("active"), QStringLiteral("label")};
    config.headers = {QString(), loc(QStringLiteral("ColonneRegles"))};
    config.data = [labelOf = std::move(labelOf)](const QVariantMap& rule, int, const QString& column,
                                                 int role) -> QVariant {
        if (column == QLatin1String("active"))
            return role == Qt::CheckStateRole ? checkState(rule, QStringLiteral("ruleactive")) : QVariant();
        if (role == Qt::DisplayRole)
            return labelOf ? labelOf(rule) : QString();
        if (role == Qt::DecorationRole)
            return iconOf(QVUtility::sharedUtility().imageWithName(
                QStringLiteral("rule%1").arg(rule.value(QStringLiteral("ruletype")).toInt())));
        return {};
    };
    return config;
}

bool invertActiveFlag(RecordListModel* list, const QString& activeKey, int row)
{
    if (!list || row < 0 || row >= list->count())
        return false;
    QVariantMap record = list->recordAt(row);
    record.insert(activeKey, !record.value(activeKey).toBool());
    return list->replaceRecord(row, record);
}

} // namespace editor
