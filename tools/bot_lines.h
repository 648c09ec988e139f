// The IRC lines velkobot says: greetings, answers and CTCP replies, each a
// whole CP949 line with CR LF that never exceeds the 512-byte line limit.
#pragma once

#include <string>

std::string GreetingLine(const char* channel, const char* nick);
// `heard` is echoed back: in CP949 whatever it arrived in, without CTCP delimiters.
std::string AnswerLine(const char* target, const char* nick, const char* heard);
// The reply to a CTCP request, or empty when the keyword is not answered.
std::string CtcpReplyLine(const char* nick, const char* keyword, const char* params);

// Whether `text` holds `nick`, compared without regard to ASCII letter case.
bool NamesNick(const char* text, const std::string& nick);
