// The main window on a data folder, for a person (or the end-to-end test)
// to try on a desktop:
//   zelk_lists_preview <data folder> [library | preferences]
// (library or preferences: that window is shown too, in front).
// The lists, the pane, drags and the edit commands work as in the editor;
// nothing is saved. The edit commands sit in an Edit menu of their own.
// Each new text of the top information line is printed ("info: ...").
#include "ObjectStore.h"
#include "QVELibrary.h"
#include "QVEPreferencesEditor.h"
#include "QVEWindow.h"
#include "TableCommandGate.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>
#include <QUndoGroup>
#include <iostream>

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("ZELK_PLATFORM"))
        qputenv("ZELK_PLATFORM", "virtual");
    if (!qEnvironmentVariableIsSet("ZELK_MAIN_BUNDLE"))
        qputenv("ZELK_MAIN_BUNDLE", ZELK_EDITOR_BUNDLE);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: zelk_lists_preview <data folder> [library | preferences [pane]]\n";
        return 2;
    }
    editor::ObjectStore store;
    QString error;
    if (!store.load(QString::fromLocal8Bit(argv[1]), &error)) {
        std::cerr << qPrintable(error) << "\n";
        return 1;
    }
    editor::QVEWindow& window = editor::QVEWindow::sharedWindow();
    QMenu* edit = window.window()->menuBar()->addMenu(QStringLiteral("Edit"));
    edit->addAction(window.undoGroup()->createUndoAction(edit));
    edit->addAction(window.undoGroup()->createRedoAction(edit));
    edit->addSeparator();
    edit->addActions(editor::TableCommandGate::sharedGate().actions());
    window.display();
    const QString extra = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (extra == QLatin1String("library")) {
        editor::QVELibrary& library = editor::QVELibrary::sharedLibrary();
        library.display();
        for (editor::QVELibraryViewer* list :
             {static_cast<editor::QVELibraryViewer*>(library.launchersViewer()),
              static_cast<editor::QVELibraryViewer*>(library.commandsViewer()),
              static_cast<editor::QVELibraryViewer*>(library.contextsViewer())})
            list->expandAllItems();
    } else if (extra == QLatin1String("preferences")) {
        editor::QVEPreferencesEditor& prefs = editor::QVEPreferencesEditor::sharedEditor();
        prefs.getPreferences();
        prefs.displayPrefAtIndex(argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 0);
        prefs.panel()->show();
    }
    QString shown;
    QTimer report;
    QObject::connect(&report, &QTimer::timeout, [&] {
        if (window.topInfoText() != shown) {
            shown = window.topInfoText();
            std::cout << "info: " << qPrintable(shown) << std::endl;
        }
    });
    report.start(50);
    return app.exec();
}
