// The update feed comes from the network: whatever it holds, reading it
// answers offers or an error, and every offer it answers has a version
// that the comparator can take.
#include "QVSparkle.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QString error;
    const QList<engine::QVUpdateItem> items =
        engine::QVUpdater::parseAppcast(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), &error);
    if (!error.isEmpty() && !items.isEmpty())
        __builtin_trap();
    const engine::QVSparkleVersionComparator comparator;
    for (const engine::QVUpdateItem& item : items) {
        if (item.version.isEmpty())
            __builtin_trap();
        // Comparing is antisymmetric and a version equals itself.
        const QString& other = items.first().version;
        if (comparator.compareVersion(item.version, item.version) != 0 ||
            comparator.compareVersion(item.version, other) != -comparator.compareVersion(other, item.version))
            __builtin_trap();
    }
    return 0;
}
