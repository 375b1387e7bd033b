// The download on the real window (offscreen) against the demo server over real TLS.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "demo_server_process.h"
#include "installer/https_download_client.h"
#include "installer/window/main_install_form.h"
#include "nginx_server.h"
#include "platform/text.h"
#include "support/temp_dir.h"
#include "window/box_catcher.h"
#include "window/qt_app.h"

namespace vornel {
namespace {

using testing::TDemoServer;
using testing::TTempDir;
using testing::TTestCA;
using Clock = std::chrono::steady_clock;

// The window, keeping every status text and the bar's and the taskbar's maxima.
class TWatchedForm : public TMainInstallForm {
 public:
  using TMainInstallForm::TMainInstallForm;

  void SetLabelText(TControl label, const std::u16string& markup) override {
    if (label == TControl::HTMText_InfoDown)
      Texts.push_back(ToUtf8(markup));
    TMainInstallForm::SetLabelText(label, markup);
  }
  void SetProgressPosition(TControl bar, std::int32_t position) override {
    TMainInstallForm::SetProgressPosition(bar, position);
    if (bar == TControl::ArPB_Down && position > 0) {
      ++Positions;
      BarMaximum = ProgressMax(bar);
      TaskbarMaximum = Taskbar().ProgressMaxValue();
      TaskbarValue = Taskbar().ProgressValue();
      if (OnPosition)
        OnPosition();
    }
  }

  std::vector<std::string> Texts;
  int Positions = 0;
  std::int32_t BarMaximum = -1;
  std::int64_t TaskbarMaximum = -1;
  std::int64_t TaskbarValue = -1;
  std::function<void()> OnPosition;
};

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// What every test shares: a trusted CA, a CA nobody trusts, and a 3 MiB set.
class DownloadWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Shared = std::make_unique<TShared>();
    setenv("SSL_CERT_FILE", Shared->Trusted.CA().c_str(), 1);
  }
  static void TearDownTestSuite() { Shared.reset(); }

  DownloadWindowTest() {
    TInstallerEnvironment environment;
    environment.ExecutablePath = u"/opt/vornel/InstallTarvo";
    environment.StartScript = [](int, const std::u16string&) { return true; };
    Form = std::make_unique<TWatchedForm>(State, std::move(environment));
    Step().TempFolder = [this] { return FromUtf8(Temp.Path().string() + "/"); };
    Form->show();
  }

  TDownloadStep& Step() { return Form->Wizard().DownloadStep(); }
  THttpsDownloadClient& Client() { return dynamic_cast<THttpsDownloadClient&>(*Step().Client()); }
  std::filesystem::path Target() const { return Temp.Path() / "Tarvo2021_2021K1.zip"; }
  const std::string& Set() const { return Shared->SetContent; }
  QProgressBar* Bar() const { return Form->findChild<QProgressBar*>("ArPB_Down"); }
  void Click(const char* name) {
    qobject_cast<QAbstractButton*>(Form->findChild<QWidget*>(name))->click();
  }
  bool Shown(const char* name) { return Form->findChild<QWidget*>(name)->isVisible(); }

  // Serves the set in a mode, with a certificate of the CA, and aims the window at it.
  TDemoServer& Serve(std::vector<std::string> options, const TTestCA* ca = nullptr,
                     const std::string& certificate = "server") {
    Server = std::make_unique<TDemoServer>(Shared->SetFile, ca ? *ca : Shared->Trusted, options,
                                           certificate);
    Step().Host = Server->Host();
    return *Server;
  }

