// The XML reader is our own code (libplist 2.2 loses a date's fraction):
// every input here is taken for XML, so the fuzzer spends its time in that
// parser rather than in the binary reader's header check.
#include "PropertyList.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A binary list's magic would send the input elsewhere.
    if (size >= 6 && QByteArray::fromRawData(reinterpret_cast<const char*>(data), 6) == "bplist")
        return 0;
    QString error;
    const auto value = zelk::plist::read(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), &error);
    if (!value)
        return 0;
    // What was read is written the same way once it has been through a
    // write and a read: nothing is lost or changed on a round trip.
    const QByteArray first = zelk::plist::writeXml(*value, &error);
    if (first.isEmpty())
        return 0;
    const auto again = zelk::plist::read(first, &error);
    if (!again || zelk::plist::writeXml(*again, &error) != first)
        __builtin_trap();
    return 0;
}
