#include "QVEPboardManager.h"

#include "ClassRegistry.h"
#include "ModelSupport.h"
#include "QVEActionClass.h"
#include "QVEModelsManager.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace editor {

QVEPboardManager& QVEPboardManager::sharedManager()
{
    static QVEPboardManager manager;
    return manager;
}

QVEPboardManager::~QVEPboardManager()
{
    // The shared chooser outlives the application at exit: a widget must not
    // be destroyed once the application object is gone.
    if (!QCoreApplication::instance())
        (void)m_panel.release();
}

bool QVEPboardManager::canAddModelWithPasteboard(const QMimeData* pasteboard) const
{
    for (const zelk::QVEActionClass* cls : QVEModelsManager::sharedManager().registeredClasses()) {
        if (!cls->modelsIDForPasteboard(pasteboard).isEmpty())
            return true;
    }
    return false;
}

void QVEPboardManager::setModelsForPasteboard(const QMimeData* pasteboard)
{
    m_rows.clear();
    for (const zelk::QVEActionClass* cls : QVEModelsManager::sharedManager().registeredClasses()) {
        for (const int model : cls->modelsIDForPasteboard(pasteboard)) {
            m_rows.append(QVariantMap{{QStringLiteral("modelclass"), cls->className()},
                                      {QStringLiteral("modeltitle"), cls->titleOfModelID(model)},
                                      {QStringLiteral("modelID"), model}});
        }
    }
}

void QVEPboardManager::loadPanel()
{
    if (m_panel)
        return;
    m_panel = std::make_unique<QDialog>();
    m_panel->setObjectName(QStringLiteral("QVEPboardPanel"));
    m_panel->setAccessibleName(QStringLiteral("QVEPboardPanel"));
    m_table = new QTableWidget(0, 2, m_panel.get());
    m_table->setAccessibleName(QStringLiteral("modelsTable"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("modelimage"), QStringLiteral("modeltitle")});
    m_table->horizontalHeader()->setVisible(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->setVisible(false);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setShowGrid(false);
    m_info = new QLabel(m_panel.get());
    m_info->setAccessibleName(QStringLiteral("modelDescription"));
    m_info->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, m_panel.get());
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
    auto* layout = new QVBoxLayout(m_panel.get());
    layout->addWidget(m_table);
    layout->addWidget(m_info);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, m_panel.get(), [this] { stopPanel(); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, m_panel.get(), [this] { abortPanel(); });
    // A double-click (an attempt to edit) counts as OK.
    QObject::connect(m_table, &QTableWidget::cellDoubleClicked, m_panel.get(), [this](int row, int) {
        m_table->selectRow(row);
        stopPanel();
    });
    QObject::connect(m_table, &QTableWidget::currentCellChanged, m_panel.get(),
                     [this](int row, int, int, int) { selectRow(row); });
}

QDialog* QVEPboardManager::panel()
{
    loadPanel();
    return m_panel.get();
}

QTableWidget* QVEPboardManager::modelsTable()
{
    loadPanel();
    return m_table;
}

QLabel* QVEPboardManager::infoField()
{
    loadPanel();
    return m_info;
}

void QVEPboardManager::reloadTable()
{
    m_table->clearContents();
    m_table->setRowCount(int(m_rows.size()));
    for (int row = 0; row < m_rows.size(); ++row) {
        const QVariantMap model = m_rows[row].toMap();
        const auto* cls = zelk::ClassRegistry::shared().lookup<zelk::QVEActionClass>(
            model.value(QStringLiteral("modelclass")).toString());
        auto* image = new QTableWidgetItem;
        if (cls)
            image->setData(Qt::DecorationRole,
                           QPixmap::fromImage(cls->imageForModelID(intValue(model.value(QStringLiteral("modelID"))), 16)));
        m_table->setItem(row, 0, image);
        m_table->setItem(row, 1, new QTableWidgetItem(model.value(QStringLiteral("modeltitle")).toString()));
    }
}

void QVEPboardManager::selectRow(int row)
{
    loadPanel();
    QString text;
    if (row >= 0 && row < m_rows.size()) {
        const QVariantMap model = m_rows[row].toMap();
        if (const auto* cls = zelk::ClassRegistry::shared().lookup<zelk::QVEActionClass>(
                model.value(QStringLiteral("modelclass")).toString()))
            text = cls->descriptionOfModelID(intValue(model.value(QStringLiteral("modelID"))));
    }
    m_info->setText(text);
}

std::optional<QVariantMap> QVEPboardManager::modelForPasteboard(const QMimeData* pasteboard, QWidget* inWindow)
{
    if (!canAddModelWithPasteboard(pasteboard))
        return std::nullopt;
    if (inWindow) {
        inWindow->raise();
        inWindow->activateWindow();
    }
    m_selected.reset();
    setModelsForPasteboard(pasteboard);
    if (m_rows.isEmpty())
        return std::nullopt;
    loadPanel();
    reloadTable();
    selectRow(m_table->currentRow());
    m_panel->exec();
    return m_selected;
}

void QVEPboardManager::stopPanel()
{
    loadPanel();
    const int row = m_table->currentRow();
    const QList<QTableWidgetItem*> selected = m_table->selectedItems();
    if (!selected.isEmpty() && row >= 0 && row < m_rows.size())
        m_selected = m_rows[row].toMap();
    else
        m_selected.reset();
    m_panel->accept();
}

void QVEPboardManager::abortPanel()
{
    loadPanel();
    m_selected.reset();
    m_panel->reject();
}

} // namespace editor
