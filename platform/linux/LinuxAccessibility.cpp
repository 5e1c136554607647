#include "LinuxAccessibility.h"

#include "Log.h"
#include "MainThread.h"
#include "Platform.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QObject>
#include <QRectF>
#include <QSet>
#include <algorithm>
#include <atomic>

namespace zelk {

namespace {

const QString kRegistry = QStringLiteral("org.a11y.atspi.Registry");
const QString kRootPath = QStringLiteral("/org/a11y/atspi/accessible/root");
const QString kNullPath = QStringLiteral("/org/a11y/atspi/null");
const QString kAccessible = QStringLiteral("org.a11y.atspi.Accessible");
const QString kComponent = QStringLiteral("org.a11y.atspi.Component");
const QString kAction = QStringLiteral("org.a11y.atspi.Action");
const QString kValue = QStringLiteral("org.a11y.atspi.Value");
const QString kText = QStringLiteral("org.a11y.atspi.Text");
// A program that hangs must not hold a run for long.
constexpr int kTimeoutMs = 2000;
constexpr quint32 kScreenCoords = 0;
constexpr uint16_t kEscapeKey = 53;

// AT-SPI state bits.
enum State { Active = 1, Checked = 4, Enabled = 8, Focused = 12, Selected = 23, Sensitive = 24, Showing = 25 };

struct Ref {
    QString service;
    QString path;
    bool isNull() const { return service.isEmpty() || path.isEmpty() || path == kNullPath; }
};

Ref refOf(const QDBusArgument& arg)
{
    Ref ref;
    QDBusObjectPath path;
    arg.beginStructure();
    arg >> ref.service >> path;
    arg.endStructure();
    ref.path = path.path();
    return ref;
}

QList<Ref> refsOf(const QDBusArgument& arg)
{
    QList<Ref> refs;
    arg.beginArray();
    while (!arg.atEnd())
        refs.append(refOf(arg));
    arg.endArray();
    return refs;
}

QVariant unwrap(const QVariant& v)
{
    return v.canConvert<QDBusVariant>() ? v.value<QDBusVariant>().variant() : v;
}

bool isMenuItemRole(const QString& name)
{
    return name == QLatin1String("menu item") || name == QLatin1String("check menu item")
        || name == QLatin1String("radio menu item") || name == QLatin1String("tearoff menu item")
        || name == QLatin1String("menu");
}

} // namespace

// The accessibility bus and what listens on it.
struct LinuxAccessibility::Bus : std::enable_shared_from_this<Bus> {
    QDBusConnection connection{QString()};
    EventPoster* events = nullptr;
    ObserverList<QString, MenuNotification, AXElement> menuObservers;
    QObject* receiver = nullptr; // lives on the main thread
    std::mutex mutex;
    QHash<QString, int> showingMenus;   // per application service
    QHash<QString, Ref> lastItem;       // the menu item last highlighted
    bool listening = false;

