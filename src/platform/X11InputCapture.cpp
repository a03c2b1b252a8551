#include "platform/X11InputCapture.h"

#include "platform/Trace.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

namespace quaro {

// The capture talks to the server through XCB rather than Xlib: Xlib ends the process when a
// connection breaks, XCB only marks the connection as failed, which ends the capture alone.
struct X11InputCapture::Connection {
    xcb_connection_t* xcb = nullptr;
    std::uint8_t opcode = 0;
    xcb_window_t root = 0;
};

namespace {

// Raw events of the master devices need 2.1 (2.0 sent them only from the physical devices, and
// not during grabs).
constexpr std::uint16_t kMajorVersion = 2;
constexpr std::uint16_t kMinorVersion = 2;

void Deliver(xcb_connection_t* xcb, xcb_window_t root, const xcb_input_raw_key_press_event_t& raw,
             const InputCapture::Sinks& sinks) {
    const std::uint32_t timeMs = raw.time;
    switch (raw.event_type) {
        case XCB_INPUT_RAW_KEY_PRESS:
        case XCB_INPUT_RAW_KEY_RELEASE: {
            if (raw.detail < kXKeycodeOffset || !sinks.key) {
                return;
            }
            const auto record = KeyRecordFromLinuxKey(
                raw.detail - kXKeycodeOffset, raw.event_type == XCB_INPUT_RAW_KEY_PRESS, timeMs);
            if (record) {
                sinks.key(*record);
            }
            return;
        }
        case XCB_INPUT_RAW_BUTTON_PRESS:
        case XCB_INPUT_RAW_BUTTON_RELEASE: {
            if (!sinks.mouse) {
                return;
            }
            auto record = MouseRecordFromXButton(
                raw.detail, raw.event_type == XCB_INPUT_RAW_BUTTON_PRESS, timeMs);
            if (!record) {
                return;
            }
            // Raw events carry no position; where the pointer is now is where it was clicked.
            xcb_query_pointer_reply_t* pointer =
                xcb_query_pointer_reply(xcb, xcb_query_pointer(xcb, root), nullptr);
            if (pointer != nullptr) {
                record->x = pointer->root_x;
                record->y = pointer->root_y;
                std::free(pointer);
            }
            sinks.mouse(*record);
            return;
        }
        default:
            return;
    }
}

// The raw events the capture selects, as the server's mask words.
struct RawEventMask {
    xcb_input_event_mask_t head;
    std::uint32_t bits;
};

}  // namespace

X11InputCapture::X11InputCapture(std::string displayName) : m_displayName(std::move(displayName)) {}

X11InputCapture::~X11InputCapture() {
    Uninstall();
}

CaptureInstall X11InputCapture::Install(Sinks sinks) {
    if (IsInstalled()) {
        return CaptureInstall::kAlreadyInstalled;
    }
    int screenNumber = 0;
    xcb_connection_t* xcb =
        xcb_connect(m_displayName.empty() ? nullptr : m_displayName.c_str(), &screenNumber);
    if (xcb_connection_has_error(xcb) != 0) {
        TraceFormat("input capture: cannot open display \"%s\"\n", m_displayName.c_str());
        xcb_disconnect(xcb);
        return CaptureInstall::kNoDisplay;
    }

    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(xcb, &xcb_input_id);
    xcb_input_xi_query_version_reply_t* version = nullptr;
    if (extension != nullptr && extension->present != 0) {
        version = xcb_input_xi_query_version_reply(
            xcb, xcb_input_xi_query_version(xcb, kMajorVersion, kMinorVersion), nullptr);
    }
    const bool rawEvents =
        version != nullptr && (version->major_version > 2 ||
                               (version->major_version == 2 && version->minor_version >= 1));
    std::free(version);
    if (!rawEvents) {
        Trace("input capture: the display has no XInput 2.1 raw events\n");
        xcb_disconnect(xcb);
        return CaptureInstall::kNoInputExtension;
    }

    // The screen the display name asks for (":0.1"), the first one otherwise.
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(xcb));
    for (int skip = screenNumber; skip > 0 && screens.rem > 1; --skip) {
        xcb_screen_next(&screens);
    }
    const xcb_screen_t* screen = screens.data;
    RawEventMask mask{
        {XCB_INPUT_DEVICE_ALL_MASTER, 1},
        XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE |
            XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE};
    // Checked, so that once the answer is in every later event is reported.
    xcb_generic_error_t* error = xcb_request_check(
        xcb, xcb_input_xi_select_events_checked(xcb, screen->root, 1, &mask.head));
    if (error != nullptr) {
        TraceFormat("input capture: the server refused raw events (error %u)\n",
                    static_cast<unsigned>(error->error_code));
        std::free(error);
        xcb_disconnect(xcb);
        return CaptureInstall::kFailed;
    }

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        Trace("input capture: no stop pipe\n");
        xcb_disconnect(xcb);
        return CaptureInstall::kFailed;
    }
    m_connection =
        std::make_unique<Connection>(Connection{xcb, extension->major_opcode, screen->root});
    m_stopRead = fds[0];
    m_stopWrite = fds[1];
    m_thread = std::thread(Run, m_connection.get(), m_stopRead, std::move(sinks));
    return CaptureInstall::kInstalled;
}

