#include "QVEAction.h"

#include "Geometry.h"
#include "Log.h"
#include "QVEActionPrivate.h"
#include "FormatText.h"
#include "QVUtilityClass.h"
#include "UserDefaults.h"

#include <QUndoStack>
#include <algorithm>
#include <array>
#include <atomic>
#include <limits>
#include <mutex>

namespace zelk {

namespace {

const QString kName = QStringLiteral("actionname");
const QString kClass = QStringLiteral("actionclass");
const QString kID = QStringLiteral("actionID");
const QString kData = QStringLiteral("actiondata");
const QString kEditorRect = QStringLiteral("actioneditorrect");
const QString kNotUsed = QStringLiteral("actionnotused");

constexpr int kFirstFamily = 1000;
constexpr int kLastFamily = 1019;

// The next ID to hand out, and one past the highest ID read since the last
// setNextActionID().
std::atomic<quint32> nextID{0};
std::atomic<quint32> idFloor{0};

std::atomic<bool> suggestNew{false};
std::atomic<bool> suggestModified{false};
std::atomic<QVEActionHostApplication*> application{nullptr};

void raiseTo(std::atomic<quint32>& value, quint32 atLeast)
{
    quint32 current = value.load();
    while (current < atLeast && !value.compare_exchange_weak(current, atLeast)) {
    }
}

QImage scaledCopy(const QImage& image, int size)
{
    if (image.isNull())
        return {};
    return image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// An icon of the framework's bundle, loaded on first request and kept; a
// missing file is tried again on the next request.
QImage keptIcon(QImage& slot, const char* name)
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    if (slot.isNull())
        slot = QVEAction::imageInBundle(QVEAction::frameworkBundle(), QString::fromLatin1(name));
    return slot;
}

// Registers the framework's base class as soon as the library is loaded, so
// a lookup of "QVEAction" never depends on the host.
[[maybe_unused]] const bool frameworkClassesRegistered = (QVEAction::registerFrameworkClasses(), true);

} // namespace

bool qveActionDebug()
{
    return UserDefaults::standard().boolForKey(QStringLiteral("QVActionDebug"));
}

QString qveFrameworkString(const char* key)
{
    return QVEAction::frameworkBundle().localizedString(QString::fromLatin1(key));
}

int qveAlert(const QString& title, const QString& message, const QString& button1, const QString& button2)
{
    QVUtilityClass* host = QVUtilityClass::host();
    if (!host) {
        zlog("QVEAction", "alert") << "no QVUtility to show" << title << message;
        return 0;
    }
    return host->runAlertPanelWithTitle(title, message, button1, button2, {});
}

// --- Class objects and making actions -----------------------------------------

const Bundle& QVEAction::frameworkBundle()
{
    static const char anchor = 0;
    static const Bundle bundle = Bundle::forAddress(&anchor);
    return bundle;
}

QVEActionClass& QVEAction::classObject()
{
    // Never destroyed: the registry keeps pointing at it until the process ends.
    static QVEActionClass* const object = [] {
        auto* cls = new QVEActionClass;
        cls->setBundle(frameworkBundle());
        return cls;
    }();
    return *object;
}

void QVEAction::registerFrameworkClasses()
{
    ClassRegistry& registry = ClassRegistry::shared();
    if (registry.classNamed(QString::fromLatin1(QVEActionClass::Name)) != &classObject())
        registry.registerClass(&classObject());
}

std::shared_ptr<QVEAction> QVEAction::actionWithRecord(const QVariantMap& record)
{
    const QString name = record.value(kClass).toString();
    const QVEActionClass* cls = ClassRegistry::shared().lookup<QVEActionClass>(name);
    if (!cls) {
        zlog("QVEAction", "actionWithRecord") << "missing class" << name;
        if (QVEActionHostApplication* app = applicationObject())
            app->addMissingPlugin(name);
        cls = &classObject();
    }
    std::shared_ptr<QVEAction> action = cls->make();
    if (!action || !action->initWithDictionaryInEditor(record)) {
        zlog("QVEAction", "actionWithRecord") << "class" << cls->className() << "refused the record";
        return nullptr;
    }
    return action;
}

QVEAction::QVEAction() : m_class(&classObject()) {}

QVEAction::~QVEAction() = default;

// --- The record ---------------------------------------------------------------

bool QVEAction::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (qveActionDebug())
        zlog("QVEAction", "initWithDictionaryInEditor") << description() << record;
    if (record.isEmpty()) {
        zlog("QVEAction", "initWithDictionaryInEditor") << "failed to init" << description() << "from an empty record";
        return false;
    }
    m_dict = record;
    m_name = record.value(kName).toString();
    m_id = static_cast<quint32>(record.value(kID).toLongLong());
    noteExistingActionID(m_id);
    m_isNew = false;
    m_image = QImage();
    m_editor.reset();
    m_linkedObjects.clear();
    m_plain = m_class->className() == QLatin1String(QVEActionClass::Name);
    m_privateDict.reset();
    if (m_plain && record.contains(kData))
        m_privateDict = record.value(kData).toMap();
    m_familyImage = imageForFamilyID(m_class->familyID(), 16);
    m_editorRect = rectFromString(record.value(kEditorRect).toString());
    return true;
}

