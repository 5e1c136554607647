#pragma once
// The editor's test fixture: a temporary HOME, the built editor bundle as
// the main bundle (its strings and artwork), a fresh virtual desktop, a
// store as the shared directory, and alerts answered from a script and
// recorded. Records of each kind come from small builders.
#include "ObjectStore.h"
#include "QVContext.h"
#include "QVEAction.h"
#include "QVLauncher.h"
#include "QVMenu.h"
#include "QVPalette.h"
#include "QVShortcut.h"
#include "QVUtility.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <deque>
#include <memory>

namespace editor::test {

struct Alert {
    QString title, message, button1, button2;
};

// An editor window that only records what the model asked of it.
class RecordingEditor : public QVEObjectEditor {
public:
    void displayWithShortcut(QVShortcut*) override { calls << "displayWithShortcut"; }
    void displayWithLauncher(QVLauncher*) override { calls << "displayWithLauncher"; }
    void displayWithContext(QVContext*) override { calls << "displayWithContext"; }
    void displayWithMenu(QVMenu*) override { calls << "displayWithMenu"; }
    void displayWithPalette(QVPalette*) override { calls << "displayWithPalette"; }
    void makeFront() override { calls << "makeFront"; }
    void abortEditing(QObject*) override { calls << "abortEditing"; }
    QVariantMap editedRunParametersDict() const override { return runParams; }
    QVariantList editedActionsDictArray() const override { return steps; }
    void windowDidBecomeKey() override { calls << "windowDidBecomeKey"; }
    void windowDidResignKey() override { calls << "windowDidResignKey"; }

    QStringList calls;
    QVariantMap runParams;
    QVariantList steps;
};

class EditorTest : public zelk::test::TempHomeTest {
protected:
    EditorTest();
    ~EditorTest() override;

    zelk::VirtualPlatform& desktop() { return *m_platform; }
    QString fixture(const QString& name) const; // a path under tests/fixtures

    // Answers the next alerts in order (1 first button, 0 second); an
    // alert beyond the script answers 0 and is recorded all the same.
    void answerAlerts(std::initializer_list<int> answers) { m_answers.assign(answers.begin(), answers.end()); }
    std::vector<Alert> alerts;

    // Records, with fresh IDs unless one is given.
    static QVariantMap actionRecord(quint32 id, const QString& name);
    zelk::QVEAction* addAction(quint32 id, const QString& name = {});
    QVLauncher* addKeyLauncher(quint32 code);
    QVContext* addAppContext(const QString& app, int type = 1);
    QVShortcut* addShortcut(const QList<quint32>& actionIDs, const QList<quint32>& launcherIDs = {},
                            const QList<quint32>& contextIDs = {0});
    QVMenu* addMenu(const QVariantList& items, const QList<quint32>& contextIDs = {0});
    QVPalette* addPalette(const QVariantList& items, const QList<quint32>& contextIDs = {0});

    std::unique_ptr<ObjectStore> store;

private:
    std::unique_ptr<zelk::Platform> m_previous;
    zelk::VirtualPlatform* m_platform = nullptr;
    QByteArray m_savedMainBundle;
    bool m_hadMainBundle = false;
    std::deque<int> m_answers;
};

// Every ID counter back to 0, as in a fresh editor.
void resetCounters();

QVariantList contextRefs(const QList<quint32>& ids);
QVariantList launcherRefs(const QList<quint32>& ids);
QVariantList steps(const QList<quint32>& actionIDs);
QVariantMap menuItem(int type, quint32 id, const QString& label = {});
QVariantMap paletteItem(int type, quint32 id);

} // namespace editor::test
