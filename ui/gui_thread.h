#pragma once
// Carrying calls over to the thread that runs the event loops. The form layer accepts a few calls
// from a worker thread (label captions, progress positions, the release of a child form, message
// boxes); they run on the event-loop thread, in the order in which they were requested.

#include <functional>

namespace vm {

// True on the thread of the QApplication (also when none exists yet, so that plain code can run).
bool onGuiThread();

// Runs `task` on the event-loop thread and returns after it has run. On that thread it runs at
// once. An exception thrown by the task is thrown again to the caller.
void runOnGuiThread(const std::function<void()>& task);

// Runs `query` as runOnGuiThread does and returns its answer.
template <class Query>
auto askOnGuiThread(Query query) {
    decltype(query()) answer{};
    runOnGuiThread([&] { answer = query(); });
    return answer;
}

// Queues `task` for the event-loop thread and returns at once; it runs when that thread's event
// loop takes it up. An exception thrown by the task is dropped.
void postToGuiThread(std::function<void()> task);

// Runs `work` on a thread of its own and returns when it has ended. Meanwhile the event-loop thread
// keeps serving its events (windows repaint, timers fire, calls carried over from other threads
// run) but takes no keyboard or mouse input, and the wait cursor shows. Without an application,
// `work` runs at once on the calling thread. An exception thrown by `work` is thrown again to the
// caller. `work` must not need input from the user to end.
void RunWhileWaiting(const std::function<void()>& work);

}  // namespace vm
