// Shared pieces of the client suites: settings kept in a scratch registry, a
// main window talking to a scripted server, and what a pane shows.
#pragma once

#include <QString>
#include <memory>
#include <string>

#include "F_mainform.h"
#include "grab.h"
#include "scratch_registry.h"
#include "scripted_server.h"

class TmABSRich;
class TmChannel;

// A main window of 560x460 logged on to nothing: its engine is connected to a
// scripted server so every line it sends can be read back.
struct WiredForm {
  WiredForm();
  // The server has received `line` (CR LF included).
  bool Sent(const std::string& line, int timeoutMs = 3000);

  ScratchRegistry registry;
  ScriptedServer server;
  std::unique_ptr<TMainForm> form;
};

// Clicks the member list's row, as the user would.
void SelectMemberRow(TmChannel* channel, int row);
// The channel window's member list holds `entry` (prefix included).
bool HasMember(TMainForm& form, const char* channel, const char* entry);
// The pane's text, one line per line without stamps, once the waiting lines are shown.
QString PaneText(TmABSRich* pane);
