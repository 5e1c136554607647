#include "MainWindowLink.h"

#include "QVEController.h"

namespace editor {

void installMainWindow(QVEController&)
{
}

} // namespace editor
