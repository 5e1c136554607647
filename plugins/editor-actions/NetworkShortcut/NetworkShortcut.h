#pragma once
// The network action type, editing side (NetworkShortcutCommon.h). Views:
// "ConfigView" (a combo box of the location names, in which any name may be
// typed), "NWMenuView" (nothing to edit), "MountView" (server, shared
// folder, user and password). The password goes to the user's secret store
// when the edit is validated; the record keeps its reference. An older
// record's own password is moved there when the record is read.
#include "ActionPane.h"
#include "NetworkShortcut/NetworkShortcutCommon.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>

namespace zelk::editor {

class NetworkShortcut : public NetworkShortcutCommon<Side, false> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    bool isValid() const override { return notValidString().isEmpty(); }
    QString notValidString() const override;

    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    void modifyConfiguration();
    void modifyServer();
    void modifyDirectory();
    void modifyUser();
    void modifyPassword();
    void setConfig(const QString& config, const QString& withCutName, bool isUndo, const QString& undoString);
    void setServer(const QString& server, const QString& directory, const QString& user, const QString& password,
                   const QString& withCutName, bool isUndo, const QString& undoString);

    // The location names, read again at most every few seconds: validity
    // checks come often and each reading asks the network service.
    static QStringList knownConfigNames();

private:
    QWidget* makeView(int category);
    // Keeps password under the action's reference (a new one when it has
    // none) and puts the reference into the parameters; an empty password
    // drops both.
    void keepPassword(const QString& password);
    static void showText(QLineEdit* field, const QString& text, bool selected);

    bool CUTIsEdited = false;
    bool CUTIsModifiedByUser = false;
    QString CUTLastConfig, CUTLastServer, CUTLastDirectory, CUTLastUser, CUTLastPassword;
    QPointer<QComboBox> CUTConfigCombo;
    QPointer<QLineEdit> CUTServerField, CUTDirectoryField, CUTUserField, CUTPasswordField;
};

class NetworkShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(NetworkShortcut, QVEAction, NetworkShortcut)
public:
    int familyID() const override { return 1006; }
    QList<int> modelsID() const override { return {1, 2, 3}; }
    int categoryOfAction(int model) const override { return model >= 1 && model <= 3 ? model : 0; }
    QString nameOfImageForModelID(int model) const override { return NetworkShortcutModels::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;
    QVariantMap dataForAction(int model, const QString& config, const QString& server) const;
    QString nameForAction(int model, const QString& config, const QString& server) const;
};

} // namespace zelk::editor
