#include "QVLauncher.h"

#include "Geometry.h"
#include "HotKeyCode.h"
#include "Log.h"
#include "QVUtility.h"

#include <QStringList>

namespace editor {

namespace {

IDCounter& counter()
{
    static IDCounter c;
    return c;
}

const QString kZeroRect = zelk::stringFromRect({});

QVariantMap paramsForNewType(int type)
{
    switch (type) {
    case QVLauncher::KeyCombination:
        return {{"launcherkeycode", 0}, {"launcherkeyrelease", false}, {"launcherkeyrepeat", false}, {"launcherkeyrepeatdelay", 0.0}};
    case QVLauncher::Date:
        return {{"launcherdatetype", 0}, {"launcherdatetime", QStringLiteral("12:00:00")}, {"launcherdatedays", QVariantList{}},
                {"launcherdatewarnover", 1}};
    case QVLauncher::Application:
        return {{"launcherapplicationtype", 0}, {"launcherapplicationapp", QString("")}};
    case QVLauncher::System:
        return {{"launchersystemtype", 0}};
    case QVLauncher::Context:
        return {{"launchercontexttype", 0}};
    case QVLauncher::USB:
        return {{"launcherusbvendorid", 0}, {"launcherusbproductid", 0}, {"launcherusbproductname", QString("")},
                {"launcherusbtype", -1}, {"launcherusbcookie", 0}, {"launcherusbmodifiers", 0}};
    default:
        return {};
    }
}

QVariantMap record(quint32 id, int type, const QVariantMap& params)
{
    return {{"launcherID", qint64(id)}, {"launchertype", type}, {"launcherparams", params}, {"launchereditorrect", kZeroRect}};
}

// The application's name as the user knows it: the entry's name when the
// application is installed, else the stored name.
QString applicationName(const QString& stored)
{
    QVUtility& utility = QVUtility::sharedUtility();
    const QString path = utility.fullPathForApplication(stored);
    if (path.isEmpty())
        return stored;
    return zelk::QVUtilityShared::bundleBaseName(utility.displayNameAtPath(path));
}

// " (on release)", or " (on press)" with the repeat when it repeats.
QString pressText(bool release, bool repeat, double delay)
{
    if (release)
        return QStringLiteral(" (%1)").arg(loc("TouchesRelachees"));
    QString text = QStringLiteral(" (%1)").arg(loc("TouchesEnfoncees"));
    if (repeat)
        text += QStringLiteral(" (%1 %2s)").arg(loc("Repetition"), QString::number(delay, 'f', 1));
    return text;
}

QString locNumbered(const char* format, int n)
{
    return loc(QString::fromLatin1(format).arg(n));
}

} // namespace

// --- Class operations ------------------------------------------------------------

quint32 QVLauncher::nextLauncherID() { return counter().next(); }
quint32 QVLauncher::currentLauncherID() { return counter().current(); }
void QVLauncher::setNextLauncherID(quint32 next) { counter().setNext(next); }

QVariantMap QVLauncher::newDataForType(int type)
{
    return record(nextLauncherID(), type, paramsForNewType(type));
}

QVariantMap QVLauncher::newDataWithDict(const QVariantMap& source)
{
    QVariantMap copy = source;
    copy.insert("launcherID", qint64(nextLauncherID()));
    copy.insert("launchereditorrect", kZeroRect);
    return copy;
}

QVariantList QVLauncher::datasForType(int type)
{
    QVariantList records;
    const auto add = [&](const QVariantMap& params) { records.append(record(0, type, params)); };
    const auto each = [&](const char* key, int count) {
        for (int i = 0; i < count; ++i)
            add({{QString::fromLatin1(key), i}});
    };
    switch (type) {
    case KeyCombination:
    case Date:
    case Application:
        add(paramsForNewType(type));
        break;
    case System:
        each("launchersystemtype", 4);
        break;
    case Context:
        each("launchercontexttype", 2);
        break;
    case USB: {
        QVariantMap params = paramsForNewType(USB);
        params.remove("launcherusbmodifiers");
        add(params);
        break;
    }
    case Calendar:
        each("launchercalendartype", 3);
        break;
    case Network:
        each("launchernetworktype", 2);
        break;
    default:
        break;
    }
    return records;
}

QVariantMap QVLauncher::newLauncherRefDictWithLauncherDict(const QVariantMap& record)
{
    return {{"cutlauncherID", record.value("launcherID")}, {"cutlauncheractive", true}};
}

QString QVLauncher::descriptionForLauncherType(int type)
{
    return locNumbered("LanceurDescription%1", type);
}

QString QVLauncher::typeName()
{
    static const QString name = loc("Launcher");
    return name;
}

QString QVLauncher::nameOfLauncherWithDict(const QVariantMap& record)
{
    QVUtility& utility = QVUtility::sharedUtility();
    const int type = intValue(record.value("launchertype"));
    const QVariantMap p = record.value("launcherparams").toMap();
    QString name;
    switch (type) {
    case KeyCombination:
        name = utility.keystrokeStringWithKeycode(quint32(intValue(p.value("launcherkeycode"))));
        if (p.contains("launcherkeysecondcode"))
            name += u' ' + utility.keyStringWithKeycode(quint32(intValue(p.value("launcherkeysecondcode"))));
        name += pressText(p.value("launcherkeyrelease").toBool(), p.value("launcherkeyrepeat").toBool(),
                          p.value("launcherkeyrepeatdelay").toDouble());
        break;
    case Date: {
        const QVariantList days = p.value("launcherdatedays").toList();
        QStringList listed;
        switch (intValue(p.value("launcherdatetype"))) {
        case 0:
            name = loc("ChaqueJour");
            break;
        case 1:
            for (const QVariant& day : days)
                listed << locNumbered("Jour%1", day.toInt());
            name = QStringLiteral("%1 (%2)").arg(loc("ChaqueSemaine"), listed.join(QStringLiteral(", ")));
            break;
        case 2:
            for (const QVariant& day : days)
                listed << QString::number(day.toInt());
            name = QStringLiteral("%1 (%2)").arg(loc("ChaqueMois"), listed.join(QStringLiteral(", ")));
            break;
        default:
            break;
        }
        name += u' ' + loc("ADeHeure") + u' ' + p.value("launcherdatetime").toString();
        break;
    }
    case Application:
        name = applicationName(p.value("launcherapplicationapp").toString()) + u' '
               + locNumbered("AppEvent%1", intValue(p.value("launcherapplicationtype")));
        break;
    case System:
        name = locNumbered("SystemEvent%1", intValue(p.value("launchersystemtype")));
        break;
    case Context:
        name = locNumbered("ContextEvent%1", intValue(p.value("launchercontexttype")));
        break;
    case USB: {
        const QVariantMap usb = p.value("launcherusbparamsdict").toMap();
        const quint32 modifiers = quint32(intValue(p.value("launcherusbmodifiers")));
        const QString product = p.value("launcherusbproductname").toString();
        switch (intValue(p.value("launcherusbtype"))) {
        case 1: {
            const int step = intValue(usb.value("launcherusbwheelincrement"));
            name = utility.modifierStringWithKeycode(modifiers) + u' ' + loc("USBEvent1")
                   + (step > 0 ? QStringLiteral(" +%1").arg(step) : QStringLiteral(" -%1").arg(-qint64(step)));
            name += QStringLiteral(" - ") + product;
            break;
        }
        case 0:
            name = utility.modifierStringWithKeycode(modifiers)
                   + QStringLiteral(" %1 %2").arg(loc("USBEvent0")).arg(intValue(usb.value("launcherusbbuttonusage")));
            name += pressText(usb.value("launcherusbbuttonrelease").toBool(), usb.value("launcherusbbuttonrepeat").toBool(),
                              usb.value("launcherusbbuttonrepeatdelay").toDouble());
            name += QStringLiteral(" - ") + product;
            break;
        case -1:
            name = loc("USBEvent-1");
            break;
        default:
            break;
        }
        break;
    }
    case Calendar: {
        const QString app = p.contains("launcherapplicationapp") ? applicationName(p.value("launcherapplicationapp").toString())
                                                                 : QStringLiteral("Any");
        name = app + u' ' + locNumbered("CalEvent%1", intValue(p.value("launchercalendartype")));
        break;
    }
    case Network:
        name = locNumbered("NetworkEvent%1", intValue(p.value("launchernetworktype")));
        break;
    default:
        zelk::zlog("QVLauncher", "nameOfLauncherWithDict") << "error: nameOfLauncherWithDict: missing new launcher" << type;
        break;
    }
    return name;
}

// --- Instance ------------------------------------------------------------------------

QVLauncher::QVLauncher() : QVEAuxModel("QVLauncher", "launcherID", nullptr, "launchereditorrect") {}

QVLauncher::~QVLauncher() = default;

bool QVLauncher::initWithDictionaryInEditor(const QVariantMap& source)
{
    if (source.isEmpty()) {
        zelk::zlog("QVLauncher", "initWithDictionaryInEditor") << "empty record";
        return false;
    }
    readRecord(source);
    counter().noteExisting(m_id);
    m_type = intValue(source.value("launchertype"));
    m_params = source.value("launcherparams").toMap();
    m_name = nameOfLauncherWithDict(source);
    m_image = QVUtility::sharedUtility().imageWithName(QStringLiteral("launcher%1").arg(m_type));
    m_isValid = true;
    if (m_type == Application
        && QVUtility::sharedUtility().fullPathForApplication(m_params.value("launcherapplicationapp").toString()).isEmpty())
        m_isValid = false;
    return true;
}

void QVLauncher::setParamsDict(const QVariantMap& params)
{
    m_params = params;
    m_dict.insert("launcherparams", params);
    m_name = nameOfLauncherWithDict(m_dict);
}

int QVLauncher::keycodeKeyEvent() const
{
    return intValue(m_params.value("launcherkeycode"));
}

int QVLauncher::secondKeycodeKeyEvent() const
{
    return m_params.contains("launcherkeysecondcode") ? intValue(m_params.value("launcherkeysecondcode")) : -1;
}

bool QVLauncher::isEqualLauncherType(int type, const QVariantMap& other) const
{
    if (type != m_type)
        return false;
    const auto i = [](const QVariantMap& p, const char* key) { return intValue(p.value(QLatin1String(key))); };
    switch (type) {
    case Date:
    case Application:
    case System:
    case Context:
        return m_params == other;
    case KeyCombination: {
        const auto second = [](const QVariantMap& p) {
            return p.contains("launcherkeysecondcode") ? intValue(p.value("launcherkeysecondcode")) : -1;
        };
        return HotKeyCode::sameCombination(quint32(i(m_params, "launcherkeycode")), quint32(i(other, "launcherkeycode")))
               && second(m_params) == second(other)
               && m_params.value("launcherkeyrelease").toBool() == other.value("launcherkeyrelease").toBool();
    }
    case USB: {
        for (const char* key : {"launcherusbcookie", "launcherusbvendorid", "launcherusbproductid", "launcherusbmodifiers"}) {
            if (i(m_params, key) != i(other, key))
                return false;
        }
        const QVariantMap mine = m_params.value("launcherusbparamsdict").toMap();
        const QVariantMap theirs = other.value("launcherusbparamsdict").toMap();
        switch (i(other, "launcherusbtype")) {
        case 1:
            return (i(mine, "launcherusbwheelincrement") > 0) == (i(theirs, "launcherusbwheelincrement") > 0);
        case 0:
            return mine.value("launcherusbbuttonrelease").toBool() == theirs.value("launcherusbbuttonrelease").toBool();
        case -1:
            return true;
        default:
            return false;
        }
    }
    default:
        return false;
    }
}

bool QVLauncher::canDeleteWithMessage(bool withMessage)
{
    const qsizetype users = m_linkedObjects.size();
    if (users == 0)
        return true;
    if (!withMessage)
        return false;
    return alert(locFormat("LanceurNameUtilise", {m_name, qint64(users)}), loc("ReellementSupprimerLanceur"), loc("Supprimer"),
                 loc("Annuler"))
           == 1;
}

// --- Editing ---------------------------------------------------------------------------

bool QVLauncher::edit()
{
    return canEdit() && QVEModelObject::edit();
}

void QVLauncher::editInEditor(std::shared_ptr<QVEObjectEditor> editor)
{
    if (canEdit())
        QVEModelObject::editInEditor(std::move(editor));
}

void QVLauncher::displayInEditor(QVEObjectEditor* editor)
{
    editor->displayWithLauncher(this);
}

void QVLauncher::windowDidBecomeKey()
{
    QVEModelObject::windowDidBecomeKey();
    if (m_type == USB && m_editor)
        m_editor->windowDidBecomeKey();
}

void QVLauncher::windowDidResignKey()
{
    if (m_type == USB && m_editor)
        m_editor->windowDidResignKey();
}

} // namespace editor
