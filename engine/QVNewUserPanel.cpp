#include "QVNewUserPanel.h"

#include "Bundle.h"
#include "QVAppl.h"
#include "SharedUtilities.h"
#include "UserDefaults.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace engine {

namespace {
QString text(const char* key) { return zelk::Bundle::main().localizedString(QLatin1String(key), QString()); }

QLabel* wrappedLabel(const QString& text)
{
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}
} // namespace

QVNewUserPanel::QVNewUserPanel(QVAppl& appl) : m_appl(appl)
{
    setObjectName(QStringLiteral("QVNewUserPanel"));
    setWindowTitle(text("NUTitle"));

    m_startupView = new QWidget(this);
    auto* startLayout = new QVBoxLayout(m_startupView);
    startLayout->addWidget(wrappedLabel(text("NUWelcome")));
    m_startButton = new QPushButton(text("NUStart"), m_startupView);
    m_startButton->setDefault(true);
    startLayout->addWidget(m_startButton, 0, Qt::AlignRight);

    m_engineRunningView = new QWidget(this);
    auto* runningLayout = new QVBoxLayout(m_engineRunningView);
    runningLayout->addWidget(wrappedLabel(text("NURunning")));
    auto* buttons = new QHBoxLayout;
    auto* documentation = new QPushButton(text("NUDocumentation"), m_engineRunningView);
    auto* editor = new QPushButton(text("NUEditor"), m_engineRunningView);
    buttons->addStretch();
    buttons->addWidget(documentation);
    buttons->addWidget(editor);
    runningLayout->addLayout(buttons);
    m_engineRunningView->hide();

    m_loginItemCheck = new QCheckBox(text("NULoginItem"), this);
    m_loginItemCheck->setChecked(SharedUtilities::isLoginItemInstalled());
    m_suppressCheck = new QCheckBox(text("NUSuppress"), this);
    m_suppressCheck->setChecked(zelk::UserDefaults::standard().boolForKey(QStringLiteral("QVSuppressIntroPanel")));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_startupView);
    layout->addWidget(m_engineRunningView);
    layout->addWidget(m_loginItemCheck);
    layout->addWidget(m_suppressCheck);

    connect(m_startButton, &QPushButton::clicked, this, [this] { m_appl.startEngine(m_startButton); });
    connect(documentation, &QPushButton::clicked, this, [this] { m_appl.NUDocumentation(); });
    connect(editor, &QPushButton::clicked, this, [this] { m_appl.NUEditor(); });
    connect(m_loginItemCheck, &QCheckBox::toggled, this, [this](bool on) { m_appl.installLoginItem(on); });
    connect(m_suppressCheck, &QCheckBox::toggled, this, [this](bool on) { m_appl.suppressIntroPanelChanged(on); });
}

void QVNewUserPanel::showEngineRunning()
{
    m_startupViewVisible = false;
    m_startupView->hide();
    m_engineRunningView->show();
}

bool QVNewUserPanel::isStartupViewVisible() const { return m_startupViewVisible; }

void QVNewUserPanel::closeEvent(QCloseEvent* event)
{
    event->accept();
    m_appl.windowWillClose(this);
}

} // namespace engine
