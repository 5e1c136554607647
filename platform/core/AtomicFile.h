#pragma once
// Atomic file replacement: write a temporary file in the same folder, fsync
// it, rename it over the target, fsync the folder. A failure at any step
// removes the temporary file and leaves the old file untouched.
#include <QByteArray>
#include <QString>

namespace zelk {

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);

} // namespace zelk
