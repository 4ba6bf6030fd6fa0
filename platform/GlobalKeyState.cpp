#include "platform/GlobalKeyState.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <bitset>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

} // namespace

struct GlobalKeyState::X11 {
    std::unique_ptr<Display, DisplayCloser> display;
    int wakeFd = -1;
    ~X11() {
        if (wakeFd >= 0) close(wakeFd);
    }
    int xiOpcode = 0;
    std::bitset<256> down;                                // by key code
    std::array<std::vector<uint8_t>, 256> codesOfVirtual; // key codes of each virtual key

    void MapKeys() {
        int minCode = 0, maxCode = 0;
        XDisplayKeycodes(display.get(), &minCode, &maxCode);
        int perCode = 0;
        KeySym* map = XGetKeyboardMapping(display.get(), KeyCode(minCode), maxCode - minCode + 1, &perCode);
        for (auto& codes : codesOfVirtual)
            codes.clear();
        if (!map) return;
        for (uint32_t vk = 1; vk < 256; ++vk) {
            const std::vector<unsigned long> syms = GlobalKeyState::KeySymsOfVirtualKey(vk);
            if (syms.empty()) continue;
            for (int code = minCode; code <= maxCode; ++code) {
                bool match = false;
                for (int col = 0; col < perCode && !match; ++col) {
                    const KeySym sym = map[(code - minCode) * perCode + col];
                    for (unsigned long want : syms)
                        match = match || sym == want;
                }
                if (match) codesOfVirtual[vk].push_back(uint8_t(code));
            }
        }
        XFree(map);
    }

    void ReadKeyMap() {
        char keys[32] = {};
        XQueryKeymap(display.get(), keys);
        for (int code = 0; code < 256; ++code)
            down[code] = (keys[code / 8] >> (code % 8)) & 1;
    }
};

GlobalKeyState::GlobalKeyState() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return;
    auto x = std::make_unique<X11>();
    x->display.reset(XOpenDisplay(name));
    if (!x->display) return;
    Display* d = x->display.get();
    int event = 0, error = 0;
    if (!XQueryExtension(d, "XInputExtension", &x->xiOpcode, &event, &error)) return;
    int major = 2, minor = 0;
    if (XIQueryVersion(d, &major, &minor) != Success) return;

    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof(bits);
    mask.mask = bits;
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XISelectEvents(d, DefaultRootWindow(d), &mask, 1);
    x->MapKeys();
    // Keys already held when we start count as down; the raw events keep the state from here on.
    x->ReadKeyMap();
    XFlush(d);
    x->wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_x = std::move(x);
}

GlobalKeyState::~GlobalKeyState() = default;

bool GlobalKeyState::Available() const {
    return m_x != nullptr;
}

void GlobalKeyState::Update() {
    if (!m_x) return;
    Display* d = m_x->display.get();
    while (XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
        if (event.type == MappingNotify) {
            XRefreshKeyboardMapping(&event.xmapping);
            m_x->MapKeys();
            continue;
        }
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != m_x->xiOpcode || !XGetEventData(d, cookie))
            continue;
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        if (raw->detail >= 0 && raw->detail < 256) {
            if (cookie->evtype == XI_RawKeyPress)
                m_x->down[raw->detail] = true;
            else if (cookie->evtype == XI_RawKeyRelease)
                m_x->down[raw->detail] = false;
        }
        XFreeEventData(d, cookie);
    }
}

void GlobalKeyState::WaitForChange(int timeoutMs) {
    if (!m_x || m_x->wakeFd < 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return;
    }
    Display* d = m_x->display.get();
    if (XPending(d) == 0) {
        pollfd fds[2] = {{ConnectionNumber(d), POLLIN, 0}, {m_x->wakeFd, POLLIN, 0}};
        poll(fds, 2, timeoutMs);
        if (fds[1].revents & POLLIN) {
            uint64_t count = 0;
            (void)!read(m_x->wakeFd, &count, sizeof count);
        }
    }
    Update();
}

void GlobalKeyState::Wake() {
    if (m_x && m_x->wakeFd >= 0) {
        const uint64_t one = 1;
        (void)!write(m_x->wakeFd, &one, sizeof one);
    }
}

bool GlobalKeyState::IsKeyDown(uint32_t virtualKey) const {
    if (!m_x || virtualKey == 0 || virtualKey >= 256) return false;
    for (uint8_t code : m_x->codesOfVirtual[virtualKey])
        if (m_x->down[code]) return true;
    return false;
}

std::vector<unsigned long> GlobalKeyState::KeySymsOfVirtualKey(uint32_t vk) {
    if (vk >= 0x30 && vk <= 0x39) return {XK_0 + (vk - 0x30)};
    if (vk >= 0x41 && vk <= 0x5A) return {XK_a + (vk - 0x41)};
    if (vk >= 0x70 && vk <= 0x87) return {XK_F1 + (vk - 0x70)};
    switch (vk) {
    case 0x10:
        return {XK_Shift_L, XK_Shift_R};
    case 0x11:
        return {XK_Control_L, XK_Control_R};
    case 0x12:
        return {XK_Alt_L, XK_Alt_R, XK_Meta_L, XK_Meta_R, XK_ISO_Level3_Shift};
    case 0x21:
        return {XK_Prior};
    case 0x22:
        return {XK_Next};
    case 0x23:
        return {XK_End};
    case 0x24:
        return {XK_Home};
    case 0x2D:
        return {XK_Insert};
    case 0x2E:
        return {XK_Delete};
    case 0x6A:
        return {XK_KP_Multiply};
    case 0x6B:
        return {XK_KP_Add};
    case 0x6D:
        return {XK_KP_Subtract};
    case 0x6F:
        return {XK_KP_Divide};
    case 0xC0:
        return {XK_grave};
    default:
        return {};
    }
}
