#include "desktop/X11Keyboard.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtDebug>

#include <xcb/xcb.h>
// The C header names a field "explicit", a keyword in C++.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cstdlib>

X11Keyboard::X11Keyboard() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return;
    connection_ = x11->connection();
    uint8_t eventBase = 0;
    if (!xkb_x11_setup_xkb_extension(connection_, XKB_X11_MIN_MAJOR_XKB_VERSION,
                                     XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr,
                                     &eventBase, nullptr)) {
        qWarning("The X server has no keyboard extension: a held key may act more than once "
                 "on release, and the plus and minus keys go by the character they type.");
        connection_ = nullptr;
        return;
    }
    xkbEventBase_ = eventBase;
    deviceId_ = xkb_x11_get_core_keyboard_device_id(connection_);
    const uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    xcb_xkb_per_client_flags_reply_t* reply = xcb_xkb_per_client_flags_reply(
        connection_,
        xcb_xkb_per_client_flags(connection_, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0),
        nullptr);
    detectableRepeat_ = reply && (reply->value & flag);
    std::free(reply);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11Keyboard::~X11Keyboard() {
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

bool X11Keyboard::releaseWhileHeld(quint32 keycode) {
    if (!connection_ || detectableRepeat_ || keycode == 0 || keycode > 255) return false;
    // The server's own key state: a synthetic release leaves the key down there.
    xcb_query_keymap_reply_t* reply =
        xcb_query_keymap_reply(connection_, xcb_query_keymap(connection_), nullptr);
    const bool down = reply && (reply->keys[keycode / 8] & (1u << (keycode % 8)));
    std::free(reply);
    return down;
}

xkb_keymap* X11Keyboard::currentKeymap() {
    if (!connection_ || deviceId_ < 0) return nullptr;
    if (keymapStale_) {
        keymapStale_ = false;
        if (!context_) context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        xkb_keymap* fresh = context_ ? xkb_x11_keymap_new_from_device(
                                           context_, connection_, deviceId_, XKB_KEYMAP_COMPILE_NO_FLAGS)
                                     : nullptr;
        if (!fresh)
            qWarning("The keyboard layout could not be read: the plus and minus keys go by the "
                     "character they type.");
        xkb_keymap_unref(keymap_);
        keymap_ = fresh;
    }
    return keymap_;
}

std::optional<Qt::Key> X11Keyboard::layoutPlusMinus(quint32 keycode, quint32 nativeModifiers) {
    xkb_keymap* keymap = keycode ? currentKeymap() : nullptr;
    if (!keymap) return std::nullopt;
    const xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(keymap, keycode);
    if (layouts == 0) return Qt::Key_unknown;
    // An X event carries its layout (group) in bits 13 and 14 of its state.
    const xkb_layout_index_t layout = ((nativeModifiers >> 13) & 3) % layouts;
    auto types = [&](xkb_level_index_t level, xkb_keysym_t sym) {
        const xkb_keysym_t* syms = nullptr;
        const int n = xkb_keymap_key_get_syms_by_level(keymap, keycode, layout, level, &syms);
        return n > 0 && std::find(syms, syms + n, sym) != syms + n;
    };
    if (types(0, XKB_KEY_minus)) return Qt::Key_Minus;
    if (types(0, XKB_KEY_plus) || types(1, XKB_KEY_plus)) return Qt::Key_Plus;
    return Qt::Key_unknown;
}

bool X11Keyboard::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7f;
    // A new layout (setxkbmap, another keyboard) or a changed key map: read it again when
    // next needed. Byte 1 of an XKB event is its kind.
    if (type == XCB_MAPPING_NOTIFY ||
        (type == xkbEventBase_ && (event->pad0 == XCB_XKB_NEW_KEYBOARD_NOTIFY ||
                                   event->pad0 == XCB_XKB_MAP_NOTIFY)))
        keymapStale_ = true;
    return false;
}
