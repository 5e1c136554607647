// The palette editor opened through its manager and driven by its
// widgets: what OK writes, Cancel of a new palette, the corner conversion,
// the undoable settings, and the location picked with the pointer.
#include "EditorTestSupport.h"
#include "MenuPaletteEditors.h"
#include "QVEPaletteEditor.h"
#include "QVEPalettesManager.h"
#include "QVEShortcutsManager.h"
#include "ScreenGeometry.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QUndoStack>
#include <gtest/gtest.h>

namespace editor::test {
namespace {

class PaletteEditorTest : public EditorTest {
protected:
    PaletteEditorTest() { registerMenuPaletteEditors(); }
    ~PaletteEditorTest() override
    {
        for (uint16_t key : {53, 55})
            desktop().events().postKey(key, false);
    }

    QVEPaletteEditor* open(QVPalette* palette)
    {
        QVEPalettesManager::sharedManager().editObjectsID({palette->IDValue()});
        auto* editor = dynamic_cast<QVEPaletteEditor*>(palette->editor());
        EXPECT_NE(editor, nullptr) << "no palette editor opened";
        return editor;
    }
    template <class W>
    static W* control(QVEPaletteEditor* editor, const char* name)
    {
        W* widget = editor->window()->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static void type(QVEPaletteEditor* editor, const char* field, const QString& text)
    {
        auto* edit = control<QLineEdit>(editor, field);
        edit->setText(text);
        emit edit->editingFinished();
    }
    static void choose(QVEPaletteEditor* editor, const char* popUp, int tag)
    {
        auto* box = control<QComboBox>(editor, popUp);
        box->setCurrentIndex(box->findData(tag));
        emit box->activated(box->currentIndex());
    }
    static QSizeF screen() { return zelk::mainScreenSize(); }
};

TEST_F(PaletteEditorTest, SettingsAreUndoableStepsAndOKWritesEveryValue)
{
    addAction(1, "Alpha");
    QVPalette* palette = addPalette({paletteItem(2, 1)});
    palette->setLocation({20, 30});
    palette->setLocationOrigin(0);
    const QVariantMap before = palette->dictValue();
    QVEPaletteEditor* editor = open(palette);
    ASSERT_TRUE(editor);
    QUndoStack* undo = palette->undoManager();

    type(editor, "PENameField", "Tools");
    control<QCheckBox>(editor, "PEShowActiveCheck")->click();
    type(editor, "PEXField", "20"); // the same X and Y: no step
    EXPECT_EQ(undo->count(), 2);
    EXPECT_EQ(undo->text(1), loc("AnnulerShowActive1"));
    // Corner 3 keeps the palette where it is: only the numbers change.
    choose(editor, "PEOriginPopUp", 3);
    EXPECT_EQ(control<QLineEdit>(editor, "PEXField")->text(), "20");
    EXPECT_EQ(control<QLineEdit>(editor, "PEYField")->text(), QString::number(int(screen().height() - 30)));
    choose(editor, "PEItemsTypePopUp", 5);
    ASSERT_EQ(undo->count(), 4);
    // Sliders change their field only, with no step.
    control<QSlider>(editor, "PEItemsInWidthSlider")->setValue(4);
    control<QSlider>(editor, "PEImageSizeSlider")->setValue(48);
    control<QSlider>(editor, "PEFontSizeSlider")->setValue(14);
    control<QSlider>(editor, "PETransparencySlider")->setValue(40);
    EXPECT_EQ(control<QLabel>(editor, "PEItemsInWidthSliderField")->text(), "4");
    EXPECT_EQ(undo->count(), 4);
    EXPECT_EQ(palette->dictValue(), before) << "nothing reaches the palette before OK";

    undo->undo(); // type
    undo->undo(); // corner
    EXPECT_EQ(control<QLineEdit>(editor, "PEYField")->text(), "30");
    undo->undo(); // show active
    undo->undo(); // name
    EXPECT_EQ(editor->window()->windowTitle(), locFormat("TitrePalette", {palette->nameValue()}));
    EXPECT_FALSE(control<QCheckBox>(editor, "PEShowActiveCheck")->isChecked());
    undo->redo();
    undo->redo();
    undo->redo();
    undo->redo();

    control<QPushButton>(editor, "PEOKButton")->click();
    EXPECT_FALSE(palette->hasEditor());
    EXPECT_EQ(palette->nameValue(), "Tools");
    EXPECT_TRUE(palette->showActive());
    EXPECT_EQ(palette->locationOrigin(), 3);
    EXPECT_EQ(palette->location(), QPointF(20, int(screen().height() - 30)));
    EXPECT_EQ(palette->itemsType(), 5);
    EXPECT_EQ(palette->itemsInWidth(), 4);
    EXPECT_EQ(palette->itemsImageSize(), 48);
    EXPECT_EQ(palette->itemsFontSize(), 14);
    EXPECT_EQ(palette->outsideTransparency(), 40);
    EXPECT_EQ(palette->itemsDictArray(), QVariantList{paletteItem(2, 1)});
}

TEST_F(PaletteEditorTest, ButtonsPerRowNeverComeToZero)
{
    QVariantMap record = QVPalette::newData();
    record.insert("paletteitemsinwidth", 0);
    record.insert("palettecontexts", contextRefs({0}));
    QVPalette* palette = store->addPalette(record);
    QVEPaletteEditor* editor = open(palette);
    ASSERT_TRUE(editor);
    auto* slider = control<QSlider>(editor, "PEItemsInWidthSlider");
    slider->setValue(0);
    EXPECT_EQ(slider->value(), 1);
    EXPECT_EQ(editor->previewLook().itemsInWidth, 1);
    control<QPushButton>(editor, "PEOKButton")->click();
    EXPECT_EQ(palette->itemsInWidth(), 1);
}

TEST_F(PaletteEditorTest, CancelOfANewPaletteDeletesThePaletteAlone)
{
    addAction(1, "Alpha");
    QVShortcut* shortcut = addShortcut({1});
    const quint32 shortcutID = shortcut->IDValue();
    QVEPalettesManager::sharedManager().newPaletteWithShortcuts({shortcut->dictValue()});
    QVPalette* palette = QVEPalettesManager::sharedManager().objectWithID(QVPalette::currentPaletteID() - 1);
    ASSERT_TRUE(palette);
    ASSERT_TRUE(palette->isNew());
    const quint32 id = palette->IDValue();
    auto* editor = dynamic_cast<QVEPaletteEditor*>(palette->editor());
    ASSERT_TRUE(editor) << "a new palette opens in its editor";
    control<QPushButton>(editor, "PECancelButton")->click();
    EXPECT_EQ(QVEPalettesManager::sharedManager().objectWithID(id), nullptr);
    EXPECT_NE(QVEShortcutsManager::sharedManager().objectWithID(shortcutID), nullptr)
        << "the shortcut the palette was made from stays";

    // An existing palette keeps everything but its window frame.
    QVPalette* old = addPalette({paletteItem(1, shortcutID)});
    QVariantMap before = old->dictValue();
    QVEPaletteEditor* oldEditor = open(old);
    ASSERT_TRUE(oldEditor);
    type(oldEditor, "PENameField", "Other");
    control<QPushButton>(oldEditor, "PECancelButton")->click();
    QVariantMap after = old->dictValue();
    before.remove("paletteeditorrect");
    after.remove("paletteeditorrect");
    EXPECT_EQ(after, before);
}

TEST_F(PaletteEditorTest, PickingALocationWaitsForCtrlWithoutBlockingAndEscapeCancels)
{
    QVPalette* palette = addPalette({});
    palette->setLocationOrigin(2);
    QVEPaletteEditor* editor = open(palette);
    ASSERT_TRUE(editor);
    QUndoStack* undo = palette->undoManager();
    const qint64 icon = QApplication::windowIcon().cacheKey();

    // The alert's second answer: nothing starts.
    answerAlerts({0});
    control<QPushButton>(editor, "PEPickLocationButton")->click();
    EXPECT_FALSE(editor->picker().isWaiting());

    // Escape while waiting cancels; the fields stay.
    answerAlerts({1});
    control<QPushButton>(editor, "PEPickLocationButton")->click();
    ASSERT_TRUE(editor->picker().isWaiting());
    QSignalSpy cancelled(&editor->picker(), &LocationPicker::cancelled);
    desktop().events().postKey(53, true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return cancelled.count() == 1; }, 5000));
    desktop().events().postKey(53, false);
    EXPECT_FALSE(editor->picker().isWaiting());
    EXPECT_EQ(undo->count(), 0);
    EXPECT_EQ(QApplication::windowIcon().cacheKey(), icon) << "the icon is given back";

