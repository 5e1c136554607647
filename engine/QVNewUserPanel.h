#pragma once
// The onboarding panel: a start view (welcome and the start button) shown
// until the engine first starts, then a running view (open the editor, the
// manual); below both, the login-item and "don't show again" check boxes.
// The panel reports to the application object; closing it is
// QVAppl::windowWillClose.
#include <QWidget>

class QCheckBox;
class QPushButton;

namespace engine {

class QVAppl;

class QVNewUserPanel : public QWidget {
    Q_OBJECT
public:
    explicit QVNewUserPanel(QVAppl& appl);

    // Switches from the start view to the running view.
    void showEngineRunning();
    bool isStartupViewVisible() const;

    QPushButton* startButton() const { return m_startButton; }
    QCheckBox* loginItemCheck() const { return m_loginItemCheck; }
    QCheckBox* suppressCheck() const { return m_suppressCheck; }
    QWidget* startupView() const { return m_startupView; }
    QWidget* engineRunningView() const { return m_engineRunningView; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QVAppl& m_appl;
    QWidget* m_startupView = nullptr;
    QWidget* m_engineRunningView = nullptr;
    QPushButton* m_startButton = nullptr;
    QCheckBox* m_loginItemCheck = nullptr;
    QCheckBox* m_suppressCheck = nullptr;
    bool m_startupViewVisible = true;
};

} // namespace engine
