// What a label's click events saw: every click, and the texts of the link
// references clicked. While Handle is set the link click event takes the click,
// so the label follows no link.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "htmltext/links.h"

namespace vornel::testing {

template <class TLabel>
class TLinkClickLog {
 public:
  explicit TLinkClickLog(TLabel& label) {
    label.OnClick = [this](TLabel&) { ++Clicks; };
    label.OnLinkClick = [this](TLabel&, TQxBaseLink& link, bool& handled) {
      EXPECT_FALSE(handled);
      if (auto* ref = dynamic_cast<TQxLinkRef*>(&link)) {
        Seen.push_back(ref->Text);
      }
      handled = Handle;
    };
  }
  TLinkClickLog(const TLinkClickLog&) = delete;
  TLinkClickLog& operator=(const TLinkClickLog&) = delete;

  int Clicks = 0;
  bool Handle = false;
  std::vector<std::u16string> Seen;
};

}  // namespace vornel::testing
