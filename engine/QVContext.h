#pragma once
// One context of Contexts.plist at run time. Each switch is passed to the
// linked shortcuts, menus and palettes (which count them) and, through its
// rules, to the launchers manager's hot-key switches. The rules count the
// switches the same way, so a context switched off that was never on does
// not force on keys that another context's rules keep off. Switching
// happens on the main thread only.
//
// Types: 0 universal, 1 application in front, 2 application not in front,
// 3 application running, 4 application not running.
#include "QVLinkedObject.h"

#include <QList>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <memory>
#include <mutex>

namespace engine {

class QVContext : public std::enable_shared_from_this<QVContext> {
public:
    enum Type { Universal = 0, AppInFront = 1, AppNotInFront = 2, AppRunning = 3, AppNotRunning = 4 };

    // A context built from its record; nullptr when the record is not a dictionary of a context.
    static std::shared_ptr<QVContext> contextWithRecord(const QVariantMap& record);

    QVContext() = default;
    QVContext(const QVContext&) = delete;
    QVContext& operator=(const QVContext&) = delete;

    bool initWithDictionaryInLauncher(const QVariantMap& record);
    // End of a load: a running-application context whose application runs,
    // or a not-running one whose application does not, switches on.
    void endInit();

    quint32 IDValue() const { return m_id; }
    bool IDIsEqual(quint32 contextID) const { return contextID == m_id; }
    bool isUniversal() const { return m_type == Universal; }
    QString name() const { return m_name; }
    int contextType() const { return m_type; }
    QString appName() const { return m_appName; }
    QVariantList rulesDictArray() const { return m_rules; }

    bool appActivatedIsEqual(const QString& name) const;
    bool appDeactivatedIsEqual(const QString& name) const;
    bool appRunningIsEqual(const QString& name) const;
    bool appNotRunningIsEqual(const QString& name) const;

    // Held strongly; removeLinkedObject drops every entry of the object.
    void addLinkedObject(std::shared_ptr<QVLinkedObject> object);
    void removeLinkedObject(const QVLinkedObject* object);
    QList<std::shared_ptr<QVLinkedObject>> linkedObjects() const;
    // Breaks the context <-> object cycles before the manager drops the context.
    void removeAllLinkedObjects();

    void setContextActivated(bool activated);
    // Applies the rules at the first on and releases them when the count
    // of ons returns to 0; an off at 0 does nothing.
    void setRulesApplied(bool applied);
    int rulesAppliedCount() const { return m_rulesApplied; }

    // Scripting: the linked shortcuts, gathered on the first call.
    QList<std::shared_ptr<QVLinkedObject>> ZLorderedShortcuts();

    QString description() const;

private:
    quint32 m_id = 0;              // COID
    QString m_name;                // COName
    int m_type = Universal;        // COType
    QVariantList m_rules;          // CORulesDictArray
    QString m_appName;             // COAppName
    mutable std::mutex m_mutex;    // guards the two lists
    QList<std::shared_ptr<QVLinkedObject>> m_linked; // COLinkedObjects
    QList<std::shared_ptr<QVLinkedObject>> m_cuts;   // COCutsArray
    bool m_cutsGathered = false;
    int m_rulesApplied = 0;        // ons not yet matched by an off (main thread)
};

} // namespace engine
