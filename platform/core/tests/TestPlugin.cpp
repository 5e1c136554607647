// A tiny plug-in for the class registry's tests; one source, three kinds.
#include "ClassRegistry.h"

namespace {

class TestClass : public zelk::ClassObject {
public:
    explicit TestClass(const char* name) : m_name(name) {}
    QString className() const override { return QString::fromLatin1(m_name); }
    QString superclassName() const override { return QStringLiteral("QVAction"); }

private:
    const char* m_name;
};

} // namespace

#if defined(ZELK_TEST_PLUGIN_TestPlugin)
extern "C" ZELK_PLUGIN_EXPORT void zelkRegisterClasses(zelk::ClassRegistry& registry)
{
    static TestClass plain("TestPluginAction");
    // A class that already knows its bundle keeps it.
    static TestClass placed("TestPluginPlacedAction");
    placed.setBundle(zelk::Bundle::forLibrary(QStringLiteral("/elsewhere/libPlaced.so")));
    registry.registerClass(&plain);
    registry.registerClass(&placed);
}
#elif defined(ZELK_TEST_PLUGIN_EmptyPlugin)
extern "C" ZELK_PLUGIN_EXPORT void zelkRegisterClasses(zelk::ClassRegistry&) {}
#else
extern "C" ZELK_PLUGIN_EXPORT void somethingElse() {}
#endif
