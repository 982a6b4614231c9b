#pragma once
// Pictures of windows: a window with its children, painted as on screen (frame, caption,
// WM_ERASEBKGND and WM_PAINT of each window, children clipped to their parent and drawn over it).
#include "win/windef.h"

typedef struct _cairo_surface cairo_surface_t;

// A new ARGB32 image of the window, the size of its window rectangle; null for no window.
// The caller destroys it with cairo_surface_destroy.
CADHOST_API cairo_surface_t* cadhostRenderWindow(HWND hwnd);
// Writes the picture as a PNG file, whole or not at all; FALSE when the window or the file
// could not be made.
CADHOST_API BOOL cadhostSaveWindowPng(HWND hwnd, const char* path);
