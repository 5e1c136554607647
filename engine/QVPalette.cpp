#include "QVPalette.h"

#include "Geometry.h"
#include "Log.h"
#include "MainThread.h"
#include "PaletteLayout.h"
#include "QVAction.h"
#include "QVActionsManager.h"
#include "QVLauncher.h"
#include "QVPalettePanel.h"
#include "QVShortcut.h"
#include "QVShortcutsManager.h"
#include "ScreenGeometry.h"

#include <QApplication>
#include <QTimer>
#include <cmath>

namespace engine {

namespace {

bool hasWidgets() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

// A panel this high or less is not collapsed: it is about a title bar high.
constexpr int kCollapsibleHeight = 20;

int intValue(const QVariantMap& record, const char* key) { return record.value(QLatin1String(key)).toInt(); }

} // namespace

std::atomic<float> QVPalette::s_deactivateDelay{0};

QVPalette::QVPalette() = default;

QVPalette::~QVPalette()
{
    // The palette may go on another thread than the one its panel belongs to.
    if (m_panel)
        m_panel->deleteLater();
}

// --- Building -----------------------------------------------------------------------------

bool QVPalette::initWithDictionaryInLauncher(const QVariantMap& record)
{
    m_isCollapsed = false;
    m_name = record.value(QStringLiteral("palettename")).toString();
    m_id = quint32(record.value(QStringLiteral("paletteID")).toLongLong());
    m_showActive = record.value(QStringLiteral("paletteshowactive")).toBool();
    const int origin = intValue(record, "palettelocationorigin");
    const QPointF location = zelk::pointFromString(record.value(QStringLiteral("palettelocation")).toString());
    m_titleOutside = record.value(QStringLiteral("palettetitleoutside")).toBool();
    m_outsideTransparency = intValue(record, "paletteoutsidetransparency");
    const int itemsInWidth = intValue(record, "paletteitemsinwidth");
    const int itemsType = intValue(record, "paletteitemstype");
    const int imageSize = intValue(record, "paletteitemsimagesize");
    const int fontSize = intValue(record, "paletteitemsfontsize");

    QList<Object> objects;
    for (const QVariant& value : record.value(QStringLiteral("paletteitems")).toList()) {
        const QVariantMap item = value.toMap();
        if (!item.value(QStringLiteral("paletteitemactive")).toBool())
            continue;
        const QVariantMap params = item.value(QStringLiteral("paletteitemparams")).toMap();
        const int type = item.value(QStringLiteral("paletteitemtype")).toInt();
        Object object;
        if (type == 1) {
            const quint32 id = quint32(params.value(QStringLiteral("paletteitemshortcutID")).toLongLong());
            std::shared_ptr<QVShortcut> shortcut = QVShortcutsManager::sharedManager().shortcutWithID(id);
            if (!shortcut) {
                zelk::zlog("QVPalette", "initWithDictionaryInLauncher")
                    << QStringLiteral("QVPalette initWithDictionaryInLauncher: '%1' no shortcut %2: item left out").arg(m_name).arg(id)
                    << item;
                continue;
            }
            object.name = shortcut->nameValue();
            object.image = [shortcut](int size) { return shortcut->imageValueWithSize(size); };
            object.run = [weak = std::weak_ptr<QVShortcut>(shortcut)] {
                if (const std::shared_ptr<QVShortcut> s = weak.lock())
                    s->runObject();
            };
            object.shortcut = shortcut;
        } else if (type == 2) {
            const quint32 id = quint32(params.value(QStringLiteral("paletteitemactionID")).toLongLong());
            std::shared_ptr<zelk::QVAction> action = QVActionsManager::sharedManager().actionWithID(id);
            if (!action) {
                zelk::zlog("QVPalette", "initWithDictionaryInLauncher")
                    << QStringLiteral("QVPalette initWithDictionaryInLauncher: '%1' no action %2: item left out").arg(m_name).arg(id)
                    << item;
                continue;
            }
            object.name = action->nameValue();
            object.image = [action](int size) { return action->imageValueWithSize(size); };
            object.run = [weak = std::weak_ptr<zelk::QVAction>(action)] {
                if (const std::shared_ptr<zelk::QVAction> a = weak.lock())
                    a->runObject();
            };
        } else {
            continue;
        }
        objects.append(object);
    }

    if (m_panel)
        m_panel->deleteLater();
    m_panel = paletteForItems(objects, m_name, location, origin, itemsType, itemsInWidth, imageSize, fontSize);
    m_paletteHeight = m_panel ? m_panel->geometry().height() : 0;

    std::shared_ptr<QVLinkedObject> self = weak_from_this().lock();
    if (!self)
        zelk::zlog("QVPalette", "initWithDictionaryInLauncher") << "not held by a shared pointer: no links for" << m_name;
    if (m_panel && self) {
        const std::weak_ptr<QVPalette> weak = std::static_pointer_cast<QVPalette>(self);
        m_panel->setPointerHandler([weak](bool inside) {
            if (const std::shared_ptr<QVPalette> palette = weak.lock())
                inside ? palette->mouseEntered() : palette->mouseExited();
        });
        m_panel->setCloseHandler([weak] {
            if (const std::shared_ptr<QVPalette> palette = weak.lock())
                palette->windowShouldClose();
        });
    }
    m_links.link(record, QStringLiteral("palettelaunchers"), QStringLiteral("palettecontexts"), self);
    return true;
}

QVPalettePanel* QVPalette::paletteForItems(const QList<Object>& objects, const QString& named, const QPointF& location,
                                           int locationOrigin, int itemType, int itemsInWidth, int imageSize,
                                           int fontSize)
{
    if (!hasWidgets()) {
        zelk::zlog("QVPalette", "paletteForItems") << "no window system: palette" << named << "has no panel";
        return nullptr;
    }
    if (!checkMainThread("QVPalette", "paletteForItems"))
        return nullptr;
    using zelk::PaletteLayout;
    QStringList titles;
    for (const Object& object : objects)
        titles << object.name;
    const QSizeF titleSize = PaletteLayout::showsTitle(itemType) ? PaletteLayout::largestTitleSize(titles, fontSize) : QSizeF();
    const PaletteLayout layout = PaletteLayout::layout(int(objects.size()), itemsInWidth, itemType, titleSize, imageSize,
                                                       location, locationOrigin, zelk::mainScreenSize());
    const QFont font = PaletteLayout::titleFont(fontSize);

    auto* panel = new QVPalettePanel(named);
    const QRectF frame = layout.contentFrame;
    // A window has at least one point each way, even without buttons.
    panel->setGeometry(QRect(QPoint(int(std::floor(frame.x())), int(std::floor(frame.y()))),
                             QSize(std::max(1, int(std::ceil(frame.width()))), std::max(1, int(std::ceil(frame.height()))))));
    for (qsizetype i = 0; i < objects.size(); ++i) {
        const Object& object = objects.at(i);
        const QImage image = PaletteLayout::showsImage(itemType) && object.image ? object.image(imageSize) : QImage();
        auto* button = new QVPaletteButton(itemType, object.name, image, titleSize, imageSize, font, panel);
        const QRectF cell = layout.buttons.at(i);
        button->setGeometry(QRect(QPoint(int(cell.x()), int(cell.y())),
                                  QSize(int(std::ceil(cell.width())), int(std::ceil(cell.height())))));
        QObject::connect(button, &QAbstractButton::clicked, button, [run = object.run] {
            if (run)
                run();
        });
        if (object.shortcut) {
            // The shortcut switches its buttons with its activation.
            object.shortcut->addButton(button);
            button->setEnabled(object.shortcut->isActive());
        }
    }
    return panel;
}

void QVPalette::beforeDealloc() { m_links.unlink(this); }

// --- Activation ------------------------------------------------------------------------------

void QVPalette::setObjectActivated(bool activated)
{
    if (!m_activation.push(activated))
        return;
    std::shared_ptr<QVPalette> self = std::static_pointer_cast<QVPalette>(weak_from_this().lock());
    if (activated) {
        if (m_showActive && self)
            zelk::MainThread::run([self] { self->showPalette(); }, false);
        m_links.switchLaunchers(this, true);
    } else {
        m_links.switchLaunchers(this, false);
        if (self)
            zelk::MainThread::run([self] { self->hidePalette(); }, false);
    }
}

void QVPalette::runObject()
{
    if (!isActive())
        return;
    std::shared_ptr<QVPalette> self = std::static_pointer_cast<QVPalette>(weak_from_this().lock());
    if (!self)
        return;
    zelk::MainThread::run([self] {
        if (self->isVisible())
            self->hidePalette();
        else
            self->showPalette();
    }, false);
}

// --- Showing ------------------------------------------------------------------------------------

bool QVPalette::isVisible() const { return m_panel && m_panel->isVisible(); }

double QVPalette::outsideAlpha() const { return (100 - m_outsideTransparency) / 100.0; }

void QVPalette::resizeBy(bool collapse)
{
    const int d = int(std::lround(m_paletteHeight)) - 1;
    if (!m_panel || d <= 0)
        return;
    QRect frame = m_panel->geometry();
    if (collapse) {
        frame.setHeight(std::max(1, frame.height() - d));
    } else {
        // Grows downwards, unless that would take it past the screen's bottom.
        const int height = frame.height() + d;
        int top = frame.top();
        const int screenHeight = int(zelk::mainScreenSize().height());
        if (screenHeight > 0 && top + height > screenHeight)
            top = std::max(0, screenHeight - height);
        frame = QRect(frame.left(), top, frame.width(), height);
    }
    m_panel->setGeometry(frame);
}

void QVPalette::showPalette()
{
    if (!m_panel || !checkMainThread("QVPalette", "showPalette") || m_panel->isVisible())
        return;
    if (m_titleOutside && !m_isCollapsed && m_panel->frameGeometry().height() > kCollapsibleHeight) {
        resizeBy(true);
        m_isCollapsed = true;
    }
    m_panel->addTrackingArea(false);
    m_panel->setWindowOpacity(outsideAlpha());
    m_pointerEntered = false;
    m_pointerToExit = false;
    m_panel->show();
    m_panel->raise();
}

void QVPalette::hidePalette()
{
    if (!m_panel || !checkMainThread("QVPalette", "hidePalette") || !m_panel->isVisible())
        return;
    m_panel->removeTrackingArea();
    m_panel->close();
}

bool QVPalette::windowShouldClose()
{
    if (m_panel)
        m_panel->removeTrackingArea();
    return true;
}

void QVPalette::mouseEntered()
{
    m_pointerEntered = true;
    if (m_pointerToExit) {
        // Back before the delay ran out: the panel stays as it is.
        m_pointerToExit = false;
        return;
    }
    pointerEnterPalette();
}

void QVPalette::mouseExited()
{
    if (m_pointerToExit)
        return;
    m_pointerEntered = false;
    m_pointerToExit = true;
    std::shared_ptr<QVPalette> self = std::static_pointer_cast<QVPalette>(weak_from_this().lock());
    if (!self || !m_panel)
        return;
    QTimer::singleShot(int(std::lround(std::max(0.0f, deactivateDelay()) * 1000)), m_panel.data(),
                       [weak = std::weak_ptr<QVPalette>(self)] {
                           if (const std::shared_ptr<QVPalette> palette = weak.lock())
                               palette->pointerExitPalette();
                       });
}

void QVPalette::pointerEnterPalette()
{
    if (!m_panel)
        return;
    m_panel->setWindowOpacity(1.0);
    if (m_titleOutside && m_isCollapsed) {
        m_panel->removeTrackingArea();
        resizeBy(false);
        m_panel->addTrackingArea(true);
    }
    m_isCollapsed = false;
}

void QVPalette::pointerExitPalette()
{
    if (m_pointerEntered || !m_panel)
        return;
    if (m_titleOutside && !m_isCollapsed) {
        m_panel->removeTrackingArea();
        resizeBy(true);
        m_panel->addTrackingArea(false);
        m_isCollapsed = true;
    }
    m_panel->setWindowOpacity(outsideAlpha());
    m_pointerToExit = false;
}

void QVPalette::showCommand(const QString& command, const QString& event)
{
    if (traceAppEng()) {
        qInfo().noquote() << "AppleScript command:" << command;
        qInfo().noquote() << "AppleEvent:" << event;
    }
    showPalette();
}

void QVPalette::hideCommand(const QString& command, const QString& event)
{
    if (traceAppEng()) {
        qInfo().noquote() << "AppleScript command:" << command;
        qInfo().noquote() << "AppleEvent:" << event;
    }
    hidePalette();
}

QString QVPalette::description() const
{
    return QStringLiteral("QVPalette (%1) { ID %2, Name:'%3' }").arg(QString::number(quintptr(this), 16)).arg(m_id).arg(m_name);
}

void QVPalette::setDeactivateDelay(float seconds) { s_deactivateDelay = seconds; }

float QVPalette::deactivateDelay() { return s_deactivateDelay; }

} // namespace engine
