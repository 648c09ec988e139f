// TLS to a real ngircd with a throwaway CA: the certificate and the name are
// checked, and only the user's explicit trust lets another certificate pass.
#include <gtest/gtest.h>

#include <QSslSocket>
#include <string>

#include "C_socket.h"
#include "engine_recorder.h"
#include "ngircd_server.h"
#include "test_certificates.h"

namespace {

struct TlsCase {
  const char* name;
  const char* host;
  bool trustCa;
  bool pin;
  int refusal;  // 0: the session logs on
  bool clientCert = false;
};

std::string WithoutColons(std::string text) {
  std::erase(text, ':');
  return text;
}

}  // namespace

TEST(Tls, CertificatesAndNamesAreCheckedUnlessTrustedExplicitly) {
  ASSERT_TRUE(QSslSocket::supportsSsl()) << "no TLS backend for Qt Network";
  TestCertificates certificates;
  ASSERT_TRUE(certificates.Make());
  NgircdServer server;
  server.EnableTls(certificates.CertFile(), certificates.KeyFile());
  ASSERT_TRUE(server.Start());
  const TlsCase cases[] = {
      {"verified through the CA file", "localhost", true, false, 0},
      {"the name does not match", "127.0.0.1", true, false, kZoTlsWrongName},
      {"no one vouches for it", "localhost", false, false, kZoTlsUntrusted},
      {"pinned by fingerprint", "127.0.0.1", false, true, 0},
      {"presenting a client certificate", "localhost", true, false, 0, true},
  };
  for (const TlsCase& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRecorder r;
    r.engine.SetAddress(c.host);
    r.engine.SetPort(server.TlsPort());
    r.engine.SetTls(true);
    r.engine.SetTlsTrust(c.pin ? certificates.Fingerprint() : "", c.trustCa ? certificates.CaFile() : "");
    r.engine.SetTlsClientCert(c.clientCert ? certificates.CertFile() : "", c.clientCert ? certificates.KeyFile() : "");
    r.engine.OnConnect = [&](void*) { r.engine.Send("USER quelbo 0 0 :tls\r\nNICK tls\r\n"); };
    // As the client does: a refused connection is closed at once.
    r.engine.OnIRCError = [&, record = r.engine.OnIRCError](int* code) {
      record(code);
      r.engine.Disconnect();
    };
    ASSERT_TRUE(r.engine.Connect());
    if (c.refusal == 0) {
      EXPECT_TRUE(r.WaitFor("OnLogon\t(null)", 10000));
      EXPECT_TRUE(r.Events({"OnIRCError"}).empty());
      if (c.clientCert) {
        // The server names the certificate it was shown.
        r.engine.Send("WHOIS tls\r\n");
        EXPECT_TRUE(r.WaitForPart("OnIRC", WithoutColons(certificates.Fingerprint())));
      }
    } else {
      EXPECT_TRUE(r.WaitFor("OnIRCError\t" + std::to_string(c.refusal), 10000));
      EXPECT_EQ(r.Events({"OnIRCError"}).size(), 1u);  // one reason, nothing after it
      EXPECT_TRUE(r.Events({"OnConnect", "OnLine"}).empty());
    }
    r.engine.Disconnect();
  }
}
