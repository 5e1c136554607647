#pragma once
// What both halves of the menu action type share: the models, the keys of
// ActionParameters, the folding of the older flat layouts into a menu path,
// the labels of the selection modes and the class image. Built into both
// plug-ins; Side is the plug-in's side.
//
// Model 3 (category 3) chooses the item at the end of Items, a path of
// MenuPathLevel {ItemName, ItemIndex, ItemSelection}: the menu-bar title,
// each submenu, the item. Models 1 and 2 are older flat layouts of two and
// three levels (Menu*, Submenu*, Item* keys), read as model 3.
#include "AXSupport.h"
#include "PluginImages.h"

#include <QImage>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

namespace zelk {

namespace MenuShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Items = QStringLiteral("Items");
inline const QString OnlyDisplayMenu = QStringLiteral("OnlyDisplayMenu");
inline const QString ItemName = QStringLiteral("ItemName");
inline const QString ItemIndex = QStringLiteral("ItemIndex");
inline const QString ItemSelection = QStringLiteral("ItemSelection");
} // namespace MenuShortcutKeys

namespace MenuShortcutModels {
inline constexpr int TwoLevels = 1;
inline constexpr int ThreeLevels = 2;
inline constexpr int Path = 3;
inline int categoryOfAction(int model) { return model >= TwoLevels && model <= Path ? model : 0; }

// ItemSelectionMode.
enum Selection { FromFirst = 0, FromLast = 1, Equal = 2, Contains = 3, StartsWith = 4, EndsWith = 5 };

inline QVariantMap level(const QString& name, int index, int selection)
{
    namespace K = MenuShortcutKeys;
    return {{K::ItemName, name}, {K::ItemIndex, index}, {K::ItemSelection, selection}};
}

// The flat keys of the older models, level by level.
inline const QStringList& flatKeys()
{
    static const QStringList keys = {QStringLiteral("MenuName"),    QStringLiteral("MenuIndex"),    QStringLiteral("MenuSelection"),
                                     QStringLiteral("SubmenuName"), QStringLiteral("SubmenuIndex"), QStringLiteral("SubmenuSelection"),
                                     QStringLiteral("ItemName"),    QStringLiteral("ItemIndex"),    QStringLiteral("ItemSelection")};
    return keys;
}

// The path a model-1 or model-2 record stores in flat keys: menu-bar
// title, submenu (model 2 only), item. A missing key reads as the empty
// string or 0.
inline QVariantList foldedPath(const QVariantMap& data, int model)
{
    const QStringList& k = flatKeys();
    QVariantList path;
    for (int lvl = 0; lvl < 3; ++lvl) {
        if (lvl == 1 && model != ThreeLevels)
            continue;
        path.append(level(data.value(k[lvl * 3]).toString(), data.value(k[lvl * 3 + 1]).toInt(),
                          data.value(k[lvl * 3 + 2]).toInt()));
    }
    return path;
}

// The label of a level in suggested names; empty (nil) for an unknown mode.
inline QString labelForName(const QString& name, int index, int selection)
{
    const QString quote = QStringLiteral("\"");
    const QString dots = QStringLiteral("...");
    switch (selection) {
    case FromFirst: return QString::number(index);
    case FromLast: return QStringLiteral("-") + QString::number(index);
    case Equal: return quote + name + quote;
    case Contains: return quote + dots + name + dots + quote;
    case StartsWith: return quote + name + dots + quote;
    case EndsWith: return quote + dots + name + quote;
    default: return {};
    }
}
} // namespace MenuShortcutModels

template <class Side>
class MenuShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return MenuShortcutModels::categoryOfAction(model); }
    static QString nameOfImageForModelID(int model)
    {
        return model == MenuShortcutModels::Path ? QStringLiteral("menu.tiff") : QString();
    }
    static QImage menuIcon(int size) { return sizedImage(iconSlot().template get<Base>(Side::bundle()), size); }

    QImage imageValueWithSize(int size) const override
    {
        return this->CUTAction == MenuShortcutModels::Path ? menuIcon(size) : QImage();
    }

protected:
    // The path and the display flag of a record; models 1 and 2 become 3.
    void readParameters(const QVariantMap& data)
    {
        namespace K = MenuShortcutKeys;
        namespace M = MenuShortcutModels;
        CUTOnlyDisplayMenu = data.value(K::OnlyDisplayMenu).toBool();
        switch (categoryOfAction(this->CUTAction)) {
        case M::Path:
            CUTItems = data.value(K::Items).toList();
            break;
        case M::TwoLevels:
        case M::ThreeLevels:
            CUTItems = M::foldedPath(data, this->CUTAction);
            this->CUTAction = M::Path;
            break;
        default:
            break;
        }
    }

    QVariantList CUTItems;
    bool CUTOnlyDisplayMenu = false;

private:
    static KeptImage& iconSlot()
    {
        static KeptImage slot(QStringLiteral("menu.tiff"));
        return slot;
    }
};

} // namespace zelk
