// The run and result panels driven through their controls while they run
// modally, and their labels.
#include "EditorTestSupport.h"
#include "ModelSupport.h"
#include "QVERunParamsEditor.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace editor::test {
namespace {

template <class W>
W* control(RunParamsPanel& panel, const char* name)
{
    W* widget = panel.panel()->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

void typeInto(QLineEdit* field, const QString& text)
{
    field->setText(text);
    emit field->editingFinished();
}

// Runs the user's part once the panel is up, then the panel's own call.
template <class Call>
auto whileOpen(RunParamsPanel& panel, std::function<void()> user, Call call)
{
    bool ran = false;
    QTimer::singleShot(0, panel.panel(), [&] {
        ran = panel.panel()->isVisible();
        user();
    });
    auto answer = call();
    EXPECT_TRUE(ran) << "the panel never showed";
    return answer;
}

QVariantMap run(qint64 n, double pause = 0)
{
    return {{"runrepeatnum", n}, {"runrepeatpause", pause}};
}

class RunParamsPanelTest : public EditorTest {
protected:
    QVERunParamsEditor& panel = QVERunParamsEditor::sharedEditor();
    void ok() { control<QPushButton>(panel, "RPOKButton")->click(); }
    std::optional<QVariantMap> edit(const QVariantMap& params, std::function<void()> user)
    {
        return whileOpen(panel, std::move(user), [&] { return panel.editRunParameters(params, "Test"); });
    }
};

struct OpenCase {
    qint64 stored;
    bool infinite;
    QString shown;
    qint64 returned;
};

TEST_F(RunParamsPanelTest, OpensByTheRepeatRuleAndOKUnchangedReturnsTheKeptValue)
{
    const OpenCase cases[] = {
        {5, false, "5", 5}, {0, false, "1", 0}, {-1, true, "", -1}, {1, false, "0", 0},
        {-5, false, "1", 0}, // below -1: taken as once
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.stored);
        bool infinite = false, fieldEnabled = false;
        QString shown;
        const auto answer = edit(run(c.stored, 1.5), [&] {
            infinite = control<QRadioButton>(panel, "RPRepeatInfiniteOption")->isChecked();
            shown = control<QLineEdit>(panel, "RPTimesField")->text();
            fieldEnabled = control<QLineEdit>(panel, "RPTimesField")->isEnabled();
            ok();
        });
        ASSERT_TRUE(answer);
        EXPECT_EQ(infinite, c.infinite);
        EXPECT_EQ(fieldEnabled, !c.infinite);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(answer->value("runrepeatnum").toLongLong(), c.returned);
        EXPECT_DOUBLE_EQ(answer->value("runrepeatpause").toDouble(), 1.5);
    }
}

struct TypeCase {
    QStringList typed;
    qint64 returned;
};

TEST_F(RunParamsPanelTest, TypedCountsSetTheRepeatAndNegativeEntriesAreClamped)
{
    const TypeCase cases[] = {
        {{"1"}, 0}, {{"3"}, 3}, {{"3", "0"}, 0}, {{"-4"}, 0}, {{"7", "-2"}, 0},
    };
    for (const TypeCase& c : cases) {
        SCOPED_TRACE(c.typed.join(',').toStdString());
        const auto answer = edit(run(0), [&] {
            for (const QString& text : c.typed)
                typeInto(control<QLineEdit>(panel, "RPTimesField"), text);
            typeInto(control<QLineEdit>(panel, "RPPauseField"), "-3");
            ok();
        });
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->value("runrepeatnum").toLongLong(), c.returned);
        EXPECT_DOUBLE_EQ(answer->value("runrepeatpause").toDouble(), 0.0);
    }
}

TEST_F(RunParamsPanelTest, InfiniteAndBackIsOnceAndUndoRestoresTheCount)
{
    auto answer = edit(run(4), [&] {
        control<QRadioButton>(panel, "RPRepeatInfiniteOption")->click();
        control<QRadioButton>(panel, "RPRepeatTimesOption")->click();
        ok();
    });
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->value("runrepeatnum").toLongLong(), 0);

    answer = edit(run(4), [&] {
        typeInto(control<QLineEdit>(panel, "RPTimesField"), "9");
        panel.undoManager()->undo();
        EXPECT_EQ(control<QLineEdit>(panel, "RPTimesField")->text(), "4");
        ok();
    });
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->value("runrepeatnum").toLongLong(), 4);
}

