#include "inspircd_server.h"

#include <cstdio>
#include <unistd.h>

#include "C_socket.h"

bool InspircdServer::WriteConfig(const std::string& path) {
  FILE* file = fopen(path.c_str(), "w");
  if (!file) return false;
  const std::string dir = dir_.path().toStdString();
  fprintf(file,
          "<server name=\"irc.velko.test\" description=\"Velko test server\" network=\"VelkoTest\">\n"
          "<admin name=\"Velko\" nick=\"velko\" email=\"velko@localhost\">\n"
          "<bind address=\"127.0.0.1\" port=\"%u\" type=\"clients\">\n"
          "<connect allow=\"*\" timeout=\"60\" pingfreq=\"300\" sendq=\"1048576\" recvq=\"65536\" "
          "localmax=\"1000\" globalmax=\"1000\" maxchans=\"100\" threshold=\"1000000\" commandrate=\"1000000\" "
          "fakelag=\"off\" resolvehostnames=\"no\" useident=\"no\">\n"
          "<files motd=\"%s/motd\">\n"
          "<path configdir=\"%s\" datadir=\"%s\" logdir=\"%s\" runtimedir=\"%s\">\n"
          "<pid file=\"%s/inspircd.pid\">\n"
          "<performance nouserdns=\"yes\">\n"
          "<dns timeout=\"1\">\n"
          "<module name=\"cap\">\n<module name=\"namesx\">\n<module name=\"ircv3\">\n",
          port_, dir.c_str(), dir.c_str(), dir.c_str(), dir.c_str(), dir.c_str(), dir.c_str());
  if (ircv3_) {
    for (const char* module : {"ircv3_accounttag", "ircv3_batch", "ircv3_capnotify", "ircv3_chghost", "ircv3_ctctags",
                               "ircv3_echomessage", "ircv3_invitenotify", "ircv3_labeledresponse", "ircv3_msgid",
                               "ircv3_servertime", "monitor", "uhnames", "setname", "chanhistory"})
      fprintf(file, "<module name=\"%s\">\n", module);
    fputs("<chanhistory maxlines=\"50\" notice=\"no\">\n<monitor maxentries=\"30\">\n", file);
  }
  const bool written = fclose(file) == 0;
  FILE* motd = fopen((dir + "/motd").c_str(), "w");
  if (!motd) return false;
  fputs("Welcome to the Velko test server\n", motd);
  return fclose(motd) == 0 && written;
}

bool InspircdServer::Start() {
  if (!dir_.isValid()) return false;
  port_ = GetFreePort();
  const std::string config = dir_.filePath("inspircd.conf").toStdString();
  if (port_ == 0 || !WriteConfig(config)) return false;
  std::vector<std::string> argv = {"inspircd", "--nofork", "--config=" + config};
  // It refuses to run as root unless told to.
  if (geteuid() == 0) argv.push_back("--runasroot");
  return process_.Start(argv, dir_.filePath("inspircd.log").toStdString(), port_);
}
