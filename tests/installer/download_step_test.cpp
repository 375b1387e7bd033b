#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "installer/download_client.h"
#include "installer/installer_wizard.h"
#include "installer/product_table.h"
#include "installer/support/product_addresses.h"
#include "installer/support/recording_view.h"
#include "platform/clock.h"
#include "platform/exception.h"
#include "platform/text.h"
#include "scratch_folder.h"
#include "transport/anti_freeze.h"

namespace vornel {
namespace {

using test::DownloadAddress;
using testing::Exists;
using testing::TScratchFolder;

// A client that plays a scripted response as the HTTP client does: the connect's
// wait (where the idle hook runs), then the body in blocks of 32768 bytes with the
// work events, and the outcome of table K for a disconnect.
class TScriptedClient : public TDownloadClient {
 public:
  enum TBody { bCounted, bChunked, bUntilClose };

  std::string Body;
  TBody Form = bCounted;
  // Bytes after which the connection fails ("Socket Error # 10054"); -1 for never.
  std::int64_t FailAfter = -1;
  // Whether the connect itself fails, with this message.
  std::u16string ConnectError;
  // Called at each work event, after the step's handler: a fake clock's tick.
  std::function<void()> AfterWork;

  std::vector<std::u16string> Urls;
  int Disconnects = 0;

  void Get(const std::u16string& url, TStream& stream) override {
    Urls.push_back(url);
    FConnected = true;
    // The connect waits in slices; the idle hook runs between them.
    TNetAntiFreezeBase::DoProcess();
    if (!FConnected)
      throw Exception(u"Socket Error # 10004\nInterrupted system call.");
    if (!ConnectError.empty())
      throw Exception(ConnectError);
    const std::int64_t size = static_cast<std::int64_t>(Body.size());
    OnWorkBegin(wmRead, Form == bCounted ? size : 0);
    std::int64_t done = 0;
    try {
      while (done < size) {
        if (!FConnected) {
          if (Form == bChunked)
            throw Exception(u"Connection Closed Gracefully.");
          break;
        }
        if (FailAfter >= 0 && done >= FailAfter)
          throw Exception(u"Socket Error # 10054\nConnection reset by peer.");
        const std::int64_t n = std::min<std::int64_t>(32768, size - done);
        stream.Write(Body.data() + done, n);
        done += n;
        OnWork(wmRead, done);
        if (AfterWork)
          AfterWork();
      }
    } catch (...) {
      OnWorkEnd(wmRead);
      throw;
    }
    OnWorkEnd(wmRead);
  }

  void Disconnect() override {
    ++Disconnects;
    FConnected = false;
  }

 private:
  bool FConnected = false;
};

std::string Pattern(std::size_t size) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i)
    text[i] = static_cast<char>((i * 7919) >> 5);
  return text;
}

class DownloadStepTest : public ::testing::Test {
 protected:
  DownloadStepTest() : wizard(state, view, TInstallerEnvironment{}) {
    state.IDApp = u"INSTALLTARVO";
    auto owned = std::make_unique<TScriptedClient>();
    client = owned.get();
    step().SetClient(std::move(owned));
    step().TempFolder = [this] { return temp.Dir(); };
    step().Clock = [this] { return now; };
  }

