#pragma once
// The message action type, running side (MessageShortcutCommon.h): the
// alert is shown by the engine on its main thread while the run waits; a
// button whose action is 1 stops the running shortcut. Never an error.
#include "ActionRunner.h"
#include "MessageShortcut/MessageShortcutCommon.h"

namespace zelk::engine {

class MessageShortcut : public MessageShortcutCommon<Side> {
    ZELK_ACTION_CLASS(MessageShortcut, QVAction)
public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;

    static QString displayMessage(const QString& message1, const QString& message2, const QString& button1,
                                  const QString& button2, int buttonAction1, int buttonAction2,
                                  QVActionController& fromObject);
};

} // namespace zelk::engine
