#pragma once
// The editor's shortcut: one ShortcutRecord {cutname, cutID, cutimage,
// cutactions (ActionRef steps), cutlaunchers, cutcontexts, cutrunparams,
// cuteditorrect}. Its steps link it to their actions, its references to
// their launchers and contexts; menus and palettes whose items run it link
// themselves to it.
#include "QVEUsedMainModel.h"

#include <optional>

namespace editor {

class QVShortcut : public QVEUsedMainModel {
public:
    // --- Class operations ------------------------------------------------------
    static int objectIndex() { return 4; }
    static QString newNameValue();
    // A new record; takes an ID.
    static QVariantMap newData();
    // One step per action record; named after the first action, with its image.
    static QVariantMap newDataWithActionsDict(const QVariantList& actions);
    static QVariantMap newDataWithActionsDict(const QVariantList& actions, const QVariantList& contexts);
    static QVariantMap newDataWithContextsDict(const QVariantList& contexts);
    static QVariantMap newDataWithLaunchersDict(const QVariantList& launchers);
    static quint32 nextShortcutID();
    static quint32 currentShortcutID();
    static void setNextShortcutID(quint32 next);
    // The defaults of new records (an empty map until set).
    static void setRunParamsDict(const QVariantMap& params);
    static void setActionsRunParamsDict(const QVariantMap& params);
    static void setActionsResultParamsDict(const QVariantMap& params);
    static QVariantMap newRunParams();
    static QVariantMap newActionsRunParams();
    static QVariantMap newActionsResultParams();
    static void setCopyActions(bool copy);
    static bool copyActions();
    static QVariantMap newActionRefDictWithActionDict(const QVariantMap& actionRecord);
    // "default.tiff" of the editor's bundle, kept once found.
    static QImage defaultIcon();

    // --- Instance --------------------------------------------------------------
    QVShortcut();
    ~QVShortcut() override;
    // Reads the record and links the steps' actions, the launchers and the
    // contexts it names.
    bool initWithDictionaryInEditor(const QVariantMap& record);

    QImage imageValue() const { return m_image; }
    QImage imageValueWithSize(int size) const { return imageSized(m_image, size); }
    QString linkNameValue() const;
    QVariantList actionsDictArray() const { return m_items; }
    QVariantMap runParametersDict() const { return m_runParams; }
    void setNameValue(const QString& name) { setName(name); }
    void setRunParametersDict(const QVariantMap& params);
    void setImageValue(const QImage& image);
    void setActionsDictArray(const QVariantList& steps) { replaceItems(steps); }

    // List columns of the shortcuts list.
    QString commandsValue() const;
    QImage commandsImageValue() const;

    // The key code of the first key-combination launcher; none without one.
    std::optional<quint32> keycodeNumOfLauncher() const;

    // --- Links and deletion ---------------------------------------------------------
    // A shortcut that menus or palettes run is never deleted.
    bool canDeleteWithMessage(bool withMessage);
    // Unlinks everything it names; with aux, asks for its actions and
    // launchers to be deleted too (those used elsewhere stay).
    void willDeleteWithAuxObjects(bool aux);

    // --- Tests in the engine ------------------------------------------------------------
    // The record with the open editor's working steps and run parameters.
    QVariantMap editedDictValue() const;
    // The test payload {exportedshortcuts: one record, exportedactions: the
    // actions its steps run, each once; absent when none}.
    QVariantMap testPayload() const;
    // Sends the payload to the engine ("runshortcut"); alerts when the
    // engine is not running.
    void test();
    void testEditedObject() { test(); }

protected:
    void displayInEditor(QVEObjectEditor* editor) override;
    QList<ObjectRef> itemRefs(const QVariantList& steps) const override;
    QVariantMap newItemForAction(zelk::QVEAction* action) const override;
    bool actionIDOfItem(const QVariantMap& step, quint32* id) const override;
    QVariantMap itemWithActionID(const QVariantMap& step, const QVariant& id) const override;

private:
    QImage m_image;
    QVariantMap m_runParams;
};

} // namespace editor
