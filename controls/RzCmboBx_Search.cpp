// The combo box's typing aids: auto-complete on the edit part (csDropDown,
// csSimple) and the timed prefix search of the list style.
#include "controls/RzCmboBx.h"

#include <algorithm>

namespace {

std::wstring W(const std::string& S) { return Utf8ToWide(S); }
std::string U(const std::wstring& S) { return WideToUtf8(S); }

}  // namespace

Integer TRzCustomComboBox::FindItemPrefix(const std::string& Text) {
  std::wstring w = W(Text);
  return static_cast<Integer>(
      ::SendMessageW(Handle(), CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(w.c_str())));
}

void TRzCustomComboBox::InvalidKeyBeep() {
  if (beepOnInvalidKey_) ::MessageBeep(0);
}

void TRzCustomComboBox::SetTextSkippingMatch(const std::string& Value) {
  skipMatch_ = true;
  try {
    SetText(Value);
  } catch (...) {
    skipMatch_ = false;
    throw;
  }
  skipMatch_ = false;
}

void TRzCustomComboBox::SetTextQuiet(const std::string& Value) {
  if (Value == Text()) return;
  bool saved = autoComplete_;
  autoComplete_ = false;
  try {
    SetText(Value);
  } catch (...) {
    autoComplete_ = saved;
    throw;
  }
  autoComplete_ = saved;
}

void TRzCustomComboBox::SelectCompletion(Integer Start, Integer Index) {
  auto length = static_cast<Integer>(W(Items()->Strings(Index)).size());
  SetSelStart(Start);
  SetSelLength(std::max<Integer>(length - Start, 0));
}

void TRzCustomComboBox::ListSearch(const std::string& Text, char Key) {
  Integer i = FindItemPrefix(Text);
  if (i < 0) {
    InvalidKeyBeep();
    return;
  }
  ::SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(i), 0);
  searchText_ = Text;
  Click();
  Change();
  OnKeyPress(this, Key);
}

bool TRzCustomComboBox::MatchText(const std::string& Text, char Key) {
  // An empty prefix would match the first item: backspacing the last typed
  // character must leave the box empty, not fill it again.
  if (Text.empty()) return false;
  Integer i = FindItemPrefix(Text);
  if (i < 0) return false;
  std::wstring typed = W(Text), item = W(Items()->Strings(i));
  if (keepSearchCase_)
    SetTextSkippingMatch(U(typed + item.substr(std::min(typed.size(), item.size()))));
  else
    ::SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(i), 0);
  Click();
  Change();
  if (Key) OnKeyPress(this, Key);
  SelectCompletion(static_cast<Integer>(typed.size()), i);
  OnMatch(this);
  return true;
}

void TRzCustomComboBox::SearchTimerExpired(TObject*) {
  if (searchBusy_) return;
  searchTimer_->SetEnabled(false);
  searchText_.clear();
}

