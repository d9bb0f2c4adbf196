// The viewer's tests run inside one QApplication on a virtual X server. Listing the tests needs
// no display, so the application is made only when tests are run. The window's face follows the
// user's locale; the tests expect the Japanese one unless they choose the English one themselves.
#include "map/WebEngineRuntime.h"

#include <QApplication>
#include <QStyleFactory>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    ::setenv("LANG", "C.UTF-8", 1);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    // No test reaches the internet: a window's map asks a closed port on this machine unless
    // the test serves tiles itself.
    qputenv("KESTREL_TILE_URL", "http://127.0.0.1:9/{z}/{x}/{y}.png");
    kestrel::WebEngineRuntime::PrepareProcess();
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    return RUN_ALL_TESTS();
}
