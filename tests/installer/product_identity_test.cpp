#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "installer/identity.h"
#include "installer/installer_state.h"
#include "installer/product_table.h"
#include "installer/start_up.h"
#include "installer/support/product_addresses.h"
#include "installer/support/recording_view.h"
#include "platform/file_system.h"
#include "platform/text.h"

namespace vornel {
namespace {

using test::DownloadAddress;
using test::SetFileNameOf;

constexpr char16_t kTarvoCaption[] = u"Účetní průvodce Tarvo, revize k 1.1.2021";
constexpr char16_t kTarvoIntro[] = u"účetního průvodce Tarvo";
constexpr char16_t kKveloCaption[] = u"Kvelo pro Windows, stav k 1.1.2021";
constexpr char16_t kKveloIntro[] = u"Kvelo pro Windows";

struct TIdentityCase {
  const char16_t* FileName;
  const char16_t* Identity;
  const char16_t* Caption;
  const char16_t* Introduction;
  const char16_t* Path = nullptr;  // null: no row, so no address, set file, old installer
  const char16_t* SetFile = nullptr;
  const char16_t* OldInstaller = nullptr;
};

const TIdentityCase kIdentityCases[] = {
    {u"InstallTarvo.exe", u"INSTALLTARVO", kTarvoCaption, kTarvoIntro,
     u"/QRTX/Instalace/Tarvo2021_2021K1.zip", u"Tarvo2021_2021K1.zip", u"SetupTarvo.exe"},
    {u"installtarvo.EXE", u"INSTALLTARVO", kTarvoCaption, kTarvoIntro,
     u"/QRTX/Instalace/Tarvo2021_2021K1.zip", u"Tarvo2021_2021K1.zip", u"SetupTarvo.exe"},
    {u"INSTALLTARVONET.EXE", u"INSTALLTARVONET", kTarvoCaption, kTarvoIntro,
     u"/QRTX/Instalace/Tarvo2021_NET_2021K1.zip", u"Tarvo2021_NET_2021K1.zip", u"SetupTarvo.exe"},
    {u"InstallKveloWin.exe", u"INSTALLKVELOWIN", kKveloCaption, kKveloIntro,
     u"/QRTX/Instalace/KveloWin2021_2021K1.zip", u"KveloWin2021_2021K1.zip", u"SetupKveloWin.exe"},
    // Only the first ".EXE" goes; the rest of the name keeps the identity out of the table.
    {u"InstallTarvo.exe.exe", u"INSTALLTARVO.EXE", kKveloCaption, kKveloIntro},
    {u"InstallTarvo (1).exe", u"INSTALLTARVO (1)", kKveloCaption, kKveloIntro},
    // Accented letters are not upper-cased.
    {u"InstallTárvo.exe", u"INSTALLTáRVO", kKveloCaption, kKveloIntro},
    {u"instalačka.exe", u"INSTALAčKA", kKveloCaption, kKveloIntro},
    // The names shipped on Linux carry no extension.
    {u"InstallTarvo", u"INSTALLTARVO", kTarvoCaption, kTarvoIntro,
     u"/QRTX/Instalace/Tarvo2021_2021K1.zip", u"Tarvo2021_2021K1.zip", u"SetupTarvo.exe"},
    {u"InstallKveloWin", u"INSTALLKVELOWIN", kKveloCaption, kKveloIntro,
     u"/QRTX/Instalace/KveloWin2021_2021K1.zip", u"KveloWin2021_2021K1.zip", u"SetupKveloWin.exe"},
};

// A path written with "/" in the system's own delimiter.
std::u16string Native(std::u16string_view path) {
  std::u16string out(path);
  for (char16_t& c : out) {
    if (c == u'/')
      c = PathDelimiter;
  }
  return out;
}

class IdentityTest : public ::testing::TestWithParam<TIdentityCase> {};

TEST_P(IdentityTest, FormCreateFillsTheProductAndItsLookups) {
  const TIdentityCase& c = GetParam();
  const std::u16string folder = Native(u"/opt/Vornel dir.exe/");
  TInstallerState state;
  state.DownloadActive = true;
  state.UnZipperActive = true;
  TRecordingView view;
  view.ShowPage(TS_Step3);  // whatever page the window was built with

  FormCreate(state, view, folder + c.FileName);

  EXPECT_EQ(ToUtf8(state.IDApp), ToUtf8(c.Identity));
  EXPECT_EQ(state.CurrentDir, folder);
  EXPECT_EQ(ToUtf8(view.Caption()), ToUtf8(std::u16string(u"Vornel instalátor: ") + c.Caption));
  EXPECT_EQ(ToUtf8(view.LabelLinesText(TControl::HTMText_Uvod)),
            ToUtf8(std::u16string(u"S instalací <B>") + c.Introduction +
                   u"</B> Vám pomůže náš instalátor. Postupujte podle následujících "
                   u"kroků:\r\n"));
  EXPECT_EQ(view.Page(), TS_Step1);
  EXPECT_FALSE(state.DownloadActive);
  EXPECT_FALSE(state.UnZipperActive);

  const auto address = DownloadAddress(state.IDApp);
  const auto setFile = SetFileNameOf(state.IDApp);
  const auto oldInstaller = OldInstallerFileOf(state.IDApp);
  if (c.Path == nullptr) {
    EXPECT_EQ(FindProduct(state.IDApp), nullptr);
    EXPECT_FALSE(address);
    EXPECT_FALSE(setFile);
    EXPECT_FALSE(oldInstaller);
  } else {
    ASSERT_TRUE(address && setFile && oldInstaller);
    EXPECT_EQ(ToUtf8(*address), "https://" VORNEL_HOST_EXPECTED + ToUtf8(c.Path));
    EXPECT_EQ(ToUtf8(*setFile), ToUtf8(c.SetFile));
    EXPECT_EQ(ToUtf8(*oldInstaller), ToUtf8(c.OldInstaller));
  }
}

INSTANTIATE_TEST_SUITE_P(FileNames, IdentityTest, ::testing::ValuesIn(kIdentityCases));

TEST(ProductTableTest, EveryRowsSetFileIsTheLastSegmentOfItsAddress) {
  ASSERT_EQ(ProductTable().size(), 3u);
  for (const TProduct& row : ProductTable()) {
    EXPECT_EQ(SetFileNameOf(row.Identity), std::u16string(row.SetFileName));
  }
  EXPECT_EQ(ToUtf8(PublisherHost()), VORNEL_HOST_EXPECTED);
}

TEST(ProductTableTest, SetFileNameFromAddress) {
  struct {
    const char16_t* Address;
    const char16_t* Name;
  } const cases[] = {
      {u"https://www.vornel.cz/QRTX/Instalace/Tarvo2021_2021K1.zip", u"Tarvo2021_2021K1.zip"},
      {u"https://127.0.0.1:8443/a/b/KveloWin.zip", u"KveloWin.zip"},
      {u"https://host\\x\\y.zip", u"y.zip"},
      {u"https://host/dir/", u""},
      {u"plain.zip", u"plain.zip"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToUtf8(SetFileNameFromAddress(c.Address)), ToUtf8(c.Name)) << ToUtf8(c.Address);
  }
}

TEST(PlaceholderTest, OnlyTheFirstPlaceholderIsReplaced) {
  TInstallerState state;
  TRecordingView view;
  view.SetCaption(u"#PRODUKT# a #PRODUKT#");
  view.SetLabelLinesText(TControl::HTMText_Uvod, u"<B>#PRODUKT#</B>\r\n#PRODUKT# #produkt#");

  FormCreate(state, view, Native(u"/x/InstallKveloWin"));

  EXPECT_EQ(ToUtf8(view.Caption()), ToUtf8(std::u16string(kKveloCaption) + u" a #PRODUKT#"));
  EXPECT_EQ(ToUtf8(view.LabelLinesText(TControl::HTMText_Uvod)),
            ToUtf8(std::u16string(u"<B>") + kKveloIntro + u"</B>\r\n#PRODUKT# #produkt#\r\n"));
}

TEST(PlaceholderTest, TextWithoutPlaceholderStays) {
  EXPECT_EQ(ReplaceFirst(u"Vornel", ProductPlaceholder, u"x"), u"Vornel");
  EXPECT_EQ(ReplaceFirst(u"#PRODUKT", ProductPlaceholder, u"x"), u"#PRODUKT");
}

TEST(ApplicationTitleTest, FileNameCutBeforeItsFirstDot) {
  EXPECT_EQ(ApplicationTitle(Native(u"/opt/v.d/InstallTarvo.exe.exe")), u"InstallTarvo");
  EXPECT_EQ(ApplicationTitle(Native(u"/opt/v.d/InstallTarvo")), u"InstallTarvo");
}

}  // namespace
}  // namespace vornel
