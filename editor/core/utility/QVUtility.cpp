#include "QVUtility.h"

#include "Bundle.h"
#include "EditorCommand.h"
#include "Log.h"
#include "ModelSupport.h"
#include "ModifierFlags.h"
#include "Platform.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QXmlStreamReader>

namespace editor {

namespace {

bool hasWidgets()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// The folder a panel starts in and the name it selects.
void startPanelAt(QFileDialog* panel, const QString& path, const QString& emptyFolder)
{
    if (path.isEmpty()) {
        panel->setDirectory(emptyFolder);
        return;
    }
    const QFileInfo info(path);
    panel->setDirectory(info.absolutePath());
    panel->selectFile(info.fileName());
}

} // namespace

QVUtility::QVUtility() = default;

QVUtility& QVUtility::sharedUtility()
{
    static QVUtility* utility = [] {
        auto* u = new QVUtility; // lives as long as the process, as the registry expects
        // Its texts and artwork are the editor application's.
        u->setBundle(zelk::Bundle::main());
        zelk::ClassRegistry::shared().registerClass(u);
        return u;
    }();
    return *utility;
}

// --- Paths -----------------------------------------------------------------------------

int QVUtility::typeForPath(const QString& path)
{
    const int type = QVUtilityShared::typeForPath(path);
    if (type == Document) {
        // A program without a desktop entry (/usr/bin/xterm) is still one.
        const QFileInfo info(path.size() > 1 && path.endsWith(u'/') ? path.chopped(1) : path);
        if (info.isFile() && info.isExecutable())
            return Application;
    }
    return type;
}

QString QVUtility::fullPathForApplication(const QString& name)
{
    if (name.isEmpty() || name.contains(u'/'))
        return {};
    return QStandardPaths::locate(QStandardPaths::ApplicationsLocation, name + QStringLiteral(".desktop"));
}

QString QVUtility::displayNameAtPath(const QString& path)
{
    if (path.isEmpty())
        return {};
    if (path.endsWith(QLatin1String(".desktop"))) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            bool inEntry = false;
            while (!file.atEnd()) {
                const QString line = QString::fromUtf8(file.readLine()).trimmed();
                if (line.startsWith(u'['))
                    inEntry = line == QLatin1String("[Desktop Entry]");
                else if (inEntry && line.startsWith(QLatin1String("Name=")))
                    return line.mid(5).trimmed();
            }
        }
    }
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

// --- Hot keys ----------------------------------------------------------------------------

bool QVUtility::isSystemHotkeycode(quint32 keycode)
{
    const quint32 combination = keycode & zelk::HotKey::SystemHotKeyCheckMask;
    zelk::HotKeyService& hotKeys = zelk::Platform::instance().hotKeys();
    std::call_once(m_desktopHotKeysRead, [&] {
        const QList<quint32> configured = hotKeys.desktopHotKeys();
        std::lock_guard lock(m_cacheMutex);
        for (quint32 code : configured)
            m_systemHotKeys.insert(code & zelk::HotKey::SystemHotKeyCheckMask, true);
    });
    {
        std::lock_guard lock(m_cacheMutex);
        if (auto it = m_systemHotKeys.constFind(combination); it != m_systemHotKeys.cend())
            return *it;
    }
    // A grab that another program already holds is refused; one we get is
    // given back at once.
    quint64 ref = 0;
    const int status = hotKeys.registerHotKey(combination, &ref);
    if (status == 0)
        hotKeys.unregisterHotKey(ref);
    const bool heldElsewhere = status == zelk::HotKeyService::ErrorGrabbedElsewhere;
    std::lock_guard lock(m_cacheMutex);
    m_systemHotKeys.insert(combination, heldElsewhere);
    return heldElsewhere;
}

void QVUtility::deactivateKeyCombo()
{
    // The engine's switch is one flag: only the first capture turns it.
    if (m_keyCaptures++ == 0)
        EditorCommand::post(EditorCommand::DeactivateKeyCombo, true);
}

void QVUtility::activateKeyCombo()
{
    if (m_keyCaptures == 0) {
        zelk::zlog("QVUtility", "activateKeyCombo") << "no capture to end";
        return;
    }
    if (--m_keyCaptures == 0)
        EditorCommand::post(EditorCommand::DeactivateKeyCombo, false);
}

// --- Images --------------------------------------------------------------------------------

