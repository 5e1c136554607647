#pragma once
// Property lists <-> QVariant trees.
//
// Reads XML and binary property lists; writes XML. Binary input goes through
// libplist after a structural check (libplist 2.2 aborts on some malformed
// input); XML is read and written here, because libplist 2.2 drops the
// fraction of a date. A date with a fraction is written with it
// ("2001-01-01T00:00:10.5Z"), a whole second in the classic form. Leaves
// map as:
//   string  <-> QString        integer <-> qint64 (quint64 above INT64_MAX)
//   real    <-> double         boolean <-> bool
//   date    <-> QDateTime (UTC)  data  <-> QByteArray
//   array   <-> QVariantList   dict    <-> QVariantMap
// Other QVariant types are written through their closest leaf (int, uint,
// float, ...); anything else is refused with an error. Nothing throws.
#include <QString>
#include <QVariant>
#include <optional>

namespace zelk::plist {

// Parses XML or binary data. On failure answers nullopt and sets *error to a
// readable reason.
std::optional<QVariant> read(const QByteArray& data, QString* error = nullptr);

// XML text of a value; an empty array and *error set when it can't be written.
QByteArray writeXml(const QVariant& value, QString* error = nullptr);

// The value of an integer leaf (any integer QVariant up to INT64_MAX);
// nullopt for anything else: no value, a real, a number written as text.
std::optional<qint64> integerValue(const QVariant& value);

std::optional<QVariant> readFile(const QString& path, QString* error = nullptr);

// Writes the XML form atomically (see AtomicFile.h): the old file stays
// whole when anything fails.
bool writeFile(const QString& path, const QVariant& value, QString* error = nullptr);

} // namespace zelk::plist
