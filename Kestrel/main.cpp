// kestrel [PATH]: the viewer for the drive recorder's recordings.
#include "CKestrelApp.h"

int main(int argc, char** argv) {
    kestrel::CKestrelApp app;
    return app.Run(argc, argv);
}
