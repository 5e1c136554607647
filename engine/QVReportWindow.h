#pragma once
// The report window: the run report's text, kept days first, with the
// buttons that empty the report and close the window. It only shows the
// report; QVAppl owns the report and answers the buttons.
#include <QString>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace engine {

class QVReportWindow : public QWidget {
    Q_OBJECT
public:
    explicit QVReportWindow(QWidget* parent = nullptr);

    void setReportText(const QString& text);
    QString reportText() const;
    // Shows the window in front with its text scrolled to the last character.
    void showAtEnd();

signals:
    void cleanReport();
    void closeReport();

private:
    QPlainTextEdit* m_text;   // QVReportText
    QPushButton* m_clean;
    QPushButton* m_close;
};

} // namespace engine
