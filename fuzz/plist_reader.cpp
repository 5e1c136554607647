// Property lists come from outside: data files, preference files, D-Bus
// payloads. Reading any input must fail cleanly, never crash.
#include "PropertyList.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QString error;
    const auto value = zelk::plist::read(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), &error);
    // What was read must be writable again (or refused with a reason).
    if (value) {
        const QByteArray xml = zelk::plist::writeXml(*value, &error);
        if (!xml.isEmpty() && !zelk::plist::read(xml, &error))
            __builtin_trap(); // our own output must read back
    }
    return 0;
}