TEST_F(RunParamsPanelTest, CancelAnswersNothingAndAnUnreadableFieldKeepsThePanelOpen)
{
    auto answer = edit(run(2), [&] { control<QPushButton>(panel, "RPCancelButton")->click(); });
    EXPECT_FALSE(answer);

    answer = edit(run(2), [&] {
        control<QLineEdit>(panel, "RPPauseField")->setText("soon");
        ok();
        EXPECT_TRUE(panel.panel()->isVisible());
        control<QLineEdit>(panel, "RPPauseField")->setText("2");
        ok();
    });
    ASSERT_TRUE(answer);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, loc("ParametreIncorrect"));
    EXPECT_DOUBLE_EQ(answer->value("runrepeatpause").toDouble(), 2.0);
}

TEST_F(RunParamsPanelTest, ResultPanelReturnsOnlyItsTwoDictionariesWithClampedDelay)
{
    QVERunResultParamsEditor& result = QVERunResultParamsEditor::sharedEditor();
    const QVariantMap given{{"runparams", run(3)},
                            {"resultparams", QVariantMap{{"resultsuccess", 0}, {"resultfailing", 3}, {"resultdelay", 2.0}}},
                            {"other", 1}};
    const auto answer = whileOpen(
        result,
        [&] {
            auto* failing = control<QComboBox>(result, "RPFailingButton");
            EXPECT_EQ(failing->currentData().toInt(), 3);
            failing->setCurrentIndex(failing->findData(5));
            emit failing->activated(failing->currentIndex());
            EXPECT_EQ(result.undoManager()->text(0),
                      locFormat("AnnulerModidierTypeResultFailing", {failing->currentText()}));
            typeInto(control<QLineEdit>(result, "RPDelayField"), "-1");
            control<QPushButton>(result, "RPOKButton")->click();
        },
        [&] { return result.editRunResultParameters(given, "Step"); });
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->keys(), (QStringList{"resultparams", "runparams"}));
    const QVariantMap resultParams = answer->value("resultparams").toMap();
    EXPECT_EQ(resultParams.value("resultfailing").toInt(), 5);
    EXPECT_EQ(resultParams.value("resultsuccess").toInt(), 0);
    EXPECT_DOUBLE_EQ(resultParams.value("resultdelay").toDouble(), 0.0);
    EXPECT_EQ(answer->value("runparams").toMap().value("runrepeatnum").toLongLong(), 3);
}

TEST_F(RunParamsPanelTest, Labels)
{
    const QString pause25 = locFormat("PauseExecuter", {2.5});
    EXPECT_EQ(QVERunResultParamsEditor::labelOfRunParametersDict(run(0)), " " + loc("ExecuterUneFois"));
    EXPECT_EQ(QVERunResultParamsEditor::labelOfRunParametersDict(run(-1, 2.5)),
              " " + loc("ExecuterInfiniment") + ", " + pause25);
    EXPECT_EQ(QVERunResultParamsEditor::labelOfRunParametersDict(run(3, 1.0)),
              " " + locFormat("ExecuterPlusieursFois", {3}) + ", " + locFormat("PauseExecuter", {1.0}));
    EXPECT_EQ(QVERunResultParamsEditor::labelOfRunParametersDict(run(1)), " " + locFormat("ExecuterPlusieursFois", {1}));
    EXPECT_EQ(QVERunResultParamsEditor::labelOfResultParametersDict(
                  {{"resultsuccess", 0}, {"resultfailing", 3}, {"resultdelay", 4.0}}),
              locFormat("ResultBaseLabel", {loc("ResultLabel0"), loc("ResultLabel3"), 4.0}));
    EXPECT_FALSE(loc("ExecuterUneFois").isEmpty());
}

} // namespace
} // namespace editor::test
