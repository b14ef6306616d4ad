// Runs event handlers so that no exception ever reaches Qt: an error ends the
// handler and is shown in the error box, and the program goes on.
#pragma once

#include "window/form/command_policy.h"
#include "window/platform/dialogs.h"

#include <exception>
#include <utility>

namespace vellograph {

// Shows the text in the error box (with its full stop); never throws.
void ReportHandlerError(TDialogs& dialogs, const char* text) noexcept;

template <class Handler> void RunGuarded(TDialogs& dialogs, Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        ReportHandlerError(dialogs, error.what());
    } catch (...) {
        ReportHandlerError(dialogs, "Unknown error");
    }
}

// The slot to connect in place of a handler: Guarded(this, &TMainForm::MMRedrawClick).
// It takes exactly the handler's arguments, so Qt drops any extra signal ones.
// Once the program quits no handler starts; a command held back while a load
// reads (its declared policy) does nothing.
template <class Form, class... Args>
auto Guarded(Form* form, void (Form::*handler)(Args...), TCommandPolicy policy = {}) {
    return [form, handler, policy](Args... args) {
        if (QuitRequested || policy.HoldsBack()) {
            return;
        }
        RunGuarded(form->Dialogs(), [&] { (form->*handler)(args...); });
    };
}

} // namespace vellograph
