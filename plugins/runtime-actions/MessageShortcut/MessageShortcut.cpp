#include "MessageShortcut.h"

namespace zelk::engine {

namespace M = MessageShortcutModels;

bool MessageShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString MessageShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    if (!controller || CUTAction != M::Message)
        return {};
    return displayMessage(CUTMessage1, CUTMessage2, CUTButton1, CUTButton2, CUTButtonAction1, CUTButtonAction2,
                          *controller);
}

QString MessageShortcut::displayMessage(const QString& message1, const QString& message2, const QString& button1,
                                        const QString& button2, int buttonAction1, int buttonAction2,
                                        QVActionController& fromObject)
{
    // An empty second title means one button.
    const int answer = runAlertPanelWithTitle(message1, message2, button1, button2.isEmpty() ? QString() : button2, {});
    if ((answer == 1 && buttonAction1 == M::Stop) || (answer == 0 && !button2.isEmpty() && buttonAction2 == M::Stop))
        fromObject.stopRunning();
    return {};
}

ZELK_REGISTER_ACTION_RUNNER(MessageShortcut)

} // namespace zelk::engine
