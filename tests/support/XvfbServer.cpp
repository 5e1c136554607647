#include "XvfbServer.h"

#include <QStandardPaths>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace zelk::test {

XvfbServer::XvfbServer()
{
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    if (xvfb.isEmpty()) {
        m_error = "Xvfb is not installed";
        return;
    }
    int fds[2];
    if (pipe(fds) != 0) {
        m_error = "pipe failed";
        return;
    }
    // Keep the write end open across exec so Xvfb can report its display.
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    m_process.setProgram(xvfb);
    m_process.setArguments({"-displayfd", QString::number(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"});
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A crashed test must not leave Xvfb holding ctest's output pipe open.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_process.start();
    ::close(fds[1]);
    if (!m_process.waitForStarted(5000)) {
        ::close(fds[0]);
        m_error = "Xvfb did not start";
        return;
    }
    QByteArray number;
    char c;
    // Xvfb writes "NN\n" once it accepts connections.
    while (::read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(fds[0]);
    if (number.isEmpty()) {
        m_error = "Xvfb reported no display";
        m_process.kill();
        m_process.waitForFinished(2000);
        return;
    }
    m_display = ":" + QString::fromLatin1(number);
}

XvfbServer::~XvfbServer() { stop(); }

void XvfbServer::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
}

} // namespace zelk::test
