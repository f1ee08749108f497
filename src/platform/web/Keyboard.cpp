// The keyboard, in the page: the browser host's part of the message queue
// (platform/Messages.cpp).
//
// Implements the queue's back-end: the page's key events, between frames, as key messages
// (platform::PostKey: WM_KEYDOWN/WM_KEYUP, and the system keys' WM_SYSKEYDOWN/WM_SYSKEYUP with
// Alt and F10) with virtual-key codes (letters and digits by the keyboard layout, the browser's
// keyCode being Windows' code for every key mapped here), auto-repeat as repeated WM_KEYDOWN,
// sent to the window with the keyboard focus (none while a message box is open).
// Leaves out: keys without a virtual-key code here. Keys the page needs for itself (reloading,
// developer tools) are left to the browser; the arrows, Space and Tab are kept from scrolling or
// moving focus.
#include <emscripten/html5.h>

#include "platform/web/Host.h"

namespace {

bool Listening = false;

BYTE VirtualKey(unsigned long keyCode) {
    const bool letter = keyCode >= 'A' && keyCode <= 'Z';
    const bool digit = keyCode >= '0' && keyCode <= '9';
    const bool function = keyCode >= VK_F1 && keyCode < VK_F1 + 12;
    const bool other = keyCode == VK_ESCAPE || keyCode == VK_RETURN || keyCode == VK_SPACE ||
                       keyCode == VK_TAB || (keyCode >= VK_LEFT && keyCode <= VK_DOWN) ||
                       keyCode == VK_SHIFT || keyCode == VK_CONTROL || keyCode == VK_MENU;
    return letter || digit || function || other ? static_cast<BYTE>(keyCode) : 0;
}

EM_BOOL OnKey(int eventType, const EmscriptenKeyboardEvent* event, void* /*data*/) {
    const BYTE vk = VirtualKey(event->keyCode);
    const HWND window = web::KeyWindow();
    if (vk != 0 && window && !web::InMessageBox()) {
        platform::PostKey(window, vk, eventType == EMSCRIPTEN_EVENT_KEYDOWN, event->repeat != 0,
                          event->altKey != 0, event->ctrlKey != 0);
    }
    return vk == VK_SPACE || vk == VK_TAB || (vk >= VK_LEFT && vk <= VK_DOWN);
}

} // namespace

void web::ListenToKeys() {
    if (Listening) {
        return;
    }
    Listening = true;
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, 1, OnKey);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, 1, OnKey);
}

// The page's keys arrive between frames, by their listeners: nothing waits to be moved.
void platform::host::PumpMessages() {}
