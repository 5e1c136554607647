#include "KeyShortcut.h"

#include "KeyShortcut/KeyCodeTable.h"
#include "ModifierFlags.h"
#include "FormatText.h"
#include "Platform.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>

namespace zelk::editor {

namespace K = KeyShortcutKeys;

namespace {

const KeyShortcutClass& cls()
{
    return paneClassObject<KeyShortcutClass>();
}

// Hands the key field's key presses to the action while it records; the
// shortcut pass is claimed too, so that Ctrl+Z or Ctrl+Q are recorded
// rather than run.
class KeyFieldFilter : public QObject {
public:
    KeyFieldFilter(KeyShortcut* action, QObject* parent) : QObject(parent), m_action(action) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride && m_action->wantKeyEvent()) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress && m_action->wantKeyEvent()) {
            m_action->keyEvent(static_cast<QKeyEvent*>(event));
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    KeyShortcut* m_action;
};

// The character a key shows with Shift and Caps Lock as the only
// modifiers: what the key names when it types nothing, else the event's
// own text, else what the layout gives for the key, else the Qt key.
char32_t characterIgnoringModifiers(const QKeyEvent* event, int keyCode, quint32 word)
{
    if (const char32_t special = KeyCodeTable::functionKeyCharacter(keyCode))
        return special;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (!(modifiers & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier))) {
        const QList<uint> text = event->text().toUcs4();
        if (!text.isEmpty() && text.first() >= 32 && text.first() != 127)
            return text.first();
    }
    if (const char c = QVEAction::asciiForKeycode(word & (HotKey::KeyCodeMask | HotKey::Shift | HotKey::CapsLock)))
        return uchar(c);
    const int key = event->key();
    if (key > 32 && key < 256) {
        const QChar c(key);
        return (word & (HotKey::Shift | HotKey::CapsLock)) ? c.toUpper().unicode() : c.toLower().unicode();
    }
    return 0;
}

} // namespace

// --- Class side ------------------------------------------------------------------------

QVariantMap KeyShortcutClass::dataForAction(int model, quint32 keycode, int assciiCode, const QString& string) const
{
    if (categoryOfAction(model) != 1)
        return {};
    return {{K::Action, qint64(model)},
            {K::Keycode, qint64(keycode)},
            {K::AsciiCode, qint64(assciiCode & 0xFF)},
            {K::String, string}};
}

QString KeyShortcutClass::nameForAction(int model, quint32 keycode, const QString& string) const
{
    if (categoryOfAction(model) != 1)
        return {};
    return fillFormat(localizedActionName(model), {QVEAction::modifierStringWithKeycode(keycode) + string});
}

QVariantMap KeyShortcutClass::newDataForAction(int model) const
{
    const QString name = ActionPane::suggestsNameForNew() ? nameForAction(model, 0, QString()) : QString();
    return newActionRecord(*this, dataForAction(model, 0, 0, QString()), name);
}

QString KeyShortcutClass::stringWithUnicode(char32_t character) const
{
    if ((character >= 33 && character <= 126) || (character >= 128 && character <= 255))
        return QString::fromUcs4(&character, 1);
    const QString key = QStringLiteral("Key%1").arg(quint32(character));
    // The editor application's own texts name the keys; the plug-in's
    // table stands in for an editor that lacks one.
    const Bundle application = Bundle::main();
    if (application.isValid() && application.hasLocalizedString(key))
        return application.localizedString(key);
    return localizedStr(key);
}

// --- Reading ------------------------------------------------------------------------------

bool KeyShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    if (category() == 1) {
        CUTKeycode = quint32(CUTPersoDict.value(K::Keycode).toLongLong());
        CUTAsciiCode = quint8(CUTPersoDict.value(K::AsciiCode).toInt() & 0xFF);
        CUTString = CUTPersoDict.value(K::String).toString();
    }
    return true;
}

// --- The editing cycle ---------------------------------------------------------------------

void KeyShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    if (category() != 1)
        return;
    CUTView = paneView(1, [this] { return makeView(); });
    CUTLastAction = CUTAction;
    selectItemWithTag(CUTActionButton, CUTAction);
    CUTLastString = CUTString;
    CUTKeyField->setText(CUTLastString);
    setCheckWithKeycode(CUTKeycode);
    CUTLastKeycode = CUTKeycode;
    CUTLastAsciiCode = CUTAsciiCode;
    m_editing = true;
    showPaneView(accessoryView, CUTView);
}

