#pragma once
// Fills a localised format text ("Action %d", "“%@” is used %d times",
// "%2$@ before %1$@") from a list of values. Strings tables come from
// outside, so this never goes through printf: only the arguments given are
// used, and a specifier with no argument left becomes empty.
//   %@ %s          the argument's text
//   %d %i %u %x %X its integer value (any length prefix: %ld, %lu, %qd...)
//   %f %g %e       its real value
//   %n$...         argument n (from 1) in place of the next one
//   %%             a percent sign
// Flags, width and precision are read past; an unknown conversion stays as
// written.
#include <QString>
#include <QVariantList>

namespace zelk {

QString fillFormat(const QString& format, const QVariantList& args);

// The same for a format that is a sentence ending in ".": when the filled
// text ends the sentence already (an error text "... can't be found."), its
// own mark stays and the format's period is left out, so no ".." shows.
QString fillSentence(const QString& format, const QVariantList& args);

} // namespace zelk