  TDownloadStep& step() { return wizard.DownloadStep(); }
  std::filesystem::path Target() const { return temp.Path() / "Tarvo2021_2021K1.zip"; }
  std::string TargetContent() const {
    std::ifstream in(Target(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  std::vector<std::string> LabelTexts() const {
    std::vector<std::string> texts;
    for (const std::string& line : view.Log())
      if (line.starts_with("SetLabelText HTMText_InfoDown "))
        texts.push_back(line.substr(30));
    return texts;
  }
  bool Logged(const std::string& line) const {
    return std::find(view.Log().begin(), view.Log().end(), line) != view.Log().end();
  }
  // A click on "Storno" delivered by the next pump.
  void StornoAtNextPump() {
    view.PumpActions.push_back([this] { wizard.B_StornoDownClick(); });
  }

  void ExpectIdle() {
    EXPECT_FALSE(state.DownloadActive);
    EXPECT_TRUE(view.Enabled(TControl::B_StartK1));
    EXPECT_FALSE(view.BusyCursor());
    EXPECT_FALSE(view.Visible(TControl::HTMText_InfoDown));
    EXPECT_FALSE(view.Visible(TControl::B_StornoDown));
    EXPECT_FALSE(view.Visible(TControl::ArPB_Down));
    EXPECT_EQ(view.Taskbar().ProgressState(), tbpsNone);
    EXPECT_EQ(view.Taskbar().ProgressValue(), 0);
    EXPECT_EQ(view.Taskbar().ProgressMaxValue(), 0);
    EXPECT_EQ(view.Page(), TS_Step1);
    EXPECT_EQ(state.DataFileStream, nullptr);
  }

  TScratchFolder temp;
  TInstallerState state;
  TRecordingView view;
  TInstallerWizard wizard;
  TScriptedClient* client = nullptr;
  double now = EncodeDateTime(2026, 12, 10, 9, 0, 0);
};

TEST_F(DownloadStepTest, DownloadsTheSetAndMovesToPageOne) {
  client->Body = Pattern(1048576);
  // Each block takes a quarter of a second on the fake clock.
  client->AfterWork = [this] { now += 0.25 / 86400; };
  view.PumpActions.push_back([this] {
    // Inside the first pump of work begin: the step is transferring.
    EXPECT_TRUE(state.DownloadActive);
    EXPECT_FALSE(view.Enabled(TControl::B_StartK1));
    EXPECT_TRUE(view.BusyCursor());
    EXPECT_TRUE(view.Visible(TControl::B_StornoDown));
  });
  wizard.B_StartK1Click();

  EXPECT_EQ(client->Urls, std::vector<std::u16string>{DownloadAddress(u"INSTALLTARVO").value()});
  EXPECT_TRUE(client->Urls[0].starts_with(u"https://"));
  EXPECT_TRUE(TargetContent() == client->Body) << TargetContent().size();
  EXPECT_EQ(ToUtf8(state.CilDataFile), Target().string());
  EXPECT_EQ(ToUtf8(state.ZIP_FileName), "Tarvo2021_2021K1.zip");
  EXPECT_DOUBLE_EQ(state.ABSize, 1.0);
  EXPECT_TRUE(Logged("SetProgressMax ArPB_Down 1024"));
  EXPECT_TRUE(Logged("SetProgressPosition ArPB_Down 512"));
  EXPECT_TRUE(Logged("Taskbar.SetProgressValue 512 1024"));
  EXPECT_TRUE(Logged("Taskbar.SetThumbnailTooltip Probíhá stahování ..."));
  EXPECT_TRUE(view.ErrorBoxes().empty());
  EXPECT_FALSE(state.DownloadAborted);

  const std::vector<std::string> texts = LabelTexts();
  ASSERT_EQ(texts.size(), 34u);  // begin, 32 blocks, end
  EXPECT_EQ(texts.front(), "Začíná stahování Tarvo2021_2021K1.zip");
  // The first block came at once: no speed yet, no remaining time.
  EXPECT_EQ(texts[1],
            "Stahuje se soubor <B>Tarvo2021_2021K1.zip</B> (velikost <B>1.000 MB</B>); "
            "rychlost stahování <B>0.00 MB/s</B>; ");
  // 64 KiB in a quarter second: 0.25 MB/s, 960 KiB to go.
  EXPECT_EQ(texts[2],
            "Stahuje se soubor <B>Tarvo2021_2021K1.zip</B> (velikost <B>1.000 MB</B>); "
            "rychlost stahování <B>0.25 MB/s</B>; zbývající čas <B>00:00:03</B>.");
  EXPECT_EQ(texts.back(), " Stahování Tarvo2021_2021K1.zip ukončeno; čekejte prosím.");

  EXPECT_EQ(view.Page(), TS_Step2);
  EXPECT_FALSE(state.DownloadActive);
  EXPECT_TRUE(view.Enabled(TControl::B_StartK1));
  EXPECT_FALSE(view.BusyCursor());
  EXPECT_FALSE(view.Visible(TControl::B_StornoDown));
  EXPECT_FALSE(view.Visible(TControl::ArPB_Down));
  EXPECT_EQ(view.Taskbar().ProgressState(), tbpsNone);
  EXPECT_EQ(state.DataFileStream, nullptr);
}

TEST_F(DownloadStepTest, DecimalSeparatorOfTheUser) {
  client->Body = Pattern(100000);
  step().SetDecimalSeparator(u',');
  wizard.B_StartK1Click();
  const std::vector<std::string> texts = LabelTexts();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_NE(texts[1].find("(velikost <B>0,095 MB</B>); rychlost stahování <B>0,00 MB/s</B>; "),
            std::string::npos)
      << texts[1];
}

TEST_F(DownloadStepTest, WithoutLengthNoRemainingTimeAndBarMaximumZero) {
  for (TScriptedClient::TBody form : {TScriptedClient::bChunked, TScriptedClient::bUntilClose}) {
    client->Form = form;
    client->Body = Pattern(200000);
    client->AfterWork = [this] { now += 1.0 / 86400; };
    view.ClearLog();
    view.ShowPage(TS_Step1);
    wizard.B_StartK1Click();
    EXPECT_TRUE(TargetContent() == client->Body) << TargetContent().size();
    EXPECT_TRUE(Logged("SetProgressMax ArPB_Down 0"));
    for (const std::string& text : LabelTexts())
      EXPECT_EQ(text.find("zbývající"), std::string::npos) << text;
    EXPECT_EQ(view.Page(), TS_Step2);
  }
}

TEST_F(DownloadStepTest, CancelDuringTheBodyReturnsToIdleAndASecondStartReplacesThePart) {
  client->Body = Pattern(1000000);
  view.PumpActions.push_back([] {});  // the connect's wait
  view.PumpActions.push_back([] {});  // work begin
  view.PumpActions.push_back([] {});  // first block
  StornoAtNextPump();                 // second block
  wizard.B_StartK1Click();

  EXPECT_EQ(client->Disconnects, 1);
  EXPECT_TRUE(state.DownloadAborted);
  EXPECT_TRUE(view.ErrorBoxes().empty());
  ExpectIdle();
  // The part stays until the next start or the close.
  EXPECT_TRUE(TargetContent() == client->Body.substr(0, 65536)) << TargetContent().size();

  wizard.B_StartK1Click();
  EXPECT_FALSE(state.DownloadAborted);
  EXPECT_TRUE(TargetContent() == client->Body) << TargetContent().size();
  EXPECT_EQ(view.Page(), TS_Step2);
}

TEST_F(DownloadStepTest, CancelOfAChunkedBodyIsACancelNotAnError) {
  client->Form = TScriptedClient::bChunked;
  client->Body = Pattern(1000000);
  view.PumpActions.push_back([] {});  // the connect's wait
  view.PumpActions.push_back([] {});  // work begin
  StornoAtNextPump();                 // first block
  wizard.B_StartK1Click();
  EXPECT_TRUE(state.DownloadAborted);
  EXPECT_TRUE(view.ErrorBoxes().empty());
  ExpectIdle();
}

TEST_F(DownloadStepTest, CancelWhileConnectingThroughTheIdleHook) {
  client->Body = Pattern(1000);
  // "Storno" is there from the click, and the connect's wait pumps the messages.
  view.PumpActions.push_back([this] {
    EXPECT_TRUE(view.Visible(TControl::B_StornoDown));
    wizard.B_StornoDownClick();
  });
  wizard.B_StartK1Click();
  EXPECT_EQ(client->Disconnects, 1);
  EXPECT_TRUE(state.DownloadAborted);
  EXPECT_TRUE(view.ErrorBoxes().empty());
  EXPECT_TRUE(LabelTexts().empty());
  ExpectIdle();
  // The hook lives only while the request runs.
  EXPECT_FALSE(TNetAntiFreezeBase::ShouldUse());
}

TEST_F(DownloadStepTest, FailuresAreShownAndLeaveNothingBehind) {
  struct Case {
    const char* what;
    std::int64_t failAfter;
    std::u16string connectError;
    std::string box;
  };
  const Case cases[] = {
      {"reset inside the body", 65536, u"", "Socket Error # 10054\nConnection reset by peer."},
      {"refused server certificate", -1, u"SSL negotiation failed: certificate verify failed",
       "SSL negotiation failed: certificate verify failed."},
      {"HTTP error status", -1, u"HTTP/1.1 404 Not Found", "HTTP/1.1 404 Not Found."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    client->Body = Pattern(300000);
    client->FailAfter = c.failAfter;
    client->ConnectError = c.connectError;
    const std::size_t boxes = view.ErrorBoxes().size();
    wizard.B_StartK1Click();
    ASSERT_EQ(view.ErrorBoxes().size(), boxes + 1);
    EXPECT_EQ(ToUtf8(view.ErrorBoxes().back()), c.box);
    EXPECT_FALSE(state.DownloadAborted);
    ExpectIdle();
    EXPECT_FALSE(Exists(Target()));
    EXPECT_EQ(view.ProgressPosition(TControl::ArPB_Down), 0);
  }
  // And the next start works.
  client->FailAfter = -1;
  client->ConnectError.clear();
  wizard.B_StartK1Click();
  EXPECT_TRUE(TargetContent() == client->Body) << TargetContent().size();
  EXPECT_EQ(view.Page(), TS_Step2);
}

TEST_F(DownloadStepTest, NoTargetFileMeansNoRequest) {
  // An identity in no row: the path is the bare temporary folder.
  state.IDApp = u"INSTALLTARVO (1)";
  wizard.B_StartK1Click();
  ASSERT_EQ(view.ErrorBoxes().size(), 1u);
  EXPECT_TRUE(ToUtf8(view.ErrorBoxes()[0])
                  .starts_with("Cannot create file \"" + (temp.Path() / "").string() + "\". "))
      << ToUtf8(view.ErrorBoxes()[0]);
  EXPECT_TRUE(client->Urls.empty());
  ExpectIdle();
  EXPECT_TRUE(Exists(temp.Path()));
}

TEST_F(DownloadStepTest, NoPrivateTemporaryFolderMeansNoRelativePath) {
  step().TempFolder = [] { return std::u16string(); };
  const std::filesystem::path relative = std::filesystem::current_path() / "Tarvo2021_2021K1.zip";
  wizard.B_StartK1Click();
  ASSERT_EQ(view.ErrorBoxes().size(), 1u);
  EXPECT_EQ(ToUtf8(view.ErrorBoxes()[0]),
            "Cannot create file \"Tarvo2021_2021K1.zip\". The temporary folder is not available.");
  EXPECT_TRUE(client->Urls.empty());
  EXPECT_FALSE(Exists(relative));
  ExpectIdle();
}

TEST_F(DownloadStepTest, TheTemporaryFolderIsChosenOnceARunWhileItStaysTheUsers) {
  // A rule that hands out a new folder on every call, as a fresh folder made with
  // mkdtemp does.
  std::vector<std::unique_ptr<TScratchFolder>> folders;
  step().TempFolder = [&folders] {
    folders.push_back(std::make_unique<TScratchFolder>());
    return folders.back()->Dir();
  };
  client->Body = Pattern(1000);
  wizard.B_StartK1Click();
  wizard.B_StartK1Click();
  ASSERT_EQ(folders.size(), 1u) << "the second start finds the part where the first left it";
  EXPECT_EQ(state.CilDataFile, folders[0]->Dir() + u"Tarvo2021_2021K1.zip");

  // Gone in between (a clean-up of the system's): the rule is asked again.
  std::filesystem::remove_all(folders[0]->Path());
  wizard.B_StartK1Click();
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(state.CilDataFile, folders[1]->Dir() + u"Tarvo2021_2021K1.zip");
  EXPECT_TRUE(Exists(folders[1]->Path() / "Tarvo2021_2021K1.zip"));
  EXPECT_TRUE(view.ErrorBoxes().empty());
}

TEST_F(DownloadStepTest, TheWindowRefusesToCloseWhileDownloading) {
  client->Body = Pattern(100000);
  bool refused = false;
  view.PumpActions.push_back([this, &refused] {
    TCloseAction action = caFree;
    wizard.FormClose(action);
    refused = action == caNone;
  });
  wizard.B_StartK1Click();
  EXPECT_TRUE(refused);
  EXPECT_EQ(view.Page(), TS_Step2);
}

}  // namespace
}  // namespace vornel
