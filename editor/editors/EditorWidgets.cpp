#include "EditorWidgets.h"

#include "FormatText.h"
#include "ModelSupport.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QBoxLayout>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace editor {

QPushButton* addEditorButtons(QBoxLayout* layout, const char* prefix, QObject* context,
                              const EditorButtonActions& actions)
{
    const auto button = [prefix, context](const QString& title, const char* name, const QString& accessibleName,
                                          const std::function<void()>& action) {
        auto* widget = new QPushButton(title);
        named(widget, (QByteArray(prefix) + name).constData(), accessibleName);
        QObject::connect(widget, &QPushButton::clicked, context, [action] { action(); });
        return widget;
    };
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(button(QStringLiteral("?"), "HelpButton", loc(QStringLiteral("Aide")), actions.help));
    if (actions.test)
        bottom->addWidget(button(loc(QStringLiteral("Tester")), "TestButton", loc(QStringLiteral("Tester")), actions.test));
    bottom->addStretch(1);
    bottom->addWidget(button(loc(QStringLiteral("Annuler")), "CancelButton", loc(QStringLiteral("Annuler")), actions.cancel));
    QPushButton* ok = button(QStringLiteral("OK"), "OKButton", QStringLiteral("OK"), actions.ok);
    ok->setDefault(true);
    bottom->addWidget(ok);
    layout->addLayout(bottom);
    return ok;
}

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
