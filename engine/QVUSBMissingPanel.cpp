#include "QVUSBMissingPanel.h"

#include "Bundle.h"
#include "QVAppl.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace engine {

namespace {
QString text(const char* key) { return zelk::Bundle::main().localizedString(QLatin1String(key), QString()); }
} // namespace

QVUSBMissingPanel::QVUSBMissingPanel(QVAppl& appl) : m_appl(appl)
{
    setObjectName(QStringLiteral("QVUSBMissingPanel"));
    setWindowTitle(text("USBMissingWindowTitle"));
    setWindowFlag(Qt::Tool);

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("QVUSBMissingTitle"));
    m_title->setWordWrap(true);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_description = new QLabel(this);
    m_description->setObjectName(QStringLiteral("QVUSBMissingDescription"));
    m_description->setWordWrap(true);
    m_dontShow = new QCheckBox(text("USBMissingDontShow"), this);
    m_dontShow->setObjectName(QStringLiteral("QVNUSBUDontShowAgainCheck"));
    m_dontShow->setAccessibleName(m_dontShow->text());
    m_button = new QPushButton(text("USBMissingOK"), this);
    m_button->setObjectName(QStringLiteral("USBMissingPanel"));
    m_button->setAccessibleName(m_button->text());
    m_button->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_dontShow);
    buttons->addStretch();
    buttons->addWidget(m_button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_description);
    layout->addLayout(buttons);

    connect(m_button, &QPushButton::clicked, this, [this] { m_appl.USBMissingPanel(m_button); });
}

void QVUSBMissingPanel::closeEvent(QCloseEvent* event)
{
    m_appl.windowWillClose(this);
    event->accept();
}

} // namespace engine
