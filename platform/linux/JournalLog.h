#pragma once
// Where a program's log lines go. Started from the desktop launcher or at
// login, the engine and the helper have no terminal: their lines go to the
// user's systemd journal (`journalctl --user -t Zelk`), sent in the
// journal's native datagram form. From a terminal, with
// QT_FORCE_STDERR_LOGGING=1, or where no journal listens, they stay on stderr.
#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace zelk {

class JournalLog {
public:
    static constexpr const char* JournalSocket = "/run/systemd/journal/socket";

    // Installs the process's message handler when the lines should go to
    // the journal at socketPath; false (Qt's handler left alone) when they
    // stay on stderr.
    static bool install(const QString& identifier, const QString& socketPath = QLatin1String(JournalSocket));
    // Whether a program whose stderr is (not) a terminal logs to the journal.
    static bool wantsJournal(bool stderrIsTerminal);

    // One journal entry: the message, its priority and the identifier.
    static QByteArray entry(const QString& identifier, QtMsgType type, const QString& category, const QString& message);
    // Sends it to the journal's socket; false when nothing listens there.
    static bool send(const QString& socketPath, const QByteArray& entry);
};

} // namespace zelk
