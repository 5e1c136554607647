#pragma once
// Fakes for the editing side's tests: the editor's QVUtility, the action
// editor window, the editor's application object, the Option key, and a
// temporary folder of desktop entries.
#include "QVEAction.h"
#include "QVUtilityClass.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <memory>
#include <ostream>

// Readable failure messages for Qt strings.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

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

// Registers a FakeUtility as "QVUtility" for its life.
class UtilityScope {
public:
    UtilityScope() { ClassRegistry::shared().registerClass(&utility); }
    ~UtilityScope() { ClassRegistry::shared().unregisterClass(QStringLiteral("QVUtility")); }
    FakeUtility utility;
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

// The built editor plug-in.
QString actionPanesPath();

} // namespace zelk::test