    std::optional<QDBusMessage> call(const Ref& ref, const QString& iface, const QString& method, const QVariantList& args = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(ref.service, ref.path, iface, method);
        message.setArguments(args);
        const QDBusMessage reply = connection.call(message, QDBus::Block, kTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return std::nullopt;
        return reply;
    }
    std::optional<QVariant> property(const Ref& ref, const QString& iface, const QString& name)
    {
        const auto reply = call(ref, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), {iface, name});
        if (!reply || reply->arguments().isEmpty())
            return std::nullopt;
        return unwrap(reply->arguments().constFirst());
    }
    std::optional<QString> roleName(const Ref& ref)
    {
        const auto reply = call(ref, kAccessible, QStringLiteral("GetRoleName"));
        if (!reply || reply->arguments().isEmpty())
            return std::nullopt;
        return reply->arguments().constFirst().toString();
    }
    std::optional<quint64> states(const Ref& ref)
    {
        const auto reply = call(ref, kAccessible, QStringLiteral("GetState"));
        if (!reply || reply->arguments().isEmpty())
            return std::nullopt;
        QList<quint32> words;
        const QDBusArgument arg = reply->arguments().constFirst().value<QDBusArgument>();
        arg >> words;
        quint64 bits = 0;
        for (int i = 0; i < words.size() && i < 2; ++i)
            bits |= quint64(words.at(i)) << (32 * i);
        return bits;
    }
    static bool has(std::optional<quint64> bits, State state) { return bits && (*bits >> state) & 1; }
    std::optional<Ref> parent(const Ref& ref)
    {
        const auto v = property(ref, kAccessible, QStringLiteral("Parent"));
        if (!v)
            return std::nullopt;
        return refOf(v->value<QDBusArgument>());
    }
    std::optional<QList<Ref>> children(const Ref& ref)
    {
        const auto reply = call(ref, kAccessible, QStringLiteral("GetChildren"));
        if (!reply || reply->arguments().isEmpty())
            return std::nullopt;
        return refsOf(reply->arguments().constFirst().value<QDBusArgument>());
    }
    std::optional<QRectF> extents(const Ref& ref)
    {
        const auto reply = call(ref, kComponent, QStringLiteral("GetExtents"), {kScreenCoords});
        if (!reply || reply->arguments().isEmpty())
            return std::nullopt;
        int x = 0, y = 0, w = 0, h = 0;
        const QDBusArgument arg = reply->arguments().constFirst().value<QDBusArgument>();
        arg.beginStructure();
        arg >> x >> y >> w >> h;
        arg.endStructure();
        return QRectF(x, y, w, h);
    }
    std::optional<double> number(const Ref& ref, const QString& name)
    {
        const auto v = property(ref, kValue, name);
        if (!v || !v->canConvert<double>())
            return std::nullopt;
        return v->toDouble();
    }
    qint64 pidOf(const QString& service)
    {
        const QDBusReply<uint> reply = connection.interface()->servicePid(service);
        return reply.isValid() ? qint64(reply.value()) : 0;
    }

    void listen();
    void stateChanged(const QDBusMessage& message);
};

namespace {

class LinuxElement : public AccessibleElement {
public:
    // A plain AT-SPI object, the menu that an item holding its own items
    // shows, or the value indicator of a slider.
    enum Kind { Plain, MenuOfItem, ValueIndicator };

    LinuxElement(std::shared_ptr<LinuxAccessibility::Bus> bus, Ref ref, Kind kind = Plain)
        : m_bus(std::move(bus)), m_ref(std::move(ref)), m_kind(kind)
    {
    }
    const Ref& ref() const { return m_ref; }

