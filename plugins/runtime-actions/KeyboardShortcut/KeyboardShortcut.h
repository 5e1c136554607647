#pragma once
// The typing action type, running side (KeyboardShortcutCommon.h): types a
// text, the current date, a text file's contents or the clipboard's text
// into the focused application, one character at a time, at CharSecond
// characters per second.
//
// Text is typed as Unicode, character by character, through the host's
// typeCharacter(); a line feed is typed as Return. A character the
// keyboard layout cannot type is skipped, the rest is typed in order, and
// the run then fails naming the skipped characters. The controller is
// asked before every character; a stop ends the typing without an error.
// The desktop's own input is held back while a character is typed and
// let through between characters.
#include "ActionRunner.h"
#include "KeyboardShortcut/KeyboardShortcutCommon.h"

#include <QDateTime>
#include <mutex>

namespace zelk::engine {

class KeyboardShortcut : public KeyboardShortcutCommon<Side> {
    ZELK_ACTION_CLASS(KeyboardShortcut, QVAction)
public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;

    // Model 3: true when the file is there, its text then held (read again
    // only when the file changed since); false when it is not.
    bool loadTextFile();
    // The held text of model 3 (empty before the first reading).
    QString loadedText() const;

    // One operation per model.
    static QString typeText(const QString& text, int atCharSecond, QVActionController& fromObject);
    static QString typeDate(const QString& format, int atCharSecond, QVActionController& fromObject);
    static QString typeClipboardAtCharSecond(int charSecond, QVActionController& fromObject);

private:
    // Model 3's held text and what it was read from.
    mutable std::mutex m_textMutex;
    bool m_textLoaded = false;
    QString m_loadedPath;
    QDateTime m_loadedModified;
    qint64 m_loadedSize = -1;
};

} // namespace zelk::engine
