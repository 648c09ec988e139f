// Runs the event loop until a condition holds or the time is up.
#pragma once

#include <functional>

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);