    std::optional<QString> role() override
    {
        if (m_kind == MenuOfItem)
            return AXRole::Menu;
        if (m_kind == ValueIndicator)
            return AXRole::ValueIndicator;
        const auto name = m_bus->roleName(m_ref);
        if (!name)
            return std::nullopt;
        return axRole(*name);
    }
    std::optional<QString> title() override
    {
        if (m_kind == ValueIndicator)
            return QString();
        const auto v = m_bus->property(m_ref, kAccessible, QStringLiteral("Name"));
        if (!v)
            return std::nullopt;
        return v->toString();
    }
    std::optional<QVariant> value() override
    {
        if (m_kind != Plain)
            return std::nullopt;
        const auto name = m_bus->roleName(m_ref);
        if (!name)
            return std::nullopt;
        if (name->contains(QLatin1String("check")) || name->contains(QLatin1String("radio"))
            || *name == QLatin1String("toggle button")) {
            const auto bits = m_bus->states(m_ref);
            if (!bits)
                return std::nullopt;
            return QVariant(LinuxAccessibility::Bus::has(bits, Checked) ? 1.0 : 0.0);
        }
        if (*name == QLatin1String("text") || *name == QLatin1String("entry") || *name == QLatin1String("password text")) {
            const auto reply = m_bus->call(m_ref, kText, QStringLiteral("GetText"), {0, -1});
            if (!reply || reply->arguments().isEmpty())
                return std::nullopt;
            return QVariant(reply->arguments().constFirst().toString());
        }
        // Values count from the minimum, so that value / maximum is the
        // fraction the system's callers take it for.
        const auto current = m_bus->number(m_ref, QStringLiteral("CurrentValue"));
        if (!current)
            return std::nullopt;
        return QVariant(*current - m_bus->number(m_ref, QStringLiteral("MinimumValue")).value_or(0));
    }
    std::optional<double> maxValue() override
    {
        if (m_kind != Plain)
            return std::nullopt;
        const auto max = m_bus->number(m_ref, QStringLiteral("MaximumValue"));
        if (!max)
            return std::nullopt;
        return *max - m_bus->number(m_ref, QStringLiteral("MinimumValue")).value_or(0);
    }
    std::optional<bool> enabled() override
    {
        const auto bits = m_bus->states(m_ref);
        if (!bits)
            return std::nullopt;
        return LinuxAccessibility::Bus::has(bits, Enabled) || LinuxAccessibility::Bus::has(bits, Sensitive);
    }
    std::optional<QPointF> position() override
    {
        const auto r = frame();
        return r ? std::optional<QPointF>(r->topLeft()) : std::nullopt;
    }
    std::optional<QSizeF> size() override
    {
        const auto r = frame();
        return r ? std::optional<QSizeF>(r->size()) : std::nullopt;
    }
    AXElement parent() override
    {
        if (m_kind != Plain)
            return std::make_shared<LinuxElement>(m_bus, m_ref);
        const auto p = m_bus->parent(m_ref);
        // An application's parent is the desktop, which is no element here.
        if (!p || p->isNull() || p->service == kRegistry || m_ref.path == kRootPath)
            return nullptr;
        const auto name = m_bus->roleName(*p);
        return std::make_shared<LinuxElement>(m_bus, *p, name && *name == QLatin1String("menu") ? MenuOfItem : Plain);
    }
    std::optional<QList<AXElement>> children() override
    {
        if (m_kind == ValueIndicator)
            return QList<AXElement>();
        if (m_kind == Plain) {
            const auto name = m_bus->roleName(m_ref);
            if (name && *name == QLatin1String("menu"))
                return QList<AXElement>{std::make_shared<LinuxElement>(m_bus, m_ref, MenuOfItem)};
            if (name && *name == QLatin1String("slider"))
                return QList<AXElement>{std::make_shared<LinuxElement>(m_bus, m_ref, ValueIndicator)};
        }
        const auto refs = m_bus->children(m_ref);
        if (!refs)
            return std::nullopt;
        QList<AXElement> list;
        for (const Ref& child : *refs)
            if (!child.isNull())
                list.append(std::make_shared<LinuxElement>(m_bus, child));
        return list;
    }
    bool performAction(const QString& action) override
    {
        if (action == AXAction::Cancel) {
            // Open menus take no action to close; Escape closes the innermost.
            if (!m_bus->events)
                return false;
            m_bus->events->postKey(kEscapeKey, true);
            m_bus->events->postKey(kEscapeKey, false);
            return true;
        }
        if (m_kind == ValueIndicator)
            return false;
        const auto reply = m_bus->call(m_ref, kAction, QStringLiteral("GetActions"));
        if (!reply || reply->arguments().isEmpty())
            return false;
        QStringList names;
        const QDBusArgument arg = reply->arguments().constFirst().value<QDBusArgument>();
        arg.beginArray();
        while (!arg.atEnd()) {
            QString name, description, keys;
            arg.beginStructure();
            arg >> name >> description >> keys;
            arg.endStructure();
            names.append(name.toLower());
        }
        arg.endArray();
        if (names.isEmpty())
            return false;
        static const QStringList pressNames = {QStringLiteral("showmenu"), QStringLiteral("press"), QStringLiteral("click"),
                                               QStringLiteral("activate"), QStringLiteral("toggle")};
        static const QStringList pickNames = {QStringLiteral("press"), QStringLiteral("click"), QStringLiteral("activate"),
                                              QStringLiteral("toggle")};
        int index = 0;
        for (const QString& wanted : action == AXAction::Pick ? pickNames : pressNames)
            if (const int i = names.indexOf(wanted); i >= 0) {
                index = i;
                break;
            }
        const auto done = m_bus->call(m_ref, kAction, QStringLiteral("DoAction"), {index});
        return done && !done->arguments().isEmpty() && done->arguments().constFirst().toBool();
    }
    bool isEqual(const AccessibleElement& other) const override
    {
        const auto* o = dynamic_cast<const LinuxElement*>(&other);
        return o && o->m_kind == m_kind && o->m_ref.service == m_ref.service && o->m_ref.path == m_ref.path;
    }

private:
    QString axRole(const QString& name)
    {
        static const QHash<QString, QString> roles = {
            {QStringLiteral("application"), AXRole::Application},
            {QStringLiteral("frame"), AXRole::Window},
            {QStringLiteral("window"), AXRole::Window},
            {QStringLiteral("dialog"), AXRole::Window},
            {QStringLiteral("alert"), AXRole::Window},
            {QStringLiteral("menu bar"), AXRole::MenuBar},
            {QStringLiteral("popup menu"), AXRole::Menu},
            {QStringLiteral("separator"), AXRole::MenuItem},
            {QStringLiteral("push button"), AXRole::Button},
            {QStringLiteral("text"), AXRole::TextField},
            {QStringLiteral("entry"), AXRole::TextField},
            {QStringLiteral("password text"), AXRole::TextField},
            {QStringLiteral("check box"), AXRole::CheckBox},
            {QStringLiteral("radio button"), AXRole::RadioButton},
            {QStringLiteral("slider"), AXRole::Slider},
            {QStringLiteral("table row"), AXRole::Row},
            {QStringLiteral("tree item"), AXRole::Row},
            {QStringLiteral("list item"), AXRole::Row},
            {QStringLiteral("label"), AXRole::StaticText},
            {QStringLiteral("panel"), AXRole::Group},
            {QStringLiteral("filler"), AXRole::Group},
        };
        if (isMenuItemRole(name)) {
            const auto p = m_bus->parent(m_ref);
            const auto parentName = p ? m_bus->roleName(*p) : std::nullopt;
            return parentName && *parentName == QLatin1String("menu bar") ? AXRole::MenuBarItem : AXRole::MenuItem;
        }
        return roles.value(name, AXRole::Unknown);
    }

