#pragma once
// An action type for tests that only says it ran: the names of the probe
// actions that ran, in order, from any thread.
#include "QVAction.h"
#include "TestSupport.h"

namespace engine::test {

inline zelk::test::Lines& probeRuns()
{
    static zelk::test::Lines lines;
    return lines;
}

class RunProbe : public zelk::QVAction {
    ZELK_ACTION_CLASS(RunProbe, QVAction)
public:
    QString runActionFromObject(const std::shared_ptr<zelk::QVActionController>&) override
    {
        probeRuns().add(nameValue());
        return {};
    }
};

} // namespace engine::test
