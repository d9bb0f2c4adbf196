// The viewer's tests run inside one QApplication on a virtual X server. Listing the tests needs
// no display, so the application is made only when tests are run.
#include "map/WebEngineRuntime.h"

#include <QApplication>
#include <QStyleFactory>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
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