    std::optional<QRectF> frame()
    {
        const auto r = m_bus->extents(m_ref);
        if (!r || m_kind != ValueIndicator)
            return r;
        // Sliders expose no knob: it is taken as long as the slider is
        // thick, where the value puts it (a vertical slider's maximum is at
        // its top).
        LinuxElement slider(m_bus, m_ref);
        const double max = slider.maxValue().value_or(0);
        const double fraction = max > 0 ? std::clamp(slider.value().value_or(0).toDouble() / max, 0.0, 1.0) : 0;
        if (r->width() >= r->height()) {
            const double knob = std::min(r->height(), r->width() / 2);
            const double x = r->x() + fraction * (r->width() - knob);
            return QRectF(x, r->y(), knob, r->height());
        }
        const double knob = std::min(r->width(), r->height() / 2);
        const double y = r->y() + (1 - fraction) * (r->height() - knob);
        return QRectF(r->x(), y, r->width(), knob);
    }

    std::shared_ptr<LinuxAccessibility::Bus> m_bus;
    Ref m_ref;
    Kind m_kind;
};

// Receives the accessibility bus's events on the main thread.
class EventReceiver : public QObject {
    Q_OBJECT
public:
    explicit EventReceiver(std::weak_ptr<LinuxAccessibility::Bus> bus) : m_bus(std::move(bus)) {}
public Q_SLOTS:
    void stateChanged(const QDBusMessage& message)
    {
        if (auto bus = m_bus.lock())
            bus->stateChanged(message);
    }

private:
    std::weak_ptr<LinuxAccessibility::Bus> m_bus;
};

} // namespace

void LinuxAccessibility::Bus::listen()
{
    if (listening)
        return;
    listening = true;
    auto* r = new EventReceiver(weak_from_this());
    receiver = r;
    if (QCoreApplication* app = QCoreApplication::instance())
        r->moveToThread(app->thread());
    connection.connect(QString(), QString(), QStringLiteral("org.a11y.atspi.Event.Object"), QStringLiteral("StateChanged"),
                       r, SLOT(stateChanged(QDBusMessage)));
    // Toolkits send only the events someone registered for.
    for (const char* event : {"object:state-changed:showing", "object:state-changed:focused", "object:state-changed:selected"}) {
        const Ref registry{kRegistry, QStringLiteral("/org/a11y/atspi/registry")};
        if (!call(registry, kRegistry, QStringLiteral("RegisterEvent"), {QString::fromLatin1(event)}))
            call(registry, kRegistry, QStringLiteral("RegisterEvent"), {QString::fromLatin1(event), QStringList(), QString()});
    }
}

// Menus report their showing state, and items their highlight. A chosen
// item is the item last highlighted when the application's last open menu
// closes: AT-SPI reports no choice of its own.
void LinuxAccessibility::Bus::stateChanged(const QDBusMessage& message)
{
    const QVariantList args = message.arguments();
    if (args.size() < 2 || !menuObservers.any())
        return;
    const QString detail = args.at(0).toString();
    const bool on = args.at(1).toInt() != 0;
    const Ref ref{message.service(), message.path()};
    const auto name = roleName(ref);
    if (!name)
        return;
    auto self = shared_from_this();
    if (detail == QLatin1String("showing") && (*name == QLatin1String("popup menu") || *name == QLatin1String("menu"))) {
        const AXElement menu = std::make_shared<LinuxElement>(self, ref, *name == QLatin1String("menu") ? LinuxElement::MenuOfItem : LinuxElement::Plain);
        std::optional<Ref> chosen;
        {
            std::lock_guard lock(mutex);
            int& open = showingMenus[ref.service];
            open = std::max(0, open + (on ? 1 : -1));
            if (!on && open == 0 && lastItem.contains(ref.service))
                chosen = lastItem.take(ref.service);
        }
        menuObservers.notify(ref.service, on ? MenuNotification::Opened : MenuNotification::Closed, menu);
        if (chosen)
            menuObservers.notify(ref.service, MenuNotification::ItemSelected, std::make_shared<LinuxElement>(self, *chosen));
        return;
    }
    if ((detail == QLatin1String("focused") || detail == QLatin1String("selected")) && on && isMenuItemRole(*name)) {
        std::lock_guard lock(mutex);
        lastItem.insert(ref.service, ref);
    }
}

LinuxAccessibility::LinuxAccessibility(EventPoster& events) : m_events(events) {}

LinuxAccessibility::~LinuxAccessibility()
{
    std::lock_guard lock(m_mutex);
    if (m_bus && m_bus->receiver)
        m_bus->receiver->deleteLater();
}

std::shared_ptr<LinuxAccessibility::Bus> LinuxAccessibility::bus()
{
    std::lock_guard lock(m_mutex);
    if (m_tried)
        return m_bus;
    m_tried = true;
    QString address = qEnvironmentVariable("AT_SPI_BUS_ADDRESS");
    if (address.isEmpty()) {
        QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                                          QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
        const QDBusMessage reply = QDBusConnection::sessionBus().call(ask, QDBus::Block, kTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            address = reply.arguments().constFirst().toString();
    }
    if (address.isEmpty()) {
        zlog("LinuxAccessibility", "bus") << "no accessibility bus on the session bus (at-spi2-core)";
        return nullptr;
    }
    static std::atomic<int> serial{0};
    QDBusConnection connection = QDBusConnection::connectToBus(address, QStringLiteral("zelk-a11y-%1").arg(serial++));
    if (!connection.isConnected()) {
        zlog("LinuxAccessibility", "bus") << "cannot connect to" << address << connection.lastError().message();
        return nullptr;
    }
    m_bus = std::make_shared<Bus>();
    m_bus->connection = connection;
    m_bus->events = &m_events;
    return m_bus;
}

bool LinuxAccessibility::isEnabled()
{
    return bus() != nullptr;
}

AXElement LinuxAccessibility::applicationElement(qint64 pid)
{
    const auto b = bus();
    if (!b || pid <= 0)
        return nullptr;
    const auto apps = b->children({kRegistry, kRootPath});
    if (!apps)
        return nullptr;
    for (const Ref& app : *apps)
        if (!app.isNull() && b->pidOf(app.service) == pid)
            return std::make_shared<LinuxElement>(b, app);
    return nullptr;
}

namespace {

QList<Ref> windowsOf(LinuxAccessibility::Bus& bus, const Ref& app)
{
    QList<Ref> windows;
    for (const Ref& child : bus.children(app).value_or(QList<Ref>())) {
        const auto name = bus.roleName(child);
        if (name && (*name == QLatin1String("frame") || *name == QLatin1String("window") || *name == QLatin1String("dialog")))
            windows.append(child);
    }
    return windows;
}

std::optional<Ref> activeWindowOf(LinuxAccessibility::Bus& bus, const Ref& app)
{
    const QList<Ref> windows = windowsOf(bus, app);
    for (const Ref& w : windows)
        if (LinuxAccessibility::Bus::has(bus.states(w), Active))
            return w;
    // Without a window manager no window is ever active: the one shown is
    // taken for it.
    for (const Ref& w : windows)
        if (LinuxAccessibility::Bus::has(bus.states(w), Showing))
            return w;
    return std::nullopt;
}

const Ref* refOfElement(const AXElement& element)
{
    const auto* e = dynamic_cast<const LinuxElement*>(element.get());
    return e ? &e->ref() : nullptr;
}

} // namespace

AXElement LinuxAccessibility::menuBar(const AXElement& application)
{
    const auto b = bus();
    const Ref* app = refOfElement(application);
    if (!b || !app)
        return nullptr;
    QList<Ref> queue;
    if (const auto window = activeWindowOf(*b, *app))
        queue.append(*window);
    queue.append(windowsOf(*b, *app));
    // Breadth first, bounded: menu bars sit near the top of their window.
    for (int visited = 0; !queue.isEmpty() && visited < 300; ++visited) {
        const Ref ref = queue.takeFirst();
        const auto name = b->roleName(ref);
        if (name && *name == QLatin1String("menu bar"))
            return std::make_shared<LinuxElement>(b, ref);
        if (name && isMenuItemRole(*name))
            continue;
        queue.append(b->children(ref).value_or(QList<Ref>()));
    }
    return nullptr;
}

AXElement LinuxAccessibility::focusedWindow(const AXElement& application)
{
    const auto b = bus();
    const Ref* app = refOfElement(application);
    if (!b || !app)
        return nullptr;
    const auto window = activeWindowOf(*b, *app);
    return window ? std::make_shared<LinuxElement>(b, *window) : nullptr;
}

AXElement LinuxAccessibility::elementAtPosition(const AXElement& application, const QPointF& point)
{
    const auto b = bus();
    const Ref* app = refOfElement(application);
    if (!b || !app)
        return nullptr;
    QList<Ref> windows = windowsOf(*b, *app);
    if (const auto active = activeWindowOf(*b, *app)) {
        windows.removeIf([&](const Ref& w) { return w.path == active->path; });
        windows.prepend(*active);
    }
    for (const Ref& window : windows) {
        const auto r = b->extents(window);
        if (!r || !r->contains(point) || !LinuxAccessibility::Bus::has(b->states(window), Showing))
            continue;
        Ref current = window;
        for (int depth = 0; depth < 64; ++depth) {
            const auto reply = b->call(current, kComponent, QStringLiteral("GetAccessibleAtPoint"),
                                       {int(point.x()), int(point.y()), kScreenCoords});
            if (!reply || reply->arguments().isEmpty())
                break;
            const Ref next = refOf(reply->arguments().constFirst().value<QDBusArgument>());
            if (next.isNull() || (next.service == current.service && next.path == current.path))
                break;
            current = next;
        }
        return std::make_shared<LinuxElement>(b, current);
    }
    return nullptr;
}

ObserverHandle LinuxAccessibility::observeMenus(const AXElement& application, MenuObserver observer)
{
    const auto b = bus();
    const Ref* app = refOfElement(application);
    if (!b || !app)
        return {};
    MainThread::run([b] { b->listen(); }, true);
    return b->menuObservers.add([service = app->service, observer = std::move(observer)](const QString& from, MenuNotification what, AXElement element) {
        if (from == service)
            observer(what, element);
    });
}

} // namespace zelk

#include "LinuxAccessibility.moc"
