// ZelkHelper: started at login (XDG autostart) or by the editor, it starts
// the engine around it and quits.
#include "Bundle.h"
#include "HelperAppDelegate.h"
#include "JournalLog.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    // Its lines join the engine's in the journal.
    zelk::JournalLog::install(QStringLiteral("Zelk"));
    QCoreApplication app(argc, argv);
    const zelk::Bundle bundle = zelk::Bundle::main();
    helper::HelperAppDelegate::applicationDidFinishLaunching(bundle.bundlePath(), bundle.identifier());
    return 0;
}
