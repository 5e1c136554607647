#pragma once
// What both halves of the clipboard action type share: the models and their
// categories, the keys of ActionParameters, the reading of a record and the
// class image. Built into both plug-ins; Side is the plug-in's side.
//
// Models, by category: 1 put a text (Text, Add, Paste); 2 put the current
// date in a calendar format (Text, Add, Paste); 3 copy (3), cut (4) or paste
// (5) the selection, save (11) or restore (12) the clipboard (Add); 4 make
// the selection upper case (6), lower case (7) or capitalise its words (8);
// 5 rewrite the selection with search-and-replace rules (Rules); 6 put the
// paths of the files selected in the front file manager (Add).
//
// A rule (ClipboardRule) is {Search, Replace, Case}; a missing Case counts
// as case-sensitive. A backslash and three decimal digits in Search or
// Replace stand for the character of that code (the runner expands them).
#include "PluginImages.h"

#include <QImage>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

namespace zelk {

namespace ClipboardShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Text = QStringLiteral("Text");
inline const QString Add = QStringLiteral("Add");
inline const QString Paste = QStringLiteral("Paste");
inline const QString Rules = QStringLiteral("Rules");
inline const QString Search = QStringLiteral("Search");
inline const QString Replace = QStringLiteral("Replace");
inline const QString Case = QStringLiteral("Case");
} // namespace ClipboardShortcutKeys

namespace ClipboardShortcutModels {
inline constexpr int PutText = 1;
inline constexpr int PutDate = 2;
inline constexpr int Copy = 3;
inline constexpr int Cut = 4;
inline constexpr int PasteClipboard = 5;
inline constexpr int UpperCase = 6;
inline constexpr int LowerCase = 7;
inline constexpr int Capitalize = 8;
inline constexpr int ReplaceRules = 9;
inline constexpr int SelectionPaths = 10;
inline constexpr int Save = 11;
inline constexpr int Restore = 12;

inline constexpr int TextCategory = 1;
inline constexpr int DateCategory = 2;
inline constexpr int EditCategory = 3;
inline constexpr int CaseCategory = 4;
inline constexpr int RulesCategory = 5;
inline constexpr int PathsCategory = 6;

inline int categoryOfAction(int model)
{
    switch (model) {
    case PutText: return TextCategory;
    case PutDate: return DateCategory;
    case Copy: case Cut: case PasteClipboard: case Save: case Restore: return EditCategory;
    case UpperCase: case LowerCase: case Capitalize: return CaseCategory;
    case ReplaceRules: return RulesCategory;
    case SelectionPaths: return PathsCategory;
    default: return 0;
    }
}
// Models 3 and 4 may append to the clipboard's text.
inline bool modelTakesAdd(int model) { return model == Copy || model == Cut; }
// A rule is case-sensitive unless it says Case NO.
inline bool ruleIsCaseSensitive(const QVariantMap& rule)
{
    return !rule.contains(ClipboardShortcutKeys::Case) || rule.value(ClipboardShortcutKeys::Case).toBool();
}
inline QVariantMap newRule()
{
    namespace K = ClipboardShortcutKeys;
    return {{K::Search, QString()}, {K::Replace, QString()}, {K::Case, true}};
}
} // namespace ClipboardShortcutModels

template <class Side>
class ClipboardShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return ClipboardShortcutModels::categoryOfAction(model); }
    static QString nameOfImageForModelID(int /*model*/) { return QStringLiteral("clipboard.tiff"); }
    static QImage clipboardIcon(int size) { return sizedImage(iconSlot().template get<Base>(Side::bundle()), size); }

    // Every model shows the clipboard image.
    QImage imageValueWithSize(int size) const override { return clipboardIcon(size); }

protected:
    void readParameters(const QVariantMap& data)
    {
        namespace K = ClipboardShortcutKeys;
        namespace M = ClipboardShortcutModels;
        switch (categoryOfAction(this->CUTAction)) {
        case M::TextCategory:
        case M::DateCategory:
            CUTText = data.value(K::Text).toString();
            CUTAdd = data.value(K::Add).toBool();
            CUTPaste = data.value(K::Paste).toBool();
            break;
        case M::EditCategory:
        case M::PathsCategory:
            CUTAdd = data.value(K::Add).toBool();
            break;
        case M::RulesCategory:
            CUTRules = data.value(K::Rules).toList();
            break;
        default:
            break;
        }
    }

    QString CUTText;
    bool CUTAdd = false;
    bool CUTPaste = false;
    QVariantList CUTRules;

private:
    static KeptImage& iconSlot()
    {
        static KeptImage slot(QStringLiteral("clipboard.tiff"));
        return slot;
    }
};

} // namespace zelk
