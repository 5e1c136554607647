#pragma once
// Fakes for the editing side's tests: the editor's QVUtility (and the one
// the typing and key types use), the action editor window, the editor's
// application object, the Option key, a temporary folder of desktop
// entries, and the fixture of one action type's tests.
#include "ModifierFlags.h"
#include "Platform.h"
#include "QVEAction.h"
#include "QVUtilityClass.h"
#include "TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <memory>

namespace zelk::test {

// The editor's utility class: file references are "<inode>|<path>" and are
// followed by inode inside the recorded folder when the path is gone;
// applications are desktop entries; panels answer what the test queued.
class FakeUtility : public QVUtilityClass {
public:
    QByteArray FSRefForPath(const QString& path) override
    {
        const QFileInfo info(path);
        if (!info.exists())
            return {};
        return QByteArray::number(qulonglong(inodeOf(path))) + '|' + path.toUtf8();
    }
    QString pathForFSRef(const QByteArray& ref) override
    {
        const qsizetype bar = ref.indexOf('|');
        if (bar < 0)
            return {};
        const quint64 inode = ref.left(bar).toULongLong();
        const QString path = QString::fromUtf8(ref.mid(bar + 1));
        if (QFileInfo::exists(path) && inodeOf(path) == inode)
            return path;
        const QDir folder = QFileInfo(path).dir();
        for (const QFileInfo& entry : folder.entryInfoList(QDir::Files))
            if (inodeOf(entry.filePath()) == inode)
                return entry.filePath();
        return {};
    }
    int typeForTargetPath(const QString& path) override
    {
        if (!QFileInfo::exists(path))
            return 0;
        if (path.endsWith(QLatin1String(".desktop")))
            return 1;
        return QFileInfo(path).isDir() ? 3 : 2;
    }
    QString targetPath(const QString& path) override { return path; }
    QImage iconImageForPath(const QString& path, int size) override
    {
        if (!QFileInfo::exists(path))
            return {};
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::darkCyan);
        return image;
    }
    QString getApplicationFromPath(const QString& path) override
    {
        panelStarts.append(path);
        return panelAnswers.isEmpty() ? QString() : panelAnswers.takeFirst();
    }
    void openPreferencePanel(const QString& name) override { openedPanels.append(name); }
    int runAlertPanelWithTitle(const QString& title, const QString& message, const QString&, const QString&,
                               const QString&) override
    {
        alerts.append(title + " / " + message);
        return 1;
    }
    QStringList launchedAppPathArray() override { return launched; }
    QStringList recentAppPathArray() override { return recent; }

    QStringList panelAnswers;  // paths the application panel answers, in turn ("" cancels)
    QStringList panelStarts;
    QStringList openedPanels;
    QStringList alerts;
    QStringList launched;
    QStringList recent;

private:
    static quint64 inodeOf(const QString& path);
};

// The editor's utility class as the typing and key types use it: keys read
// from the (virtual) keyboard layout, modifier names, text files, and a
// document panel that answers what the test queued.
class KeyTypesUtility : public FakeUtility {
public:
    char asciiForKeycode(quint32 keycode) override
    {
        const quint16 shift = keystrokeModifiersOfHotKey(keycode) & (Keystroke::Shift | Keystroke::CapsLock);
        const QString text = Platform::instance().keyboardLayout().characterForKey(
            quint16(keycode & HotKey::KeyCodeMask), shift ? Keystroke::Shift : 0);
        return text.isEmpty() ? 0 : text.at(0).toLatin1();
    }
    QString modifierStringWithKeycode(quint32 keycode) override
    {
        QString names;
        for (const auto& [flag, name] : {std::pair{HotKey::Command, "Ctrl+"}, std::pair{HotKey::Option, "Alt+"},
                                         std::pair{HotKey::Control, "Super+"}, std::pair{HotKey::Shift, "Shift+"}})
            if (keycode & flag)
                names += QLatin1String(name);
        return names;
    }
    bool isTextFileAtPath(const QString& path) override { return path.endsWith(QLatin1String(".txt")); }
    QString stringWithPath(const QString& path) override
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString("");
    }
    QString getDocumentOfTypes(const QStringList& types, const QString& fromPath) override
    {
        documentTypes = types;
        documentStarts.append(fromPath);
        return documentAnswers.isEmpty() ? QString() : documentAnswers.takeFirst();
    }

    QStringList documentAnswers;  // paths the document panel answers, in turn ("" cancels)
    QStringList documentStarts;
    QStringList documentTypes;
};

