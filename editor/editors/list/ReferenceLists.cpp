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
#include <utility>

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

// The six undo names of a list, "Annuler" + verb + the noun for one row and
// for several; a list without a name for one row keeps that one empty.
void setUndoNames(RecordListModel::Config& config, const std::pair<QString, QString>& nouns)
{
    const auto names = [&nouns](const char* verb) {
        const QString stem = QStringLiteral("Annuler") + QLatin1String(verb);
        return RecordListModel::UndoKeys{nouns.first.isEmpty() ? QString() : stem + nouns.first, stem + nouns.second};
    };
    config.add = names("Ajouter");
    config.remove = names("Supprimer");
    config.move = names("Deplacer");
    config.cut = names("Couper");
    config.paste = names("Coller");
    config.copy = names("Copier");
}

// A list of references to named objects (launchers, contexts): an active box
// and the object's name and icon, looked up by the reference's ID.
template <typename Object>
RecordListModel::Config namedReferencesConfig(const ReferenceKeys& keys,
                                              std::function<const Object*(quint32 id)> objectWithID,
                                              const std::pair<QString, QString>& pboardTypes,
                                              std::function<QVariantMap(const QVariantMap& real)> referenceFor,
                                              const std::pair<QString, QString>& undoNouns, const QString& header)
{
    auto object = [keys, objectWithID](const QVariantMap& record) {
        return objectWithID(uintValue(record.value(keys.id)));
    };
    RecordListModel::Config config;
    config.pboardType = pboardTypes.first;
    config.realPboardType = pboardTypes.second;
    config.referenceFor = std::move(referenceFor);
    config.idOf = idKey(keys.id);
    config.isKnown = [object](const QVariantMap& record) { return object(record) != nullptr; };
    config.nameOf = [object](const QVariantMap& record) {
        const Object* found = object(record);
        return found ? found->nameValue() : QString();
    };
    setUndoNames(config, undoNouns);
    config.columns = {QStringLiteral("active"), QStringLiteral("name")};
    config.headers = {QString(), loc(header)};
    config.data = [keys, object](const QVariantMap& record, int, const QString& column, int role) -> QVariant {
        if (column == QLatin1String("active"))
            return role == Qt::CheckStateRole ? checkState(record, keys.active) : QVariant();
        const Object* found = object(record);
        if (!found)
            return {};
        if (role == Qt::DisplayRole)
            return QStringLiteral(" %1").arg(found->nameValue());
        if (role == Qt::DecorationRole)
            return iconOf(found->imageValueWithSize(16));
        return {};
    };
    return config;
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
    return namedReferencesConfig<QVLauncher>(
        launcherReferenceKeys(),
        [](quint32 id) -> const QVLauncher* { return QVELaunchersManager::sharedManager().launcherWithID(id); },
        {QStringLiteral("QVLauncherRefPboardType"), QStringLiteral("QVLauncherPboardType")},
        &QVLauncher::newLauncherRefDictWithLauncherDict, {QStringLiteral("Lanceur"), QStringLiteral("Lanceurs")},
        QStringLiteral("ColonneLanceurs"));
}

RecordListModel::Config contextReferencesConfig(std::function<bool(const QList<int>& rows)> mayRemove)
{
    RecordListModel::Config config = namedReferencesConfig<QVContext>(
        contextReferenceKeys(),
        [](quint32 id) -> const QVContext* { return QVEContextsManager::sharedManager().contextWithID(id); },
        {QStringLiteral("QVContextRefPboardType"), QStringLiteral("QVContextPboardType")},
        &QVContext::newContextRefDictWithContextDict, {QStringLiteral("Contexte"), QStringLiteral("Contextes")},
        QStringLiteral("ColonneContextes"));
    config.mayRemove = std::move(mayRemove);
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
    setUndoNames(config, {QStringLiteral("Action"), QStringLiteral("Actions")});
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
    setUndoNames(config, {QString(), QStringLiteral("Regles")});
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