bool KeyShortcut::willValidateEditing()
{
    if (m_editing) {
        CUTAction = CUTLastAction;
        CUTString = CUTLastString;
        CUTKeycode = CUTLastKeycode;
        CUTAsciiCode = CUTLastAsciiCode;
        CUTPersoDict.insert(K::Action, qint64(CUTAction));
        CUTPersoDict.insert(K::String, CUTString);
        CUTPersoDict.insert(K::Keycode, qint64(CUTKeycode));
        CUTPersoDict.insert(K::AsciiCode, qint64(CUTAsciiCode));
    }
    m_editing = false;
    return ActionPane::willValidateEditing();
}

void KeyShortcut::abortEditing()
{
    m_editing = false;
    CUTLastString.clear();
}

QVariantMap KeyShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!m_editing)
        return data;
    data.insert(K::Action, qint64(CUTLastAction));
    data.insert(K::String, CUTLastString);
    data.insert(K::Keycode, qint64(CUTLastKeycode));
    data.insert(K::AsciiCode, qint64(CUTLastAsciiCode));
    return data;
}

// --- Recording ------------------------------------------------------------------------------

bool KeyShortcut::wantKeyEvent()
{
    return CUTKeyField && CUTKeyField->hasFocus();
}

void KeyShortcut::keyEvent(QKeyEvent* event)
{
    if (!event)
        return;
    const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
    const int keyCode = KeyCodeTable::storedKeyCode(event->key(), event->nativeScanCode(), keypad);
    // A modifier alone is recorded through its box, as a flag.
    if (keyCode < 0)
        return;
    const quint32 flags =
        hotKeyModifiersOfKeyEvent(event->modifiers(), uint16_t(keyCode), Platform::instance().keyboardLayout());
    const quint32 word = quint32(keyCode) | (flags & HotKey::RecordedMask);
    const QString string = cls().stringWithUnicode(characterIgnoringModifiers(event, keyCode, word));
    // The combination shown already. The string counts too: a new action's
    // word is 0, which is also plain A.
    if (word == CUTLastKeycode && string == CUTLastString)
        return;
    const quint8 asciiCode = quint8(QVEAction::asciiForKeycode(word));
    const QString name = suggestedOrTypedName(CUTLastAction, word, string);
    const QString undo = fillFormat(localizedStr(QStringLiteral("AnnulerModifierTouche")), {string});
    setAction(CUTLastAction, word, asciiCode, string, name, false, undo);
}

// --- Control handlers -----------------------------------------------------------------------

void KeyShortcut::modifyAction()
{
    if (!CUTActionButton)
        return;
    const int index = CUTActionButton->currentIndex();
    const int model = tagOfItem(CUTActionButton, index);
    if (model == CUTLastAction)
        return;
    const QString name = suggestedOrTypedName(model, CUTLastKeycode, CUTLastString);
    const QString undo =
        fillFormat(localizedStr(QStringLiteral("AnnulerModifierAction")), {CUTActionButton->itemText(index)});
    setAction(model, CUTLastKeycode, CUTLastAsciiCode, CUTLastString, name, false, undo);
}

void KeyShortcut::modifyModifier(QCheckBox* sender)
{
    if (!sender)
        return;
    // The box shows its new state; the setter shows it again from the word,
    // and its undo puts it back.
    const bool turnedOn = sender->isChecked();
    const quint32 word = keycodeWithCheck() + (CUTLastKeycode & HotKey::KeyCodeMask);
    sender->setChecked(!turnedOn);
    const QString name = suggestedOrTypedName(CUTLastAction, word, CUTLastString);
    QString undo = fillFormat(cls().localizedActionName(CUTLastAction), {sender->text()});
    if (!turnedOn)
        undo.prepend(localizedStr(QStringLiteral("NePas")));
    setAction(CUTLastAction, word, CUTLastAsciiCode, CUTLastString, name, false, undo);
}

QString KeyShortcut::suggestedOrTypedName(int model, quint32 keycode, const QString& string) const
{
    return suggestsNameForModified() ? cls().nameForAction(model, keycode, string) : possibleNameValue();
}

// --- The setter ------------------------------------------------------------------------------

