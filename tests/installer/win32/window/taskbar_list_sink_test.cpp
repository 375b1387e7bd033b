// The taskbar button's progress as the shell's taskbar list receives it: nothing
// before the button exists, then the newest progress at once; the state before
// the value; changes closer together than the interval merged into the last one.
#include "installer/win32/window/taskbar_list_sink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "htmltext/gdi/gdi_fixture.h"
#include "installer/taskbar.h"

namespace vornel {
namespace {

using namespace std::chrono_literals;

// A taskbar list that records the calls it gets: "state N" and "value V/M".
class TRecordingList : public ITaskbarList3 {
 public:
  std::vector<std::string> Calls;
  bool InitFails = false;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }  // lives on the test's stack
  HRESULT STDMETHODCALLTYPE HrInit() override { return InitFails ? E_FAIL : S_OK; }
  HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetProgressValue(HWND, ULONGLONG done, ULONGLONG total) override {
    Calls.push_back("value " + std::to_string(done) + "/" + std::to_string(total));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetProgressState(HWND, TBPFLAG flags) override {
    Calls.push_back("state " + std::to_string(static_cast<int>(flags)));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR tip) override {
    Calls.push_back("tip " + std::to_string(std::wstring(tip).size()));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override { return S_OK; }
};

// A window whose timer reaches the sink, as the installer's window hands it on.
class TSinkWindow {
 public:
  TSinkWindow() {
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    info.lpfnWndProc = Proc;
    info.hInstance = GetModuleHandleW(nullptr);
    info.lpszClassName = L"VornelSinkTest";
    RegisterClassExW(&info);
    FHandle = CreateWindowExW(0, L"VornelSinkTest", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                              nullptr, info.hInstance, nullptr);
  }
  ~TSinkWindow() { DestroyWindow(FHandle); }
  HWND Handle() const { return FHandle; }
  static inline TTaskbarListSink* Sink = nullptr;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == TTaskbarListSink::TimerId && Sink != nullptr) {
      Sink->TimerFired();
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  HWND FHandle = nullptr;
};

class TaskbarListSinkTest : public ::testing::Test {
 protected:
  TaskbarListSinkTest() {
    auto sink = std::make_unique<TTaskbarListSink>(FWindow.Handle(), [this] {
      ++Made;
      return static_cast<ITaskbarList3*>(&List);
    });
    Sink = sink.get();
    TSinkWindow::Sink = Sink;
    Taskbar.SetSink(std::move(sink));
  }
  ~TaskbarListSinkTest() override {
    Taskbar.SetSink(nullptr);
    TSinkWindow::Sink = nullptr;
  }

  TSinkWindow FWindow;
  TRecordingList List;
  int Made = 0;
  TTaskbarListSink* Sink = nullptr;
  TTaskbar Taskbar;
};

TEST_F(TaskbarListSinkTest, NothingBeforeTheButtonThenTheNewestProgress) {
  Taskbar.SetProgressMaxValue(1000);
  Taskbar.SetProgressState(tbpsNormal);
  Taskbar.SetProgressValue(250);
  Taskbar.SetToolTip(u"Stahuje");
  EXPECT_TRUE(List.Calls.empty());
  EXPECT_EQ(Made, 0);
  ASSERT_TRUE(Sink->ButtonCreated());
  EXPECT_TRUE(Sink->Connected());
  // The state first, so that the value is not taken for normal progress.
  EXPECT_EQ(List.Calls, (std::vector<std::string>{"tip 7", "state " + std::to_string(TBPF_NORMAL),
                                                  "value 250/1000"}));
}

TEST_F(TaskbarListSinkTest, ChangesWithinTheIntervalEndInTheLastOne) {
  ASSERT_TRUE(Sink->ButtonCreated());
  List.Calls.clear();
  Taskbar.SetProgressMaxValue(100);
  Taskbar.SetProgressState(tbpsNormal);
  for (int value = 1; value <= 50; ++value)
    Taskbar.SetProgressValue(value);
  Taskbar.SetProgressValue(500);  // held at the maximum by the wrapper
  // At most the first change went at once; the rest wait for the interval.
  EXPECT_LE(List.Calls.size(), 2u);
  Pump(std::chrono::milliseconds(3 * TTaskbarListSink::MinIntervalMs));
  ASSERT_GE(List.Calls.size(), 2u);
  EXPECT_LE(List.Calls.size(), 4u);
  EXPECT_EQ(List.Calls.back(), "value 100/100");
}

TEST_F(TaskbarListSinkTest, NoProgressStateSendsNoValue) {
  ASSERT_TRUE(Sink->ButtonCreated());
  const auto interval = std::chrono::milliseconds(2 * TTaskbarListSink::MinIntervalMs);
  Pump(interval);
  Taskbar.SetProgressMaxValue(10);
  Taskbar.SetProgressState(tbpsNormal);
  Taskbar.SetProgressValue(5);
  Pump(interval);
  List.Calls.clear();
  Taskbar.SetProgressState(tbpsNone);
  Pump(interval);
  Taskbar.SetProgressValue(7);  // kept, but the button shows no progress
  Pump(interval);
  EXPECT_EQ(List.Calls, (std::vector<std::string>{"state " + std::to_string(TBPF_NOPROGRESS)}));
}

TEST_F(TaskbarListSinkTest, AListThatFailsToStartIsDropped) {
  List.InitFails = true;
  EXPECT_FALSE(Sink->ButtonCreated());
  EXPECT_FALSE(Sink->Connected());
  Taskbar.SetProgressState(tbpsNormal);
  EXPECT_TRUE(List.Calls.empty());
  // The shell restarted: the button is made again and the list works now.
  List.InitFails = false;
  EXPECT_TRUE(Sink->ButtonCreated());
  EXPECT_EQ(List.Calls.front(), "state " + std::to_string(TBPF_NORMAL));
}

}  // namespace
}  // namespace vornel
