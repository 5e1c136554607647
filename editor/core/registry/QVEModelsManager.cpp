#include "QVEModelsManager.h"

#include "Log.h"
#include "ModelSupport.h"
#include "QVEAction.h"
#include "QVEActionClass.h"
#include "QVEActionsManager.h"

#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <algorithm>
#include <exception>

namespace editor {

QVEModelsManager& QVEModelsManager::sharedManager()
{
    static QVEModelsManager manager;
    return manager;
}

void QVEModelsManager::addClass(const zelk::QVEActionClass& cls)
{
    if (!m_classes.contains(&cls))
        m_classes.append(&cls);
    const int family = cls.familyID();
    for (const int model : cls.modelsID()) {
        try {
            m_models.append(QVariantMap{
                {QStringLiteral("modelclass"), cls.className()},
                {QStringLiteral("modelID"), model},
                {QStringLiteral("modeltitle"), cls.titleOfModelID(model)},
                {QStringLiteral("modelimage"), cls.imageForModelID(model, 16)},
                {QStringLiteral("modelfamilyID"), family},
            });
        } catch (const std::exception& e) {
            zelk::zlog("QVEModelsManager", "addClass")
                << QStringLiteral("QVEModelsManager - addClass: %1 (%2) exception name: %3 reason: %4 userInfo: %5")
                       .arg(cls.className())
                       .arg(model)
                       .arg(QStringLiteral("std::exception"), QString::fromLocal8Bit(e.what()), QStringLiteral("(null)"));
        }
    }
}

QVariantList QVEModelsManager::modelsWithFamilyIDArray(int family) const
{
    QVariantList models;
    for (const QVariant& model : m_models) {
        if (intValue(model.toMap().value(QStringLiteral("modelfamilyID"))) == family)
            models.append(model);
    }
    return models;
}

void QVEModelsManager::addActionsWithModels(const QVariantList& models)
{
    QVEActionsManager::sharedManager().addActionsWithModels(models, false);
}

QMenu* QVEModelsManager::modelsMenuForTarget(const std::function<void(const QVariantMap& model)>& target) const
{
    return buildModelsMenu(m_models, target);
}

void QVEModelsManager::clear()
{
    m_models.clear();
    m_classes.clear();
}

QMenu* buildModelsMenu(const QVariantList& models, const std::function<void(const QVariantMap& model)>& target)
{
    auto* menu = new QMenu;
    for (int family = 1000; family <= 1019; ++family) {
        QVariantList familyModels;
        for (const QVariant& model : models) {
            if (intValue(model.toMap().value(QStringLiteral("modelfamilyID"))) == family)
                familyModels.append(model);
        }
        if (familyModels.isEmpty())
            continue;
        std::stable_sort(familyModels.begin(), familyModels.end(), [](const QVariant& a, const QVariant& b) {
            return a.toMap().value(QStringLiteral("modeltitle")).toString().compare(
                       b.toMap().value(QStringLiteral("modeltitle")).toString(), Qt::CaseInsensitive)
                   < 0;
        });
        const QString title = loc(QStringLiteral("FamilyName%1").arg(family));
        auto* submenu = new QMenu(title, menu);
        submenu->setIcon(QIcon(QPixmap::fromImage(zelk::QVEAction::imageForFamilyID(family, 16))));
        for (const QVariant& value : std::as_const(familyModels)) {
            const QVariantMap model = value.toMap();
            QAction* item = submenu->addAction(model.value(QStringLiteral("modeltitle")).toString());
            item->setIcon(QIcon(QPixmap::fromImage(model.value(QStringLiteral("modelimage")).value<QImage>())));
            item->setData(model);
            QObject::connect(item, &QAction::triggered, item, [target, model] {
                if (target)
                    target(model);
            });
        }
        // Before the first family whose name is not less than this one.
        QAction* before = nullptr;
        for (QAction* existing : menu->actions()) {
            if (existing->text().compare(title, Qt::CaseInsensitive) >= 0) {
                before = existing;
                break;
            }
        }
        menu->insertMenu(before, submenu);
    }
    return menu;
}

} // namespace editor
