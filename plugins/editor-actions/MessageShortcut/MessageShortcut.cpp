#include "MessageShortcut.h"

#include "FormatText.h"

#include <QFormLayout>

namespace zelk::editor {

namespace K = MessageShortcutKeys;
namespace M = MessageShortcutModels;

// --- Class side ---------------------------------------------------------------------------

QVariantMap MessageShortcutClass::dataForAction(int model) const
{
    if (model != M::Message)
        return {};
    return {{K::Action, qint64(model)}, {K::Message1, QString()}, {K::Message2, QString()},
            {K::Button1, QStringLiteral("OK")}, {K::Button2, QString()},
            {K::ButtonAction1, qint64(M::GoOn)}, {K::ButtonAction2, qint64(M::GoOn)}};
}

QString MessageShortcutClass::nameForAction(int model) const
{
    return model == M::Message ? localizedActionName(model) : QString();
}

QVariantMap MessageShortcutClass::newDataForAction(int model) const
{
    return newActionRecord(*this, dataForAction(model), ActionPane::suggestsNameForNew() ? nameForAction(model) : QString());
}

// --- The editing cycle ---------------------------------------------------------------------------

bool MessageShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict);
    return true;
}

void MessageShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    if (category() == 0)
        return;
    CUTView = paneView(1, [this] { return makeView(); });
    CUTLastMessage1 = CUTMessage1;
    CUTLastMessage2 = CUTMessage2;
    CUTLastButton1 = CUTButton1;
    CUTLastButton2 = CUTButton2;
    CUTLastButtonAction1 = CUTButtonAction1;
    CUTLastButtonAction2 = CUTButtonAction2;
    CUTMessage1Field->setText(CUTMessage1);
    CUTMessage2Field->setText(CUTMessage2);
    CUTButton1Field->setText(CUTButton1);
    CUTButton2Field->setText(CUTButton2);
    selectItemWithTag(CUTButtonAction1Button, CUTButtonAction1 == M::Stop ? M::Stop : M::GoOn);
    selectItemWithTag(CUTButtonAction2Button, CUTButtonAction2 == M::Stop ? M::Stop : M::GoOn);
    CUTIsEdited = true;
    showPaneView(accessoryView, CUTView);
}

bool MessageShortcut::willValidateEditing()
{
    if (CUTIsEdited && category() != 0) {
        if (CUTButton1Field->text().isEmpty()) {
            alertPanel(actionClass(), localizedStr(QStringLiteral("ImpossibleValider")),
                       localizedStr(QStringLiteral("Bouton1Vide")), QStringLiteral("OK"));
            return false;
        }
        const QVariantMap edited = editedDataValue();
        CUTPersoDict = edited;
        readParameters(CUTPersoDict);
    }
    CUTIsEdited = false;
    return ActionPane::willValidateEditing();
}

void MessageShortcut::abortEditing()
{
    CUTIsEdited = false;
    CUTLastMessage1.clear();
    CUTLastMessage2.clear();
    CUTLastButton1.clear();
    CUTLastButton2.clear();
}

QVariantMap MessageShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!CUTIsEdited || category() == 0)
        return data;
    data.insert(K::Message1, CUTMessage1Field->text());
    data.insert(K::Message2, CUTMessage2Field->text());
    data.insert(K::Button1, CUTButton1Field->text());
    data.insert(K::Button2, CUTButton2Field->text());
    data.insert(K::ButtonAction1, qint64(CUTLastButtonAction1));
    data.insert(K::ButtonAction2, qint64(CUTLastButtonAction2));
    return data;
}

// --- Control handlers ------------------------------------------------------------------------------

MessageShortcut::Values MessageShortcut::lastValues() const
{
    return {CUTLastMessage1, CUTLastMessage2, CUTLastButton1, CUTLastButton2, CUTLastButtonAction1, CUTLastButtonAction2};
}

void MessageShortcut::apply(const Values& v, const QString& undoKey, const QString& shown)
{
    setMessage(v.message1, v.message2, v.button1, v.button2, v.action1, v.action2, possibleNameValue(), false,
               fillFormat(localizedStr(undoKey), {shown}));
}

void MessageShortcut::modifyMessage1()
{
    if (!CUTIsEdited || CUTMessage1Field->text() == CUTLastMessage1)
        return;
    Values v = lastValues();
    v.message1 = CUTMessage1Field->text();
    apply(v, QStringLiteral("AnnulerModifierMessage1"), v.message1);
}

void MessageShortcut::modifyMessage2()
{
    if (!CUTIsEdited || CUTMessage2Field->text() == CUTLastMessage2)
        return;
    Values v = lastValues();
    v.message2 = CUTMessage2Field->text();
    apply(v, QStringLiteral("AnnulerModifierMessage2"), v.message2);
}

