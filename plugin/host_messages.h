// Window messages that a host hands in through the C interface. Some carry addresses the
// window system made (a paint's canvas, the creation record) and may only come from it;
// the others have their records and buffers copied in after checking, so that no handler
// ever sees an address of the host's.
#pragma once

#include <functional>

#include "toolkit/windows/messages.h"

// How the host hands the message over.
enum class THostCall { Send, Post, Default };

// Delivers Msg, with every address among its parameters replaced by a checked copy and
// what the handler writes there copied back. Refuses (0, with the reason as the last
// error) a message the host may not pass this way or an address that cannot be read or
// written for the size the message uses; other messages go on unchanged.
LRESULT DeliverHostMessage(THostCall How, unsigned Msg, WPARAM wParam, LPARAM lParam,
                           const std::function<LRESULT(WPARAM, LPARAM)>& Deliver);
