// A script played against a real module through the component layer: the
// answers, their framing and order, sleeps, quitting, and lines that run while
// a call waits in a nested event loop.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <sstream>

#include "U_scriptdriver.h"
#include "com_server.h"
#include "gadget.h"

namespace {

class AnsweringHost : public ScriptHostCommands {
 public:
  QString Run(const ScriptCommand& command, std::vector<std::vector<QString>>* lines) override {
    if (command.verb != ScriptVerb::Windows) return QStringLiteral("no dialog is open");
    *lines = {{"2", "#velko"}, {".hidden"}};
    return {};
  }
};

class ScriptDriving : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    qputenv("VELKO_REGISTRY_DIR", QFile::encodeName(folder_.path()));
    ASSERT_EQ(CreateByProgID(kGadgetProgId, GADGET_MODULE, IID_IDispatch, control_.PutVoid()), S_OK);
  }

  // Plays the lines until the script quits or ends; the answers as written.
  std::string Play(const QStringList& lines) {
    std::ostringstream out;
    ScriptDriver driver(control_.Get(), host_, out);
    QEventLoop loop;
    QObject::connect(&driver, &ScriptDriver::quitRequested, &loop, &QEventLoop::quit);
    QObject::connect(&driver, &ScriptDriver::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    for (const QString& line : lines) driver.Feed(line);
    driver.EndInput();
    loop.exec();
    return out.str();
  }

  QTemporaryDir folder_;
  ComPtr<IDispatch> control_;
  AnsweringHost host_;
};

TEST_F(ScriptDriving, EachLineGetsItsAnswerInOrderUntilQuit) {
  const std::string answers =
      Play({"put Name 벨코", "get NAME", "Input hello", "get Name", "# a note", "", "put Count many", "Explode",
            ".windows", ".dialog", ".sleep 30", "get Count", ".quit", "Input never"});
  EXPECT_EQ(answers,
            ".\n"
            "벨코\n.\n"
            ".\n"
            "hello\n.\n"
            "error\ta value of the wrong type (0x80020005)\n.\n"
            "error\tunknown command Explode\n.\n"
            "2\t#velko\n..hidden\n.\n"
            "error\tno dialog is open\n.\n"
            ".\n"
            "0\n.\n"
            ".\n");
}

TEST_F(ScriptDriving, LinesRunWhileACallWaitsInANestedLoop) {
  const std::string answers = Play({"ShowNickChange", "get Name", "put Name done", "get Name"});
  EXPECT_EQ(answers,
            "\n.\n"  // get Name while the call waits
            ".\n"    // put Name done, which ends the wait
            ".\n"    // ShowNickChange returns
            "done\n.\n");
}

TEST_F(ScriptDriving, AMissingScriptFileIsReported) {
  std::ostringstream out;
  ScriptDriver driver(control_.Get(), host_, out);
  EXPECT_TRUE(driver.ReadFrom(folder_.path() + QStringLiteral("/none.txt")).contains(QStringLiteral("none.txt")));
}

}  // namespace
