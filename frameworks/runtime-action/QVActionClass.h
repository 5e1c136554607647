#pragma once
// The class object of an engine-side action type: its name, bundle and the
// class operations that action types may override. Registered by name in
// the ClassRegistry; a record's "actionclass" picks it. The class object is
// itself a controller, with the defaults a stand-alone run relies on.
#include "ClassRegistry.h"
#include "QVActionController.h"

#include <memory>

namespace zelk {

class QVAction;

class QVActionClass : public ClassObject, public QVActionController {
public:
    QString className() const override;

    // A new, uninitialised action of this class.
    virtual std::shared_ptr<QVAction> make() const;

    // Class-level controller: may always go on; after an error, asks the
    // user whether to stop (answers false only for "stop"); the other three
    // do nothing.
    bool canGoRunning() override { return true; }
    bool canGoRunningAfterError(const QString& error) override;
    void stopRunning() override {}
    void setErrorWhenRunning(const QString& /*error*/, const std::shared_ptr<QVAction>& /*action*/) override {}
    void setActionTerminatesWithoutError(const std::shared_ptr<QVAction>& /*action*/) override {}

    // The key's text in the strings table named after this class, in this
    // class's bundle; the key itself when missing. Unlike the editor side
    // there is no fall-back to the superclass's table.
    virtual QString localizedStr(const QString& key) const;
};

} // namespace zelk
