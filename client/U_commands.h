// The commands the input line knows itself, one table row each: the line each
// builds (free text always as the last, colon-led parameter), the Korean usage
// shown instead when arguments are missing, and its line in /help. Any other
// command goes to the server as the alias table expands it.
#pragma once

#include <string_view>

#include "U_input.h"

// What a line that starts with "/" does.
TLineAction CommandLine(std::string_view line, const TInputContext& context);
