#include "DocumentShortcut.h"

#include "FormatText.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QMimeData>
#include <QPushButton>

namespace zelk::editor {

namespace K = DocumentShortcutKeys;

namespace {

const DocumentShortcutClass& cls()
{
    return paneClassObject<DocumentShortcutClass>();
}

// What the user calls an application by its stored name.
QString applicationPart(const QString& name)
{
    const QString found = fullPathForApplication(name);
    return found.isEmpty() ? name : withoutAppExtension(displayNameAtPath(found));
}

} // namespace

// --- Class side ---------------------------------------------------------------------------

QVariantMap DocumentShortcutClass::dataForAction(int model, const QString& document, const QString& application) const
{
    switch (model) {
    case 2:
        return {{K::Action, qint64(2)},
                {K::DocPath, document},
                {K::DocFSRef, document.isEmpty() ? QByteArray() : QVEAction::FSRefForPath(document)},
                {K::AppName, application}};
    case 3:
        return {{K::Action, qint64(3)}, {K::Order, qint64(0)}};
    case 5:
        return {{K::Action, qint64(5)}, {K::AppName, application}};
    default:
        return {};
    }
}

QString DocumentShortcutClass::nameForAction(int model, const QString& document, const QString& application) const
{
    switch (model) {
    case 2: {
        const QString documentPart = document.isEmpty() ? QString() : QFileInfo(document).completeBaseName();
        if (application.isEmpty())
            return fillFormat(localizedActionName(1), {documentPart});
        return fillFormat(localizedActionName(2), {documentPart, applicationPart(application)});
    }
    case 3:
        return localizedActionName(3);
    case 5:
        if (application.isEmpty())
            return localizedActionName(4);
        return fillFormat(localizedActionName(5), {applicationPart(application)});
    default:
        return {};
    }
}

QVariantMap DocumentShortcutClass::newDataForAction(int model) const
{
    const QString name = ActionPane::suggestsNameForNew() ? nameForAction(model, {}, {}) : QString();
    return newActionRecord(*this, dataForAction(model, {}, {}), name);
}

QStringList DocumentShortcutClass::pasteboardTypes() const
{
    return {QString::fromLatin1(kFilenamesPboardType)};
}

QList<int> DocumentShortcutClass::modelsIDForPasteboard(const QMimeData* pasteboard) const
{
    if (!pasteboard || !pasteboard->hasFormat(QString::fromLatin1(kFilenamesPboardType)) || !allPathsOfKind(pasteboard, 2))
        return {};
    return {2};
}

QVariantList DocumentShortcutClass::newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const
{
    if (!pasteboard || !pasteboard->hasFormat(QString::fromLatin1(kFilenamesPboardType)))
        return {};
    return newRecordsOfPaths(
        *this, pasteboard, 2, [this, forAction](const QString& path) { return dataForAction(forAction, path, {}); },
        [this, forAction](const QString& path) { return nameForAction(forAction, path, {}); });
}

// --- Reading, validity ----------------------------------------------------------------------

bool DocumentShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict, CUTAction);
    return true;
}

bool DocumentShortcut::isValid() const
{
    return notValidString().isEmpty();
}

QString DocumentShortcut::notValidString() const
{
    QString reason;
    if (m_model == 2) {
        const QString path = bestPath();
        if (!fileExistsAtPath(path))
            reason += fillFormat(localizedStr(QStringLiteral("DocumentNonValide")), {path});
    }
    if ((m_model == 2 || m_model == 5) && !CUTAppName.isEmpty() && fullPathForApplication(CUTAppName).isEmpty())
        reason += fillFormat(localizedStr(QStringLiteral("ApplicationNonValide")), {CUTAppName});
    return reason;
}

// --- The editing cycle -------------------------------------------------------------------------

void DocumentShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    const int model = m_model;
    if (model == 0)
        return;
    CUTView = paneView(model, [this, model] { return makeView(model); });
    m_editing = true;
    if (model == 2) {
        // A moved document is shown where it is now.
        CUTLastDocPath = bestPath();
        setDocButtonWithPath(CUTLastDocPath);
    }
    if (model == 2 || model == 5) {
        CUTLastAppName = CUTAppName;
        setAppButtonWithName(CUTLastAppName);
    }
    if (model == 3) {
        CUTLastOrder = CUTOrder;
        selectItemWithTag(CUTOrderButton, CUTOrder == 0 ? 0 : 1);
    }
    showPaneView(accessoryView, CUTView);
}

bool DocumentShortcut::willValidateEditing()
{
    if (m_editing) {
        if (m_model == 2) {
            CUTDocPath = CUTLastDocPath;
            CUTDocFSRef = QVEAction::FSRefForPath(CUTDocPath);
            CUTPersoDict.insert(K::DocPath, CUTDocPath);
            CUTPersoDict.insert(K::DocFSRef, CUTDocFSRef);
        }
        if (m_model == 2 || m_model == 5) {
            CUTAppName = CUTLastAppName;
            CUTPersoDict.insert(K::AppName, CUTAppName);
        }
        if (m_model == 3) {
            CUTOrder = CUTLastOrder;
            CUTPersoDict.insert(K::Order, qint64(CUTOrder));
        }
    }
    abortEditing();
    return ActionPane::willValidateEditing();
}

