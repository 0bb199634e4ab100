#pragma once
// Inside the form layer: a form's life after its definition. Activation shows it and runs its
// event loop; release, asked for by the program or by the user's closing, runs its onRelease and
// destroys it (the main form's release ends the program).

#include <memory>
#include <string>

namespace vm::forms {

struct Form;

// Places the form at the middle of its screen's width and of the height of its work area.
void center(Form& form);
// Shows the form, telling the window manager which caption boxes it has and whom it belongs to.
void showForm(Form& form);

// Shows the form, runs its onInit, and returns when the form is released.
void activate(const std::string& formName);
// A release that the program asks for. From the event-loop thread the close is queued; a
// worker's release (itself queued) closes at once.
void release(const std::string& formName, bool fromWorker);
// The user's closing, or a release's: asks onInteractiveClose, then releases.
void closeInteractively(const std::shared_ptr<Form>& form);

// Destroys every form without running any callback; every activation returns.
void releaseAll();

}  // namespace vm::forms
