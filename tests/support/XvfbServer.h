#pragma once
// A private X server for tests that need a real one: starts Xvfb on a free
// display (Xvfb picks it and reports it through -displayfd) and stops it
// when dropped. isRunning() is false when Xvfb is not installed or failed;
// such tests skip with the reason.
#include <QProcess>
#include <QString>

namespace zelk::test {

class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    bool isRunning() const { return !m_display.isEmpty(); }
    QString display() const { return m_display; } // ":NN"
    QString error() const { return m_error; }
    // Ends the server as a crash or a logout would, under its clients' feet.
    void stop();

private:
    QProcess m_process;
    QString m_display;
    QString m_error;
};

} // namespace zelk::test
