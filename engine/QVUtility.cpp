#include "QVUtility.h"

#include "ClassRegistry.h"
#include "Log.h"
#include "ModifierFlags.h"
#include "Platform.h"
#include "QVAction.h"
#include "QVLauncher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <chrono>
#include <thread>

namespace engine {

namespace {

constexpr quint32 kNoKeystroke = 0xFFFF;
constexpr std::chrono::milliseconds kSecondKeystrokePause{20};
constexpr std::chrono::seconds kShowFrontInterval{5};

bool hasWidgets() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

} // namespace

QVUtility::QVUtility() = default;

QVUtility& QVUtility::sharedUtility()
{
    static QVUtility* utility = [] {
        // Kept for the life of the process: the registry and detached run
        // threads may reach it until the very end.
        auto* u = new QVUtility;
        zelk::ClassRegistry& registry = zelk::ClassRegistry::shared();
        // A host utility already in place (a test's) keeps its place.
        if (!registry.classNamed(zelk::QVUtilityClass::Name))
            registry.registerClass(u);
        return u;
    }();
    return *utility;
}

// --- Characters and typing -------------------------------------------------------------

void QVUtility::fillAsciiToKeycode()
{
    std::array<quint32, 256> table;
    table.fill(0xFFFFFFFF);
    zelk::KeyboardLayout& layout = zelk::Platform::instance().keyboardLayout();
    for (int c = 0; c < 256; ++c) {
        const QList<quint16> keystrokes = layout.keystrokesForCharacter(char32_t(c));
        if (keystrokes.isEmpty())
            continue;
        const quint32 second = keystrokes.size() > 1 ? keystrokes.at(1) : kNoKeystroke;
        table[c] = (second << 16) | keystrokes.at(0);
    }
    std::lock_guard lock(m_tableMutex);
    m_characterTable = table;
    m_characterTableFilled = true;
}

std::array<quint32, 256> QVUtility::characterTable()
{
    {
        std::lock_guard lock(m_tableMutex);
        if (m_characterTableFilled)
            return m_characterTable;
    }
    fillAsciiToKeycode();
    std::lock_guard lock(m_tableMutex);
    if (!m_layoutObserver) {
        m_layoutObserver = zelk::Platform::instance().keyboardLayout().observeLayoutChanges([this] {
            reloadKeyboardCache();
        });
    }
    return m_characterTable;
}

void QVUtility::reloadKeyboardCache()
{
    qInfo().noquote() << "QVUtility reloadKeyboardCache: keyboard -> reloadKeyboardCache";
    fillAsciiToKeycode();
    fillKeycodeToAscii();
}

quint32 QVUtility::asciiKeycodesForAsciiChar(char c) { return characterTable()[uchar(c)]; }

void QVUtility::simulateModifiersForCarbonKeycode(quint16 keystroke, bool keyDown)
{
    // Released in the order they went down, as typing has always done.
    for (const zelk::ModifierKey& m : zelk::kModifierKeys) {
        if (keystroke & m.keystrokeFlag)
            zelk::QVAction::postVirtualKeyEvent(m.keyCode, keyDown);
    }
}

void QVUtility::typeKeystroke(quint16 keystroke)
{
    const uint16_t key = keystroke & 0xFF;
    simulateModifiersForCarbonKeycode(keystroke, true);
    zelk::QVAction::postVirtualKeyEvent(key, true);
    zelk::QVAction::postVirtualKeyEvent(key, false);
    simulateModifiersForCarbonKeycode(keystroke, false);
}

int QVUtility::typeAsciiChar(char c)
{
    const quint32 entry = asciiKeycodesForAsciiChar(c);
    if ((entry & 0xFFFF) != kNoKeystroke)
        typeKeystroke(quint16(entry & 0xFFFF));
    if ((entry >> 16) == kNoKeystroke)
        return 0;
    // A dead key needs a moment before the key it modifies.
    std::this_thread::sleep_for(kSecondKeystrokePause);
    typeKeystroke(quint16(entry >> 16));
    return 0;
}

int QVUtility::typeCharacter(char32_t c)
{
    const QList<quint16> keystrokes = zelk::Platform::instance().keyboardLayout().keystrokesForCharacter(c);
    if (keystrokes.isEmpty())
        return 1;
    typeKeystroke(keystrokes.at(0));
    if (keystrokes.size() > 1) {
        std::this_thread::sleep_for(kSecondKeystrokePause);
        typeKeystroke(keystrokes.at(1));
    }
    return 0;
}

QString QVUtility::keyStringWithKeycode(quint32 keycode)
{
    if (keycode == 0)
        return {};
    return QVUtilityShared::keyStringWithKeycode(keycode);
}

QString QVUtility::resolveAliasPath(const QString& path)
{
    if (traceRun() && typeForPath(path) == SymbolicLink)
        qInfo().noquote() << "QVUtility resolveAliasPath" << path;
    return QVUtilityShared::resolveAliasPath(path);
}

int QVUtility::runScript(const QString& script)
{
    QString error;
    const int status = QVUtilityShared::runScript(script, &error);
    if (status != 0)
        zelk::zlog("QVUtility", "runScript") << "AppleScript error:" << error;
    return status;
}

// --- Alerts and menus ------------------------------------------------------------------------

void QVUtility::runOnMainQueueWithoutDeadlocking(const std::function<void()>& fn)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(app, fn, Qt::BlockingQueuedConnection);
}

