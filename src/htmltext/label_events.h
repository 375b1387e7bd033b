// The events of a label control, whose sender is the window system's own label
// class, and what the mouse does with them: entering and leaving links, and a
// click or right-click on the link under the mouse. An exception that leaves a
// message or event handler of the label goes to OnException.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "htmltext/label_control.h"
#include "htmltext/links.h"

namespace vornel {

template <class TLabel>
class TLabelEvents : public TLabelControl {
 public:
  using TLinkEvent = std::function<void(TLabel& sender, TQxBaseLink& link)>;
  using TLinkClickEvent = std::function<void(TLabel& sender, TQxBaseLink& link, bool& handled)>;

  TLinkEvent OnLinkEnter;
  TLinkEvent OnLinkLeave;
  TLinkClickEvent OnLinkClick;
  TLinkClickEvent OnLinkRightClick;
  std::function<void(TLabel& sender)> OnClick;
  // Without it, the message goes where the window system logs.
  std::function<void(const std::exception& error)> OnException;

 protected:
  // Runs a handler's body; what it raises goes to OnException.
  template <typename F>
  void Guarded(F&& body) {
    try {
      body();
    } catch (const std::exception& error) {
      if (OnException) {
        OnException(error);
      } else {
        LogUnhandled(error);
      }
    }
  }
  virtual void LogUnhandled(const std::exception& error) = 0;

  // Makes the link now under the mouse (nullptr: none) the selected one and
  // raises the leave or enter event; nothing when it is selected already.
  void Hover(std::shared_ptr<TQxBaseLink> found) {
    if (found == FSelectedLink) {
      return;
    }
    if (found) {
      FSelectedLink = std::move(found);
      if (OnLinkEnter) {
        OnLinkEnter(Self(), *FSelectedLink);
      }
    } else {
      const std::shared_ptr<TQxBaseLink> left = std::move(FSelectedLink);
      FSelectedLink.reset();
      if (OnLinkLeave && left) {
        OnLinkLeave(Self(), *left);
      }
    }
  }

  // A click: the link's event, the link followed unless the event handled it,
  // then the label's own click event.
  void Click(const std::function<void(const std::u16string&)>& open) {
    if (const std::shared_ptr<TQxBaseLink> link = FSelectedLink) {
      bool handled = false;
      if (OnLinkClick) {
        OnLinkClick(Self(), *link, handled);
      }
      if (!handled) {
        FollowLink(*link, open);
      }
    }
    if (OnClick) {
      OnClick(Self());
    }
  }

  void RightClick() {
    if (const std::shared_ptr<TQxBaseLink> link = FSelectedLink) {
      bool handled = false;
      if (OnLinkRightClick) {
        OnLinkRightClick(Self(), *link, handled);
      }
    }
  }

 private:
  TLabel& Self() { return static_cast<TLabel&>(*this); }
};

}  // namespace vornel
