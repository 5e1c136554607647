#pragma once
// The system action type, editing side (SystemShortcutCommon.h). One view,
// "SystemView", serves every model: the model pop-up, and a box that holds
// the sleep options while the model is sleep (no wake time, wake after a
// delay of days, hours, minutes and seconds, or wake at a time of day some
// days from today). Validating writes the keys of the model the edit ends
// with, so a sleep chosen during the edit keeps its wake settings.
#include "ActionPane.h"
#include "SystemShortcut/SystemShortcutCommon.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSpinBox>
#include <optional>

namespace zelk::editor {

class SystemShortcut : public SystemShortcutCommon<Side> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    // A sleep with a wake time is not valid: the wake alarm is the
    // system's privilege, so the sleep may well be refused.
    bool isValid() const override;
    QString notValidString() const override;

    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override { m_editing = false; }
    QVariantMap editedDataValue() const override;

    void modifyAction();
    void modifySleepType(int type);
    void modifyWakeSeconds();
    void setAction(int model, int sleepType, qint64 wakeSeconds, const QString& withCutName, bool isUndo,
                   const QString& undoString);

    void setInterfaceForAction(int model);
    void setInterfaceForSleepType(int type, qint64 seconds);
    void setWakeDelaySeconds(qint64 seconds);
    void setWakeDateSeconds(qint64 seconds);
    qint64 getWakeSeconds() const;
    // A partly typed time of day made whole: "7" -> "7:00:00", "7:30" ->
    // "7:30:00"; a whole time as typed; nullopt for anything else.
    static std::optional<QString> completedTime(const QString& typed);

private:
    QWidget* makeView();
    void timeFieldDone();
    // The stored parameters with the edit copies' model and its keys.
    QVariantMap parametersOfEdit() const;

    bool m_editing = false;
    int CUTLastAction = 0;
    int CUTLastSleepType = 0;
    qint64 CUTLastWakeSeconds = 0;
    QString m_acceptedTime; // the time field's last accepted text

    QPointer<QComboBox> CUTActionButton;
    QPointer<QWidget> CUTAccessoryView;
    QPointer<QWidget> CUTSleepView;
    QPointer<QButtonGroup> m_sleepTypeButtons;
    QPointer<QSpinBox> CUTDelayDayField, CUTDelayHourField, CUTDelayMinuteField, CUTDelaySecondField;
    QPointer<QSpinBox> CUTDateDayField;
    QPointer<QLineEdit> CUTDateTimeField;
    QList<QPointer<QLabel>> m_delayLabels, m_dateLabels;
};

class SystemShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(SystemShortcut, QVEAction, SystemShortcut)
public:
    int familyID() const override { return 1004; }
    QList<int> modelsID() const override { return {1, 2, 3, 4, 5, 6, 9}; }
    int categoryOfAction(int model) const override { return SystemShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return SystemShortcutModels::nameOfImageForModelID(model); }
    QImage imageForModelID(int model, int withSize) const override { return SystemShortcut::imageForModel(model, withSize); }
    QVariantMap newDataForAction(int model) const override;
    QVariantMap dataForAction(int model) const;
    QString nameForAction(int model) const;
};

} // namespace zelk::editor
