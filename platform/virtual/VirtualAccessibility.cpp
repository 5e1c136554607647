#include "VirtualAccessibility.h"

#include "Log.h"

#include <QSet>
#include <algorithm>
#include <functional>

namespace zelk {

struct VirtualAccessibility::State {
    struct Node {
        Id parent = 0;
        QList<Id> children;
        QString role;
        QString title;
        bool titleReadable = true;
        QRectF frame;
        QVariant value;
        std::optional<double> maxValue;
        bool enabled = true;
        Id hiddenUntilOpen = 0;
        qint64 pid = 0;
    };

    mutable std::mutex mutex;
    bool apiEnabled = true;
    QHash<Id, Node> nodes;
    QHash<qint64, Id> applications;
    QHash<qint64, Id> menuBars;
    QHash<qint64, Id> focusedWindows;
    QSet<qint64> unobservable;
    QSet<Id> open;
    QStringList actions;
    Id nextId = 1;

    bool visible(Id id) const // mutex held
    {
        const auto it = nodes.constFind(id);
        return it != nodes.cend() && (!it->hiddenUntilOpen || open.contains(it->hiddenUntilOpen));
    }
};

namespace {

class VirtualElement : public AccessibleElement {
public:
    using Id = VirtualAccessibility::Id;
    VirtualElement(std::shared_ptr<VirtualAccessibility::State> state, Id id) : m_state(std::move(state)), m_id(id) {}

    Id id() const { return m_id; }
    const VirtualAccessibility::State* state() const { return m_state.get(); }

    std::optional<QString> role() override
    {
        return read([](const auto& n) { return std::optional<QString>(n.role); });
    }
    std::optional<QString> title() override
    {
        return read([](const auto& n) { return n.titleReadable ? std::optional<QString>(n.title) : std::nullopt; });
    }
    std::optional<QVariant> value() override
    {
        return read([](const auto& n) { return n.value.isValid() ? std::optional<QVariant>(n.value) : std::nullopt; });
    }
    std::optional<double> maxValue() override
    {
        return read([](const auto& n) { return n.maxValue; });
    }
    std::optional<bool> enabled() override
    {
        return read([](const auto& n) { return std::optional<bool>(n.enabled); });
    }
    std::optional<QPointF> position() override
    {
        return read([](const auto& n) { return std::optional<QPointF>(n.frame.topLeft()); });
    }
    std::optional<QSizeF> size() override
    {
        return read([](const auto& n) { return std::optional<QSizeF>(n.frame.size()); });
    }
    AXElement parent() override
    {
        std::lock_guard lock(m_state->mutex);
        const auto it = m_state->nodes.constFind(m_id);
        if (it == m_state->nodes.cend() || !it->parent)
            return nullptr;
        return std::make_shared<VirtualElement>(m_state, it->parent);
    }
    std::optional<QList<AXElement>> children() override
    {
        std::lock_guard lock(m_state->mutex);
        const auto it = m_state->nodes.constFind(m_id);
        if (it == m_state->nodes.cend())
            return std::nullopt;
        QList<AXElement> list;
        for (Id child : it->children)
            if (m_state->visible(child))
                list.append(std::make_shared<VirtualElement>(m_state, child));
        return list;
    }
    bool performAction(const QString& action) override
    {
        std::lock_guard lock(m_state->mutex);
        const auto it = m_state->nodes.constFind(m_id);
        if (it == m_state->nodes.cend())
            return false;
        m_state->actions.append(action + QLatin1Char(' ') + it->title);
        if (action == AXAction::Cancel) {
            m_state->open.remove(m_id);
            return true;
        }
        if (!it->enabled)
            return false;
        if (action == AXAction::Press) {
            m_state->open.insert(m_id);
            return true;
        }
        return action == AXAction::Pick;
    }
    bool isEqual(const AccessibleElement& other) const override
    {
        const auto* o = dynamic_cast<const VirtualElement*>(&other);
        return o && o->m_state == m_state && o->m_id == m_id;
    }

private:
    template <class Fn>
    auto read(Fn fn) -> decltype(fn(std::declval<const VirtualAccessibility::State::Node&>()))
    {
        std::lock_guard lock(m_state->mutex);
        const auto it = m_state->nodes.constFind(m_id);
        if (it == m_state->nodes.cend())
            return std::nullopt;
        return fn(*it);
    }

