// Driving the embedded backend, for hosts that show windows inside a toolkit of their
// own. Windows paint into memory; the host shows each top-level window's picture, feeds
// input, and calls for due work from its own main loop. Time is the real clock.
//
// Drop-down lists (top-level popups) are drawn into the pictures of the windows they
// overlap, clipped to them: the host needs no second surface, which a Wayland client
// could not place where the list belongs anyway, and input inside the list's part of the
// picture reaches the list as it would on a display.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/types.h"
#include "toolkit/windows/messages.h"

struct TEmbeddedHooks {
  // After the messages of a pump ran: the part of a top-level window's picture that changed.
  std::function<void(HWND, const TRect&)> Damage;
  // The pointer's cursor changed; the window last given pointer input and the IDC_* id.
  std::function<void(HWND, int)> Cursor;
  // The clipboard's text, UTF-8 both ways.
  std::function<void(const std::string&)> SetClipboard;
  std::function<std::string()> GetClipboard;
};

// A top-level window's picture: 32-bit premultiplied ARGB (opaque) in native byte order.
struct TEmbeddedPicture {
  const uint32_t* Pixels = nullptr;
  int Width = 0, Height = 0, Stride = 0;  // stride in bytes
};

bool IsEmbedded();
// Switches to the embedded backend; false while windows exist (true when it already runs).
bool UseEmbeddedBackend();
// Each call does nothing (and returns false, null or -1) when another backend runs.
bool SetEmbeddedHooks(TEmbeddedHooks hooks);
// The picture of a top-level window (brought up to date with its surface); empty when
// hwnd is no top-level window.
TEmbeddedPicture EmbeddedPicture(HWND topLevel);
// Milliseconds until the next timer is due: 0 when work waits now, -1 when nothing will
// ever be due without new input.
int64_t EmbeddedTimeout();
// The window clock's moment of an event the host stamped with Time, a millisecond clock
// of its own that may wrap at 32 bits; 0 stands for now.
uint64_t EmbeddedEventTime(uint32_t hostTime);
// Where a new top-level window of the given width stands on the screen: each beside the
// last, so that a point of one window's picture is never inside another.
TPoint EmbeddedWindowOrigin(int width);
// The window that pointer input came to last (cursor changes are reported for it).
void SetEmbeddedPointerWindow(HWND topLevel);
// Brings the modifier keys' state in line with what the host says is held, without
// sending key messages (the host may have missed their presses while it had no focus).
void SyncModifierKeys(bool shift, bool control, bool alt);
// Lets go of every key and button held (the host lost the focus).
void ReleaseAllKeys();
