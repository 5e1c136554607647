#include "QVAction.h"

#include "FormatText.h"
#include "Log.h"
#include "QVUtilityClass.h"
#include "WorkerPool.h"

#include <QFileInfo>
#include <atomic>

namespace zelk {

namespace {

std::atomic<QVActionHostApplication*> g_application{nullptr};

// The framework's own bundle, found through an address inside this library.
const int g_bundleAnchor = 0;

// The library registers its base class as it loads, so a look-up by name
// finds it without any help from the host.
const bool g_registered = (QVAction::registerFrameworkClasses(), true);

} // namespace

// --- Class object ----------------------------------------------------------

QString QVActionClass::className() const { return QVAction::staticClassName(); }

std::shared_ptr<QVAction> QVActionClass::make() const { return std::make_shared<QVAction>(); }

bool QVActionClass::canGoRunningAfterError(const QString& error)
{
    const Bundle& b = bundle();
    const QString title = fillFormat(b.localizedString("ActionErreur"), {});
    const int choice = QVAction::runAlertPanelWithTitle(title, error, b.localizedString("ArreterAction"),
                                                        b.localizedString("ContinuerAction"), QString());
    // Only the first button stops; no host (0) or a closed alert goes on.
    return choice != 1;
}

QString QVActionClass::localizedStr(const QString& key) const
{
    return bundle().localizedString(key, QString(), className());
}

// --- Registration and making from records ------------------------------------

QVActionClass& QVAction::classObject()
{
    static QVActionClass object;
    return object;
}

QVActionClass& QVAction::actionClass() const { return classObject(); }

void QVAction::registerFrameworkClasses()
{
    static std::once_flag once;
    std::call_once(once, [] {
        QVActionClass& base = classObject();
        base.setBundle(Bundle::forAddress(&g_bundleAnchor));
        if (!base.bundle().isValid())
            zlog("QVAction", "registerFrameworkClasses") << "no bundle beside the framework";
        ClassRegistry::shared().registerClass(&base);
    });
    (void)g_registered;
}

std::shared_ptr<QVAction> QVAction::actionWithRecord(const QVariantMap& record)
{
    registerFrameworkClasses();
    const QString className = record.value("actionclass").toString();
    QVActionClass* cls = ClassRegistry::shared().lookup<QVActionClass>(className);
    const bool missing = !cls;
    if (missing) {
        zlog("QVAction", "actionWithRecord") << "missing action class" << className;
        cls = &classObject();
    }
    std::shared_ptr<QVAction> action = cls->make();
    if (!action || !action->initWithDictionaryInLauncher(record)) {
        zlog("QVAction", "actionWithRecord") << "failed to init" << cls->className() << record.value("actionID");
        return nullptr;
    }
    if (missing) {
        action->m_classMissing = true;
        action->m_missingClassName = className;
    }
    return action;
}

// --- Instance ------------------------------------------------------------------

QVAction::QVAction() = default;
QVAction::~QVAction() = default;

QString QVAction::description() const
{
    return QString("%1 (%2) { Name:'%3' - ID = %4 }")
        .arg(actionClass().className(), QString::number(quintptr(this), 16), m_name, QString::number(m_id));
}

bool QVAction::canGoRunningAfterError(const QString& error) { return actionClass().canGoRunningAfterError(error); }

QString QVAction::localizedStr(const QString& key) const { return actionClass().localizedStr(key); }

bool QVAction::initWithDictionaryInLauncher(const QVariantMap& record)
{
    m_name = record.value("actionname").toString();
    // Stored as a property-list integer; the ID is its low 32 bits.
    m_id = static_cast<quint32>(record.value("actionID").toLongLong());
    return true;
}

QImage QVAction::imageValue() const
{
    std::lock_guard lock(m_imageMutex);
    if (m_image.isNull())
        m_image = imageValueWithSize(16).copy();
    return m_image;
}

QImage QVAction::imageValueWithSize(int size) const
{
    const QImage icon = defaultIcon();
    if (icon.isNull())
        return {};
    return icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// --- Running ---------------------------------------------------------------------

void QVAction::runObject()
{
    std::shared_ptr<QVAction> self = weak_from_this().lock();
    if (!self) {
        zlog("QVAction", "runObject") << "action not held by a shared pointer:" << description();
        return;
    }
    if (addToRecent()) {
        if (QVActionHostApplication* app = applicationObject())
            app->addLastCutAction(self);
    }
    // The thread holds the action (and so its own controller) until it ends,
    // so a reload during the run cannot free it.
    if (!runInBackground([self] { self->runActionFromObjectInThread(self); }))
        zlog("QVAction", "runObject") << "the engine is quitting:" << description() << "not run";
}

void QVAction::runActionFromObjectInThread(std::shared_ptr<QVActionController> controller)
{
    if (!controller) {
        zlog("QVAction", "runActionFromObjectInThread") << "no controller for" << description();
        return;
    }
    std::shared_ptr<QVAction> self = weak_from_this().lock();
    if (!self)
        zlog("QVAction", "runActionFromObjectInThread") << "action not held by a shared pointer:" << description();
    QVActionHostApplication* app = applicationObject();
    // Actions work on the application the user was in, not on the engine.
    if (app && app->isActive())
        app->activateLastProcess();
    const QString error = runActionFromObject(controller);
    if (error.isEmpty())
        controller->setActionTerminatesWithoutError(self);
    else
        controller->setErrorWhenRunning(error, self);
}

QString QVAction::runActionFromObject(const std::shared_ptr<QVActionController>& /*controller*/)
{
    // A stand-in for a type that is not installed must not pass for success.
    if (m_classMissing) {
        const Bundle& framework = classObject().bundle();
        return fillFormat(framework.localizedString("TypeActionManquant"), {m_missingClassName});
    }
    return {};
}

QVariant QVAction::runCommand(const QString& command, const QString& event)
{
    QVActionHostApplication* app = applicationObject();
    if (app && app->TraceAppEng()) {
        zlog("QVAction", "runCommand") << "AppleScript command:" << command;
        zlog("QVAction", "runCommand") << "AppleEvent:" << event;
    }
    runObject();
    return {};
}

// --- Host application ------------------------------------------------------------

void QVAction::setApplicationObject(QVActionHostApplication* application) { g_application.store(application); }

QVActionHostApplication* QVAction::applicationObject() { return g_application.load(); }

// --- Icons -----------------------------------------------------------------------------

namespace {

struct KeptIcon {
    std::mutex mutex;
    QImage image;

    // Loads on first success; a missing file is tried again next time.
    QImage get(const char* name)
    {
        std::lock_guard lock(mutex);
        if (image.isNull())
            image = QVAction::imageInBundle(QVAction::classObject().bundle(), QString::fromLatin1(name));
        return image;
    }
};

KeptIcon& defaultIconSlot()
{
    static KeptIcon slot;
    return slot;
}

KeptIcon& unknownIconSlot()
{
    static KeptIcon slot;
    return slot;
}

} // namespace

QImage QVAction::defaultIcon() { return defaultIconSlot().get("default.tiff"); }

QImage QVAction::unknownIconWithSize(int size)
{
    const QImage icon = unknownIconSlot().get("unknown.tiff");
    if (icon.isNull())
        return {};
    return icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage QVAction::imageInBundle(const Bundle& bundle, const QString& name)
{
    const QFileInfo info(name);
    const QString path = bundle.pathForResource(info.completeBaseName(), info.suffix());
    if (path.isEmpty())
        return {};
    QImage image(path);
    if (image.isNull())
        zlog("QVAction", "imageInBundle") << "unreadable image" << path;
    return image;
}

// --- Forwarders to the host's QVUtility ----------------------------------------------

int QVAction::typeForPath(const QString& path)
{
    QVUtilityClass* host = QVUtilityClass::host();
    return host ? host->typeForPath(path) : 0;
}

int QVAction::typeForTargetPath(const QString& path)
{
    QVUtilityClass* host = QVUtilityClass::host();
    return host ? host->typeForTargetPath(path) : 0;
}

QString QVAction::targetPath(const QString& path)
{
    QVUtilityClass* host = QVUtilityClass::host();
    return host ? host->targetPath(path) : QString();
}

QByteArray QVAction::FSRefForPath(const QString& path)
{
    QVUtilityClass* host = QVUtilityClass::host();
    return host ? host->FSRefForPath(path) : QByteArray();
}

QString QVAction::pathForFSRef(const QByteArray& ref)
{
    QVUtilityClass* host = QVUtilityClass::host();
    return host ? host->pathForFSRef(ref) : QString();
}

QImage QVAction::iconImageForPath(const QString& path, int withSize)
{
    QVUtilityClass* host = QVUtilityClass::host();
    return host ? host->iconImageForPath(path, withSize) : QImage();
}

int QVAction::runScript(const QString& script)
{
    QVUtilityClass* host = QVUtilityClass::host();
    return host ? host->runScript(script) : 0;
}

char QVAction::asciiForKeycode(quint32 keycode)
{
    QVUtilityClass* host = QVUtilityClass::host();
    return host ? host->asciiForKeycode(keycode) : char(0);
}

QString QVAction::modifierStringWithKeycode(quint32 keycode)
{
    QVUtilityClass* host = QVUtilityClass::host();
    return host ? host->modifierStringWithKeycode(keycode) : QString();
}

bool QVAction::isTextFileAtPath(const QString& path)
{
    QVUtilityClass* host = QVUtilityClass::host();
    return host && host->isTextFileAtPath(path);
}

QString QVAction::stringWithPath(const QString& path)
{
    QVUtilityClass* host = QVUtilityClass::host();
    return host ? host->stringWithPath(path) : QString();
}

void QVAction::openPreferencePanel(const QString& name)
{
    if (QVUtilityClass* host = QVUtilityClass::host())
        host->openPreferencePanel(name);
}

int QVAction::runAlertPanelWithTitle(const QString& title, const QString& message, const QString& button1,
                                     const QString& button2, const QString& button3)
{
    QVUtilityClass* host = QVUtilityClass::host();
    return host ? host->runAlertPanelWithTitle(title, message, button1, button2, button3) : 0;
}

void QVAction::displayFloatingMenu(QMenu* menu)
{
    if (QVUtilityClass* host = QVUtilityClass::host())
        host->displayFloatingMenu(menu);
}

int QVAction::typeAsciiChar(char c)
{
    QVUtilityClass* host = QVUtilityClass::host();
    return host ? host->typeAsciiChar(c) : 0;
}

int QVAction::typeCharacter(char32_t c)
{
    QVUtilityClass* host = QVUtilityClass::host();
    return host ? host->typeCharacter(c) : 1;
}

quint32 QVAction::asciiKeycodesForAsciiChar(char c)
{
    QVUtilityClass* host = QVUtilityClass::host();
    return host ? host->asciiKeycodesForAsciiChar(c) : 0;
}

} // namespace zelk

// The engine loads every framework of its bundle through this entry point.
extern "C" ZELK_PLUGIN_EXPORT void zelkRegisterClasses(zelk::ClassRegistry& registry)
{
    zelk::QVAction::registerFrameworkClasses();
    registry.registerClass(&zelk::QVAction::classObject());
}