// The action editor window: a name field, the proposed image and
// description, and the accessory area the type's view goes into.
class FakeEditor : public QVEActionEditorInterface {
public:
    void displayWithAction(QVEAction* action) override
    {
        accessory = std::make_unique<QWidget>();
        action->willEditInEditor(this, accessory.get());
        name = action->nameValue();
        description = action->descriptionValue();
    }
    void makeFront() override {}
    QString possibleActionName() const override { return name; }
    void setPossibleActionName(const QString& n) override { name = n; }
    void setPossibleActionImage(const QImage& i) override { image = i; }
    void setPossibleActionDescription(const QString& d) override { description = d; }
    bool wantKeyEvent() override { return false; }
    void keyEvent(QKeyEvent*) override {}
    void abortEditing(QObject*) override {}

    template <class T>
    T* control(const char* name) const
    {
        return accessory ? accessory->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    }

    std::unique_ptr<QWidget> accessory;
    QString name;
    QString description;
    QImage image;
};

// The editor's application object: remembers the missing plug-ins.
class FakeEditorApplication : public QVEActionHostApplication {
public:
    void addMissingPlugin(const QString& className) override { missing.append(className); }
    QStringList missing;
};

// Holds Option (Alt) down for its life, as the window system reports it.
class OptionKeyDown {
public:
    OptionKeyDown()
    {
        m_window.show();
        QTest::keyPress(&m_window, Qt::Key_Alt, Qt::AltModifier);
    }
    ~OptionKeyDown() { QTest::keyRelease(&m_window, Qt::Key_Alt, Qt::NoModifier); }

private:
    QWindow m_window;
};

// Writes a desktop entry; answers its path.
QString writeDesktopEntry(const QString& folder, const QString& fileName, const QString& name);

// Writes a file; answers its path.
QString writeFile(const QString& path, const QByteArray& contents);

// Chooses an item of a pop-up as the user does.
void choose(QComboBox* popUp, int index);

// A new action ID, unique in the test program.
qint64 nextActionID();

// The built editor plug-in.
QString actionPanesPath();

// The fixture of one action type's editing tests, with Utility registered
// as "QVUtility": the built plug-in loaded, the type's class object (cls),
// name suggestions off. make() answers an action of the type named
// actionName from its parameters; open() edits it in a fake editor window.
template <class Action, class ActionClass, class Utility = FakeUtility>
class PaneTypeTest : public TempHomeTest {
protected:
    PaneTypeTest(const char* className, const char* actionName)
        : m_className(QString::fromLatin1(className)), m_actionName(QString::fromLatin1(actionName))
    {
    }

    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(ClassRegistry::shared().loadPlugin(actionPanesPath(), nullptr, &error)) << error.toStdString();
        cls = ClassRegistry::shared().lookup<ActionClass>(m_className);
        ASSERT_NE(cls, nullptr);
        QVEAction::setSuggestNameNew(false);
        QVEAction::setSuggestNameModified(false);
    }

    std::shared_ptr<Action> make(const QVariantMap& data)
    {
        const QVariantMap record{{"actionname", m_actionName},
                                 {"actionclass", m_className},
                                 {"actionID", nextActionID()},
                                 {"actiondata", data}};
        return std::dynamic_pointer_cast<Action>(QVEAction::actionWithRecord(record));
    }

    std::shared_ptr<FakeEditor> open(const std::shared_ptr<Action>& action)
    {
        auto editor = std::make_shared<FakeEditor>();
        action->editInEditor(editor);
        return editor;
    }

    UtilityScope<Utility> scope;
    ActionClass* cls = nullptr;

private:
    QString m_className;
    QString m_actionName;
};

} // namespace zelk::test