    // Ctrl with the pointer somewhere: the point, in the palette's corner.
    QCursor::setPos(1000, 700);
    const QPointF expected = zelk::pointOnScreenForPointOnScreen(zelk::mousePoint(), 2);
    answerAlerts({1});
    control<QPushButton>(editor, "PEPickLocationButton")->click();
    ASSERT_TRUE(editor->picker().isWaiting());
    QSignalSpy picked(&editor->picker(), &LocationPicker::picked);
    desktop().events().postKey(55, true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return picked.count() == 1; }, 5000));
    desktop().events().postKey(55, false);
    EXPECT_EQ(control<QLineEdit>(editor, "PEXField")->text(), QString::number(int(expected.x())));
    EXPECT_EQ(control<QLineEdit>(editor, "PEYField")->text(), QString::number(int(expected.y())));
    ASSERT_EQ(undo->count(), 1);
    EXPECT_EQ(undo->text(0), locFormat("AnnulerModifierPositionPalette", {qint64(expected.x()), qint64(expected.y())}));
    EXPECT_EQ(QApplication::windowIcon().cacheKey(), icon);

    // Ctrl already held: taken at once; the same spot is no new step.
    desktop().events().postKey(55, true);
    answerAlerts({1});
    control<QPushButton>(editor, "PEPickLocationButton")->click();
    EXPECT_FALSE(editor->picker().isWaiting());
    desktop().events().postKey(55, false);
    EXPECT_EQ(undo->count(), 1);
    editor->abortEditing(nullptr);
}

TEST_F(PaletteEditorTest, PickingALocationEndsAtItsTimeOut)
{
    QVPalette* palette = addPalette({});
    QVEPaletteEditor* editor = open(palette);
    ASSERT_TRUE(editor);
    editor->picker().setTimeout(200);
    QSignalSpy cancelled(&editor->picker(), &LocationPicker::cancelled);
    answerAlerts({1});
    control<QPushButton>(editor, "PEPickLocationButton")->click();
    ASSERT_TRUE(editor->picker().isWaiting());
    EXPECT_TRUE(QTest::qWaitFor([&] { return cancelled.count() == 1; }, 5000));
    EXPECT_FALSE(editor->picker().isWaiting());
    // Closing the window while waiting ends the wait too.
    editor->picker().setTimeout(60000);
    const qint64 icon = QApplication::windowIcon().cacheKey();
    answerAlerts({1});
    control<QPushButton>(editor, "PEPickLocationButton")->click();
    ASSERT_TRUE(editor->picker().isWaiting());
    editor->abortEditing(nullptr); // the editor goes with its window
    EXPECT_EQ(cancelled.count(), 2);
    EXPECT_EQ(QApplication::windowIcon().cacheKey(), icon);
}

} // namespace
} // namespace editor::test
