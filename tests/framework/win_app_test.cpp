// The application object: its run, the instance handle and the command line.
#include <windows.h>

#include "framework/win_app.h"

#include "gtest/gtest.h"

#include <stdlib.h>

namespace {

class TestApp : public WinApp {
 public:
  explicit TestApp(bool result) : result_(result) {}
  bool InitInstance() override {
    ++calls;
    instanceSeen = AppInstance();
    currentSeen = WinApp::current();
    return result_;
  }
  int calls = 0;
  HINSTANCE instanceSeen = nullptr;
  WinApp *currentSeen = nullptr;

 private:
  bool result_;
};

}  // namespace

TEST(WinApp, RunCallsInitInstanceOnceAndReturnsItsResult) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  for (bool result : {false, true}) {
    SCOPED_TRACE(result);
    TestApp app(result);
    EXPECT_EQ(app.Run(module), result ? 1 : 0);
    EXPECT_EQ(app.calls, 1);
    EXPECT_EQ(app.instanceSeen, module);
    EXPECT_EQ(app.currentSeen, &app);
    EXPECT_EQ(app.instance(), module);
  }
  EXPECT_EQ(WinApp::current(), nullptr);
  EXPECT_EQ(AppInstance(), module);  // no application object: the executable's module
}

TEST(WinApp, CommandLineComesFromTheRuntimeUnlessReplaced) {
  EXPECT_EQ(AppArgCount(), __argc);
  EXPECT_EQ(AppArgs(), __argv);
  char arg0[] = "inst.exe";
  char arg1[] = "D:\\menu.exe";
  char arg2[] = "E:\\data\\";
  char *argv[] = {arg0, arg1, arg2, nullptr};
  SetAppArgs(3, argv);
  EXPECT_EQ(AppArgCount(), 3);
  EXPECT_STREQ(AppArgs()[1], "D:\\menu.exe");
  EXPECT_STREQ(AppArgs()[2], "E:\\data\\");
  SetAppArgs(0, nullptr);
  EXPECT_EQ(AppArgCount(), __argc);
  EXPECT_EQ(AppArgs(), __argv);
}
