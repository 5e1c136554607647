#pragma once
// The editor's launcher: one LauncherRecord {launcherID, launchertype,
// launcherparams, launchereditorrect}. A launcher has no stored name: its
// name is built from its type and parameters. Shortcuts, menus and palettes
// refer to it by LauncherRef and link themselves to it.
//
// Types: 0 key combination, 1 date and time, 2 application event, 3 system
// event, 4 context event, 5 USB device, 6 calendar event, 7 network event.
#include "QVEAuxModel.h"

#include <QImage>

namespace editor {

class QVLauncher : public QVEAuxModel {
public:
    enum Type { KeyCombination = 0, Date = 1, Application = 2, System = 3, Context = 4, USB = 5, Calendar = 6, Network = 7 };

    // --- Class operations ------------------------------------------------------
    static int objectIndex() { return 2; }
    // A new record of the type; takes an ID.
    static QVariantMap newDataForType(int type);
    // A copy of the record with a fresh ID and the zero frame; takes an ID.
    static QVariantMap newDataWithDict(const QVariantMap& record);
    // The ready-made records of a type (ID 0, no ID taken).
    static QVariantList datasForType(int type);
    static quint32 nextLauncherID();
    static quint32 currentLauncherID();
    static void setNextLauncherID(quint32 next);
    static QString nameOfLauncherWithDict(const QVariantMap& record);
    static QVariantMap newLauncherRefDictWithLauncherDict(const QVariantMap& record);
    static QString descriptionForLauncherType(int type);
    static QString typeName();

    // --- Instance --------------------------------------------------------------
    QVLauncher();
    ~QVLauncher() override;
    // Reads the record; false (and nothing read) for an empty one.
    bool initWithDictionaryInEditor(const QVariantMap& record);

    QImage imageValue() const { return m_image; }
    QImage imageValueWithSize(int size) const { return imageSized(m_image, size); }
    QString typeNameValue() const { return typeName(); }
    QString descriptionValue() const { return descriptionForLauncherType(m_type); }
    int launcherType() const { return m_type; }
    QVariant typeValue() const { return m_type; }
    QVariantMap paramsDict() const { return m_params; }
    // Stores the parameters and rebuilds the name.
    void setParamsDict(const QVariantMap& params);
    int keycodeKeyEvent() const;
    int secondKeycodeKeyEvent() const; // -1 without a second key
    bool isValid() const { return m_isValid; }
    void setIsValid(bool valid) { m_isValid = valid; }
    // System and context events have nothing to edit.
    bool canEdit() const { return m_type != System && m_type != Context; }
    bool isEqualLauncherType(int type, const QVariantMap& params) const;

    // --- Deletion (links: QVEAuxModel) ----------------------------------------------
    bool canDeleteWithMessage(bool withMessage) override;

    // --- Editing -------------------------------------------------------------------
    bool edit() override;
    void editInEditor(std::shared_ptr<QVEObjectEditor> editor) override;
    void windowDidBecomeKey() override;
    void windowDidResignKey();

protected:
    void displayInEditor(QVEObjectEditor* editor) override;

private:
    int m_type = 0;
    QImage m_image;
    QVariantMap m_params;
    bool m_isValid = true;
};

} // namespace editor
