// The display backend over Xlib: one X window per top-level window.
#pragma once

#include <memory>

#include "toolkit/window_backend.h"

// Null when no display can be opened.
std::unique_ptr<TWindowBackend> CreateX11Backend();
