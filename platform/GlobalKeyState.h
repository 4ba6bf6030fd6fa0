#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// Which keys are down anywhere on the desktop, whichever window has the focus, asked by Windows
// virtual-key code (0x11 Ctrl, 0x41 "A", 0x70 F1, 0x6B numpad "+", ...).
//
// Under X11 the state comes from XInput 2 raw key events of the root window, which every client
// may read without grabbing a key, so other programs keep all their keys. `Update` takes the
// events that have arrived since the last call without waiting: the server is not asked for the
// whole key map on every round. Where no X display can be opened (no DISPLAY, a pure Wayland
// session) or the server has no XInput 2, `Available` is false and no key is ever down.
//
// One object belongs to one thread: the X connection it opens is used by nobody else.
class GlobalKeyState {
public:
    GlobalKeyState();
    ~GlobalKeyState();
    GlobalKeyState(const GlobalKeyState&) = delete;
    GlobalKeyState& operator=(const GlobalKeyState&) = delete;

    bool Available() const;
    void Update();
    // Waits until a key event arrives, `Wake` is called, or `timeoutMs` pass; then `Update`.
    // Without an X display it simply sleeps for the time.
    void WaitForChange(int timeoutMs);
    // Ends a wait in progress (any thread).
    void Wake();
    // The most significant bit of the asynchronous key state: the key is down now.
    bool IsKeyDown(uint32_t virtualKey) const;

    // The X key symbols a virtual-key code stands for (left and right variants of a modifier).
    static std::vector<unsigned long> KeySymsOfVirtualKey(uint32_t virtualKey);

private:
    struct X11;
    std::unique_ptr<X11> m_x;
};
