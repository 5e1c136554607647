#pragma once
// The editor's context: one ContextRecord {contextname, contextID,
// contexttype, contextparams {contextactivatedapplication}, contextrules,
// contexteditorrect, contexticon}. Types: 0 universal (exactly one, never
// deleted), 1 application in front, 2 not in front, 3 running, 4 not
// running. Shortcuts, menus and palettes refer to it by ContextRef.
#include "QVEAuxModel.h"

#include <QImage>

namespace editor {

class QVContext : public QVEAuxModel {
public:
    // --- Class operations ------------------------------------------------------
    static int objectIndex() { return 3; }
    static QString newNameValueForType(int type);
    // A new record of a type 0 to 4; takes an ID.
    static QVariantMap newDataForType(int type);
    static quint32 nextContextID();
    static quint32 currentContextID();
    static void setNextContextID(quint32 next);
    static QVariantMap newContextRefDictWithContextDict(const QVariantMap& record);
    static QString descriptionForContextType(int type);
    static QString typeName();

    // --- Instance --------------------------------------------------------------
    QVContext();
    ~QVContext() override;
    bool initWithDictionaryInEditor(const QVariantMap& record);

    QImage imageValue() const { return m_image; }
    QImage imageValueWithSize(int size) const { return imageSized(m_image, size); }
    QString typeNameValue() const { return typeName(); }
    QString descriptionValue() const { return descriptionForContextType(m_type); }
    int contextType() const { return m_type; }
    QVariant typeValue() const { return m_type; }
    QVariantMap paramsDict() const { return m_params; }
    void setParamsDict(const QVariantMap& params);
    QVariantList rulesDictArray() const { return m_rules; }
    void setRulesDictArray(const QVariantList& rules);
    QVariant rulesValue() const { return qint64(m_rules.size()); }
    void setNameValue(const QString& name) { setName(name); }
    void setImageValue(const QImage& image);
    bool isEqualContextType(int type, const QVariantMap& params) const;
    // The delete question; the universal context always refuses.
    bool canDelete();

    // --- Deletion (links: QVEAuxModel) ----------------------------------------------
    // Every delete of a context asks; the flag is not looked at.
    bool canDeleteWithMessage(bool) override { return canDelete(); }

protected:
    void displayInEditor(QVEObjectEditor* editor) override;

private:
    int m_type = 0;
    QVariantMap m_params;
    QImage m_image;
    QVariantList m_rules;
};

} // namespace editor
