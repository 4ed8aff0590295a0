#pragma once
#include <QAbstractNativeEventFilter>
#include <QtGlobal>

struct xkb_context;
struct xkb_keymap;
struct xcb_connection_t;

// What the X server knows of the keyboard, for the program's key translation. Off X11 (Wayland,
// the offscreen platform of the tests) nothing is asked of anyone and every answer is "not known".
class X11Keyboard : public QAbstractNativeEventFilter {
public:
    // Asks the server to send a held key as repeated presses and a single release (detectable
    // auto-repeat), and follows changes of the keyboard layout.
    X11Keyboard();
    ~X11Keyboard() override;
    X11Keyboard(const X11Keyboard&) = delete;
    X11Keyboard& operator=(const X11Keyboard&) = delete;

    // Whether the release of `keycode` is one a server sends while the key is still held. Only
    // asked of a server that refused detectable auto-repeat, where Qt's auto-repeat flag misses
    // the synthetic releases whose repeated press it has not read yet.
    bool ReleaseWhileHeld(quint32 keycode);

    // The main keyboard's page key the physical key `keycode` is in the layout active for an
    // event with X state `nativeModifiers`: KeyCodes::OemMinus for the key that types "-"
    // unshifted, KeyCodes::OemPlus for one that types "+" on its first or second level, 0
    // for any other key; -1 when the layout is not known.
    int PageKey(quint32 keycode, quint32 nativeModifiers);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    xkb_keymap* Keymap();

    xcb_connection_t* connection_ = nullptr;
    bool detectableRepeat_ = false;
    quint8 xkbEventBase_ = 0;
    qint32 deviceId_ = -1;
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    bool keymapStale_ = true;
};