void X11InputCapture::Uninstall() {
    if (!m_thread.joinable()) {
        return;
    }
    const char wake = 1;
    while (write(m_stopWrite, &wake, 1) < 0 && errno == EINTR) {
    }
    m_thread.join();
    close(m_stopRead);
    close(m_stopWrite);
    m_stopRead = -1;
    m_stopWrite = -1;
    // Closing the connection ends its grab and its window too.
    m_withheld = false;
    m_grabWindow = 0;
    xcb_disconnect(m_connection->xcb);
    m_connection.reset();
}

bool X11InputCapture::WithholdKeys(bool withhold) {
    if (!IsInstalled()) {
        return !withhold;
    }
    if (withhold == m_withheld) {
        return true;
    }
    xcb_connection_t* xcb = m_connection->xcb;
    if (!withhold) {
        xcb_ungrab_keyboard(xcb, XCB_CURRENT_TIME);
        xcb_destroy_window(xcb, m_grabWindow);
        xcb_flush(xcb);
        m_grabWindow = 0;
        m_withheld = false;
        return true;
    }
    // The server gives a client that grabs on the root window no raw events of its own grab, so
    // the grab sits on a window of its own: input-only, one pixel, off the screen.
    // XCB connections may be used from several threads; the capture thread only polls for
    // events meanwhile.
    m_grabWindow = xcb_generate_id(xcb);
    const std::uint32_t overrideRedirect = 1;
    xcb_create_window(xcb, XCB_COPY_FROM_PARENT, m_grabWindow, m_connection->root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT,
                      &overrideRedirect);
    xcb_map_window(xcb, m_grabWindow);
    xcb_grab_keyboard_reply_t* reply =
        xcb_grab_keyboard_reply(xcb,
                                xcb_grab_keyboard(xcb, 0, m_grabWindow, XCB_CURRENT_TIME,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                nullptr);
    const int status = reply != nullptr ? reply->status : -1;
    std::free(reply);
    if (status != XCB_GRAB_STATUS_SUCCESS) {
        // Another client holds the keyboard (an open menu, a screen locker): the capture goes on,
        // the keys just reach the other applications.
        TraceFormat("input capture: the keyboard cannot be grabbed (status %d)\n", status);
        xcb_destroy_window(xcb, m_grabWindow);
        xcb_flush(xcb);
        m_grabWindow = 0;
        return false;
    }
    m_withheld = true;
    return true;
}

void X11InputCapture::Run(Connection* connection, int stopFd, Sinks sinks) {
    xcb_connection_t* xcb = connection->xcb;
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(xcb)) {
            const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
            if ((event->response_type & 0x7F) == XCB_GE_GENERIC &&
                generic->extension == connection->opcode) {
                // Key and button raw events share one layout.
                Deliver(xcb, connection->root,
                        *reinterpret_cast<const xcb_input_raw_key_press_event_t*>(event), sinks);
            }
            std::free(event);
        }
        if (xcb_connection_has_error(xcb) != 0) {
            Trace("input capture: the display connection was lost\n");
            return;
        }
        pollfd fds[2] = {{xcb_get_file_descriptor(xcb), POLLIN, 0}, {stopFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            Trace("input capture: waiting for events failed\n");
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
    }
}

}  // namespace quaro
