#pragma once
// Atomic file replacement: write a temporary file in the same folder, fsync
// it, rename it over the target, fsync the folder. A failure at any step
// removes the temporary file and leaves the old file untouched.
//
// The temporary file is ".<name>.<writer's pid>.XXXXXX", so a temporary
// left by a writer that was killed can be told from one being written.
#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>

namespace zelk {

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);

// Several files replaced together: every one is written and flushed to its
// temporary file first, and only when all of them are written are they
// renamed into place. Any failure before the renames leaves every old file
// untouched; *error has one line per file that failed.
bool writeFilesAtomically(const QList<std::pair<QString, QByteArray>>& files, QString* error = nullptr);

// Removes the temporary files of writeFileAtomically in the folder whose
// writer process is gone; answers how many were removed (each is logged).
int removeStaleTemporaryFiles(const QString& folder);

} // namespace zelk
