#include "RunnerTestSupport.h"

#include "TestSupport.h"

namespace zelk::test {

QString actionRunnersPath()
{
    // The build's bundle when the environment does not name one.
    const QString contents = appContents().isEmpty() ? QStringLiteral(ZELK_TEST_APP_DIR) : appContents();
    return contents + QStringLiteral("/PlugIns/ActionRunners.so");
}

} // namespace zelk::test
