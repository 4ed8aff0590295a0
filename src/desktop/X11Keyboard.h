#pragma once
#include <QAbstractNativeEventFilter>
#include <Qt>
#include <QtGlobal>

#include <optional>

struct xkb_context;
struct xkb_keymap;
struct xcb_connection_t;

// What only the X server knows of the keyboard: whether a key is physically down and what the
// active layout puts on a physical key. Spoken in Qt's terms (native scan codes, Qt::Key); what
// a key does is the key router's business. Off X11 (Wayland, the offscreen platform of the
// tests) nothing is asked of anyone and every answer is "not known".
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
    bool releaseWhileHeld(quint32 keycode);

    // Which of "+" and "-" the physical key `keycode` carries in the layout active for an event
    // with X state `nativeModifiers`: Qt::Key_Minus for the key that types "-" unshifted,
    // Qt::Key_Plus for one that types "+" on its first or second level, Qt::Key_unknown for any
    // other key; nullopt when the layout is not known.
    std::optional<Qt::Key> layoutPlusMinus(quint32 keycode, quint32 nativeModifiers);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    xkb_keymap* currentKeymap();

    xcb_connection_t* connection_ = nullptr;
    bool detectableRepeat_ = false;
    quint8 xkbEventBase_ = 0;
    qint32 deviceId_ = -1;
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    bool keymapStale_ = true;
};
