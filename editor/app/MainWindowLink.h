#pragma once
// Hands the controller the main window (QVEWindow) it shows at start-up.
namespace editor {

class QVEController;

void installMainWindow(QVEController& controller);

} // namespace editor