void DocumentShortcut::abortEditing()
{
    m_editing = false;
    CUTLastDocPath.clear();
    CUTLastAppName.clear();
}

QVariantMap DocumentShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!m_editing)
        return data;
    if (m_model == 2) {
        data.insert(K::DocPath, CUTLastDocPath);
        data.insert(K::DocFSRef, QVEAction::FSRefForPath(CUTLastDocPath));
    }
    if (m_model == 2 || m_model == 5)
        data.insert(K::AppName, CUTLastAppName);
    if (m_model == 3)
        data.insert(K::Order, qint64(CUTLastOrder));
    return data;
}

// --- Control handlers ----------------------------------------------------------------------------

void DocumentShortcut::modifyDocument()
{
    const QString path = QVEAction::getDocumentOfTypes({}, CUTLastDocPath);
    if (path.isEmpty())
        return;
    const QString name =
        suggestsNameForModified() ? cls().nameForAction(m_model, path, CUTLastAppName) : possibleNameValue();
    const QString undo =
        fillFormat(localizedStr(QStringLiteral("AnnulerModifierDocument")), {QFileInfo(path).fileName()});
    setDocument(path, CUTLastAppName, name, false, undo);
}

void DocumentShortcut::modifyApplication(int tag)
{
    if (tag == 0) {
        const int index = CUTAppButton ? indexOfMarker(CUTAppButton, QString::fromLatin1(AppDefaultItem)) : -1;
        chooseApplication(QString(), index >= 0 ? CUTAppButton->itemText(index) : QString(), false);
    } else if (tag == 1) {
        const QString path = QVEAction::getApplicationFromPath(QString());
        if (!path.isEmpty())
            chooseApplication(applicationNameOfPath(path), withoutAppExtension(displayNameAtPath(path)), false);
    }
}

void DocumentShortcut::modifyApplicationFromMenu(const QString& path)
{
    if (!path.isEmpty())
        chooseApplication(applicationNameOfPath(path), withoutAppExtension(displayNameAtPath(path)), true);
}

void DocumentShortcut::chooseApplication(const QString& name, const QString& shownName, bool evenWhenSame)
{
    if (!evenWhenSame && name == CUTLastAppName)
        return;
    const QString cutName =
        suggestsNameForModified() ? cls().nameForAction(m_model, CUTLastDocPath, name) : possibleNameValue();
    const QString undo = fillFormat(localizedStr(QStringLiteral("AnnulerModifierApplication")), {shownName});
    setDocument(CUTLastDocPath, name, cutName, false, undo);
}

void DocumentShortcut::modifyOrder()
{
    if (!CUTOrderButton)
        return;
    const int index = CUTOrderButton->currentIndex();
    const int order = tagOfItem(CUTOrderButton, index);
    if (order == CUTLastOrder)
        return;
    const QString undo = fillFormat(localizedStr(QStringLiteral("AnnulerTri")), {CUTOrderButton->itemText(index)});
    setOrder(order, possibleNameValue(), false, undo);
}

void DocumentShortcut::setRecents()
{
    QVEAction::openPreferencePanel(QStringLiteral("Appearance"));
}

// --- Setters -----------------------------------------------------------------------------------------

void DocumentShortcut::setDocument(const QString& document, const QString& withApplication, const QString& withCutName,
                                   bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldDoc = CUTLastDocPath, oldApp = CUTLastAppName, oldName = possibleNameValue()] {
                setDocument(oldDoc, oldApp, oldName, true, {});
            },
            [this, document, withApplication, withCutName] {
                setDocument(document, withApplication, withCutName, true, {});
            }))
        return;
    if (m_model == 2 && document != CUTLastDocPath) {
        CUTLastDocPath = document;
        setDocButtonWithPath(document);
    }
    if (withApplication != CUTLastAppName) {
        CUTLastAppName = withApplication;
        setAppButtonWithName(withApplication);
    }
    setPossibleNameValue(withCutName);
    if (m_model == 2) {
        const QImage image = QVEAction::iconImageForPath(CUTLastDocPath, 32);
        if (!image.isNull())
            setPossibleImageValue(image);
    }
}

void DocumentShortcut::setOrder(int order, const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldOrder = CUTLastOrder, oldName = possibleNameValue()] { setOrder(oldOrder, oldName, true, {}); },
            [this, order, withCutName] { setOrder(order, withCutName, true, {}); }))
        return;
    if (order != CUTLastOrder) {
        CUTLastOrder = order;
        if (CUTOrderButton)
            selectItemWithTag(CUTOrderButton, order == 0 ? 0 : 1);
    }
    setPossibleNameValue(withCutName);
}

// --- Pop-ups ---------------------------------------------------------------------------------------------

