// Test programs run with a QApplication on Qt's offscreen platform and the
// virtual desktop unless the environment says otherwise.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("ZELK_PLATFORM"))
        qputenv("ZELK_PLATFORM", "virtual");
    if (!qEnvironmentVariableIsSet("ZELK_SOURCE_DIR"))
        qputenv("ZELK_SOURCE_DIR", ZELK_SOURCE_DIR_DEFAULT);
    if (!qEnvironmentVariableIsSet("ZELK_APP_DIR"))
        qputenv("ZELK_APP_DIR", ZELK_APP_DIR_DEFAULT);
    // The programs the tests start write where the tests read, never to the
    // machine's journal.
    qputenv("QT_FORCE_STDERR_LOGGING", "1");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
