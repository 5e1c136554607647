#pragma once
// QVAction: the base of every engine-side action type (libQVAction.so).
//
// One QVAction stands for one stored action record inside the engine. It
// keeps the name, ID and a small icon, runs on a thread of its own and
// reports the outcome to its QVActionController, and offers its subclasses
// class-wide services: localised strings, icons, simulated input events and
// forwarders to the host's QVUtility class.
//
// An action type is a subclass with a class object of its own, defined in
// one line and registered by name:
//
//   class KeyboardShortcut : public zelk::QVAction {
//       ZELK_ACTION_CLASS(KeyboardShortcut, QVAction)
//   public:
//       bool initWithDictionaryInLauncher(const QVariantMap& record) override;
//       QString runActionFromObject(const std::shared_ptr<zelk::QVActionController>& controller) override;
//   };
//   extern "C" ZELK_PLUGIN_EXPORT void zelkRegisterClasses(zelk::ClassRegistry& r)
//   { r.registerClass(&KeyboardShortcut::classObject()); }
//
// A type that overrides class operations derives its own class object from
// QVActionClassOf<Type, Super> and declares classObject()/actionClass() as
// the macro does.
//
// Actions are always held by std::shared_ptr: a run thread keeps its own
// references to the action and its controller until it ends.
#include "QVActionClass.h"
#include "QVActionController.h"
#include "QVActionHostApplication.h"

#include <QByteArray>
#include <QImage>
#include <QPointF>
#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <memory>
#include <mutex>

class QMenu;

namespace zelk {

class QVAction : public QVActionController, public std::enable_shared_from_this<QVAction> {
public:
    using Class = QVActionClass;
    static QString staticClassName() { return QStringLiteral("QVAction"); }
    // The framework's own class object, registered as "QVAction".
    static QVActionClass& classObject();
    // The class object of this action's class.
    virtual QVActionClass& actionClass() const;

    // Registers the framework's classes (idempotent; also done when the
    // library loads).
    static void registerFrameworkClasses();

    // Makes and initialises the action of the class named by the record's
    // "actionclass". When that class is not installed, a plain QVAction is
    // made that remembers the missing name and fails every run with an
    // error naming it. nullptr when the class's init refuses the record.
    static std::shared_ptr<QVAction> actionWithRecord(const QVariantMap& record);

    QVAction();
    ~QVAction() override;
    QVAction(const QVAction&) = delete;
    QVAction& operator=(const QVAction&) = delete;

    // "<class> (<hex identity>) { Name:'<name>' - ID = <id> }"
    QString description() const;

    // The action as its own controller (a stand-alone run).
    bool canGoRunning() override { return true; }
    bool canGoRunningAfterError(const QString& error) override;  // asks the class
    void stopRunning() override {}
    void setErrorWhenRunning(const QString& /*error*/, const std::shared_ptr<QVAction>& /*action*/) override {}
    void setActionTerminatesWithoutError(const std::shared_ptr<QVAction>& /*action*/) override {}

    QString localizedStr(const QString& key) const;

    // Reads "actionname" and "actionID" (unsigned 32-bit). Subclasses call
    // the base first, then read their "actiondata"; false refuses the record.
    virtual bool initWithDictionaryInLauncher(const QVariantMap& record);

    // The 16 x 16 icon, made on first request and kept.
    QImage imageValue() const;
    // A new image at size x size; the base answers the framework's default icon.
    virtual QImage imageValueWithSize(int size) const;

    QString nameValue() const { return m_name; }
    QString name() const { return m_name; }
    bool nameIsEqual(const QString& name) const { return name == m_name; }
    quint32 IDValue() const { return m_id; }
    bool IDIsEqual(quint32 id) const { return id == m_id; }

    // Seconds a controller waits for this action's outcome; 0 means the
    // controller's own default.
    virtual float runDelay() const { return 0; }
    // Whether a stand-alone run becomes the engine's most recent run.
    virtual bool addToRecent() const { return true; }

    // Stand-alone run: records the action as the most recent run when
    // addToRecent() says so, then runs it in the background with the
    // action as its own controller, and returns at once.
    void runObject();
    // The body of a run thread: the caller starts the thread. Reports the
    // outcome exactly once to the controller.
    void runActionFromObjectInThread(std::shared_ptr<QVActionController> controller);
    // The action's work: an empty string for success, else the error text
    // to show the user. The base does nothing and succeeds (a record whose
    // class is missing fails, naming the class).
    virtual QString runActionFromObject(const std::shared_ptr<QVActionController>& controller);

    // The scripting command that runs this action: traced when the host
    // asks for it, then runObject(). Answers nothing.
    QVariant runCommand(const QString& command, const QString& event);

    // The host's application object (not owned; nullptr for none).
    static void setApplicationObject(QVActionHostApplication* application);
    static QVActionHostApplication* applicationObject();