int QVUtility::runAlertPanelWithTitle(const QString& title, const QString& message, const QString& button1,
                                      const QString& button2, const QString& button3)
{
    int answer = 0;
    runOnMainQueueWithoutDeadlocking([&] { answer = showAlert(title, message, button1, button2, button3); });
    return answer;
}

int QVUtility::showAlert(const QString& title, const QString& message, const QString& button1,
                         const QString& button2, const QString& button3)
{
    zelk::Workspace& workspace = zelk::Platform::instance().workspace();
    workspace.activate(workspace.ownPid());
    startShowFrontApp();

    AlertAnswerer answerer;
    {
        std::lock_guard lock(m_answererMutex);
        answerer = m_answerer;
    }
    int answer = 0;
    if (answerer) {
        answer = answerer(title, message, button1, button2, button3);
    } else if (!hasWidgets()) {
        zelk::zlog("QVUtility", "runAlertPanelWithTitle") << "no window system for the alert" << title << message;
    } else {
        QMessageBox box;
        box.setWindowTitle(QStringLiteral("Zelk"));
        box.setText(title);
        box.setInformativeText(message);
        QPushButton* first = box.addButton(button1.isEmpty() ? QStringLiteral("OK") : button1, QMessageBox::AcceptRole);
        QPushButton* second = button2.isEmpty() ? nullptr : box.addButton(button2, QMessageBox::RejectRole);
        QPushButton* third = button3.isEmpty() ? nullptr : box.addButton(button3, QMessageBox::DestructiveRole);
        box.setDefaultButton(first);
        box.setEscapeButton(second ? second : first);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.exec();
        QAbstractButton* clicked = box.clickedButton();
        answer = clicked == first ? 1 : (third && clicked == third) ? -1 : 0;
    }

    stopShowFrontApp();
    if (zelk::QVActionHostApplication* app = zelk::QVAction::applicationObject())
        app->activateLastProcess();
    return answer;
}

void QVUtility::startShowFrontApp()
{
    std::shared_ptr<ShowFront> state = m_showFront;
    std::lock_guard lock(state->mutex);
    if (state->count++ != 0)
        return;
    const quint64 generation = ++state->generation;
    ++state->threads;
    std::thread([state, generation] {
        std::unique_lock lock(state->mutex);
        while (state->count > 0 && state->generation == generation) {
            lock.unlock();
            zelk::Workspace& workspace = zelk::Platform::instance().workspace();
            const qint64 own = workspace.ownPid();
            const std::optional<zelk::RunningApplication> front = workspace.frontApplication();
            if (!front || front->pid != own)
                workspace.activate(own);
            lock.lock();
            state->wake.wait_for(lock, kShowFrontInterval,
                                 [&] { return state->count == 0 || state->generation != generation; });
        }
        --state->threads;
    }).detach();
}

void QVUtility::stopShowFrontApp()
{
    std::shared_ptr<ShowFront> state = m_showFront;
    std::lock_guard lock(state->mutex);
    if (state->count == 0)
        return;
    if (--state->count == 0)
        state->wake.notify_all();
}

int QVUtility::showFrontCount() const
{
    std::lock_guard lock(m_showFront->mutex);
    return m_showFront->count;
}

int QVUtility::showFrontThreadsRunning() const { return m_showFront->threads.load(); }

void QVUtility::setAlertAnswerer(AlertAnswerer answerer)
{
    std::lock_guard lock(m_answererMutex);
    m_answerer = std::move(answerer);
}

void QVUtility::displayFloatingMenu(QMenu* menu)
{
    if (!menu)
        return;
    runOnMainQueueWithoutDeadlocking([menu] {
        if (!hasWidgets()) {
            zelk::zlog("QVUtility", "displayFloatingMenu") << "no window system for the menu";
            return;
        }
        QPoint at = QCursor::pos();
        // Under a palette button the menu opens below the button, not at the mouse.
        if (auto* button = qobject_cast<QAbstractButton*>(QApplication::widgetAt(at)))
            at = button->mapToGlobal(QPoint(0, button->height())) + QPoint(2, 2);
        // The caller waits until the user is done with the menu: it owns
        // the menu and drops it when this returns.
        menu->exec(at);
    });
}

// --- Processes -------------------------------------------------------------------------------------

bool QVUtility::isProcessLaunchedWithPath(const QString& path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    const QString name = QFileInfo(trimmed).fileName();
    if (name.isEmpty())
        return false;
    const QList<zelk::RunningApplication> apps = zelk::Platform::instance().workspace().runningApplications();
    return std::any_of(apps.cbegin(), apps.cend(), [&](const zelk::RunningApplication& app) { return app.name == name; });
}

int QVUtility::numberOfProcessLaunchedWithPathName(const QString& name)
{
    const QList<zelk::RunningApplication> apps = zelk::Platform::instance().workspace().runningApplications();
    return int(std::count_if(apps.cbegin(), apps.cend(),
                             [&](const zelk::RunningApplication& app) { return bundleBaseName(app.name) == name; }));
}

} // namespace engine
