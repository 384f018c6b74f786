#include "host_fixture.h"

#include <cstdlib>
#include <sys/mman.h>

namespace {
// The tests run without a display whatever the environment says.
struct THeadlessEnvironment : ::testing::Environment {
  void SetUp() override { setenv("QJX_BACKEND", "headless", 1); }
};
const auto* kEnvironment = ::testing::AddGlobalTestEnvironment(new THeadlessEnvironment);
}  // namespace

std::vector<THostMessage> PluginHost::Messages;
std::function<intptr_t(const THostMessage&)> PluginHost::Answer;

void PluginHost::SetUp() {
  Messages.clear();
  Answer = nullptr;
  ASSERT_EQ(HV_Proc(HVC_INIT, nullptr, 0), -1);
}

void PluginHost::TearDown() {
  HV_Proc(HVC_DONE, nullptr, 0);
  for (HWND wnd : FWindows) QjxDestroyWindow(wnd);
  QjxPumpMessages();
  Answer = nullptr;
}

HWND PluginHost::MakeHostWindow(int Width, int Height) {
  HWND wnd = QjxCreateHostWindow("host", Width, Height, HostProc, nullptr);
  EXPECT_NE(wnd, nullptr);
  FWindows.push_back(wnd);
  return wnd;
}

std::vector<unsigned> PluginHost::MessageNumbers() const {
  std::vector<unsigned> result;
  for (const THostMessage& m : Messages) result.push_back(m.Msg);
  return result;
}

intptr_t PluginHost::HostProc(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam) {
  if (Msg < HVM_DBLCLICK || Msg > HVM_FORMSUBMIT)
    return QjxDefWindowProc(Wnd, Msg, wParam, lParam);
  THostMessage message{Wnd, Msg, wParam, lParam, {}};
  if ((Msg == HVM_DBLCLICK || Msg == HVM_HOTSPOTCLICK || Msg == HVM_IMAGEREQUEST ||
       Msg == HVM_OBJECTCLICK) && wParam)
    message.Text = reinterpret_cast<const char*>(wParam);
  if (Msg == HVM_FORMSUBMIT && wParam) {
    const auto* record = reinterpret_cast<const THVFormSubmit*>(wParam);
    message.Text = std::string(record->Action) + "|" + record->Target + "|" + record->EncType +
                   "|" + record->Method;
    for (int32_t i = 0; i < record->Count; ++i) message.Text += std::string("|") + record->Pairs[i];
  }
  Messages.push_back(message);
  return Answer ? Answer(message) : 0;
}

const void* UnmappedAddress() {
  static const void* address = [] {
    // Reserved without access and never released, so no allocator can reuse it.
    void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return static_cast<const void*>(page);
  }();
  return address;
}