void MessageShortcut::modifyButton1()
{
    if (!CUTIsEdited || CUTButton1Field->text() == CUTLastButton1)
        return;
    Values v = lastValues();
    v.button1 = CUTButton1Field->text();
    apply(v, QStringLiteral("AnnulerModifierBouton1"), v.button1);
}

void MessageShortcut::modifyButton2()
{
    if (!CUTIsEdited || CUTButton2Field->text() == CUTLastButton2)
        return;
    Values v = lastValues();
    v.button2 = CUTButton2Field->text();
    apply(v, QStringLiteral("AnnulerModifierBouton2"), v.button2);
}

void MessageShortcut::modifyButtonAction1()
{
    const int tag = tagOfItem(CUTButtonAction1Button, CUTButtonAction1Button->currentIndex());
    if (!CUTIsEdited || tag == CUTLastButtonAction1)
        return;
    Values v = lastValues();
    v.action1 = tag;
    apply(v, QStringLiteral("AnnulerModifierAction1"), CUTButtonAction1Button->currentText());
}

void MessageShortcut::modifyButtonAction2()
{
    const int tag = tagOfItem(CUTButtonAction2Button, CUTButtonAction2Button->currentIndex());
    if (!CUTIsEdited || tag == CUTLastButtonAction2)
        return;
    Values v = lastValues();
    v.action2 = tag;
    apply(v, QStringLiteral("AnnulerModifierAction2"), CUTButtonAction2Button->currentText());
}

void MessageShortcut::setMessage(const QString& message1, const QString& message2, const QString& button1,
                                 const QString& button2, int buttonAction1, int buttonAction2,
                                 const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = lastValues(), oldName = possibleNameValue()] {
                setMessage(old.message1, old.message2, old.button1, old.button2, old.action1, old.action2, oldName,
                           true, {});
            },
            [=, this] {
                setMessage(message1, message2, button1, button2, buttonAction1, buttonAction2, withCutName, true, {});
            }))
        return;
    const auto show = [](QString& copy, QLineEdit* field, const QString& value) {
        if (copy == value)
            return;
        copy = value;
        if (field && field->text() != value)
            field->setText(value);
    };
    show(CUTLastMessage1, CUTMessage1Field, message1);
    show(CUTLastMessage2, CUTMessage2Field, message2);
    show(CUTLastButton1, CUTButton1Field, button1);
    show(CUTLastButton2, CUTButton2Field, button2);
    CUTLastButtonAction1 = buttonAction1;
    CUTLastButtonAction2 = buttonAction2;
    if (CUTButtonAction1Button)
        selectItemWithTag(CUTButtonAction1Button, buttonAction1);
    if (CUTButtonAction2Button)
        selectItemWithTag(CUTButtonAction2Button, buttonAction2);
    setPossibleNameValue(withCutName);
}

QWidget* MessageShortcut::makeView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("MessageView"));
    auto* form = new QFormLayout(view);
    const auto field = [&](QPointer<QLineEdit>& slot, const char* name, const char* label, void (MessageShortcut::*handler)()) {
        slot = new QLineEdit(view);
        slot->setObjectName(QString::fromLatin1(name));
        slot->setAccessibleName(localizedStr(QString::fromLatin1(label)));
        QObject::connect(slot, &QLineEdit::editingFinished, view, [this, handler] { (this->*handler)(); });
        form->addRow(localizedStr(QString::fromLatin1(label)), slot);
    };
    const auto popUp = [&](QPointer<QComboBox>& slot, const char* name, const char* label, void (MessageShortcut::*handler)()) {
        slot = new QComboBox(view);
        slot->setObjectName(QString::fromLatin1(name));
        slot->setAccessibleName(localizedStr(QString::fromLatin1(label)));
        addTaggedItem(slot, localizedStr(QStringLiteral("Continuer")), M::GoOn);
        addTaggedItem(slot, localizedStr(QStringLiteral("Arreter")), M::Stop);
        QObject::connect(slot, &QComboBox::activated, view, [this, handler] { (this->*handler)(); });
        form->addRow(localizedStr(QString::fromLatin1(label)), slot);
    };
    field(CUTMessage1Field, "CUTMessage1Field", "Message1Label", &MessageShortcut::modifyMessage1);
    field(CUTMessage2Field, "CUTMessage2Field", "Message2Label", &MessageShortcut::modifyMessage2);
    field(CUTButton1Field, "CUTButton1Field", "Button1Label", &MessageShortcut::modifyButton1);
    popUp(CUTButtonAction1Button, "CUTButtonAction1Button", "ButtonAction1Label", &MessageShortcut::modifyButtonAction1);
    field(CUTButton2Field, "CUTButton2Field", "Button2Label", &MessageShortcut::modifyButton2);
    popUp(CUTButtonAction2Button, "CUTButtonAction2Button", "ButtonAction2Label", &MessageShortcut::modifyButtonAction2);
    return view;
}

ZELK_REGISTER_ACTION_PANE(MessageShortcutClass)

} // namespace zelk::editor