    // Icons of the framework's own bundle. defaultIcon is kept for the
    // process once loaded (a missing file is tried again next time).
    static QImage defaultIcon();
    static QImage unknownIconWithSize(int size);
    // The named resource (name with its extension) of a bundle; a null
    // image when the bundle has none.
    static QImage imageInBundle(const Bundle& bundle, const QString& name);

    // Forwarders to the host's QVUtility class, looked up on every call;
    // without one they answer 0, empty or false and do nothing.
    static int typeForPath(const QString& path);
    static int typeForTargetPath(const QString& path);
    static QString targetPath(const QString& path);
    static QByteArray FSRefForPath(const QString& path);
    static QString pathForFSRef(const QByteArray& ref);
    static QImage iconImageForPath(const QString& path, int withSize);
    static int runScript(const QString& script);
    static char asciiForKeycode(quint32 keycode);
    static QString modifierStringWithKeycode(quint32 keycode);
    static bool isTextFileAtPath(const QString& path);
    static QString stringWithPath(const QString& path);
    static void openPreferencePanel(const QString& name);
    static int runAlertPanelWithTitle(const QString& title, const QString& message, const QString& button1,
                                      const QString& button2, const QString& button3);
    static void displayFloatingMenu(QMenu* menu);
    static int typeAsciiChar(char c);
    // Types one Unicode character: 0 when typed, else nonzero (also when
    // there is no host: nothing was typed).
    static int typeCharacter(char32_t c);
    static quint32 asciiKeycodesForAsciiChar(char c);

    // Simulated input events (QVActionLowLevelEvents.cpp). Key words are
    // HotKeyCode values: key code in bits 0-6, modifier flags above.
    // Modifiers are pressed Command, Shift, Caps Lock, Option, Control and
    // released in reverse; the numeric-pad and function flags post nothing.
    static void postVirtualKeyEvent(uint16_t keyCode, bool keyDown);
    static void simulateKeyPressForKeycode(quint32 keycode, bool onlyModifiers);
    static void simulateKeyReleaseForKeycode(quint32 keycode, bool onlyModifiers);
    // Key-up for every held key but the modifiers 55 to 59.
    static void releaseAllNormalKeys();
    // Key-up for every key the engine still holds down (a key action's
    // press waiting for its release): on a stop and at the quit. Such a key
    // does not auto-repeat while held; each gets its repeat back.
    static void releaseHeldKeys();
    // Mouse operations answer the backend's error code, 0 on success.
    static int simulatePrimaryMouseButtonEventAt(const QPointF& point, bool buttonDown);
    static int simulateSecondaryMouseButtonEventAt(const QPointF& point, bool buttonDown);
    static int simulateMouseMoveEventAt(const QPointF& point);
    static int simulateMouseDragEventAt(const QPointF& point);
    static int simulateMouseEndDragEventAt(const QPointF& point);
    static void simulateNormalScrollWheel(int32_t amount);
    static void simulateAlternateScrollWheel(int32_t amount);
    // Brackets a burst of posting. Nested and concurrent brackets are
    // counted: the desktop leaves exclusive mode only when the last one ends.
    static void startBeingExclusiveSourceOfEvents();
    static void stopBeingExclusiveSourceOfEvents();
    // The class-wide saved modifier state (word 0, only-modifiers true at
    // start); last writer wins.
    static void saveModifierState(quint32 keycode, bool onlyModifiers);
    static void restoreModifierState();
    static void resetModifierState();

private:
    QString m_name;
    quint32 m_id = 0;
    mutable std::mutex m_imageMutex;
    mutable QImage m_image;
    // The stand-in for a class that is not installed remembers its name.
    bool m_classMissing = false;
    QString m_missingClassName;
};

// Posts one key event (no character) and logs a failure.
void PostVirtualKeyEvent(uint16_t keyCode, bool down);

// The class object of an action type Action whose superclass is Super.
template <class Action, class Super>
class QVActionClassOf : public Super::Class {
public:
    QString className() const override { return Action::staticClassName(); }
    QString superclassName() const override { return Super::staticClassName(); }
    std::shared_ptr<QVAction> make() const override { return std::make_shared<Action>(); }
};

} // namespace zelk

// Inside the body of an action type: its class object and the look-ups.
#define ZELK_ACTION_CLASS(Cls, Super)                                                                   \
public:                                                                                                \
    using Class = ::zelk::QVActionClassOf<Cls, Super>;                                                 \
    static QString staticClassName() { return QStringLiteral(#Cls); }                                  \
    static Class& classObject()                                                                        \
    {                                                                                                  \
        static Class object;                                                                           \
        return object;                                                                                 \
    }                                                                                                  \
    ::zelk::QVActionClass& actionClass() const override { return classObject(); }                      \
                                                                                                       \
private:
