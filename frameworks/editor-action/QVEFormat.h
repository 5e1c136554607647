#pragma once
// Fills a format text from a strings table, printf-style as the tables are
// written ("Action %d", "“%@” is used %d times"). Only the arguments given
// are used: a specifier with no argument left becomes empty, so a damaged
// or mistranslated table can't read past them. %@ and %s take the text of
// the argument, d i u x take its integer value, f g e its real value;
// "%n$" picks argument n; "%%" is a percent sign.
#include <QString>
#include <QVariantList>

namespace zelk {

QString qveFormat(const QString& format, const QVariantList& args);

} // namespace zelk
