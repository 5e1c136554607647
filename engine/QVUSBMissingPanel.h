#pragma once
// The panel that names the USB devices of USB launchers that are not
// plugged in: a title, a description, a "don't show again" check box and a
// button. The button and closing the panel report to the application object
// (QVAppl::USBMissingPanel, QVAppl::windowWillClose).
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace engine {

class QVAppl;

class QVUSBMissingPanel : public QWidget {
    Q_OBJECT
public:
    explicit QVUSBMissingPanel(QVAppl& appl);

    QLabel* titleField() const { return m_title; }             // QVUSBMissingTitle
    QLabel* descriptionField() const { return m_description; } // QVUSBMissingDescription
    QCheckBox* dontShowAgainCheck() const { return m_dontShow; } // QVNUSBUDontShowAgainCheck
    QPushButton* button() const { return m_button; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QVAppl& m_appl;
    QLabel* m_title = nullptr;
    QLabel* m_description = nullptr;
    QCheckBox* m_dontShow = nullptr;
    QPushButton* m_button = nullptr;
};

} // namespace engine
