// The six data files come from the editor, from a former version or from a
// user's hands. The input is one dictionary holding the arrays of all six
// ("actionsarray", "contextsarray", ...), loaded in the engine's order so
// that the objects link to each other as they do at start-up; then all of
// it is dropped again, in reverse, as a reload does.
#include "PropertyList.h"
#include "QVAppl.h"
#include "QVUtility.h"
#include "VirtualPlatform.h"

#include <QApplication>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("ZELK_PLATFORM", "virtual");
    // The damaged-file messages would drown the fuzzer's own output.
    qputenv("QT_LOGGING_RULES", "*.debug=false;*.info=false;*.warning=false");
    static QApplication app(*argc, *argv);
    static auto previous = zelk::Platform::install(std::make_unique<zelk::VirtualPlatform>());
    // A missing action class is reported with an alert: nobody answers it here.
    engine::QVUtility::sharedUtility().setAlertAnswerer(
        [](const QString&, const QString&, const QString&, const QString&, const QString&) { return 0; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto value = zelk::plist::read(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!value || value->metaType().id() != QMetaType::QVariantMap)
        return 0;
    const QVariantMap files = value->toMap();
    const auto kinds = engine::QVAppl::defaultObjectsFiles();
    for (const auto& kind : kinds) {
        const QVariant records = files.value(kind.arrayKey);
        kind.set(records.metaType().id() == QMetaType::QVariantList ? records.toList() : QVariantList());
    }
    // Timers and queued work the objects started get their turn.
    QCoreApplication::processEvents();
    for (auto it = kinds.crbegin(); it != kinds.crend(); ++it)
        it->reset();
    QCoreApplication::processEvents();
    return 0;
}
