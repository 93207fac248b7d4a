// The edit action as a host sees it: the plug-in loaded with dlopen, a script handed over in
// KESTRELMOVE_SCRIPT; and what follows the modal loop (the block stored or left alone, the spare block
// given back) on a context of its own.
#include <cstdlib>
#include <fstream>

#include "editor/shell/editor_window.h"
#include "host/edit_run.h"
#include "host/plugin_context.h"
#include "platform/platform_state.h"
#include "platform/screen/headless_backend.h"
#include "platform/screen/screen.h"
#include "platform/window.h"
#include "platform/settings_file.h"
#include "show/show_state.h"
#include "tests/host/plugin_test_support.h"

using namespace plugintest;

namespace {

class ScriptFile {
 public:
  explicit ScriptFile(const std::string& text) : path_(scratchFolder() / "edit-script.txt") {
    std::ofstream(path_) << text;
    setenv("KESTRELMOVE_SCRIPT", path_.c_str(), 1);
  }
  ~ScriptFile() { unsetenv("KESTRELMOVE_SCRIPT"); }

 private:
  fs::path path_;
};

struct EditRecords {
  HostParameters parameters{};
  HostProject project{};
  ActionRecord record{};
  explicit EditRecords(uint8_t* block, int length = 240) {
    parameters.parameterBlock = block;
    project.parameters = &parameters;
    record.action = KM_ACTION_EDIT;
    record.length = length;
    record.project = &project;
  }
};

KmEditScriptStatus scriptStatus(void* library) {
  auto proc = reinterpret_cast<KmEditScriptStatusProc>(dlsym(library, "kmEditScriptStatus"));
  KmEditScriptStatus s{};
  EXPECT_TRUE(proc && proc(&s) == 1);
  return s;
}

// The block-handling half of the edit run on an in-process context.
class EditRunFinish : public ::testing::Test {
 protected:
  void SetUp() override {
    ws::startScreen(std::make_unique<ws::HeadlessBackend>(), 800, 600);
    platformInit(nullptr, "Kestrelmove", 101);
    context = std::make_unique<PluginContext>(settings);
    for (size_t i = 0; i < sizeof context->backupBlock; ++i) context->backupBlock[i] = uint8_t(i * 13);
    std::memset(context->spareBlock, 0x77, sizeof context->spareBlock);
  }
  void TearDown() override {
    context.reset();
    platformExit();
    ws::stopScreen();
  }
  bool spareIsBackup() const { return std::memcmp(context->spareBlock, context->backupBlock, KM_PARAMETER_BLOCK_SIZE) == 0; }

  SettingsFile settings;
  std::unique_ptr<PluginContext> context;
};

}  // namespace

TEST_F(EditRunFinish, ApplyStoresTheShowAndKeepsTheSpareBlock) {
  std::vector<uint8_t> block(KM_PARAMETER_BLOCK_SIZE, 0);
  context->show->showLength = 77;
  EXPECT_EQ(finishEditRun(*context, block.data(), kQuitApply), 1);
  SettingsFile other;
  ShowState back(other);
  ASSERT_TRUE(back.loadShow(block.data(), block.size(), false));
  EXPECT_FALSE(spareIsBackup()) << "an applied edit keeps the spare block as the editor left it";
}

TEST_F(EditRunFinish, DiscardAndAnEndedInputLeaveTheBlockAndGiveTheSpareBlockBack) {
  for (int code : {kQuitDiscard, ws::Screen::kNoMoreInput}) {
    std::vector<uint8_t> block(KM_PARAMETER_BLOCK_SIZE, 0xAB);
    std::memset(context->spareBlock, 0x77, sizeof context->spareBlock);
    EXPECT_EQ(finishEditRun(*context, block.data(), code), 0) << code;
    EXPECT_EQ(block, std::vector<uint8_t>(KM_PARAMETER_BLOCK_SIZE, 0xAB)) << code;
    EXPECT_TRUE(spareIsBackup()) << code;
  }
  // Without a block there is nothing to store; apply still answers "applied".
  EXPECT_EQ(finishEditRun(*context, nullptr, kQuitApply), 1);
  EXPECT_EQ(finishEditRun(*context, nullptr, kQuitDiscard), 0);
}

TEST_F(EditRunFinish, AShowTooLargeForTheBlockIsNeverReportedApplied) {
  // 30 pictures of 128 keys need far more than 64000 bytes.
  ShowState& show = *context->show;
  show.pictureCount = kMaxPictures;
  for (int p = 0; p < kMaxPictures; ++p) {
    show.slots[p].keyCount = kMaxKeys;
    for (int k = 0; k < kMaxKeys; ++k) show.slots[p].keys[k].time = k;
  }
  ASSERT_GT(show.storedSize(), size_t(KM_PARAMETER_BLOCK_SIZE));
  std::vector<uint8_t> block(KM_PARAMETER_BLOCK_SIZE, 0xCD);
  EXPECT_EQ(finishEditRun(*context, block.data(), kQuitApply), 0);
  EXPECT_EQ(block, std::vector<uint8_t>(KM_PARAMETER_BLOCK_SIZE, 0xCD)) << "nothing half-stored";
  EXPECT_TRUE(spareIsBackup());
}

