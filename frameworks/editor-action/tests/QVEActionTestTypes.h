#pragma once
// Two action types defined as a plug-in would, and stand-ins for the host:
// its QVUtility class, its application object, an action editor window and
// the objects that use actions.
#include "QVEAction.h"
#include "QVUtilityClass.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <QColor>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace zelk::test {

// A type whose parameters are {"Action": model, "text": ..., "color": ...},
// edited on a working copy that validation commits and cancelling restores.
class TestAction : public QVEAction {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override
    {
        if (!QVEAction::initWithDictionaryInEditor(record))
            return false;
        m_data = record.value("actiondata").toMap();
        m_edited = m_data;
        return true;
    }
    int modelID() const override { return m_data.value("Action").toInt(); }
    QVariantMap dataValue() const override { return m_data; }
    QVariantMap editedDataValue() const override { return m_edited; }
    bool willValidateEditing() override
    {
        if (!QVEAction::willValidateEditing())
            return false;
        m_data = m_edited;
        return true;
    }
    void abortEditing() override { m_edited = m_data; }
    QImage imageValueWithSize(int size) const override
    {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(QColor(m_data.value("color", "black").toString()));
        return image;
    }
    bool wantKeyEvent() override { return wantsKeys; }
    void keyEvent(QKeyEvent* event) override { keys.append(event->key()); }
    bool canTest() const override { return testable; }

    void type(const QString& key, const QVariant& value) { m_edited.insert(key, value); }

    bool wantsKeys = false;
    bool testable = true;
    QList<int> keys;

private:
    QVariantMap m_data;
    QVariantMap m_edited;
};

class TestActionClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(TestAction, QVEAction, TestAction)
public:
    int familyID() const override { return 1003; }
    QList<int> modelsID() const override { return {1, 2, 3}; }
    QString nameOfImageForModelID(int model) const override { return QStringLiteral("model%1.png").arg(model); }
    QVariantMap newDataForAction(int model) const override
    {
        QVariantMap record = newDataForClass(*this);
        record.insert("actiondata", QVariantMap{{"Action", model}});
        return record;
    }
};

// A second type of the same family, sharing the instance code.
class OtherTestActionClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(OtherTestAction, QVEAction, TestAction)
public:
    int familyID() const override { return 1003; }
};

// A subclass of TestAction with no code of its own (its strings table
// falls back to TestAction's).
class SubTestActionClass : public TestActionClass {
    ZELK_EDITOR_ACTION_CLASS(SubTestAction, TestAction, TestAction)
};

// The plug-in's entry point, as ActionPanes would write it.
inline void registerTestClasses(ClassRegistry& registry)
{
    static TestActionClass testAction;
    static OtherTestActionClass otherTestAction;
    registry.registerClass(&testAction);
    registry.registerClass(&otherTestAction);
}

struct Alert {
    QString title, message, button1, button2;
};

class FakeUtility : public QVUtilityClass {
public:
    bool isProcessLaunchedWithPathName(const QString& name) override { return running.contains(name); }
    int runAlertPanelWithTitle(const QString& title, const QString& message, const QString& b1, const QString& b2,
                               const QString&) override
    {
        alerts.append({title, message, b1, b2});
        return answer;
    }
    int typeForPath(const QString& path) override { return path == "/folder" ? 3 : 0; }

    QStringList running;
    QList<Alert> alerts;
    int answer = 0;
};

class FakeApplication : public QVEActionHostApplication {
public:
    void showHelpWithSubject(const QString& subject) override { helpSubjects.append(subject); }
    void arrangeInFront() override { ++arranged; }
    void addMissingPlugin(const QString& name) override { missing.append(name); }

    QStringList helpSubjects;
    int arranged = 0;
    QStringList missing;
};

// The action editor window, as far as the action sees it.
class FakeEditor : public QVEActionEditorInterface {
public:
    void displayWithAction(QVEAction* a) override
    {
        action = a;
        a->willEditInEditor(this, &view);
    }
    void makeFront() override { ++fronts; }
    QString possibleActionName() const override { return typedName; }
    void setPossibleActionName(const QString& name) override { proposedName = name; }
    void setPossibleActionImage(const QImage& image) override { proposedImage = image; }
    void setPossibleActionDescription(const QString& text) override { proposedDescription = text; }
    bool wantKeyEvent() override { return action && action->wantKeyEvent(); }
    void keyEvent(QKeyEvent* event) override
    {
        if (action)
            action->keyEvent(event);
    }
    void abortEditing(QObject*) override
    {
        ++aborts;
        action->setEditorRect(frame);
        action->abortEditing();
        action->releaseEditor();
    }

    QVEAction* action = nullptr;
    QWidget view;
    QRectF frame{100, 50, 420, 300};
    QString typedName, proposedName, proposedDescription;
    QImage proposedImage;
    int fronts = 0;
    int aborts = 0;
};

// A shortcut, menu or palette: drops one link per removeAuxObjects() call,
// unless its own editor is open.
class FakeUser : public QVEMainObject {
public:
    explicit FakeUser(bool editorOpen = false) : editorOpen(editorOpen) {}
    void removeAuxObjects(const QList<QVEAuxObject*>& objects) override
    {
        ++calls;
        if (editorOpen)
            return;
        for (QVEAuxObject* object : objects)
            object->removeLinkedObject(this);
    }
    bool editorOpen;
    int calls = 0;
};

// Each test starts with a fresh counter, the two test types registered, a
// fake QVUtility and application object, and an empty notification log.
class QVEActionTest : public TempHomeTest {
protected:
    void SetUp() override
    {
        // Twice: the first call also forgets the IDs that earlier tests read.
        QVEAction::setNextActionID(0);
        QVEAction::setNextActionID(0);
        registerTestClasses(ClassRegistry::shared());
        ClassRegistry::shared().registerClass(&utility);
        QVEAction::setApplicationObject(&app);
        platform = VirtualPlatform::current();
        ASSERT_NE(platform, nullptr) << "the tests run on the virtual backend";
        platform->clearPostedNotifications();
    }
    void TearDown() override
    {
        QVEAction::setApplicationObject(nullptr);
        ClassRegistry::shared().unregisterClass(QVUtilityClass::Name);
        ClassRegistry::shared().unregisterClass("TestAction");
        ClassRegistry::shared().unregisterClass("OtherTestAction");
        // Editors let go of by their actions are freed from the event loop.
        QCoreApplication::sendPostedEvents();
    }

    static QVariantMap testRecord(quint32 id, const QVariantMap& data = {{"Action", 2}, {"text", "a"}})
    {
        return {{"actionname", "Test"},
                {"actionclass", "TestAction"},
                {"actionID", qint64(id)},
                {"actiondata", data},
                {"actioneditorrect", "{{0, 0}, {0, 0}}"}};
    }
    std::shared_ptr<TestAction> makeTestAction(quint32 id = 5, const QVariantMap& data = {{"Action", 2}, {"text", "a"}})
    {
        return std::dynamic_pointer_cast<TestAction>(QVEAction::actionWithRecord(testRecord(id, data)));
    }

    FakeUtility utility;
    FakeApplication app;
    VirtualPlatform* platform = nullptr;
};

} // namespace zelk::test