QString QVEAction::description() const
{
    // One pass: a name holding "%1" must not be filled in turn.
    return QStringLiteral("%1 (0x%2) { Name:'%3' - ID = %4, isNew = %5 }")
        .arg(m_class->className(), QString::number(quintptr(this), 16), m_name, QString::number(m_id),
             QString::number(m_isNew ? 1 : 0));
}

QVariantMap QVEAction::dataValue() const
{
    return m_plain ? m_privateDict.value_or(QVariantMap()) : QVariantMap();
}

QVariantMap QVEAction::dictValue()
{
    // A plain QVEAction never had its parameters read: "actiondata" stays
    // exactly as stored, whatever its form.
    if (!m_plain)
        m_dict.insert(kData, dataValue());
    m_dict.insert(kNotUsed, m_linkedObjects.isEmpty());
    return m_dict;
}

QVariantMap QVEAction::editedDictValue() const
{
    QVariantMap record = m_dict;
    if (!m_plain)
        record.insert(kData, editedDataValue());
    return record;
}

void QVEAction::setNameValue(const QString& name)
{
    m_name = name;
    m_dict.insert(kName, name);
}

QImage QVEAction::imageValue() const
{
    if (m_image.isNull())
        m_image = imageValueWithSize(32);
    return m_image;
}

QImage QVEAction::imageValueWithSize(int size) const
{
    return scaledCopy(defaultIcon(), size);
}

QString QVEAction::descriptionValue() const
{
    return m_class->descriptionOfModelID(modelID());
}

QString QVEAction::linkNameValue() const
{
    // The text belongs to the editor application: the bundle of its QVUtility.
    QVUtilityClass* host = QVUtilityClass::host();
    if (!host)
        return m_name;
    return fillFormat(host->bundle().localizedString(QStringLiteral("ActionLinkName")), {m_name});
}

QImage QVEAction::typeImageValue() const
{
    if (m_typeImage.isNull())
        m_typeImage = m_class->imageForModelID(modelID(), 16);
    return m_typeImage;
}

int QVEAction::familyValue() const
{
    return m_class->familyID() * 1000 + modelID();
}

bool QVEAction::isEqualActionOfClass(const QString& className, const QVariantMap& params) const
{
    return m_class->className() == className && dataValue() == params;
}

void QVEAction::setEditorRect(const QRectF& rect)
{
    m_editorRect = rect;
    m_dict.insert(kEditorRect, stringFromRect(rect));
}

// --- Class-wide ---------------------------------------------------------------

QImage QVEAction::imageForFamilyID(int family, int withSize)
{
    static std::array<QImage, kLastFamily - kFirstFamily + 1> images;
    static std::once_flag loaded;
    std::call_once(loaded, [] {
        for (int f = kFirstFamily; f <= kLastFamily; ++f)
            images[f - kFirstFamily] = imageInBundle(frameworkBundle(), QStringLiteral("family%1.tiff").arg(f));
    });
    if (family < kFirstFamily || family > kLastFamily || images[family - kFirstFamily].isNull()) {
        zlog("QVEAction", "imageForFamilyID")
            << QStringLiteral("Error missing QVEAction.framework icon family%1.tiff").arg(family);
        return {};
    }
    return scaledCopy(images[family - kFirstFamily], withSize);
}

QString QVEAction::newNameValue()
{
    return qveFrameworkString("NewName");
}

quint32 QVEAction::nextActionID()
{
    return nextID.fetch_add(1);
}

quint32 QVEAction::currentActionID()
{
    return nextID.load();
}

void QVEAction::setNextActionID(quint32 next)
{
    const quint32 floor = idFloor.exchange(0);
    nextID.store(std::max(next, floor));
}

