#include "platform/Dialogs.h"

#include <commdlg.h>

#include "platform/Forms.h"

std::vector<TFilterEntry> ParseFilter(const std::string& Filter) {
  std::vector<std::string> parts;
  size_t p = 0;
  while (p <= Filter.size()) {
    size_t e = Filter.find('|', p);
    if (e == std::string::npos) e = Filter.size();
    parts.push_back(Filter.substr(p, e - p));
    p = e + 1;
  }
  std::vector<TFilterEntry> out;
  for (size_t i = 0; i < parts.size(); i += 2) {
    TFilterEntry f{parts[i], i + 1 < parts.size() ? parts[i + 1] : std::string()};
    if (f.Description.empty() && f.Pattern.empty()) continue;
    out.push_back(std::move(f));
  }
  return out;
}

HWND TCommonDialog::OwnerWindow() {
  if (Screen && Screen->ActiveForm() && Screen->ActiveForm()->HandleAllocated())
    return Screen->ActiveForm()->Handle();
  HWND active = GetActiveWindow();
  if (active) return active;
  return Application ? Application->Handle() : nullptr;
}

// ---------------------------------------------------------------------------

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), files_(std::make_unique<TStringList>()) {}
TOpenDialog::~TOpenDialog() = default;

DWORD TOpenDialog::OptionFlags() const {
  static const DWORD Flags[] = {OFN_READONLY, OFN_OVERWRITEPROMPT, OFN_HIDEREADONLY, OFN_NOCHANGEDIR,
                                OFN_SHOWHELP, OFN_NOVALIDATE, OFN_ALLOWMULTISELECT, OFN_EXTENSIONDIFFERENT,
                                OFN_PATHMUSTEXIST, OFN_FILEMUSTEXIST, OFN_CREATEPROMPT, OFN_SHAREAWARE,
                                OFN_NOREADONLYRETURN, OFN_NOTESTFILECREATE, OFN_NONETWORKBUTTON, OFN_NOLONGNAMES,
                                0, OFN_NODEREFERENCELINKS, OFN_ENABLEINCLUDENOTIFY, OFN_ENABLESIZING,
                                OFN_DONTADDTORECENT, OFN_FORCESHOWHIDDEN};
  DWORD f = OFN_EXPLORER;
  for (int i = ofReadOnly; i <= ofForceShowHidden; ++i)
    if (options_.Contains(static_cast<TOpenOption>(i))) f |= Flags[i];
  return f;
}

std::wstring TOpenDialog::FilterBuffer() const {
  std::wstring buf;
  for (const TFilterEntry& f : ParseFilter(filter_)) {
    buf += Utf8ToWide(f.Description);
    buf += L'\0';
    buf += Utf8ToWide(f.Pattern);
    buf += L'\0';
  }
  buf += L'\0';
  return buf;
}

void TOpenDialog::TakeResult(const wchar_t* Buffer, DWORD AFilterIndex) {
  files_->Clear();
  std::wstring first = Buffer;
  const wchar_t* p = Buffer + first.size() + 1;
  if (options_.Contains(ofAllowMultiSelect) && *p) {
    // Folder first, then the names.
    std::wstring folder = first;
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    while (*p) {
      std::wstring name = p;
      files_->Add(WideToUtf8(folder + name));
      p += name.size() + 1;
    }
  } else {
    files_->Add(WideToUtf8(first));
  }
  fileName_ = files_->Count() > 0 ? files_->Strings(0) : std::string();
  filterIndex_ = static_cast<Integer>(AFilterIndex);
}

TFileDialogFunc FileDialogFunc;

bool TOpenDialog::DoExecute(bool Save) {
  if (FileDialogFunc) {
    OnShow(this);
    std::vector<std::string> chosen = FileDialogFunc(*this, Save);
    OnClose(this);
    if (chosen.empty()) return false;
    files_->Clear();
    for (const std::string& name : chosen) files_->Add(name);
    fileName_ = chosen.front();
    return true;
  }
  std::wstring filter = FilterBuffer();
  std::wstring initial = Utf8ToWide(initialDir_);
  std::wstring title = Utf8ToWide(title_);
  std::wstring ext = Utf8ToWide(defaultExt_);
  std::vector<wchar_t> buffer(options_.Contains(ofAllowMultiSelect) ? 65536 : 32768, L'\0');
  std::wstring name = Utf8ToWide(fileName_);
  if (name.size() < buffer.size()) std::copy(name.begin(), name.end(), buffer.begin());
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = OwnerWindow();
  ofn.lpstrFilter = filter.size() > 1 ? filter.c_str() : nullptr;
  ofn.nFilterIndex = static_cast<DWORD>(filterIndex_);
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrInitialDir = initial.empty() ? nullptr : initial.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
  ofn.Flags = OptionFlags();
  OnShow(this);
  BOOL ok = Save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  OnClose(this);
  if (!ok) return false;
  if (ofn.Flags & OFN_READONLY)
    options_.Include(ofReadOnly);
  else
    options_.Exclude(ofReadOnly);
  TakeResult(buffer.data(), ofn.nFilterIndex);
  return true;
}

