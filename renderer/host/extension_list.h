// Whether a driver's space-separated extension list (WGL, GLX) names an extension.
#pragma once

// Whole names only: "WGL_EXT_swap_control" is not in "WGL_EXT_swap_control_tear".
// A null list names nothing.
bool extensionListHas(const char* extensions, const char* name);
