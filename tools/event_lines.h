// Turns every engine event into one text line: the event name, then each
// argument, TAB-separated, with text escaped so a line never breaks.
#pragma once

#include <functional>
#include <string>

class TZoEngine;

using EventLineSink = std::function<void(const std::string& line)>;

// Binds all of the engine's events; the sink receives one line per event.
void BindEventLines(TZoEngine& engine, EventLineSink sink);

// Backslash, TAB, CR and LF as \\ \t \r \n, other bytes below 32 as \xHH.
std::string EscapeText(const char* text);