    std::shared_ptr<VirtualAccessibility::State> m_state;
    Id m_id;
};

} // namespace

VirtualAccessibility::VirtualAccessibility() : d(std::make_shared<State>()) {}
VirtualAccessibility::~VirtualAccessibility() = default;

bool VirtualAccessibility::isEnabled()
{
    std::lock_guard lock(d->mutex);
    return d->apiEnabled;
}

AXElement VirtualAccessibility::applicationElement(qint64 pid)
{
    std::lock_guard lock(d->mutex);
    const Id id = d->applications.value(pid);
    return id ? std::make_shared<VirtualElement>(d, id) : nullptr;
}

AXElement VirtualAccessibility::menuBar(const AXElement& application)
{
    const Id app = idOf(application);
    std::lock_guard lock(d->mutex);
    if (!app)
        return nullptr;
    const Id id = d->menuBars.value(d->nodes.value(app).pid);
    return id ? std::make_shared<VirtualElement>(d, id) : nullptr;
}

AXElement VirtualAccessibility::focusedWindow(const AXElement& application)
{
    const Id app = idOf(application);
    std::lock_guard lock(d->mutex);
    if (!app)
        return nullptr;
    const Id id = d->focusedWindows.value(d->nodes.value(app).pid);
    return id ? std::make_shared<VirtualElement>(d, id) : nullptr;
}

AXElement VirtualAccessibility::elementAtPosition(const AXElement& application, const QPointF& point)
{
    const Id app = idOf(application);
    std::lock_guard lock(d->mutex);
    if (!app)
        return nullptr;
    // The deepest visible node under the point; later siblings lie on top.
    std::function<Id(Id)> deepest = [&](Id id) -> Id {
        const State::Node& node = d->nodes[id];
        for (auto it = node.children.crbegin(); it != node.children.crend(); ++it) {
            if (!d->visible(*it))
                continue;
            if (const Id found = deepest(*it))
                return found;
        }
        return node.frame.contains(point) ? id : 0;
    };
    Id found = 0;
    const QList<Id> tops = d->nodes[app].children;
    for (auto it = tops.crbegin(); it != tops.crend() && !found; ++it)
        if (d->visible(*it))
            found = deepest(*it);
    return found ? std::make_shared<VirtualElement>(d, found) : nullptr;
}

ObserverHandle VirtualAccessibility::observeMenus(const AXElement& application, MenuObserver observer)
{
    const Id app = idOf(application);
    qint64 pid = 0;
    {
        std::lock_guard lock(d->mutex);
        if (!app || d->unobservable.contains(d->nodes.value(app).pid))
            return {};
        pid = d->nodes.value(app).pid;
    }
    return m_menuObservers.add([pid, observer = std::move(observer)](qint64 from, MenuNotification what, AXElement element) {
        if (from == pid)
            observer(what, element);
    });
}

void VirtualAccessibility::setApiEnabled(bool enabled)
{
    std::lock_guard lock(d->mutex);
    d->apiEnabled = enabled;
}

VirtualAccessibility::Id VirtualAccessibility::addApplication(qint64 pid)
{
    std::lock_guard lock(d->mutex);
    const Id id = d->nextId++;
    State::Node node;
    node.role = AXRole::Application;
    node.pid = pid;
    d->nodes.insert(id, node);
    d->applications.insert(pid, id);
    return id;
}

VirtualAccessibility::Id VirtualAccessibility::add(Id parent, const QString& role, const QString& title, const QRectF& frame)
{
    std::lock_guard lock(d->mutex);
    if (!d->nodes.contains(parent)) {
        zlog("VirtualAccessibility", "add") << "no parent" << parent;
        return 0;
    }
    const Id id = d->nextId++;
    State::Node node;
    node.parent = parent;
    node.role = role;
    node.title = title;
    node.frame = frame;
    node.pid = d->nodes[parent].pid;
    d->nodes.insert(id, node);
    d->nodes[parent].children.append(id);
    return id;
}

void VirtualAccessibility::setValue(Id node, const QVariant& value)
{
    std::lock_guard lock(d->mutex);
    if (d->nodes.contains(node))
        d->nodes[node].value = value;
}

void VirtualAccessibility::setMaxValue(Id node, std::optional<double> max)
{
    std::lock_guard lock(d->mutex);
    if (d->nodes.contains(node))
        d->nodes[node].maxValue = max;
}

void VirtualAccessibility::setEnabled(Id node, bool enabled)
{
    std::lock_guard lock(d->mutex);
    if (d->nodes.contains(node))
        d->nodes[node].enabled = enabled;
}

void VirtualAccessibility::setTitleReadable(Id node, bool readable)
{
    std::lock_guard lock(d->mutex);
    if (d->nodes.contains(node))
        d->nodes[node].titleReadable = readable;
}

void VirtualAccessibility::setFrame(Id node, const QRectF& frame)
{
    std::lock_guard lock(d->mutex);
    if (d->nodes.contains(node))
        d->nodes[node].frame = frame;
}

void VirtualAccessibility::setMenuBar(qint64 pid, Id menuBar)
{
    std::lock_guard lock(d->mutex);
    d->menuBars.insert(pid, menuBar);
}

void VirtualAccessibility::setFocusedWindow(qint64 pid, Id window)
{
    std::lock_guard lock(d->mutex);
    d->focusedWindows.insert(pid, window);
}

void VirtualAccessibility::setHiddenUntilOpen(Id node, Id owner)
{
    std::lock_guard lock(d->mutex);
    if (d->nodes.contains(node))
        d->nodes[node].hiddenUntilOpen = owner;
}

void VirtualAccessibility::setObservable(qint64 pid, bool observable)
{
    std::lock_guard lock(d->mutex);
    if (observable)
        d->unobservable.remove(pid);
    else
        d->unobservable.insert(pid);
}

void VirtualAccessibility::remove(Id node)
{
    std::lock_guard lock(d->mutex);
    const auto it = d->nodes.find(node);
    if (it == d->nodes.end())
        return;
    if (d->nodes.contains(it->parent))
        d->nodes[it->parent].children.removeAll(node);
    std::function<void(Id)> drop = [&](Id id) {
        for (Id child : d->nodes.value(id).children)
            drop(child);
        d->nodes.remove(id);
    };
    drop(node);
}

QStringList VirtualAccessibility::actions() const
{
    std::lock_guard lock(d->mutex);
    return d->actions;
}

void VirtualAccessibility::clearActions()
{
    std::lock_guard lock(d->mutex);
    d->actions.clear();
}

bool VirtualAccessibility::isOpen(Id node) const
{
    std::lock_guard lock(d->mutex);
    return d->open.contains(node);
}

QList<VirtualAccessibility::Id> VirtualAccessibility::openNodes() const
{
    std::lock_guard lock(d->mutex);
    QList<Id> list(d->open.cbegin(), d->open.cend());
    std::sort(list.begin(), list.end());
    return list;
}

VirtualAccessibility::Id VirtualAccessibility::idOf(const AXElement& element) const
{
    const auto* e = dynamic_cast<const VirtualElement*>(element.get());
    return e && e->state() == d.get() ? e->id() : 0;
}

AXElement VirtualAccessibility::element(Id node)
{
    std::lock_guard lock(d->mutex);
    return d->nodes.contains(node) ? std::make_shared<VirtualElement>(d, node) : nullptr;
}

void VirtualAccessibility::notifyMenus(MenuNotification what, Id node)
{
    qint64 pid = 0;
    {
        std::lock_guard lock(d->mutex);
        if (!d->nodes.contains(node))
            return;
        pid = d->nodes[node].pid;
        if (what == MenuNotification::Opened)
            d->open.insert(d->nodes[node].parent);
        else if (what == MenuNotification::Closed)
            d->open.remove(d->nodes[node].parent);
    }
    m_menuObservers.notify(pid, what, std::make_shared<VirtualElement>(d, node));
}

void VirtualAccessibility::userOpensMenu(Id menu) { notifyMenus(MenuNotification::Opened, menu); }
void VirtualAccessibility::userClosesMenu(Id menu) { notifyMenus(MenuNotification::Closed, menu); }
void VirtualAccessibility::userChoosesItem(Id item) { notifyMenus(MenuNotification::ItemSelected, item); }

} // namespace zelk