TEST(EditAction, AScriptThatEndsWithTheEditorOpenDiscards) {
  LoadedPlugin plugin;
  std::vector<uint8_t> block = movingShowBlock();
  const std::vector<uint8_t> before = block;
  EditRecords r(block.data());
  setenv("KESTRELMOVE_VIDEO", "headless", 1);
  ScriptFile script("state\nwait 20\n");
  EXPECT_EQ(plugin.action(0, &r.record), 0);
  EXPECT_EQ(block, before);
  void* self = dlopen(KM_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
  ASSERT_TRUE(self);
  const KmEditScriptStatus s = scriptStatus(self);
  dlclose(self);
  EXPECT_EQ(s.outcome, KM_SCRIPT_ENDED_OPEN);
  EXPECT_EQ(s.line, 2);
  // The show came from the block and took the host's length.
  const KmPluginStatus status = plugin.status();
  EXPECT_EQ(status.pictureCount, 1);
}

TEST(EditAction, AScriptThatCannotBeParsedRunsNothing) {
  LoadedPlugin plugin;
  std::vector<uint8_t> block = movingShowBlock();
  const std::vector<uint8_t> before = block;
  EditRecords r(block.data());
  setenv("KESTRELMOVE_VIDEO", "headless", 1);
  ScriptFile script("layout\nclick here\n");
  EXPECT_EQ(plugin.action(0, &r.record), 0);
  EXPECT_EQ(block, before);
  void* self = dlopen(KM_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
  const KmEditScriptStatus s = scriptStatus(self);
  dlclose(self);
  EXPECT_EQ(s.outcome, KM_SCRIPT_FAILED);
  EXPECT_NE(std::string(s.message).find("line 2: 'here' is not a window"), std::string::npos) << s.message;
  EXPECT_EQ(plugin.status().pictureCount, 0) << "the show was not even loaded";
}

namespace {

std::vector<uint32_t> gOwnMessages, gOtherMessages;

class OwnWindow : public Window {
 public:
  int handleMessage(uint32_t message, ws::WParam, ws::LParam) override {
    if (message >= ws::WM_USER) gOwnMessages.push_back(message);
    return 1;
  }
};
OwnWindow* gOwn = nullptr;
ws::LResult ownProcedure(ws::WindowHandle h, uint32_t m, ws::WParam w, ws::LParam l) { return forwardMessage(gOwn, h, m, w, l); }
ws::LResult otherProcedure(ws::WindowHandle h, uint32_t m, ws::WParam w, ws::LParam l) {
  if (m >= ws::WM_USER) gOtherMessages.push_back(m);
  return ws::screen().defWindowProc(h, m, w, l);
}

}  // namespace

TEST_F(EditRunFinish, TheModalLoopDropsWhatIsNotThePluginsOwnAndEndsOnTheQuitCode) {
  OwnWindow own;
  gOwn = &own;
  ASSERT_TRUE(own.create(0, kWindowOverlapped, ownProcedure));
  own.show(1);
  ws::Screen& s = ws::screen();
  ASSERT_TRUE(s.registerClass(ws::WindowClass{"HostWindow", 0, otherProcedure, 0, ws::IDC_ARROW}));
  // A host window that wants painting: its paint is dropped, and must not come back for ever.
  const ws::WindowHandle host = s.createWindow("HostWindow", "host", ws::WS_POPUP, 0, 0, 50, 50, 0);
  s.showWindow(host, ws::SW_SHOW);
  s.invalidateRect(host, nullptr);
  gOwnMessages.clear(), gOtherMessages.clear();
  s.postMessage(own.handle(), ws::WM_USER + 1, 0, 0);
  s.postMessage(host, ws::WM_USER + 2, 0, 0);
  s.postMessage(own.handle(), ws::WM_USER + 3, 0, 0);
  // The quit comes only once nothing is left to do, so the host window's paint is met first.
  s.whenIdle([&s] { s.postQuitMessage(5); });
  EXPECT_EQ(modalLoop(true), 5);
  EXPECT_FALSE(s.hasInvalid(host));
  EXPECT_EQ(gOwnMessages, (std::vector<uint32_t>{ws::WM_USER + 1, ws::WM_USER + 3}));
  EXPECT_TRUE(gOtherMessages.empty());
  // Without filtering every window gets its messages.
  s.postMessage(host, ws::WM_USER + 4, 0, 0);
  s.postQuitMessage(0);
  EXPECT_EQ(modalLoop(false), 0);
  EXPECT_EQ(gOtherMessages, (std::vector<uint32_t>{ws::WM_USER + 4}));
  s.destroyWindow(host);
  own.destroy();
  gOwn = nullptr;
}
