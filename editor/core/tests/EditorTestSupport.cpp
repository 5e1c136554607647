#include "EditorTestSupport.h"

#include "Geometry.h"

namespace editor::test {

void resetCounters()
{
    // Twice: a set never goes below the IDs read since the last one.
    for (int i = 0; i < 2; ++i) {
        zelk::QVEAction::setNextActionID(0);
        QVContext::setNextContextID(0);
        QVLauncher::setNextLauncherID(0);
        QVShortcut::setNextShortcutID(0);
        QVMenu::setNextMenuID(0);
        QVPalette::setNextPaletteID(0);
    }
}

EditorTest::EditorTest()
{
    m_hadMainBundle = qEnvironmentVariableIsSet("ZELK_MAIN_BUNDLE");
    m_savedMainBundle = qgetenv("ZELK_MAIN_BUNDLE");
    qputenv("ZELK_MAIN_BUNDLE", (zelk::test::appContents() + "/MacOS/Zelk Editor.app").toUtf8());
    auto platform = std::make_unique<zelk::VirtualPlatform>();
    m_platform = platform.get();
    m_previous = zelk::Platform::install(std::move(platform));
    QVUtility::sharedUtility().setAlertAnswerer(
        [this](const QString& title, const QString& message, const QString& button1, const QString& button2, const QString&) {
            alerts.push_back({title, message, button1, button2});
            if (m_answers.empty())
                return 0;
            const int answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        });
    ObjectDirectory::setShared(nullptr);
    store = std::make_unique<ObjectStore>();
    resetCounters();
    // The universal context, as the controller guarantees one.
    store->addContext(QVContext::newDataForType(0));
}

EditorTest::~EditorTest()
{
    store.reset();
    QVUtility::sharedUtility().setAlertAnswerer(nullptr);
    QVUtility::sharedUtility().setPanelAnswerer(nullptr);
    zelk::Platform::install(std::move(m_previous));
    if (m_hadMainBundle)
        qputenv("ZELK_MAIN_BUNDLE", m_savedMainBundle);
    else
        qunsetenv("ZELK_MAIN_BUNDLE");
}

QString EditorTest::fixture(const QString& name) const
{
    return QStringLiteral(ZELK_EDITOR_FIXTURES "/") + name;
}

QVariantMap EditorTest::actionRecord(quint32 id, const QString& name)
{
    return {{"actionname", name.isEmpty() ? QStringLiteral("Action %1").arg(id) : name},
            {"actionclass", "QVEAction"},
            {"actionID", qint64(id)},
            {"actiondata", QVariantMap{{"Action", 1}}},
            {"actioneditorrect", zelk::stringFromRect({})},
            {"actionnotused", true}};
}

zelk::QVEAction* EditorTest::addAction(quint32 id, const QString& name)
{
    return store->addAction(actionRecord(id, name));
}

QVLauncher* EditorTest::addKeyLauncher(quint32 code)
{
    QVariantMap record = QVLauncher::newDataForType(0);
    QVariantMap params = record.value("launcherparams").toMap();
    params.insert("launcherkeycode", qint64(code));
    record.insert("launcherparams", params);
    return store->addLauncher(record);
}

QVContext* EditorTest::addAppContext(const QString& app, int type)
{
    QVariantMap record = QVContext::newDataForType(type);
    record.insert("contextparams", QVariantMap{{"contextactivatedapplication", app}});
    return store->addContext(record);
}

QVariantList contextRefs(const QList<quint32>& ids)
{
    QVariantList refs;
    for (quint32 id : ids)
        refs.append(QVariantMap{{"cutcontextID", qint64(id)}, {"cutcontextactive", true}});
    return refs;
}

QVariantList launcherRefs(const QList<quint32>& ids)
{
    QVariantList refs;
    for (quint32 id : ids)
        refs.append(QVariantMap{{"cutlauncherID", qint64(id)}, {"cutlauncheractive", true}});
    return refs;
}

QVariantList steps(const QList<quint32>& actionIDs)
{
    QVariantList list;
    for (quint32 id : actionIDs)
        list.append(QVShortcut::newActionRefDictWithActionDict({{"actionID", qint64(id)}}));
    return list;
}

QVariantMap menuItem(int type, quint32 id, const QString& label)
{
    static const char* keys[] = {"menuitemseparatorlabel", "menuitemshortcutID", "menuitemactionID", "menuitemmenuID"};
    const QVariant value = type == 0 ? QVariant(label) : QVariant(qint64(id));
    return {{"menuitemtype", type}, {"menuitemactive", true}, {"menuitemparams", QVariantMap{{keys[type], value}}}};
}

QVariantMap paletteItem(int type, quint32 id)
{
    const char* key = type == 1 ? "paletteitemshortcutID" : "paletteitemactionID";
    return {{"paletteitemtype", type}, {"paletteitemactive", true}, {"paletteitemparams", QVariantMap{{key, qint64(id)}}}};
}

QVShortcut* EditorTest::addShortcut(const QList<quint32>& actionIDs, const QList<quint32>& launcherIDs, const QList<quint32>& contextIDs)
{
    QVariantMap record = QVShortcut::newData();
    record.insert("cutactions", steps(actionIDs));
    record.insert("cutlaunchers", launcherRefs(launcherIDs));
    record.insert("cutcontexts", contextRefs(contextIDs));
    return store->addShortcut(record);
}

QVMenu* EditorTest::addMenu(const QVariantList& items, const QList<quint32>& contextIDs)
{
    QVariantMap record = QVMenu::newData();
    record.insert("menuitems", items);
    record.insert("menucontexts", contextRefs(contextIDs));
    return store->addMenu(record);
}

QVPalette* EditorTest::addPalette(const QVariantList& items, const QList<quint32>& contextIDs)
{
    QVariantMap record = QVPalette::newData();
    record.insert("paletteitems", items);
    record.insert("palettecontexts", contextRefs(contextIDs));
    return store->addPalette(record);
}

} // namespace editor::test
