#include "EditorWidgets.h"

#include "FormatText.h"
#include "ModelSupport.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace editor {

QString titleWithName(const QString& format, const QString& name)
{
    return zelk::fillFormat(format, {name});
}

namespace {

class CommittedFieldFilter : public QObject {
public:
    CommittedFieldFilter(std::function<bool()> committed, QObject* parent)
        : QObject(parent), m_committed(std::move(committed))
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(event);
            if ((key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) && m_committed())
                return true; // not taken by the field: the window's command runs
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool()> m_committed;
};

QAccessibleInterface* plainWindowInterface(const QString& className, QObject* object)
{
    if (className != QLatin1String("QWidget") || !object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    return widget->isWindow() ? new QAccessibleWidget(widget, QAccessible::Window) : nullptr;
}

} // namespace

void presentPlainWindowsAsWindows()
{
    static const bool installed = [] {
        QAccessible::installFactory(plainWindowInterface);
        return true;
    }();
    (void)installed;
}

void passUndoToWindowWhenCommitted(QLineEdit* field, std::function<bool()> committed)
{
    field->installEventFilter(new CommittedFieldFilter(std::move(committed), field));
}

void editorAlert(const QString& titleKey, const QString& messageKey)
{
    alert(loc(titleKey), loc(messageKey), QStringLiteral("OK"));
}

} // namespace editor
