#pragma once
#include <QString>

// How Orvane looks on any desktop. Its own texts are Japanese whatever the system locale, so
// the texts Qt draws for it (message box buttons, file dialogs, context menus) are Japanese too,
// and one Japanese font family that also covers Latin draws the whole interface, so digits,
// Latin and kana share one size and baseline.
namespace Appearance {

// The desktop entry's name without ".desktop"; also the window's application id.
inline constexpr const char kDesktopId[] = "org.orvane.Orvane";

// Installs Qt's Japanese translation in the application. False, and Qt's texts stay English,
// when the translation is not installed. Installs it once however often it is called.
bool loadQtJapanese();

// The interface's font family: Noto Sans CJK JP where installed, else the system's Japanese
// sans-serif; empty when the system has no Japanese font at all.
QString interfaceFontFamily();

// Start-up's set-up, after the application object exists: Qt's Japanese texts, the interface
// font at the platform's size, the application icon and the desktop entry's name.
void apply();

}  // namespace Appearance
