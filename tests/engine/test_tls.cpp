// TLS to a real ngircd with a throwaway CA: the certificate and the name are
// checked, and only the user's explicit trust lets another certificate pass.
#include <gtest/gtest.h>

#include <QFile>
#include <QSslSocket>
#include <QTemporaryDir>
#include <string>
#include <sys/stat.h>

#include "C_socket.h"
#include "engine_recorder.h"
#include "ngircd_server.h"
#include "tcp_relay.h"
#include "test_certificates.h"
#include "wait_until.h"

namespace {

struct TlsCase {
  const char* name;
  const char* host;
  bool trustCa;
  const char* pin;  // "ours": the server's own certificate
  int refusal;      // 0: the session logs on
  bool clientCert = false;
};

std::string WithoutColons(std::string text) {
  std::erase(text, ':');
  return text;
}

class Tls : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QSslSocket::supportsSsl()) << "no TLS backend for Qt Network";
    ASSERT_TRUE(server.EnableTls() && server.Start());
  }
  // Aims the engine at `host` and `port` over TLS, trusting the test CA when asked.
  void Aim(EngineRecorder& r, const char* host, uint16_t port, bool trustCa = true) {
    r.engine.SetAddress(host);
    r.engine.SetPort(port);
    r.engine.SetTls(true);
    r.engine.SetTlsTrust("", trustCa ? certificates.CaFile() : "");
    r.engine.OnConnect = [&r](void*) { r.engine.Send("USER quelbo 0 0 :tls\r\nNICK tls\r\n"); };
  }

  NgircdServer server;
  const TestCertificates& certificates = server.Certificates();
};

}  // namespace

TEST_F(Tls, CertificatesAndNamesAreCheckedUnlessTrustedExplicitly) {
  const TlsCase cases[] = {
      {"verified through the CA file", "localhost", true, "", 0},
      {"the name does not match", "127.0.0.1", true, "", kZoTlsWrongName},
      {"no one vouches for it", "localhost", false, "", kZoTlsUntrusted},
      {"pinned by fingerprint", "127.0.0.1", false, "ours", 0},
      {"pinned, but the server shows another", "localhost", false, "00:11:22", kZoTlsPinChanged},
      {"presenting a client certificate", "localhost", true, "", 0, true},
  };
  for (const TlsCase& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRecorder r;
    Aim(r, c.host, server.TlsPort(), c.trustCa);
    if (*c.pin) r.engine.SetTlsTrust(c.pin == std::string("ours") ? certificates.Fingerprint() : c.pin, "");
    r.engine.SetTlsClientCert(c.clientCert ? certificates.CertFile() : "", c.clientCert ? certificates.KeyFile() : "");
    // As the client does: a refused connection is closed at once.
    r.engine.OnIRCError = [&, record = r.engine.OnIRCError](int* code) {
      record(code);
      r.engine.Disconnect();
    };
    ASSERT_TRUE(r.engine.Connect());
    if (c.refusal == 0) {
      EXPECT_TRUE(r.WaitFor("OnLogon\t(null)", 10000));
      EXPECT_TRUE(r.Events({"OnIRCError"}).empty());
      EXPECT_EQ(r.engine.RefusedCertificate(), "");
      if (c.clientCert) {
        // The server names the certificate it was shown.
        r.engine.Send("WHOIS tls\r\n");
        EXPECT_TRUE(r.WaitForPart("OnIRC", WithoutColons(certificates.Fingerprint())));
      }
    } else {
      EXPECT_TRUE(r.WaitFor("OnIRCError\t" + std::to_string(c.refusal), 10000));
      EXPECT_EQ(r.Events({"OnIRCError"}).size(), 1u);  // one reason, nothing after it
      EXPECT_TRUE(r.Events({"OnConnect", "OnLine"}).empty());
      // What the user is shown to decide on, for the server's certificate.
      EXPECT_EQ(r.engine.RefusedCertificate(), QString::fromStdString(certificates.Fingerprint()).toUpper().toStdString());
    }
    r.engine.Disconnect();
  }
}

// Bytes slipped into a live TLS session by a hop end the connection: one
// error, then the disconnect; nothing more is taken for sending, and the
// engine can connect again.
TEST_F(Tls, PlainTextInALiveSessionEndsTheConnection) {
  TcpRelay relay(server.TlsPort());
  EngineRecorder r;
  Aim(r, "localhost", relay.Port());
  ASSERT_TRUE(r.engine.Connect());
  ASSERT_TRUE(r.WaitFor("OnLogon\t(null)", 10000));
  relay.InjectToClient("NOTICE * :not encrypted\r\n");
  ASSERT_TRUE(r.WaitFor("OnDisconnect\t(null)"));
  const std::vector<std::string> ending = r.Events({"OnIRCError", "OnDisconnect"});
  ASSERT_EQ(ending.size(), 2u);
  EXPECT_EQ(ending[0].rfind("OnIRCError\t", 0), 0u);
  EXPECT_EQ(r.engine.state, TZoEngine::Idle);
  EXPECT_FALSE(r.engine.Send("PRIVMSG tls :lost\r\n"));
  EXPECT_TRUE(r.engine.Connect());
  EXPECT_TRUE(WaitUntil([&] { return relay.Accepted() == 2; }));
  r.engine.Disconnect();
}

// Trust files that are no small regular file are refused at once with one
// reason, never opened in a way that could block, walked or taken as a pattern.
TEST_F(Tls, UnusableTrustFilesRefuseTheConnectionAtOnce) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  const std::string fifo = folder + "/key.fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string large = folder + "/large.pem";
  ASSERT_TRUE(QFile::copy(QString::fromStdString(certificates.CaFile()), QString::fromStdString(large)));
  ASSERT_TRUE(QFile(QString::fromStdString(large)).resize(kZoTlsFileMax + 1));
  struct Files {
    const char* name;
    std::string caFile;
    std::string clientCert;
    std::string clientKey;
  };
  const Files cases[] = {
      {"CA file is a folder", folder, "", ""},
      {"CA file is missing", folder + "/missing.pem", "", ""},
      {"CA file is too large", large, "", ""},
      {"client key is a FIFO", certificates.CaFile(), certificates.CertFile(), fifo},
      {"client certificate holds no certificate", certificates.CaFile(), certificates.KeyFile(), certificates.KeyFile()},
  };
  for (const Files& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRecorder r;
    Aim(r, "localhost", server.TlsPort());
    r.engine.SetTlsTrust("", c.caFile);
    r.engine.SetTlsClientCert(c.clientCert, c.clientKey);
    EXPECT_FALSE(r.engine.Connect());
    EXPECT_EQ(r.Events(), std::vector<std::string>{"OnIRCError\t" + std::to_string(kZoTlsBadFile)});
    EXPECT_EQ(r.engine.state, TZoEngine::Idle);
  }
}
