// The main window on a data folder, for a person (or the end-to-end test)
// to try on a desktop:
//   zelk_lists_preview <data folder>
// The lists, the pane, drags and the edit commands work as in the editor;
// nothing is saved. The edit commands sit in an Edit menu of their own.
// Each new text of the top information line is printed ("info: ...").
#include "ObjectStore.h"
#include "QVEWindow.h"
#include "TableCommandGate.h"

#include <QAction>
#include <QApplication>
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
        std::cerr << "usage: zelk_lists_preview <data folder>\n";
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
