#pragma once
// The sound action type, editing side (SoundShortcutCommon.h). Two views:
// "PlayFileView", the sound pop-up (the chosen sound, then the sounds of the
// system's, the computer's and the user's sound folders under their
// headings, then "Choose…"), and "VolumeView", the pop-up of the four volume
// models. Dropped sound files become play-file actions.
#include "ActionPane.h"
#include "SoundShortcut/SoundShortcutCommon.h"

#include <QComboBox>
#include <QPointer>

namespace zelk::editor {

class SoundShortcut : public SoundShortcutCommon<Side> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    bool isValid() const override { return notValidString().isEmpty(); }
    QString notValidString() const override;

    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    void setSoundButtonWithPath(const QString& path);
    void loadSoundInPopUp();
    void setSoundFromMenu(const QString& path);
    void modifySoundPath();
    void setSoundPath(const QString& path, const QString& withCutName, bool isUndo, const QString& undoString);
    void modifyAction();
    void setAction(int model, const QString& withCutName, bool isUndo, const QString& undoString);

    // The sound folders the menu lists, with their headings, in order.
    static QList<std::pair<QString, QString>> soundFolders();

private:
    QWidget* makeView(int category);
    void soundItemChosen(int index);

    bool m_editing = false;
    int CUTLastAction = 0;
    QString CUTLastSoundPath;
    QPointer<QComboBox> CUTSoundButton;
    QPointer<QComboBox> CUTActionButton;
};

class SoundShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(SoundShortcut, QVEAction, SoundShortcut)
public:
    int familyID() const override { return 1008; }
    QList<int> modelsID() const override { return {1, 14, 10, 11, 12}; }
    int categoryOfAction(int model) const override { return SoundShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return SoundShortcutModels::nameOfImageForModelID(model); }
    QImage imageForModelID(int model, int withSize) const override { return SoundShortcut::imageForModel(model, withSize); }
    QVariantMap newDataForAction(int model) const override;
    QStringList pasteboardTypes() const override;
    QList<int> modelsIDForPasteboard(const QMimeData* pasteboard) const override;
    QVariantList newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const override;

    QVariantMap dataForAction(int model, const QString& soundFile) const;
    QString nameForAction(int model, const QString& soundFile) const;
    // Whether the file is a sound (its content type is audio); a type that
    // can't be told is logged and answers no.
    static bool isSoundFileAtPath(const QString& path);
    // The open panel: a sound file chosen from the folder of path, or empty.
    static QString getSoundFromPath(const QString& path);
};

} // namespace zelk::editor
