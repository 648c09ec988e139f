// A script played against a real module through the component layer: the
// answers, their framing and order, sleeps, quitting, and lines that run while
// a call waits in a nested event loop.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QEventLoop>
#include <QTimer>
#include <sstream>

#include "U_scriptdriver.h"
#include "com_server.h"
#include "gadget.h"
#include "scratch_registry.h"

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
    ASSERT_EQ(CreateByProgID(kGadgetProgId, GADGET_MODULE, IID_IDispatch, control_.PutVoid()), S_OK);
  }

  // Plays the lines until the script quits or ends; the answers as written.
  std::string Play(const QStringList& lines) {
    return Play([&](ScriptDriver& driver) {
      for (const QString& line : lines) driver.Feed(line);
      driver.EndInput();
    });
  }

  template <class Start>
  std::string Play(Start&& start) {
    std::ostringstream out;
    ScriptDriver driver(control_.Get(), host_, out);
    QEventLoop loop;
    QObject::connect(&driver, &ScriptDriver::quitRequested, &loop, &QEventLoop::quit);
    QObject::connect(&driver, &ScriptDriver::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    start(driver);
    loop.exec();
    return out.str();
  }

  ScratchRegistry registry_;
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

TEST_F(ScriptDriving, StandardInputIsReadAsItComesToTheLastUnendedLine) {
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  const int savedInput = dup(STDIN_FILENO);
  ASSERT_GE(dup2(pipeEnds[0], STDIN_FILENO), 0);
  close(pipeEnds[0]);
  const std::string answers = Play([&](ScriptDriver& driver) {
    EXPECT_TRUE(driver.ReadFrom(QStringLiteral("-")).isEmpty());
    const std::string script = "put Name a\r\nInp";
    ASSERT_EQ(write(pipeEnds[1], script.data(), script.size()), ssize_t(script.size()));
    QTimer::singleShot(50, [&] {
      const std::string rest = "ut split\nget Name";
      EXPECT_EQ(write(pipeEnds[1], rest.data(), rest.size()), ssize_t(rest.size()));
      close(pipeEnds[1]);
    });
  });
  dup2(savedInput, STDIN_FILENO);
  close(savedInput);
  EXPECT_EQ(answers, ".\n.\nsplit\n.\n");
}

TEST_F(ScriptDriving, AMissingScriptFileIsReported) {
  std::ostringstream out;
  ScriptDriver driver(control_.Get(), host_, out);
  EXPECT_TRUE(driver.ReadFrom(registry_.Path() + QStringLiteral("/none.txt")).contains(QStringLiteral("none.txt")));
}

}  // namespace
