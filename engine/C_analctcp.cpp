#include "C_analctcp.h"

#include <cstring>

#include "U_commondata.h"

void CZoAnalCTCP::Build(const stIRC& irc, stCTCP* ctcp) {
  *ctcp = stCTCP{};
  ZoCopy(ctcp->nick, irc.nick);
  ZoCopy(ctcp->host, irc.host);
  ZoCopy(ctcp->command, irc.command);
  if (irc.param1[0] == '#')
    ZoCopy(ctcp->channel, irc.param1);
  else
    ZoCopy(ctcp->target, irc.param1);

  char text[sizeof irc.rest];
  CZoAnalysis::CTCPBody(irc, text);
  ZoStringSpc tokens;
  tokens.setText(text);
  ZoCopy(ctcp->ctcp, tokens.nextToken());
  ZoCopy(ctcp->params, tokens.rest());
}

void CZoAnalCTCP::Handle(const stIRC& irc) {
  Build(irc, &record_);
  ZoRaise(events_.OnCTCP, &record_);
}
