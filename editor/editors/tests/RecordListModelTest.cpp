// The list component against a plain list: moves as a table of cases with
// their undo and redo, and the paste, cut and drop rules.
#include "ManagerSupport.h"
#include "RecordListModel.h"
#include "ReferenceLists.h"

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QTableView>
#include <QUndoStack>
#include <gtest/gtest.h>
#include <memory>

namespace editor::test {
namespace {

QVariantMap ref(quint32 id)
{
    return {{QStringLiteral("cutlauncherID"), qint64(id)}, {QStringLiteral("cutlauncheractive"), true}};
}

quint32 idOfRef(const QVariantMap& record)
{
    return quint32(record.value(QStringLiteral("cutlauncherID")).toLongLong());
}

// Letters stand for IDs: A = 1, B = 2...
QVariantList refs(const QString& letters)
{
    QVariantList list;
    for (const QChar letter : letters)
        list << ref(quint32(letter.unicode() - 'A' + 1));
    return list;
}

QString letters(const QVariantList& records)
{
    QString text;
    for (const QVariant& record : records)
        text += QChar(char('A' + idOfRef(record.toMap()) - 1));
    return text;
}

// The plain model: take the rows out, put them back as one block at the
// drop row less the rows taken from above it.
QString plainMove(const QString& list, const QList<int>& rows, int drop)
{
    QString moved, rest;
    for (int k = 0; k < list.size(); ++k)
        (rows.contains(k) ? moved : rest) += list.at(k);
    int above = 0;
    for (const int row : rows)
        above += row < drop ? 1 : 0;
    return rest.left(drop - above) + moved + rest.mid(drop - above);
}

class RecordListModelTest : public ::testing::Test {
protected:
    RecordListModelTest()
    {
        RecordListModel::Config config;
        config.pboardType = QStringLiteral("QVLauncherRefPboardType");
        config.realPboardType = QStringLiteral("QVLauncherPboardType");
        config.referenceFor = [](const QVariantMap& real) {
            return ref(quint32(real.value(QStringLiteral("launcherID")).toLongLong()));
        };
        config.idOf = [](const QVariantMap& record) -> std::optional<quint32> { return idOfRef(record); };
        config.isKnown = [this](const QVariantMap& record) { return !gone.contains(idOfRef(record)); };
        config.nameOf = [](const QVariantMap& record) { return QString(QChar(char('A' + idOfRef(record) - 1))); };
        config.mayRemove = [this](const QList<int>& rows) { return rows.size() < refusedFrom; };
        config.add = {QStringLiteral("AnnulerAjouterLanceur"), QStringLiteral("AnnulerAjouterLanceurs")};
        config.remove = {QStringLiteral("AnnulerSupprimerLanceur"), QStringLiteral("AnnulerSupprimerLanceurs")};
        config.move = {QStringLiteral("AnnulerDeplacerLanceur"), QStringLiteral("AnnulerDeplacerLanceurs")};
        config.cut = {QStringLiteral("AnnulerCouperLanceur"), QStringLiteral("AnnulerCouperLanceurs")};
        config.paste = {QStringLiteral("AnnulerCollerLanceur"), QStringLiteral("AnnulerCollerLanceurs")};
        config.copy = {QStringLiteral("AnnulerCopierLanceur"), QStringLiteral("AnnulerCopierLanceurs")};
        config.columns = {QStringLiteral("active"), QStringLiteral("name")};
        config.data = [](const QVariantMap& record, int, const QString& column, int role) -> QVariant {
            if (role == Qt::DisplayRole && column == QLatin1String("name"))
                return idOfRef(record);
            return {};
        };
        list = std::make_unique<RecordListModel>(config, &stack);
        tester = std::make_unique<QAbstractItemModelTester>(list.get(),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
        view.setModel(list.get());
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        view.setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setView(&view);
    }

    QString shown() const { return letters(list->records()); }

    QUndoStack stack;
    QTableView view;
    std::unique_ptr<RecordListModel> list;
    std::unique_ptr<QAbstractItemModelTester> tester;
    QList<quint32> gone;
    int refusedFrom = 1000;
};

struct MoveCase {
    const char* list;
    QList<int> rows;
    int drop;
};

TEST_F(RecordListModelTest, MovesMatchThePlainModelAndUndoRestoresTheOrder)
{
    const MoveCase cases[] = {
        {"ABCD", {2, 3}, 2},        // a block dropped where it stands
        {"ABCDEF", {1, 2, 3}, 0},   // to the top
        {"ABCD", {0}, 4},           // first to the end
        {"ABCD", {3}, 0},           // last to the top
        {"ABCD", {0, 1}, 3},        // down, past one row
        {"ABCDEF", {0, 2, 4}, 6},   // scattered rows to the end
        {"ABCDEF", {1, 4}, 3},      // scattered rows around the drop row
        {"ABCDEF", {0, 5}, 3},      // both ends into the middle
        {"ABC", {1}, 1},            // on itself
        {"ABC", {1}, 2},            // just below itself
        {"ABCDE", {0, 1, 2, 3, 4}, 2}, // everything
    };
    for (const MoveCase& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 rows %2 to %3")
                         .arg(QLatin1String(c.list))
                         .arg([&] {
                             QStringList r;
                             for (int row : c.rows)
                                 r << QString::number(row);
                             return r.join(',');
                         }())
                         .arg(c.drop)
                         .toStdString());
        stack.clear();
        list->setRecords(refs(QLatin1String(c.list)));
        const QString expected = plainMove(QLatin1String(c.list), c.rows, c.drop);
        const bool changed = list->moveRecords(c.rows, c.drop);
        EXPECT_EQ(shown(), expected);
        EXPECT_EQ(changed, expected != QLatin1String(c.list));
        EXPECT_EQ(stack.count(), changed ? 1 : 0);
        if (!changed)
            continue;
        // The moved rows are selected where they now stand.
        QList<int> movedRows;
        for (const int row : c.rows)
            movedRows << int(expected.indexOf(QLatin1String(c.list)[row]));
        std::sort(movedRows.begin(), movedRows.end());
        EXPECT_EQ(list->selectedRows(), movedRows);
        stack.undo();
        EXPECT_EQ(shown(), QLatin1String(c.list));
        EXPECT_EQ(list->selectedRows(), c.rows);
        stack.redo();
        EXPECT_EQ(shown(), expected);
    }
}

TEST_F(RecordListModelTest, MoveStepIsNamedByCount)
{
    list->setRecords(refs(QStringLiteral("ABCD")));
    list->moveRecords({0}, 3);
    EXPECT_EQ(stack.text(0), locFormat(QStringLiteral("AnnulerDeplacerLanceur"), {QStringLiteral("A")}));
    list->moveRecords({0, 1}, 4);
    EXPECT_EQ(stack.text(1), locFormat(QStringLiteral("AnnulerDeplacerLanceurs"), {qulonglong(2)}));
}

TEST_F(RecordListModelTest, ADragWithinTheListMovesAndACopyDropAddsNothingListed)
{
    list->setRecords(refs(QStringLiteral("ABCD")));
    std::unique_ptr<QMimeData> dragged(list->mimeData({list->index(0, 0), list->index(1, 1)}));
    EXPECT_TRUE(list->dropMimeData(dragged.get(), Qt::MoveAction, 3, 0, {}));
    EXPECT_EQ(shown(), QStringLiteral("CABD"));
    // The same rows dropped as a copy: all listed, nothing added, no step.
    std::unique_ptr<QMimeData> again(list->mimeData({list->index(0, 0)}));
    EXPECT_TRUE(list->dropMimeData(again.get(), Qt::CopyAction, 0, 0, {}));
    EXPECT_EQ(shown(), QStringLiteral("CABD"));
    EXPECT_EQ(stack.count(), 1);
    // A drop on a row goes above it.
    std::unique_ptr<QMimeData> last(list->mimeData({list->index(3, 0)}));
    list->dropMimeData(last.get(), Qt::MoveAction, -1, -1, list->index(1, 0));
    EXPECT_EQ(shown(), QStringLiteral("CDAB"));
    // Below the rows: after the last.
    std::unique_ptr<QMimeData> first(list->mimeData({list->index(0, 0)}));
    list->dropMimeData(first.get(), Qt::MoveAction, -1, -1, {});
    EXPECT_EQ(shown(), QStringLiteral("DABC"));
}

TEST_F(RecordListModelTest, RowsDraggedFromAnotherListAreCopiedNotMoved)
{
    RecordListModel other(list->config(), &stack);
    other.setRecords(refs(QStringLiteral("EF")));
    list->setRecords(refs(QStringLiteral("AB")));
    std::unique_ptr<QMimeData> dragged(other.mimeData({other.index(0, 0), other.index(1, 0)}));
    list->dropMimeData(dragged.get(), Qt::MoveAction, 1, 0, {});
    EXPECT_EQ(shown(), QStringLiteral("AEFB"));
    EXPECT_EQ(letters(other.records()), QStringLiteral("EF"));
    EXPECT_EQ(stack.text(0), locFormat(QStringLiteral("AnnulerCopierLanceurs"), {qulonglong(2)}));
}

TEST_F(RecordListModelTest, PasteSkipsListedAndUnknownObjectsAndAddsAfterTheSelection)
{
    list->setRecords(refs(QStringLiteral("ABC")));
    gone << 6;
    // D and E are new, B is listed, F no longer exists.
    std::unique_ptr<QMimeData> pasted(mimeDataWithRecords(QStringLiteral("QVLauncherRefPboardType"), refs("DBEF")));
    ASSERT_TRUE(list->paste(pasted.get()));
    EXPECT_EQ(shown(), QStringLiteral("ABDEC"));
    EXPECT_EQ(stack.count(), 1);
    EXPECT_EQ(stack.text(0), locFormat(QStringLiteral("AnnulerCollerLanceurs"), {qulonglong(2)}));
    stack.undo();
    EXPECT_EQ(shown(), QStringLiteral("ABC"));

    // All listed: nothing added, nothing registered, the last one selected.
    std::unique_ptr<QMimeData> listed(mimeDataWithRecords(QStringLiteral("QVLauncherRefPboardType"), refs("CA")));
    EXPECT_FALSE(list->paste(listed.get()));
    EXPECT_EQ(stack.index(), 0);
    EXPECT_EQ(list->selectedRow(), 0);
}

TEST_F(RecordListModelTest, WholeRecordsBecomeReferencesAndDuplicatesInOnePasteCountOnce)
{
    list->setRecords({});
    const QVariantList real{QVariantMap{{QStringLiteral("launcherID"), qint64(3)}},
                            QVariantMap{{QStringLiteral("launcherID"), qint64(3)}}};
    std::unique_ptr<QMimeData> pasted(mimeDataWithRecords(QStringLiteral("QVLauncherPboardType"), real));
    ASSERT_TRUE(list->paste(pasted.get()));
    EXPECT_EQ(list->records(), QVariantList{ref(3)});
}

TEST_F(RecordListModelTest, ARefusedCutLeavesTheListAndEveryStepAsTheyWere)
{
    list->setRecords(refs(QStringLiteral("AB")));
    list->moveRecords({0}, 2);
    const QString moveName = stack.text(0);
    refusedFrom = 2; // removing both rows is refused
    list->selectRows({0, 1}, 1);
    EXPECT_FALSE(list->cutSelected());
    EXPECT_EQ(shown(), QStringLiteral("BA"));
    EXPECT_EQ(stack.count(), 1);
    EXPECT_EQ(stack.text(0), moveName);

    refusedFrom = 1000;
    list->selectRow(0);
    ASSERT_TRUE(list->cutSelected());
    EXPECT_EQ(stack.text(1), locFormat(QStringLiteral("AnnulerCouperLanceur"), {QStringLiteral("B")}));
    EXPECT_EQ(stack.text(0), moveName);
}

TEST_F(RecordListModelTest, RemoveSelectsTheFollowingRowAndUndoGivesBackRowsAndSelection)
{
    list->setRecords(refs(QStringLiteral("ABCDE")));
    list->selectRows({1, 3}, 3);
    ASSERT_TRUE(list->removeSelected());
    EXPECT_EQ(shown(), QStringLiteral("ACE"));
    EXPECT_EQ(list->selectedRows(), QList<int>{2});
    EXPECT_EQ(stack.text(0), locFormat(QStringLiteral("AnnulerSupprimerLanceurs"), {qulonglong(2)}));
    stack.undo();
    EXPECT_EQ(shown(), QStringLiteral("ABCDE"));
    EXPECT_EQ(list->selectedRows(), (QList<int>{1, 3}));
}

TEST_F(RecordListModelTest, FurtherWholeObjectTypesPasteInOrderAndMayBeRefused)
{
    // A list that also takes contexts, after launchers, made into references
    // of 10 + their ID; contexts from 3 on are refused as a whole.
    RecordListModel::Config config = list->config();
    config.moreRealTypes = {{QStringLiteral("QVContextPboardType"),
                             [](const QVariantMap& real) {
                                 return ref(10 + quint32(real.value(QStringLiteral("contextID")).toLongLong()));
                             },
                             {}}};
    config.mayAddReal = [](const QString& type, const QVariantList& records) {
        if (type != QLatin1String("QVContextPboardType"))
            return true;
        for (const QVariant& record : records) {
            if (record.toMap().value(QStringLiteral("contextID")).toLongLong() >= 3)
                return false;
        }
        return true;
    };
    RecordListModel both(config, &stack);
    QTableView table;
    table.setModel(&both);
    both.setView(&table);
    auto context = [](qint64 id) { return QVariantMap{{QStringLiteral("contextID"), id}}; };

    std::unique_ptr<QMimeData> contexts(mimeDataWithRecords(QStringLiteral("QVContextPboardType"), {context(1)}));
    EXPECT_TRUE(both.canPaste(contexts.get()));
    EXPECT_TRUE(both.paste(contexts.get()));
    EXPECT_EQ(idOfRef(both.recordAt(0)), 11u);
    EXPECT_EQ(stack.text(stack.count() - 1), locFormat(QStringLiteral("AnnulerCollerLanceur"), {QString(QChar(char('A' + 10)))}));
    std::unique_ptr<QMimeData> refused(
        mimeDataWithRecords(QStringLiteral("QVContextPboardType"), {context(2), context(3)}));
    EXPECT_FALSE(both.paste(refused.get()));
    EXPECT_TRUE(both.dropMimeData(refused.get(), Qt::CopyAction, 0, 0, {})) << "a refused drop is still taken";
    EXPECT_EQ(both.count(), 1);
    EXPECT_TRUE(both.addRealRecordsOfType(QStringLiteral("QVContextPboardType"), {context(4)}, 0));
    EXPECT_FALSE(both.addRealRecordsOfType(QStringLiteral("QVMenuPboardType"), {context(5)}, 0));
    EXPECT_EQ(both.count(), 2);
    EXPECT_TRUE(both.mimeTypes().contains(mimeTypeForPboardType(QStringLiteral("QVContextPboardType"))));
}

TEST_F(RecordListModelTest, StepsOutliveNoList)
{
    list->setRecords(refs(QStringLiteral("AB")));
    list->moveRecords({0}, 2);
    list.reset();
    tester.reset();
    stack.undo(); // the list is gone: nothing to reach
    stack.redo();
    EXPECT_EQ(stack.count(), 1);
}

// The shared lists' pasteboard types and the six undo names each of their
// steps is named by ("Annuler<verb><noun>", one row and several).
TEST(ReferenceListsTest, EachListHasItsTypesUndoNamesAndColumns)
{
    struct Case {
        const char* list;
        RecordListModel::Config config;
        QString pboardType, realPboardType, one, many;
        QStringList columns;
    };
    const Case cases[] = {
        {"launchers", launcherReferencesConfig(), "QVLauncherRefPboardType", "QVLauncherPboardType", "Lanceur",
         "Lanceurs", {"active", "name"}},
        {"contexts", contextReferencesConfig(nullptr), "QVContextRefPboardType", "QVContextPboardType", "Contexte",
         "Contextes", {"active", "name"}},
        {"steps", actionStepsConfig(), "QVCutActionPboardType", "QVActionPboardType", "Action", "Actions",
         {"step", "active", "name", "repeat", "pause", "resultsuccess", "resultfailure"}},
        {"rules", contextRulesConfig(nullptr), "QVRulePboardType", QString(), QString(), "Regles", {"active", "label"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        EXPECT_EQ(c.config.pboardType, c.pboardType);
        EXPECT_EQ(c.config.realPboardType, c.realPboardType);
        EXPECT_EQ(c.config.columns, c.columns);
        EXPECT_EQ(c.config.headers.size(), c.columns.size());
        const std::pair<const char*, RecordListModel::UndoKeys> steps[] = {
            {"Ajouter", c.config.add},  {"Supprimer", c.config.remove}, {"Deplacer", c.config.move},
            {"Couper", c.config.cut},   {"Coller", c.config.paste},     {"Copier", c.config.copy}};
        for (const auto& [verb, keys] : steps) {
            const QString stem = QStringLiteral("Annuler") + QLatin1String(verb);
            EXPECT_EQ(keys.one, c.one.isEmpty() ? QString() : stem + c.one) << verb;
            EXPECT_EQ(keys.many, stem + c.many) << verb;
        }
    }
}

// A reference to an object the managers do not have is unknown, nameless
// and shows nothing but its active box.
TEST(ReferenceListsTest, AReferenceToAMissingObjectIsUnknown)
{
    const std::pair<RecordListModel::Config, ReferenceKeys> lists[] = {
        {launcherReferencesConfig(), launcherReferenceKeys()}, {contextReferencesConfig(nullptr), contextReferenceKeys()}};
    for (const auto& [config, keys] : lists) {
        SCOPED_TRACE(keys.id.toStdString());
        const QVariantMap record{{keys.id, qint64(987654)}, {keys.active, true}};
        EXPECT_FALSE(config.isKnown(record));
        EXPECT_TRUE(config.nameOf(record).isEmpty());
        ASSERT_TRUE(config.idOf);
        EXPECT_EQ(config.idOf(record), std::optional<quint32>(987654));
        EXPECT_EQ(config.idOf(QVariantMap{}), std::nullopt);
        EXPECT_EQ(config.data(record, 0, QStringLiteral("active"), Qt::CheckStateRole), QVariant(Qt::Checked));
        EXPECT_FALSE(config.data(record, 0, QStringLiteral("name"), Qt::DisplayRole).isValid());
    }
}

} // namespace
} // namespace editor::test