void QVEAction::noteExistingActionID(quint32 id)
{
    if (id == std::numeric_limits<quint32>::max()) {
        zlog("QVEAction", "noteExistingActionID") << "ID" << id << "leaves no room for new IDs";
        return;
    }
    raiseTo(idFloor, id + 1);
    raiseTo(nextID, id + 1);
}

void QVEAction::setSuggestNameNew(bool on) { suggestNew = on; }
bool QVEAction::suggestNameNew() { return suggestNew; }
void QVEAction::setSuggestNameModified(bool on) { suggestModified = on; }
bool QVEAction::suggestNameModified() { return suggestModified; }

QImage QVEAction::defaultIcon()
{
    static QImage icon;
    return keptIcon(icon, "default.tiff");
}

QImage QVEAction::unknownIconWithSize(int size)
{
    static QImage icon;
    return scaledCopy(keptIcon(icon, "unknown.tiff"), size);
}

QImage QVEAction::imageInBundle(const Bundle& bundle, const QString& name)
{
    const QString path = bundle.pathForResource(name);
    if (path.isEmpty())
        return {};
    return QImage(path);
}

QString QVEAction::typeName()
{
    static const QString name = qveFrameworkString("CommandName");
    return name;
}

void QVEAction::setApplicationObject(QVEActionHostApplication* app) { application = app; }
QVEActionHostApplication* QVEAction::applicationObject() { return application; }

// --- Forwarders to the host's QVUtility ----------------------------------------

#define ZELK_FORWARD(def, call)                        \
    if (QVUtilityClass* host = QVUtilityClass::host()) \
        return host->call;                             \
    return def

QWidget* QVEAction::openDocumentPanel() { ZELK_FORWARD(nullptr, openDocumentPanel()); }
QString QVEAction::resolveAliasPath(const QString& path) { ZELK_FORWARD(QString(), resolveAliasPath(path)); }
int QVEAction::typeForPath(const QString& path) { ZELK_FORWARD(0, typeForPath(path)); }
int QVEAction::typeForTargetPath(const QString& path) { ZELK_FORWARD(0, typeForTargetPath(path)); }
QString QVEAction::targetPath(const QString& path) { ZELK_FORWARD(QString(), targetPath(path)); }
QByteArray QVEAction::FSRefForPath(const QString& path) { ZELK_FORWARD(QByteArray(), FSRefForPath(path)); }
QString QVEAction::pathForFSRef(const QByteArray& ref) { ZELK_FORWARD(QString(), pathForFSRef(ref)); }
QImage QVEAction::iconImageForPath(const QString& path, int withSize) { ZELK_FORWARD(QImage(), iconImageForPath(path, withSize)); }
int QVEAction::runScript(const QString& script) { ZELK_FORWARD(0, runScript(script)); }
char QVEAction::asciiForKeycode(quint32 keycode) { ZELK_FORWARD(char(0), asciiForKeycode(keycode)); }
QString QVEAction::modifierStringWithKeycode(quint32 keycode) { ZELK_FORWARD(QString(), modifierStringWithKeycode(keycode)); }
QString QVEAction::getApplicationFromPath(const QString& path) { ZELK_FORWARD(QString(), getApplicationFromPath(path)); }
QString QVEAction::getFolderFromPath(const QString& path) { ZELK_FORWARD(QString(), getFolderFromPath(path)); }
QString QVEAction::getDocumentOfTypes(const QStringList& types, const QString& fromPath) { ZELK_FORWARD(QString(), getDocumentOfTypes(types, fromPath)); }
bool QVEAction::isTextFileAtPath(const QString& path) { ZELK_FORWARD(false, isTextFileAtPath(path)); }
QString QVEAction::stringWithPath(const QString& path) { ZELK_FORWARD(QString(), stringWithPath(path)); }
void QVEAction::openPreferencePanel(const QString& name) { ZELK_FORWARD(void(), openPreferencePanel(name)); }
QStringList QVEAction::launchedAppPathArray() { ZELK_FORWARD(QStringList(), launchedAppPathArray()); }
QStringList QVEAction::recentAppPathArray() { ZELK_FORWARD(QStringList(), recentAppPathArray()); }
void QVEAction::playClicSound() { ZELK_FORWARD(void(), playClicSound()); }

#undef ZELK_FORWARD

} // namespace zelk

// The editor loads every framework of its bundle through this entry point.
extern "C" ZELK_PLUGIN_EXPORT void zelkRegisterClasses(zelk::ClassRegistry& registry)
{
    zelk::QVEAction::registerFrameworkClasses();
    registry.registerClass(&zelk::QVEAction::classObject());
}
