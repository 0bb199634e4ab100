// Work that the first sight of the program need not wait for.
#pragma once

#include <functional>

class QEvent;
class QObject;

namespace vm {

// Whether the event is the paint of a window (a top-level widget).
bool IsWindowPaint(const QObject* receiver, const QEvent* event);

// Runs the task on the event loop once the program's first window has been painted; at once
// (queued) when that has already happened. Tasks run in the order they were given.
void AfterFirstPaint(std::function<void()> task);

}  // namespace vm