QImage QVUtility::cachedImage(const QString& name)
{
    QImage image = imageWithName(name);
    if (image.isNull() && name == QLatin1String("empty")) {
        // Without the artwork an empty image is still an empty image.
        image = QImage(32, 32, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
    }
    return image;
}

QImage QVUtility::emptyImage() { return cachedImage(QStringLiteral("empty")); }
QImage QVUtility::emptyImageWithSize(int size) { return imageSized(emptyImage(), size); }
QImage QVUtility::unknownIconWithSize(int size) { return imageSized(cachedImage(QStringLiteral("unknown.tiff")), size); }
QImage QVUtility::ascendingSortImage() { return cachedImage(QStringLiteral("NSAscendingSortIndicator")); }
QImage QVUtility::descendingSortImage() { return cachedImage(QStringLiteral("NSDescendingSortIndicator")); }

QImage QVUtility::bitmapImageRepForImage(const QIcon& image, int withSize)
{
    if (image.isNull() || withSize <= 0)
        return {};
    const QList<QSize> sizes = image.availableSizes();
    QSize best;
    for (const QSize& s : sizes) {
        if (s == QSize(withSize, withSize))
            return image.pixmap(s).toImage();
        // A larger one only when both sides are larger.
        if (!best.isValid() || (s.width() > best.width() && s.height() > best.height()))
            best = s;
    }
    const QImage drawn = image.pixmap(best.isValid() ? best : QSize(withSize, withSize)).toImage();
    return drawn.scaled(withSize, withSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(drawn.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

// --- Open panels -------------------------------------------------------------------------------

QFileDialog* QVUtility::applicationPanelFromPath(const QString& path)
{
    setShowPathType(Application);
    auto* panel = new QFileDialog(nullptr, loc(QStringLiteral("ChoisirApplication")));
    panel->setAcceptMode(QFileDialog::AcceptOpen);
    panel->setFileMode(QFileDialog::ExistingFile);
    panel->setLabelText(QFileDialog::Accept, loc(QStringLiteral("Choisir")));
    panel->setNameFilter(QStringLiteral("*.desktop"));
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    startPanelAt(panel, path, folders.isEmpty() ? QDir::homePath() : folders.last());
    return panel;
}

QFileDialog* QVUtility::documentPanelOfTypes(const QStringList& types, const QString& fromPath)
{
    setShowPathType(Document);
    auto* panel = new QFileDialog(nullptr, loc(QStringLiteral("ChoisirDocument")));
    panel->setAcceptMode(QFileDialog::AcceptOpen);
    panel->setFileMode(QFileDialog::ExistingFile);
    panel->setLabelText(QFileDialog::Accept, loc(QStringLiteral("Choisir")));
    QStringList patterns;
    for (QString type : types) {
        type = type.trimmed();
        if (type.startsWith(u'.'))
            type.remove(0, 1);
        if (!type.isEmpty() && !type.startsWith(u'\''))
            patterns << QStringLiteral("*.") + type;
    }
    if (!patterns.isEmpty())
        panel->setNameFilter(patterns.join(u' '));
    startPanelAt(panel, fromPath, QDir::homePath());
    return panel;
}

QFileDialog* QVUtility::folderPanelFromPath(const QString& path)
{
    auto* panel = new QFileDialog(nullptr, loc(QStringLiteral("ChoisirDossier")));
    panel->setAcceptMode(QFileDialog::AcceptOpen);
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly, true);
    panel->setLabelText(QFileDialog::Accept, loc(QStringLiteral("Choisir")));
    startPanelAt(panel, path, QDir::homePath());
    return panel;
}

void QVUtility::setPanelAnswerer(std::function<QString(QFileDialog*)> answerer)
{
    m_panelAnswerer = std::move(answerer);
}

QString QVUtility::runPanel(QFileDialog* panel)
{
    std::unique_ptr<QFileDialog> owned(panel);
    if (m_panelAnswerer)
        return m_panelAnswerer(panel);
    if (!hasWidgets()) {
        zelk::zlog("QVUtility", "runPanel") << "no window system for" << panel->windowTitle();
        return {};
    }
    if (panel->exec() != QDialog::Accepted || panel->selectedFiles().isEmpty())
        return {};
    return panel->selectedFiles().first();
}

QString QVUtility::savePanelPath(const QString& title, const QString& proposedName, const QStringList& types)
{
    auto* panel = new QFileDialog;
    panel->setAcceptMode(QFileDialog::AcceptSave);
    panel->setFileMode(QFileDialog::AnyFile);
    panel->setWindowTitle(title);
    QStringList patterns;
    for (const QString& type : types)
        patterns << QStringLiteral("*.") + type;
    panel->setNameFilters({patterns.join(u' '), QStringLiteral("*")});
    if (!types.isEmpty())
        panel->setDefaultSuffix(types.first());
    panel->selectFile(proposedName);
    return runPanel(panel);
}

QStringList QVUtility::openPanelPaths(const QString& title, const QString& prompt, const QStringList& types)
{
    auto* panel = new QFileDialog;
    panel->setAcceptMode(QFileDialog::AcceptOpen);
    panel->setFileMode(QFileDialog::ExistingFiles);
    panel->setWindowTitle(title);
    panel->setLabelText(QFileDialog::Accept, prompt);
    QStringList patterns;
    for (const QString& type : types)
        patterns << QStringLiteral("*.") + type;
    panel->setNameFilter(patterns.join(u' '));
    std::unique_ptr<QFileDialog> owned(panel);
    if (m_panelAnswerer) {
        const QString answer = m_panelAnswerer(panel);
        return answer.isEmpty() ? QStringList{} : answer.split(u'\n', Qt::SkipEmptyParts);
    }
    if (!hasWidgets()) {
        zelk::zlog("QVUtility", "openPanelPaths") << "no window system for" << title;
        return {};
    }
    if (panel->exec() != QDialog::Accepted)
        return {};
    return panel->selectedFiles();
}

QWidget* QVUtility::openApplicationPanel() { return applicationPanelFromPath({}); }
QWidget* QVUtility::openDocumentPanel() { return documentPanelOfTypes({}, {}); }

QString QVUtility::getApplicationFromPath(const QString& path) { return runPanel(applicationPanelFromPath(path)); }

QString QVUtility::getDocumentOfTypes(const QStringList& types, const QString& fromPath)
{
    return runPanel(documentPanelOfTypes(types, fromPath));
}

QString QVUtility::getFolderFromPath(const QString& path) { return runPanel(folderPanelFromPath(path)); }

// --- Processes -----------------------------------------------------------------------------------

qint64 QVUtility::PSNOfProcessWithName(const QString& name)
{
    for (const zelk::RunningApplication& app : zelk::Platform::instance().workspace().runningApplications()) {
        if (app.name == name || bundleBaseName(app.name) == name)
            return app.pid;
    }
    return 0;
}

void QVUtility::quitProcessWithName(const QString& name)
{
    if (const qint64 pid = PSNOfProcessWithName(name))
        zelk::Platform::instance().workspace().quit(pid);
}

QStringList QVUtility::launchedAppPathArray()
{
    QStringList paths;
    for (const zelk::RunningApplication& app : zelk::Platform::instance().workspace().runningApplications()) {
        if (!app.background)
            paths << app.path;
    }
    return paths;
}

QStringList QVUtility::recentAppPathArray()
{
    // The desktop's list of recent files names the applications that
    // opened them.
    const QString list = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/recently-used.xbel");
    QFile file(list);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList paths;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (!xml.readNextStartElement() || xml.name() != QLatin1String("application"))
            continue;
        const QString name = xml.attributes().value(QStringLiteral("name")).toString();
        QString path = fullPathForApplication(name);
        if (path.isEmpty()) {
            // No entry of that name: the program its command starts.
            const QString exec = xml.attributes().value(QStringLiteral("exec")).toString().remove(u'\'').section(u' ', 0, 0);
            path = exec.isEmpty() ? QString() : QStandardPaths::findExecutable(exec);
        }
        if (name.isEmpty())
            zelk::zlog("QVUtility", "recentAppPathArray") << "bookmarkData Not valued" << xml.attributes().value(QStringLiteral("exec"));
        else if (!path.isEmpty() && !paths.contains(path))
            paths << path;
    }
    return paths;
}

QString QVUtility::frontAppName()
{
    const std::optional<zelk::RunningApplication> front = zelk::Platform::instance().workspace().frontApplication();
    return front ? bundleBaseName(front->name) : QString("");
}

zelk::AXElement QVUtility::frontProcApp()
{
    zelk::Platform& platform = zelk::Platform::instance();
    const std::optional<zelk::RunningApplication> front = platform.workspace().frontApplication();
    return front ? platform.accessibility().applicationElement(front->pid) : nullptr;
}

zelk::AXElement QVUtility::frontProcMainWindow()
{
    const zelk::AXElement application = frontProcApp();
    return application ? zelk::Platform::instance().accessibility().focusedWindow(application) : nullptr;
}

bool QVUtility::frontAppHasWindowTitleStarts(const QString& text, bool ignoreCase)
{
    const std::optional<zelk::FocusedWindow> window = zelk::Platform::instance().workspace().focusedWindow();
    if (!window || !window->hasTitle)
        return false;
    return window->title.startsWith(text, ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive);
}

// --- Alerts, sounds, menus ----------------------------------------------------------------------

void QVUtility::setAlertAnswerer(AlertAnswerer answerer)
{
    m_alertAnswerer = std::move(answerer);
}

int QVUtility::runAlertPanelWithTitle(const QString& title, const QString& message, const QString& button1,
                                      const QString& button2, const QString& button3)
{
    if (m_alertAnswerer)
        return m_alertAnswerer(title, message, button1, button2, button3);
    if (!hasWidgets()) {
        zelk::zlog("QVUtility", "runAlertPanelWithTitle") << "no window system for the alert" << title << message;
        return 0;
    }
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Zelk Editor"));
    box.setText(title);
    box.setInformativeText(message);
    QPushButton* first = box.addButton(button1.isEmpty() ? QStringLiteral("OK") : button1, QMessageBox::AcceptRole);
    QPushButton* second = button2.isEmpty() ? nullptr : box.addButton(button2, QMessageBox::RejectRole);
    QPushButton* third = button3.isEmpty() ? nullptr : box.addButton(button3, QMessageBox::DestructiveRole);
    box.setDefaultButton(first);
    box.setEscapeButton(second ? second : first);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    return clicked == first ? 1 : (third && clicked == third) ? -1 : 0;
}

void QVUtility::displayNotImplemented()
{
    runAlertPanelWithTitle(loc(QStringLiteral("NotImplemented1")), loc(QStringLiteral("NotImplemented2")),
                           QStringLiteral("OK"), {}, {});
}

void QVUtility::playSound(const QString& name)
{
    QByteArray sound;
    {
        std::lock_guard lock(m_cacheMutex);
        auto it = m_sounds.find(name);
        if (it == m_sounds.end()) {
            const zelk::Bundle b = bundle().isValid() ? bundle() : zelk::Bundle::main();
            QFile file(b.pathForResource(name, QStringLiteral("wav")));
            it = m_sounds.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
            if (it->isEmpty())
                zelk::zlog("QVUtility", "playSound") << "no sound" << name;
        }
        sound = *it;
    }
    // Without the sound the desktop's bell says the same.
    if (sound.isEmpty() || !zelk::Platform::instance().sound().play(sound, name + QStringLiteral(".wav"))) {
        if (hasWidgets())
            QApplication::beep();
    }
}

void QVUtility::playClicSound() { playSound(QStringLiteral("clic")); }

void QVUtility::playFailSound() { playSound(QStringLiteral("fail")); }

void QVUtility::displayFloatingMenu(QMenu* menu)
{
    displayFloatingMenu(menu, QCursor::pos());
}

void QVUtility::displayFloatingMenu(QMenu* menu, const QPoint& atPoint)
{
    if (!menu || !hasWidgets())
        return;
    // The chosen entry's own action runs; nothing to wait for here.
    menu->popup(atPoint);
}

// --- Geometry ------------------------------------------------------------------------------------------

QRectF QVUtility::bestRectFromRect(const QRectF& rect, const QRectF& bounds, const QSizeF& size)
{
    // In the order the original checks ran, so that the right edge and the
    // top (under the menu bar, y growing downwards here) win for a rectangle
    // larger than the bounds.
    QRectF best(rect.topLeft(), size);
    if (best.x() < bounds.x())
        best.moveLeft(bounds.x());
    if (best.y() + best.height() > bounds.y() + bounds.height())
        best.moveTop(bounds.y() + bounds.height() - best.height());
    if (best.x() + best.width() > bounds.x() + bounds.width())
        best.moveLeft(bounds.x() + bounds.width() - best.width());
    if (best.y() < bounds.y() + 20)
        best.moveTop(bounds.y() + 20);
    return best;
}

QPointF QVUtility::centerPointOfRow(int row, QTableView* inTableView)
{
    if (!inTableView || !inTableView->model() || row < 0 || row >= inTableView->model()->rowCount())
        return {};
    const int y = inTableView->rowViewportPosition(row) + inTableView->rowHeight(row) / 2;
    const int x = inTableView->viewport()->width() / 2;
    return QPointF(inTableView->viewport()->mapToGlobal(QPoint(x, y)));
}

} // namespace editor
