#pragma once
// Messages between the viewer's components. Each message n (an offset from the application
// message base) is its own event type, QEvent::User + n, and is always posted with
// QCoreApplication::postEvent: any thread may post, only the receiver's thread handles it.
#include "platform/AppMessages.h"

#include <QEvent>

#include <cstdint>

class QObject;

namespace kestrel {

// The user interface's own messages; the engine's are in platform/AppMessages.h.
enum UiMessage : int {
    WM_APP_SLIDER_DRAG = 101,    // slider thumb dragged: control id / position
    WM_APP_SLIDER_PRESS = 102,   // slider pressed: control id / position
    WM_APP_SLIDER_RELEASE = 103, // slider released: control id / position
    WM_APP_MAP_LOADED = 301,     // the map page is ready
    WM_APP_MAP_PICKED = 302,     // a track point was picked: 0 / frame
    WM_APP_GRAPH_LEFT = 401,     // left click on the G-sensor view
    WM_APP_GRAPH_RIGHT = 402,    // right click on the G-sensor view
    WM_APP_SETTING_TOGGLE = 501, // settings dialog toggle: toggle / on-off
    WM_APP_AXIS_TOGGLE = 701,    // information panel axis button: axis / on-off
    WM_APP_FILE_LIST = 901,      // file list notice (not for the main window)
    WM_APP_SOURCE_GONE = 1201,   // the watched source path no longer exists
    WM_APP_LOADER_DONE = 1301,   // loader worker finished: 0 / prefetch result
    WM_APP_JOB_DONE = 1302,      // job worker finished: 0 / success
    WM_APP_JOB_PROGRESS = 1303,  // job progress: done / total
    WM_APP_DELETE_DONE = 1304,   // delete job finished: 0 / success
    WM_APP_OBD_PANEL = 1400,     // OBD panel notice (not for the main window)
};

class AppEvent : public QEvent {
  public:
    AppEvent(int message, intptr_t wParam, intptr_t lParam)
        : QEvent(TypeOf(message)), message_(message), wParam_(wParam), lParam_(lParam) {}

    static QEvent::Type TypeOf(int message) {
        return static_cast<QEvent::Type>(QEvent::User + message);
    }
    // The message of an event of one of these types, or -1 for any other event.
    static int MessageOf(const QEvent* event);

    int Message() const { return message_; }
    intptr_t WParam() const { return wParam_; }
    intptr_t LParam() const { return lParam_; }

  private:
    int message_;
    intptr_t wParam_;
    intptr_t lParam_;
};

// Posts message n to `target`; callable from any thread. Nothing happens without a target.
void PostAppEvent(QObject* target, int message, intptr_t wParam = 0, intptr_t lParam = 0);

} // namespace kestrel
