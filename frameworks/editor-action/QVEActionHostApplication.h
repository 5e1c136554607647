#pragma once
// What the framework asks of the editor's application object. The editor
// installs one with QVEAction::setApplicationObject(); without one every
// call does nothing.
#include <QString>

namespace zelk {

class QVEActionHostApplication {
public:
    virtual ~QVEActionHostApplication() = default;

    // Opens the manual at a subject.
    virtual void showHelpWithSubject(const QString& /*subject*/) {}
    // Brings all the editor's windows to the front together.
    virtual void arrangeInFront() {}
    // A stored action names a class no plug-in provides (alerts once per name).
    virtual void addMissingPlugin(const QString& /*className*/) {}
};

} // namespace zelk
