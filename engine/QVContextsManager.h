#pragma once
// The engine's contexts, rebuilt on every load, and their switching from
// the application events that QVAppl posts on the main thread:
// "FrontAppChangedNotification", "AfterLaunchAppNotifcation",
// "AfterTerminateAppNotifcation" and "EndInitNotification".
// Application names arrive as file names ("gedit.desktop", "Zelk Editor.app")
// and are matched without their extension.
//
// The front application last announced is kept across loads, so the end of
// a load switches the front-application contexts as they stand: the first
// "in front" context of the front application on, and the first "not in
// front" context of every other application on.
#include "NotificationCenter.h"
#include "QVContext.h"
#include "QVObjectIndex.h"

#include <QList>
#include <QVariantList>
#include <memory>
#include <mutex>
#include <vector>

namespace engine {

class QVContextsManager {
public:
    static QVContextsManager& sharedManager();

    // Drops every context until the next setContexts() (switches nothing off).
    void resetContexts();
    void setContexts(const QVariantList& records);
    void addContextObject(const QVariantMap& record);
    void insertContextObject(const QVariantMap& record, qsizetype atIndex);

    std::shared_ptr<QVContext> contextWithID(quint32 contextID) const;
    std::shared_ptr<QVContext> universalContext() const;
    std::shared_ptr<QVContext> contextWithActivatedApp(const QString& name) const;
    std::shared_ptr<QVContext> contextWithDeactivatedApp(const QString& name) const;
    std::shared_ptr<QVContext> contextWithRunningApp(const QString& name) const;
    std::shared_ptr<QVContext> contextWithNotRunningApp(const QString& name) const;
    QList<std::shared_ptr<QVContext>> contextsArray() const;

    // Handlers of the local notifications (main thread).
    void frontAppChangedNotification(const zelk::Notification& notification);
    void launchAppNotification(const zelk::Notification& notification);
    void terminateAppNotification(const zelk::Notification& notification);
    void endInitNotification(const zelk::Notification& notification);

    // "gedit.desktop" -> "gedit", "TextEdit.app" -> "TextEdit".
    static QString applicationNameWithoutExtension(const QString& fileName);

private:
    QVContextsManager();
    mutable std::mutex m_mutex;
    QList<std::shared_ptr<QVContext>> m_contexts; // CMContextsArray
    QString m_frontApp; // as last announced, without extension; empty for none (main thread)
    mutable QVObjectIndex<QVContext> m_byID;
    std::vector<zelk::ObserverHandle> m_observers;
};

} // namespace engine
