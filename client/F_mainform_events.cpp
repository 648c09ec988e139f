// The engine's events bound to the main window's handlers, as its table says.
#include "F_mainform.h"
#include "U_subforms.h"

namespace {

// Events that arrive while the window tears down (a cancelled transfer, a
// closing socket) find no manager and are dropped.
template <class... Args, class Handler>
void BindTo(std::function<void(Args...)>& event, TMainForm* form, const std::unique_ptr<CSubforms>& subforms,
            Handler handler) {
  event = [form, &subforms, handler](Args... args) {
    if (subforms) (form->*handler)(args...);
  };
}

}  // namespace

void TMainForm::BindEngine() {
  const auto bind = [this](auto& event, auto handler) { BindTo(event, this, subforms_, handler); };
#define VELKO_BIND_HANDLER(name, params, part, window) \
  ZO_WINDOW_##window(bind(IRC.On##name, &TMainForm::IRC##name);)
  ZO_ENGINE_EVENTS(VELKO_BIND_HANDLER)
#undef VELKO_BIND_HANDLER
}