  void ExpectIdleOnPageZero() {
    EXPECT_EQ(Form->PageIndex(), 0);
    EXPECT_FALSE(State.DownloadActive);
    EXPECT_TRUE(Form->findChild<QWidget*>("B_StartK1")->isEnabled());
    EXPECT_FALSE(Shown("B_StornoDown"));
    EXPECT_FALSE(Shown("ArPB_Down"));
    EXPECT_FALSE(Shown("HTMText_InfoDown"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Form->Taskbar().ProgressState(), tbpsNone);
    EXPECT_EQ(Form->Taskbar().ProgressValue(), 0);
  }

  struct TShared {
    TTempDir Dir;
    TTestCA Trusted{Dir.Path() / "trusted"};
    TTestCA Stranger{Dir.Path() / "stranger"};
    std::filesystem::path SetFile = Dir.Path() / "set.zip";
    std::string SetContent;
    TShared() {
      std::mt19937 random(9);
      SetContent.resize(3 * 1024 * 1024 + 123);
      for (char& c : SetContent)
        c = static_cast<char>(random());
      std::ofstream(SetFile, std::ios::binary) << SetContent;
    }
  };
  static std::unique_ptr<TShared> Shared;

  // The application exists before any member makes a timer.
  struct TApplicationFirst {
    TApplicationFirst() { test::App(); }
  } Application;
  TTempDir Temp;
  TInstallerState State;
  std::unique_ptr<TWatchedForm> Form;
  std::unique_ptr<TDemoServer> Server;
  test::TBoxCatcher Boxes;
};

std::unique_ptr<DownloadWindowTest::TShared> DownloadWindowTest::Shared;

TEST_F(DownloadWindowTest, TheServerIsVerifiedAndQuietTransfersTimeOutAfterThirtySeconds) {
  EXPECT_EQ(Client().ReadTimeout(), 30000);
  EXPECT_TRUE(
      Client().NetSSLIOHandlerSocketOpenSSL1().SSLOptions().VerifyMode().Contains(sslvrfPeer));
}

TEST_F(DownloadWindowTest, DownloadsTheSetAndShowsPageOne) {
  Serve({});
  Click("B_StartK1");

  EXPECT_TRUE(ReadAll(Target()) == Set());
  EXPECT_EQ(Form->PageIndex(), 1);
  EXPECT_TRUE(Boxes.Boxes.empty());
  EXPECT_FALSE(State.DownloadActive);
  EXPECT_FALSE(State.DownloadAborted);
  ASSERT_GE(Form->Texts.size(), 3u);
  EXPECT_EQ(Form->Texts.front(), "Začíná stahování Tarvo2021_2021K1.zip");
  for (std::size_t i = 1; i + 1 < Form->Texts.size(); ++i)
    EXPECT_TRUE(
        Form->Texts[i].starts_with("Stahuje se soubor <B>Tarvo2021_2021K1.zip</B> (velikost <B>3"))
        << Form->Texts[i];
  EXPECT_EQ(Form->Texts.back(), " Stahování Tarvo2021_2021K1.zip ukončeno; čekejte prosím.");
  // 3 MiB and 123 bytes: 3072 kilobytes on the bar and the taskbar.
  EXPECT_EQ(Form->BarMaximum, 3072);
  EXPECT_EQ(Form->TaskbarMaximum, 3072);
  EXPECT_EQ(Form->TaskbarValue, 3072);
  EXPECT_EQ(Form->Taskbar().ProgressState(), tbpsNone);
  EXPECT_EQ(Form->Taskbar().ProgressMaxValue(), 0);
}

TEST_F(DownloadWindowTest, DecimalSeparatorOfTheLocale) {
  const char* language = std::getenv("LC_ALL");
  const bool czech = language != nullptr && std::string(language).starts_with("cs");
  Serve({});
  Click("B_StartK1");
  ASSERT_GE(Form->Texts.size(), 2u);
  EXPECT_NE(
      Form->Texts[1].find(czech ? "(velikost <B>3,000 MB</B>)" : "(velikost <B>3.000 MB</B>)"),
      std::string::npos)
      << Form->Texts[1];
}

TEST_F(DownloadWindowTest, BodiesWithoutLength) {
  for (const char* mode : {"chunked", "nolength"}) {
    SCOPED_TRACE(mode);
    Form->Texts.clear();
    Form->ShowPage(TS_Step1);
    Serve({"--mode", mode});
    Click("B_StartK1");
    EXPECT_TRUE(ReadAll(Target()) == Set());
    EXPECT_EQ(Form->PageIndex(), 1);
    EXPECT_EQ(Form->BarMaximum, 0);
    for (const std::string& text : Form->Texts)
      EXPECT_EQ(text.find("zbývající"), std::string::npos) << text;
    EXPECT_TRUE(Boxes.Boxes.empty());
  }
}

TEST_F(DownloadWindowTest, CancelInTheMiddleThenStartAgain) {
  Serve({"--mode", "slow", "--rate", "1000000"});
  Form->OnPosition = [this] {
    if (Form->Positions == 3)
      QTimer::singleShot(0, Form.get(), [this] { Click("B_StornoDown"); });
  };
  Click("B_StartK1");
  EXPECT_TRUE(State.DownloadAborted);
  EXPECT_TRUE(Boxes.Boxes.empty());
  ExpectIdleOnPageZero();
  const std::size_t part = std::filesystem::file_size(Target());
  EXPECT_GT(part, 0u);
  EXPECT_LT(part, Set().size());

  Form->OnPosition = nullptr;
  Serve({});
  Click("B_StartK1");
  EXPECT_FALSE(State.DownloadAborted);
  EXPECT_TRUE(ReadAll(Target()) == Set());
  EXPECT_EQ(Form->PageIndex(), 1);
}

TEST_F(DownloadWindowTest, ErrorStatusesAreShownAndTheStepRecovers) {
  struct Case {
    const char* mode;
    const char* box;
  };
  for (const Case& c :
       {Case{"404", "HTTP/1.1 404 Not Found."}, Case{"500", "HTTP/1.1 500 Internal Server Error."},
        Case{"redirect", "HTTP/1.1 302 Found."}}) {
    SCOPED_TRACE(c.mode);
    Boxes.Boxes.clear();
    Serve({"--mode", c.mode});
    Click("B_StartK1");
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text.toStdString(), c.box);
    ExpectIdleOnPageZero();
    EXPECT_FALSE(std::filesystem::exists(Target()));
  }
  Serve({});
  Click("B_StartK1");
  EXPECT_TRUE(ReadAll(Target()) == Set());
}

