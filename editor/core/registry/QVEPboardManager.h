#pragma once
// The chooser that turns foreign pasteboard data into actions: the
// registered classes say which models they could make from the data, and
// the user picks one in a modal panel (cancel: nothing is chosen).
#include <QVariantList>
#include <QVariantMap>
#include <memory>
#include <optional>

class QDialog;
class QLabel;
class QMimeData;
class QTableWidget;
class QWidget;

namespace editor {

class QVEPboardManager {
public:
    static QVEPboardManager& sharedManager();
    ~QVEPboardManager();

    bool canAddModelWithPasteboard(const QMimeData* pasteboard) const;
    // The chosen {modelclass, modeltitle, modelID}; nullopt when no class
    // reads the data, the classes offer no model, or the user cancels. The
    // panel shows even for one row.
    std::optional<QVariantMap> modelForPasteboard(const QMimeData* pasteboard, QWidget* inWindow);
    void setModelsForPasteboard(const QMimeData* pasteboard);
    QVariantList possibleModels() const { return m_rows; }

    // The panel's parts, for the accessibility tree and tests.
    QDialog* panel();
    QTableWidget* modelsTable();
    QLabel* infoField();
    void stopPanel();
    void abortPanel();
    // Shows the description of the row (empty text outside the list).
    void selectRow(int row);

private:
    QVEPboardManager() = default;
    void loadPanel();
    void reloadTable();

    std::unique_ptr<QDialog> m_panel;
    QTableWidget* m_table = nullptr;
    QLabel* m_info = nullptr;
    QVariantList m_rows;
    std::optional<QVariantMap> m_selected;
};

} // namespace editor
