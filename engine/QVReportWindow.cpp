#include "QVReportWindow.h"

#include "Bundle.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

namespace engine {

namespace {

QString text(const char* key, const char* fallback)
{
    return zelk::Bundle::main().localizedString(QLatin1String(key), QString::fromUtf8(fallback));
}

} // namespace

QVReportWindow::QVReportWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("QVReportWindow"));
    setWindowTitle(text("ReportTitle", "Zelk Report"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("QVReportText"));
    m_text->setAccessibleName(text("ReportTitle", "Zelk Report"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_clean = new QPushButton(text("ReportClean", "Clean"), this);
    m_clean->setObjectName(QStringLiteral("cleanReport"));
    m_clean->setAccessibleName(m_clean->text());
    m_close = new QPushButton(text("ReportClose", "Close"), this);
    m_close->setObjectName(QStringLiteral("closeReport"));
    m_close->setAccessibleName(m_close->text());
    m_close->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_clean);
    buttons->addStretch();
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
    resize(560, 360);

    connect(m_clean, &QPushButton::clicked, this, &QVReportWindow::cleanReport);
    connect(m_close, &QPushButton::clicked, this, &QVReportWindow::closeReport);
}

void QVReportWindow::setReportText(const QString& text)
{
    if (text == m_text->toPlainText())
        return;
    // New lines come at the end: where the user was reading stays in view,
    // unless they were at the end, which then follows the text.
    QScrollBar* bar = m_text->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    const int position = bar->value();
    m_text->setPlainText(text);
    bar->setValue(atEnd ? bar->maximum() : position);
}

QString QVReportWindow::reportText() const { return m_text->toPlainText(); }

void QVReportWindow::showAtEnd()
{
    show();
    raise();
    activateWindow();
    m_text->moveCursor(QTextCursor::End);
    m_text->verticalScrollBar()->setValue(m_text->verticalScrollBar()->maximum());
}

} // namespace engine