// Refused on every try: a failed handshake must not cost the window its verifying
// handler.
TEST_F(DownloadWindowTest, AnUntrustedCertificateIsRefused) {
  TNetSSLIOHandlerSocketOpenSSL* const handler = &Client().NetSSLIOHandlerSocketOpenSSL1();
  Serve({}, &Shared->Stranger);
  for (int attempt = 1; attempt <= 2; ++attempt) {
    SCOPED_TRACE(attempt);
    Boxes.Boxes.clear();
    Click("B_StartK1");
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    const std::string box = Boxes.Boxes[0].Text.toStdString();
    EXPECT_NE(box.find("certificate verify failed"), std::string::npos) << box;
    EXPECT_NE(box.find("unable to get local issuer certificate"), std::string::npos) << box;
    ExpectIdleOnPageZero();
    EXPECT_FALSE(std::filesystem::exists(Target()));
    EXPECT_EQ(Client().NetHTTP_InstallSet().IOHandler(), handler);
  }
}

// The demo server sends its leaf with the intermediate CA (the shape of every
// public CA) in the other tests; here the other shapes a server may present.
TEST_F(DownloadWindowTest, CertificateChainsOfEveryOrdinaryShapeAndTheRefusals) {
  const struct {
    const char* certificate;
    const char* refusal;  // null: downloaded
  } cases[] = {
      {"two-intermediates", nullptr},
      {"leaf-only", "unable to get local issuer certificate"},
      {"self-signed", "self-signed certificate"},
      {"expired", "certificate has expired"},
      {"other-name", "hostname mismatch"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.certificate);
    Boxes.Boxes.clear();
    Form->ShowPage(TS_Step1);
    Serve({}, nullptr, c.certificate);
    Click("B_StartK1");
    if (!c.refusal) {
      EXPECT_TRUE(Boxes.Boxes.empty());
      EXPECT_TRUE(ReadAll(Target()) == Set());
      EXPECT_EQ(Form->PageIndex(), 1);
      continue;
    }
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    const std::string box = Boxes.Boxes[0].Text.toStdString();
    EXPECT_NE(box.find("certificate verify failed"), std::string::npos) << box;
    EXPECT_NE(box.find(c.refusal), std::string::npos) << box;
    ExpectIdleOnPageZero();
    EXPECT_FALSE(std::filesystem::exists(Target()));
  }
}

