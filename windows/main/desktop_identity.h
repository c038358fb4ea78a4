// How the desktop knows the program: its name (the X11 window class the
// desktop entry's StartupWMClass names), the desktop entry's id (the Wayland
// app id) and the icon of its windows.
#pragma once

inline constexpr const char *kDesktopId = "org.nemboport.NemboPortSettings";

// Sets all three on the application; call once the application object exists
// and before the first window is made.
void applyDesktopIdentity();
