#pragma once
// The headless side of the window framework: the clock the queue runs on and the input that
// drives windows. Mouse events carry screen points and go to the window under the point (or to
// the capture); key events go to the focus. Time moves only when it is advanced (by a Wait event
// or by cadhostAdvanceClock), so timers fire exactly when a test or a script lets time pass.
#include <functional>
#include "win/windef.h"

struct WindowInputEvent {
    enum Kind { ButtonDown, ButtonUp, DoubleClick, Move, Wheel, KeyDown, KeyUp, Char, Wait };
    Kind kind = Wait;
    int button = 0;        // 0 left, 1 right
    POINT pt = {0, 0};     // screen point of mouse events
    UINT key = 0;          // virtual key (KeyDown, KeyUp) or character (Char)
    int delta = 0;         // wheel delta, multiples of WHEEL_DELTA
    DWORD milliseconds = 0;  // Wait
};

// Appends an event to the input of this thread.
CADHOST_API void cadhostQueueInput(const WindowInputEvent& event);
// Asked for more input when the queued input is used up; answers false at the end of input.
CADHOST_API void cadhostSetInputFeeder(std::function<bool(WindowInputEvent&)> feeder);
// Forgets queued input and the feeder; the input counts as not ended again.
CADHOST_API void cadhostResetInput();
// True once the queued input is used up and the feeder (if any) has no more.
CADHOST_API bool cadhostInputEnded();
CADHOST_API void cadhostAdvanceClock(DWORD milliseconds);
// Dispatches what is queued (posted messages, due timers, pending paints) and, when takeInput,
// the input until it ends, each message offered to the message filter first; answers the
// number of messages dispatched.
CADHOST_API int cadhostPumpMessages(bool takeInput = false);
// Dispatches what is queued and the input events already queued, without asking the feeder for
// more (a modal loop started meanwhile still does); answers the number of messages dispatched.
CADHOST_API int cadhostPumpQueuedInput();

// A filter that message loops offer each message before dispatching it (the framework's
// pre-translation); answers true when it has handled the message.
CADHOST_API void cadhostSetMessageFilter(bool (*filter)(MSG* msg));
CADHOST_API bool cadhostFilterMessage(MSG* msg);
// Calls the hook with the next window CreateWindowEx makes, before the window gets its first
// message (the framework attaches its objects to windows this way).
CADHOST_API void cadhostHookNextCreate(void (*hook)(HWND hwnd, void* data), void* data);

// Live windows of the thread: a test asserts that an operation left none behind.
CADHOST_API int cadhostWindowCount();

enum class FetchResult { Message, Quit, Idle };
// One step of a message loop: a posted message, a due timer, a pending paint or (when takeInput)
// a message made from the next input event. Idle: nothing is queued and no input is left.
CADHOST_API FetchResult cadhostFetchMessage(MSG* msg, bool takeInput);