// A set that ends before its announced length is an error, with or without the
// server's TLS close notification; nothing half-written is left.
TEST_F(DownloadWindowTest, ASetCutShortIsAnErrorAndLeavesNothing) {
  for (const char* mode : {"short", "cut"}) {
    SCOPED_TRACE(mode);
    Boxes.Boxes.clear();
    Serve({"--mode", mode, "--after", "1000000"});
    Click("B_StartK1");
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text.toStdString(), "The connection closed after 1000000 of " +
                                                     std::to_string(Set().size()) +
                                                     " bytes of the body.");
    ExpectIdleOnPageZero();
    EXPECT_FALSE(State.DownloadAborted);
    EXPECT_FALSE(std::filesystem::exists(Target()));
  }
  Serve({});
  Click("B_StartK1");
  EXPECT_TRUE(ReadAll(Target()) == Set());
  EXPECT_EQ(Form->PageIndex(), 1);
}

// The same window against nginx, an independent server, sending its chain.
TEST_F(DownloadWindowTest, DownloadsFromNginxWithAnIntermediateCA) {
  test::TNginxServer nginx(true);
  if (!nginx.Running())
    GTEST_SKIP() << "nginx is not available";
  nginx.WriteFile("QRTX/Instalace/Tarvo2021_2021K1.zip", Set());
  setenv("SSL_CERT_FILE", nginx.CAFile().c_str(), 1);
  Step().Host = FromUtf8("127.0.0.1:" + std::to_string(nginx.TLSPort()));
  Click("B_StartK1");
  setenv("SSL_CERT_FILE", Shared->Trusted.CA().c_str(), 1);
  EXPECT_TRUE(Boxes.Boxes.empty());
  EXPECT_TRUE(ReadAll(Target()) == Set());
  EXPECT_EQ(Form->PageIndex(), 1);
}

TEST_F(DownloadWindowTest, StornoWorksWhileTheServerStalls) {
  Serve({"--mode", "stall", "--after", "100000"});
  Clock::time_point clicked;
  Form->OnPosition = [&] {
    if (Form->Positions == 1) {
      QTimer::singleShot(500, Form.get(), [&] {
        clicked = Clock::now();
        Click("B_StornoDown");
      });
    }
  };
  Click("B_StartK1");
  const auto took = Clock::now() - clicked;
  EXPECT_LT(took, std::chrono::seconds(1));
  EXPECT_TRUE(State.DownloadAborted);
  EXPECT_TRUE(Boxes.Boxes.empty());
  ExpectIdleOnPageZero();
}

TEST_F(DownloadWindowTest, AStallEndsWithReadTimedOut) {
  Client().SetReadTimeout(1500);
  Serve({"--mode", "stall", "--after", "100000"});
  Click("B_StartK1");
  ASSERT_EQ(Boxes.Boxes.size(), 1u);
  EXPECT_EQ(Boxes.Boxes[0].Text.toStdString(), "Read timed out.");
  ExpectIdleOnPageZero();
  EXPECT_FALSE(State.DownloadAborted);
  EXPECT_FALSE(std::filesystem::exists(Target()));
}

TEST_F(DownloadWindowTest, StornoWorksDuringTheHandshake) {
  // A listener that never answers: the connect completes, the handshake waits.
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  socklen_t length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  Step().Host = FromUtf8("localhost:" + std::to_string(ntohs(address.sin_port)));

  bool stornoShown = false;
  Clock::time_point clicked;
  QTimer::singleShot(500, Form.get(), [&] {
    stornoShown = Shown("B_StornoDown");
    clicked = Clock::now();
    Click("B_StornoDown");
  });
  Click("B_StartK1");
  close(listener);
  EXPECT_TRUE(stornoShown);
  EXPECT_LT(Clock::now() - clicked, std::chrono::seconds(1));
  EXPECT_TRUE(State.DownloadAborted);
  EXPECT_TRUE(Boxes.Boxes.empty());
  ExpectIdleOnPageZero();
}

}  // namespace
}  // namespace vornel
