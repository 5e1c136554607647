// Exchange files come from other installations. Any input must be refused
// whole or imported without a reference to an object that is not there.
#include "ObjectStore.h"
#include "Platform.h"
#include "QVContext.h"
#include "QVEImporter.h"
#include "QVMenu.h"
#include "QVShortcut.h"
#include "QVUtility.h"
#include "VirtualPlatform.h"

#include <QApplication>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

editor::ObjectStore& store()
{
    static int argc = 1;
    static char name[] = "fuzz_exchange_file";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        auto* application = new QApplication(argc, argv);
        zelk::Platform::install(std::make_unique<zelk::VirtualPlatform>());
        editor::QVUtility::sharedUtility().setAlertAnswerer(
            [](const QString&, const QString&, const QString&, const QString&, const QString&) { return 0; });
        return application;
    }();
    (void)app;
    static editor::ObjectStore objects;
    return objects;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    editor::ObjectStore& objects = store();
    objects.clear();
    objects.addContext(editor::QVContext::newDataForType(0));
    editor::QVEImporter::sharedImporter().importFromData(
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), QStringLiteral("fuzz.zlex"));
    for (editor::QVShortcut* shortcut : objects.allShortcuts()) {
        for (const QVariant& step : shortcut->actionsDictArray()) {
            if (!objects.actionWithID(quint32(step.toMap().value(QStringLiteral("cutactionID")).toLongLong())))
                __builtin_trap(); // a step left pointing nowhere
        }
    }
    return 0;
}