void DocumentShortcut::setDocButtonWithPath(const QString& path)
{
    if (!CUTDocButton)
        return;
    setPathPopUp(CUTDocButton, path, indexOfMarker(CUTDocButton, QString::fromLatin1(DocChooseItem)));
    CUTDocButton->setCurrentIndex(0);
}

void DocumentShortcut::setAppButtonWithName(const QString& name)
{
    if (!CUTAppButton)
        return;
    if (name.isEmpty()) {
        const int index = indexOfMarker(CUTAppButton, QString::fromLatin1(AppDefaultItem));
        CUTAppButton->setItemText(0, index >= 0 ? CUTAppButton->itemText(index) : QString());
        CUTAppButton->setItemIcon(0, QIcon());
        CUTAppButton->setCurrentIndex(0);
    } else {
        showApplicationName(CUTAppButton, name);
    }
    fillLaunchedRecentApp(CUTAppButton);
}

void DocumentShortcut::appButtonActivated(int index)
{
    const QString marker = CUTAppButton->itemData(index, MarkerRole).toString();
    const QString path = CUTAppButton->itemData(index, PathRole).toString();
    CUTAppButton->setCurrentIndex(0);
    if (marker == QLatin1String(AppDefaultItem))
        modifyApplication(0);
    else if (marker == QLatin1String(AppOtherItem))
        modifyApplication(1);
    else if (!path.isEmpty())
        modifyApplicationFromMenu(path);
}

QWidget* DocumentShortcut::makeView(int model)
{
    auto* view = new QWidget;
    view->setObjectName(model == 2 ? QStringLiteral("OpenWithView")
                                   : model == 3 ? QStringLiteral("DocRecentView") : QStringLiteral("OpenSelectionWithView"));
    auto* form = new QFormLayout(view);
    if (model == 2) {
        CUTDocButton = new QComboBox(view);
        CUTDocButton->setObjectName(QStringLiteral("CUTDocButton"));
        CUTDocButton->setAccessibleName(localizedStr(QStringLiteral("DocLabel")));
        CUTDocButton->addItem(QString());
        CUTDocButton->insertSeparator(1);
        addMarkerItem(CUTDocButton, localizedStr(QStringLiteral("DocChooseItem")), QString::fromLatin1(DocChooseItem));
        QObject::connect(CUTDocButton, &QComboBox::activated, view, [this](int index) {
            const bool choose = CUTDocButton->itemData(index, MarkerRole).toString() == QLatin1String(DocChooseItem);
            CUTDocButton->setCurrentIndex(0);
            if (choose)
                modifyDocument();
        });
        form->addRow(localizedStr(QStringLiteral("DocLabel")), CUTDocButton);
    }
    if (model == 2 || model == 5) {
        CUTAppButton = new QComboBox(view);
        CUTAppButton->setObjectName(QStringLiteral("CUTAppButton"));
        CUTAppButton->setAccessibleName(localizedStr(QStringLiteral("AppLabel")));
        CUTAppButton->addItem(QString());
        CUTAppButton->insertSeparator(1);
        addMarkerItem(CUTAppButton, localizedStr(QStringLiteral("AppDefaultItem")), QString::fromLatin1(AppDefaultItem));
        addMarkerItem(CUTAppButton, localizedStr(QStringLiteral("AppLaunchedItem")), QString::fromLatin1(AppLaunchedItem));
        addMarkerItem(CUTAppButton, localizedStr(QStringLiteral("AppRecentItem")), QString::fromLatin1(AppRecentItem));
        addMarkerItem(CUTAppButton, localizedStr(QStringLiteral("AppOtherItem")), QString::fromLatin1(AppOtherItem));
        QObject::connect(CUTAppButton, &QComboBox::activated, view, [this](int index) { appButtonActivated(index); });
        form->addRow(localizedStr(QStringLiteral("AppLabel")), CUTAppButton);
    }
    if (model == 3) {
        CUTOrderButton = new QComboBox(view);
        CUTOrderButton->setObjectName(QStringLiteral("CUTOrderButton"));
        CUTOrderButton->setAccessibleName(localizedStr(QStringLiteral("OrderLabel")));
        addTaggedItem(CUTOrderButton, localizedStr(QStringLiteral("OrderUnsorted")), 0);
        addTaggedItem(CUTOrderButton, localizedStr(QStringLiteral("OrderByName")), 1);
        QObject::connect(CUTOrderButton, &QComboBox::activated, view, [this](int) { modifyOrder(); });
        form->addRow(localizedStr(QStringLiteral("OrderLabel")), CUTOrderButton);
        auto* recents = new QPushButton(localizedStr(QStringLiteral("RecentsButton")), view);
        recents->setObjectName(QStringLiteral("CUTRecentsButton"));
        QObject::connect(recents, &QPushButton::clicked, view, [this] { setRecents(); });
        form->addRow(recents);
    }
    return view;
}

ZELK_REGISTER_ACTION_PANE(DocumentShortcutClass)

} // namespace zelk::editor