bool TOpenDialog::Execute() { return DoExecute(false); }
bool TSaveDialog::Execute() { return DoExecute(true); }

// ---------------------------------------------------------------------------

TColorDialog::TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner), customColors_(std::make_unique<TStringList>()) {}
TColorDialog::~TColorDialog() = default;

bool TColorDialog::Execute() {
  COLORREF custom[16];
  for (int i = 0; i < 16; ++i) {
    custom[i] = 0xFFFFFF;
    std::string key = std::string("Color") + static_cast<char>('A' + i);
    std::string v = customColors_->Values(key);
    if (!v.empty()) {
      try {
        unsigned long rgb = std::stoul(v, nullptr, 16);
        // Stored as RRGGBB.
        custom[i] = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
      } catch (...) {
      }
    }
  }
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof(cc);
  cc.hwndOwner = OwnerWindow();
  cc.rgbResult = static_cast<COLORREF>(ColorToRGB(color_));
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT;
  if (options_.Contains(cdFullOpen)) cc.Flags |= CC_FULLOPEN;
  if (options_.Contains(cdPreventFullOpen)) cc.Flags |= CC_PREVENTFULLOPEN;
  if (options_.Contains(cdShowHelp)) cc.Flags |= CC_SHOWHELP;
  if (options_.Contains(cdSolidColor)) cc.Flags |= CC_SOLIDCOLOR;
  if (options_.Contains(cdAnyColor)) cc.Flags |= CC_ANYCOLOR;
  OnShow(this);
  BOOL ok = ChooseColorW(&cc);
  OnClose(this);
  if (!ok) return false;
  color_ = static_cast<TColor>(cc.rgbResult);
  for (int i = 0; i < 16; ++i) {
    char v[8];
    snprintf(v, sizeof v, "%02X%02X%02X", GetRValue(custom[i]), GetGValue(custom[i]), GetBValue(custom[i]));
    customColors_->SetValues(std::string("Color") + static_cast<char>('A' + i), v);
  }
  return true;
}

// ---------------------------------------------------------------------------

TMessageBoxFunc MessageBoxFunc = [](HWND Owner, const std::string& Text, const std::string& Caption, UINT Flags) {
  return MessageBoxW(Owner, Utf8ToWide(Text).c_str(), Utf8ToWide(Caption).c_str(), Flags);
};

namespace {
HWND ActiveOwner() {
  HWND active = GetActiveWindow();
  if (active) return active;
  return Application ? Application->Handle() : nullptr;
}
}  // namespace

void MessageDlgStyle(TMsgDlgType DlgType, TMsgDlgButtons Buttons, std::string& Caption, UINT& Flags) {
  static const char* const Captions[] = {"Warning", "Error", "Information", "Confirm", nullptr};
  static const UINT Icons[] = {MB_ICONWARNING, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION, 0};
  Caption = Captions[DlgType] ? Captions[DlgType] : (Application ? Application->Title() : std::string());
  Flags = Icons[DlgType];
  if (Buttons.Contains(mbYes) || Buttons.Contains(mbNo) || Buttons.Contains(mbYesToAll) ||
      Buttons.Contains(mbNoToAll))
    Flags |= Buttons.Contains(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
  else if (Buttons.Contains(mbAbort) || Buttons.Contains(mbIgnore))
    Flags |= MB_ABORTRETRYIGNORE;
  else if (Buttons.Contains(mbRetry))
    Flags |= MB_RETRYCANCEL;
  else if (Buttons.Contains(mbCancel))
    Flags |= MB_OKCANCEL;
  else
    Flags |= MB_OK;
  if (Buttons.Contains(mbHelp)) Flags |= MB_HELP;
}

TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer) {
  std::string caption;
  UINT flags = 0;
  MessageDlgStyle(DlgType, Buttons, caption, flags);
  return MessageBoxFunc(ActiveOwner(), Msg, caption, flags | MB_TASKMODAL);
}

void ShowMessage(const std::string& Msg) {
  MessageBoxFunc(ActiveOwner(), Msg, Application ? Application->Title() : std::string(), MB_OK | MB_TASKMODAL);
}

Integer MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
  return MessageBoxFunc(ActiveOwner(), Text, Caption, Flags);
}

Integer MessageBox(HWND Owner, const std::string& Text, const std::string& Caption, UINT Flags) {
  return MessageBoxFunc(Owner, Text, Caption, Flags);
}