void TRzCustomComboBox::CMTextChanged(TMessage& Message) {
  TCustomComboBox::CMTextChanged(Message);
  if (autoComplete_ && !ComponentState().Contains(csDesigning) && !skipMatch_ && HandleAllocated() &&
      !DroppedDown() && Style() == csDropDown) {
    if (enterFlag_)
      enterFlag_ = false;
    else
      searchText_ = Text();
    if (!searchText_.empty()) {
      Integer i = FindItemPrefix(searchText_);
      if (i >= 0) {
        ::SendMessageW(handle_, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        SelectCompletion(static_cast<Integer>(W(searchText_).size()), i);
      }
    }
  }
  skipMatch_ = false;
}

void TRzCustomComboBox::PassToEdit(TMessage& Message) {
  if (!DefEditProc() || !EditHandle()) return;
  Message.Result = ::CallWindowProcW(DefEditProc(), EditHandle(), Message.Msg, Message.WParam, Message.LParam);
}

// List style: the control window gets the characters.
bool TRzCustomComboBox::ListSearchMessage(TMessage& Message) {
  if (HasEditPart() || !HandleAllocated()) return false;
  switch (Message.Msg) {
    case WM_KEYDOWN:
      if (Message.WParam == VK_ESCAPE && DroppedDown()) escapeClosed_ = true;
      if (Message.WParam == VK_ESCAPE || (Message.WParam >= VK_PRIOR && Message.WParam <= VK_DOWN))
        searchText_.clear();
      return false;
    case WM_KILLFOCUS:
      TCustomComboBox::Dispatch(Message);
      searchText_.clear();
      return true;
    case WM_CHAR: break;
    default: return false;
  }
  auto ch = static_cast<wchar_t>(Message.WParam);
  std::wstring s = W(searchText_);
  if (ch == VK_BACK) {
    if (s.empty()) {
      InvalidKeyBeep();
      ListSearch(searchText_, '\b');
    } else {
      s.pop_back();
      if (!s.empty()) {
        ListSearch(U(s), '\b');
      } else {
        ::SendMessageW(handle_, CB_SETCURSEL, 0, 0);
        Click();
        Change();
        searchText_.clear();
        char key = '\b';
        OnKeyPress(this, key);
      }
    }
    return true;
  }
  if (ch == VK_ESCAPE) {
    if (escapeClosed_) {
      escapeClosed_ = false;
    } else {
      ::SendMessageW(handle_, CB_SETCURSEL, 0, 0);
      Click();
      Change();
    }
    return true;
  }
  if (ch >= 32) {
    searchBusy_ = true;
    try {
      s.push_back(ch);
      ListSearch(U(s), KeyPressChar(ch));
      searchTimer_->SetEnabled(false);
      searchTimer_->SetEnabled(true);
    } catch (...) {
      searchBusy_ = false;
      throw;
    }
    searchBusy_ = false;
    return true;
  }
  return false;
}

// Edit part: auto-complete.
void TRzCustomComboBox::EditWndProc(TMessage& Message) {
  if (!autoComplete_) {
    TCustomComboBox::EditWndProc(Message);
    return;
  }
  switch (Message.Msg) {
    case WM_KEYDOWN: {
      afterSysKey_ = false;
      switch (Message.WParam) {
        case VK_PRIOR:
        case VK_NEXT:
        case VK_UP:
        case VK_DOWN:
          skipMatch_ = true;
          searchText_.clear();
          if (readOnly_) return;
          break;
        case VK_END:
        case VK_HOME:
        case VK_LEFT:
        case VK_RIGHT: searchText_ = Text(); break;
        case VK_INSERT:
          if (::GetKeyState(VK_SHIFT) < 0) pasteHappened_ = true;
          if (!allowEdit_) Message.WParam = 0;
          break;
        case VK_DELETE: {
          std::wstring s = W(Text());
          Integer start = SelStart(), len = SelLength();
          bool wholeSelected = len > 0 && len == static_cast<Integer>(s.size());
          if (start >= 0 && start < static_cast<Integer>(s.size()))
            s.erase(static_cast<size_t>(start), static_cast<size_t>(std::max<Integer>(len, 1)));
          searchText_ = U(s);
          if (!allowEdit_ && !wholeSelected) Message.WParam = 0;
          break;
        }
        case VK_F4:
          if (readOnly_) return;
          break;
        default: break;
      }
      clipboardMessage_ = false;
      TCustomComboBox::EditWndProc(Message);
      if (pasteHappened_) {
        pasteHappened_ = false;
        if (allowEdit_ && !clipboardMessage_) {
          searchText_ = Text();
          MatchText(searchText_, 0);
        }
      }
      return;
    }
    case WM_SYSKEYDOWN:
      afterSysKey_ = true;
      if (readOnly_ && Message.WParam != VK_F4) return;
      break;
    case WM_LBUTTONDOWN:
      if (Style() == csDropDown) searchText_ = Text();
      break;
    case WM_CUT:
      if (!allowEdit_) return;
      clipboardMessage_ = true;
      searchText_ = Text();
      MatchText(searchText_, 0);
      break;
    case WM_PASTE:
      if (!allowEdit_) return;
      clipboardMessage_ = true;
      TCustomComboBox::EditWndProc(Message);
      searchText_ = Text();
      MatchText(searchText_, 0);
      return;
    case WM_CHAR: {
      if (afterSysKey_) {
        afterSysKey_ = false;
        break;
      }
      auto ch = static_cast<wchar_t>(Message.WParam);
      if (readOnly_) {
        if (ch == 3) break;  // Ctrl+C copies
        return;
      }
      std::wstring s = W(searchText_);
      switch (ch) {
        case VK_BACK: {
          if (s.empty()) {
            InvalidKeyBeep();
          } else {
            Integer start = SelStart(), len = SelLength();
            if (start >= static_cast<Integer>(s.size())) {
              s.pop_back();
            } else if (len > 0 && allowEdit_) {
              s.erase(static_cast<size_t>(start), static_cast<size_t>(len));
              SetSelLength(0);
            } else if (allowEdit_ && start > 0) {
              s.erase(static_cast<size_t>(start - 1), 1);
            }
            Change();
            if (s.empty()) {
              SetItemIndex(-1);
              if (keepSearchCase_) SetTextSkippingMatch("");
              searchText_.clear();
              Click();
              Change();
              char key = '\b';
              OnKeyPress(this, key);
            }
          }
          searchText_ = U(s);
          if (MatchText(searchText_, '\b')) return;
          break;
        }
        case VK_RETURN:
          if (DroppedDown()) OnSelEndOk(this);
          enterFlag_ = true;
          break;
        case 22:  // Ctrl+V
        case 24:  // Ctrl+X
          if (!allowEdit_) return;
          clipboardMessage_ = false;
          TCustomComboBox::EditWndProc(Message);
          // An edit that turns the key into WM_PASTE or WM_CUT matched there already.
          if (!clipboardMessage_) {
            searchText_ = Text();
            MatchText(searchText_, 0);
          }
          return;
        case VK_ESCAPE: {
          bool dropped = DroppedDown();
          if (!dropped) SetItemIndex(-1);
          searchText_.clear();
          Click();
          Change();
          char key = 27;
          OnKeyPress(this, key);
          if (dropped) break;
          return;
        }
        default: {
          if (ch < 32) break;
          // The key-press event first: it may change or cancel the key.
          char key = KeyPressChar(ch);
          const char given = key;
          KeyPress(key);
          if (key == 0) return;
          wchar_t typed = key == given ? ch : static_cast<wchar_t>(KeyPressCharToWide(key));
          Message.WParam = typed;
          if (static_cast<unsigned char>(key) < 32) {
            PassToEdit(Message);
            return;
          }
          Integer start = SelStart(), len = SelLength();
          if (len > 0 && start >= 0 && start < static_cast<Integer>(s.size()))
            s.erase(static_cast<size_t>(start), static_cast<size_t>(len));
          std::wstring old = s;
          size_t caret = std::min(static_cast<size_t>(std::max<Integer>(start, 0)), s.size());
          s.insert(caret, 1, typed);
          searchText_ = U(s);
          // The key was reported above; a match reports it no second time.
          if (MatchText(searchText_, 0)) return;
          if (allowEdit_) {
            SetTextSkippingMatch(U(old));
            SetSelStart(static_cast<Integer>(caret));
            SetSelLength(0);
            PassToEdit(Message);
          } else {
            InvalidKeyBeep();
            searchText_ = U(old);
          }
          return;
        }
      }
      break;
    }
    default: break;
  }
  TCustomComboBox::EditWndProc(Message);
}
