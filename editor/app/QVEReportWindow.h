#pragma once
// The report window: the engine's run report as plain text, with a Clean
// button. It only shows what it is given; the controller fills it from
// Report.plist once and then from the engine's "report" messages.
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace editor {

class QVEReportWindow : public QWidget {
    Q_OBJECT
public:
    explicit QVEReportWindow(QWidget* parent = nullptr);

    // Appends the text as it is, nothing added between pieces.
    void appendText(const QString& text);
    void clearText();
    QString text() const;
    // Brings the window forward as the key window, the last line in view.
    void showAtEnd();
    void center();

    QPlainTextEdit* textView() const { return m_text; }
    QPushButton* cleanButton() const { return m_clean; }

signals:
    void cleanRequested();

private:
    QPlainTextEdit* m_text = nullptr;
    QPushButton* m_clean = nullptr;
};

} // namespace editor