void KeyShortcut::setAction(int action, quint32 keycode, quint8 asciiCode, const QString& string,
                            const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldAction = CUTLastAction, oldKeycode = CUTLastKeycode, oldAscii = CUTLastAsciiCode,
             oldString = CUTLastString, oldName = possibleNameValue()] {
                setAction(oldAction, oldKeycode, oldAscii, oldString, oldName, true, {});
            },
            [this, action, keycode, asciiCode, string, withCutName] {
                setAction(action, keycode, asciiCode, string, withCutName, true, {});
            }))
        return;
    if (action != CUTLastAction)
        setPossibleDescriptionValue(cls().descriptionOfModelID(action));
    CUTLastAction = action;
    if (CUTActionButton)
        selectItemWithTag(CUTActionButton, action);
    CUTLastKeycode = keycode;
    setCheckWithKeycode(keycode);
    CUTLastAsciiCode = asciiCode;
    if (string != CUTLastString) {
        CUTLastString = string;
        if (CUTKeyField) {
            CUTKeyField->setText(string);
            CUTKeyField->selectAll();
        }
    }
    setPossibleNameValue(withCutName);
}

// --- Modifier boxes ---------------------------------------------------------------------------

void KeyShortcut::setCheckWithKeycode(quint32 keycode)
{
    const std::pair<QCheckBox*, quint32> boxes[] = {{CUTCommandCheck, HotKey::Command},
                                                    {CUTOptionCheck, HotKey::Option},
                                                    {CUTControlCheck, HotKey::Control},
                                                    {CUTShiftCheck, HotKey::Shift},
                                                    {CUTCapsLockCheck, HotKey::CapsLock}};
    for (const auto& [box, flag] : boxes)
        if (box)
            box->setChecked(keycode & flag);
}

quint32 KeyShortcut::keycodeWithCheck() const
{
    const std::pair<const QCheckBox*, quint32> boxes[] = {{CUTCommandCheck, HotKey::Command},
                                                          {CUTOptionCheck, HotKey::Option},
                                                          {CUTControlCheck, HotKey::Control},
                                                          {CUTShiftCheck, HotKey::Shift},
                                                          {CUTCapsLockCheck, HotKey::CapsLock}};
    quint32 word = 0;
    for (const auto& [box, flag] : boxes)
        if (box && box->isChecked())
            word |= flag;
    return word;
}

// --- The view ----------------------------------------------------------------------------------

QWidget* KeyShortcut::makeView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("KeyView"));
    auto* form = new QFormLayout(view);

    CUTActionButton = new QComboBox(view);
    CUTActionButton->setObjectName(QStringLiteral("CUTActionButton"));
    fillModelPopUp(CUTActionButton, cls(), cls().modelsID());
    QObject::connect(CUTActionButton, &QComboBox::activated, view, [this](int) { modifyAction(); });
    form->addRow(localizedStr(QStringLiteral("ActionLabel")), CUTActionButton);

    CUTKeyField = new QLineEdit(view);
    CUTKeyField->setObjectName(QStringLiteral("CUTKeyField"));
    CUTKeyField->setReadOnly(true);
    CUTKeyField->setPlaceholderText(localizedStr(QStringLiteral("KeyFieldPlaceholder")));
    CUTKeyField->installEventFilter(new KeyFieldFilter(this, CUTKeyField));
    form->addRow(localizedStr(QStringLiteral("KeyLabel")), CUTKeyField);

    auto* boxes = new QHBoxLayout;
    auto addBox = [this, view, boxes](QPointer<QCheckBox>& slot, const char* name, const char* title) {
        auto* box = new QCheckBox(localizedStr(QString::fromLatin1(title)), view);
        box->setObjectName(QString::fromLatin1(name));
        QObject::connect(box, &QCheckBox::clicked, view, [this, box] { modifyModifier(box); });
        boxes->addWidget(box);
        slot = box;
    };
    addBox(CUTCommandCheck, "CUTCommandCheck", "CommandCheck");
    addBox(CUTOptionCheck, "CUTOptionCheck", "OptionCheck");
    addBox(CUTControlCheck, "CUTControlCheck", "ControlCheck");
    addBox(CUTShiftCheck, "CUTShiftCheck", "ShiftCheck");
    addBox(CUTCapsLockCheck, "CUTCapsLockCheck", "CapsLockCheck");
    form->addRow(localizedStr(QStringLiteral("ModifiersLabel")), boxes);
    return view;
}

ZELK_REGISTER_ACTION_PANE(KeyShortcutClass)

} // namespace zelk::editor
