// The host program's window for a page: the page itself in a web view, with
// its HTML and script, each control placed over its <object>, and a line
// under the view for what went wrong (also written to standard error).
#pragma once

#include <QJsonArray>
#include <QLabel>
#include <QUrl>
#include <QWidget>
#include <memory>

#include "U_pagebridge.h"

class QWebChannel;
class QWebEngineProfile;
class QWebEngineUrlRequestInterceptor;
class QWebEngineView;

class THostPage : public QWidget {
  Q_OBJECT

 public:
  // Before the application: the engine's switches (its sandbox is turned off
  // only when running as root, where it cannot start).
  static void PrepareProcess(bool verbose);

  THostPage(TPageBridge::Factory factory, NamedValues options);
  ~THostPage() override;

  // A file name, or an address (file: with a query, http, https).
  void Open(const QString& page);
  TPageBridge& Bridge() { return *bridge_; }
  QWebEngineView& View() { return *view_; }
  // The last messages the page has given (at most 200), one a line.
  QStringList Messages() const { return messages_; }
  // Releases the controls and waits (a little) until the page has heard
  // their OnDestroy.
  void Leave();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Report(const QString& message);
  void FireInPage(int key, const QVariantMap& event);
  void SendEvents();
  void ReportLoad(bool ok);

  std::unique_ptr<QWebEngineProfile> profile_;
  QWebEngineUrlRequestInterceptor* guard_;  // owned by the profile
  QWebEngineView* view_;
  QLabel* message_;
  std::unique_ptr<TPageBridge> bridge_;
  std::unique_ptr<QWebChannel> channel_;
  QStringList messages_;
  QJsonArray pendingEvents_;
  QUrl url_;
};
