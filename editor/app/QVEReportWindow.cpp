#include "QVEReportWindow.h"

#include "ModelSupport.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

namespace editor {

QVEReportWindow::QVEReportWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("QVEReportWindow"));
    setWindowTitle(loc(QStringLiteral("TitreRapport")));
    setAccessibleName(loc(QStringLiteral("TitreRapport")));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("QVEReportText"));
    m_text->setAccessibleName(loc(QStringLiteral("TitreRapport")));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_clean = new QPushButton(loc(QStringLiteral("NettoyerRapport")), this);
    m_clean->setObjectName(QStringLiteral("QVEReportClean"));
    m_clean->setAccessibleName(loc(QStringLiteral("NettoyerRapport")));
    connect(m_clean, &QPushButton::clicked, this, &QVEReportWindow::cleanRequested);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_clean);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
    resize(560, 420);
}

void QVEReportWindow::appendText(const QString& text)
{
    if (text.isEmpty())
        return;
    // Plain text at the very end: no paragraph of its own, no markup read.
    QTextCursor cursor(m_text->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
}

void QVEReportWindow::clearText() { m_text->setPlainText(QString()); }

QString QVEReportWindow::text() const { return m_text->toPlainText(); }

void QVEReportWindow::showAtEnd()
{
    show();
    raise();
    activateWindow();
    m_text->moveCursor(QTextCursor::End);
    m_text->ensureCursorVisible();
    m_text->verticalScrollBar()->setValue(m_text->verticalScrollBar()->maximum());
}

void QVEReportWindow::center()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = geometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

} // namespace editor
