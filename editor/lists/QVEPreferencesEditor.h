#pragma once
// The preferences window and the editor's keeper of the shared preference
// domain (org.zelk.Zelk.shared), one per process (sharedEditor). Made at
// start-up, it reads the domain and hands the settings to the classes that
// make new objects (shortcuts, steps, menus, palettes, action names) and to
// the application (window animation). The modal window (editPreferences)
// edits them in five panes; OK stores and applies them, switches the login
// item when its box changed and tells the engine (versioncheck,
// reporteachitem, palettedelay).
//
// Writing: the domain is read again and only the keys whose value differs
// from what the editor last read or wrote are laid over it, so a key that
// another process (the engine) wrote meanwhile survives.
#include <QObject>
#include <QPointer>
#include <QVariantMap>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QStandardItemModel;
class QWidget;

namespace editor {

class LocationPicker;
class QVETableVerbTarget;
class QVEPrefTableView;

class QVEPreferencesEditor : public QObject {
    Q_OBJECT
public:
    static QVEPreferencesEditor& sharedEditor();
    ~QVEPreferencesEditor() override;

    // -1 undetermined, 0 not installed, 1 installed.
    static qint64 loginItemInstalledState();

    // The Preferences menu command: the modal window, applied at OK.
    void editPreferences();
    void getPreferences();
    void setPreferences();
    QVariant getValueForKey(const QString& key) const { return m_prefsDict.value(key); }
    void setValueForKey(const QVariant& value, const QString& key);
    // False (logged) when the domain could not be written.
    bool writePreferences();
    // Reads the domain again and applies it (tests; a fresh start-up).
    void loadPreferences();
    void displayPrefAtIndex(int index);

    // Control actions.
    void launchAtStartupStateChanged();
    void modifyMEInBar();
    void modifySCRunParameters();
    void modifySCActionsRunParameters();
    void modifyPAPaletteLocation();
    void checkUpdateNow();
    void stopPanel();
    void abortPanel();

    // The application's parts the settings reach: window animation and the
    // update check (sparkleCheck); unset, nothing is called.
    void setDontAnimateHandler(std::function<void(bool)> handler) { m_dontAnimate = std::move(handler); }
    void setCheckVersionHandler(std::function<void()> handler) { m_checkVersion = std::move(handler); }

    // The parts, for tests and the accessibility tree.
    QDialog* panel() const { return m_panel; }
    QVEPrefTableView* prefsTable() const { return m_prefsTable; }
    QWidget* paneView(int index) const;
    int selectedIndex() const { return m_selectedIndex; }
    LocationPicker* locationPicker() const { return m_picker; }
    QVariantMap lastRunParameters() const { return m_lastRunParams; }

protected:
    // Escape while a location is picked ends the picking, not the window.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QVEPreferencesEditor();
    void loadPanel();
    void applySettings();
    void showRunLabels();
    void dropWorkingCopies();
    void pickedLocation(const QPointF& point);

    QDialog* m_panel = nullptr;
    QVEPrefTableView* m_prefsTable = nullptr;
    QStandardItemModel* m_paneModel = nullptr;
    QGroupBox* m_accessoryView = nullptr;
    QWidget* m_panes[5] = {};
    QCheckBox* m_launchStartup = nullptr;
    QCheckBox* m_checkUpdate = nullptr;
    QCheckBox* m_reportEachItem = nullptr;
    QLineEdit* m_daysSaveReport = nullptr;
    QCheckBox* m_dontAnimateCheck = nullptr;
    QCheckBox* m_suggestNameNew = nullptr;
    QCheckBox* m_suggestNameModified = nullptr;
    QLabel* m_runParamsField = nullptr;
    QLabel* m_actionsRunParamsField = nullptr;
    QCheckBox* m_copyActions = nullptr;
    QCheckBox* m_menuInBar = nullptr;
    QCheckBox* m_menuImageInBar = nullptr;
    QCheckBox* m_menuNameInBar = nullptr;
    QCheckBox* m_menuShowImage = nullptr;
    QCheckBox* m_menuShowCombo = nullptr;
    QCheckBox* m_paletteShowActive = nullptr;
    QComboBox* m_paletteOrigin = nullptr;
    QLineEdit* m_paletteX = nullptr;
    QLineEdit* m_paletteY = nullptr;
    QCheckBox* m_paletteTitleOutside = nullptr;
    QSlider* m_paletteTransparency = nullptr;
    QSlider* m_paletteItemsInWidth = nullptr;
    QComboBox* m_paletteItemsType = nullptr;
    QSlider* m_paletteImageSize = nullptr;
    QSlider* m_paletteFontSize = nullptr;
    QLineEdit* m_paletteDelay = nullptr;
    QLabel* m_versionField = nullptr;
    QPushButton* m_locationButton = nullptr;
    LocationPicker* m_picker = nullptr;
    int m_pickOrigin = 0;
    std::unique_ptr<QVETableVerbTarget> m_paneBarTarget;

    QVariantMap m_prefsDict;
    // The domain as last read or written: what a write compares against.
    QVariantMap m_baseDict;
    QVariantMap m_lastRunParams;
    QVariantMap m_lastActionsRunParams;
    QVariantMap m_lastActionsResultParams;
    int m_selectedIndex = -1;
    qint64 m_loadAtStartState = -1;
    bool m_windowStillClosing = false;
    std::function<void(bool)> m_dontAnimate;
    std::function<void()> m_checkVersion;
};

} // namespace editor
