// The system clipboard. Clipboard() is the program's one TClipboard; Open and
// Close nest, the clipboard is opened for a hidden window of the clipboard
// object. Texts are UTF-8 and travel as CF_UNICODETEXT.
#pragma once

#include <functional>
#include <string>

#include "platform/System.h"

class TClipboard : public TPersistent {
 public:
  T_CLASSNAME(TClipboard)
  TClipboard() = default;
  ~TClipboard() override;

  // Raises EClipboardException "Cannot open clipboard" when another program holds it.
  void Open();
  void Close();
  // Empties the clipboard (this object becomes its owner).
  void Clear();
  bool HasFormat(Word Format) const;
  Integer FormatCount() const;
  Word Formats(Integer Index) const;

  std::string AsText();
  void SetAsText(const std::string& Value);
  // The clipboard's handle of that format (still owned by the clipboard), or 0.
  HANDLE GetAsHandle(Word Format);
  // Hands the handle to the clipboard.
  void SetAsHandle(Word Format, HANDLE Value);
  // Copies Size bytes into a new global block stored under Format.
  void SetBuffer(Word Format, const void* Buffer, Integer Size);

  // Pictures and graphics go through hooks set by the graphics classes, so
  // that the clipboard does not depend on them: Put(Clipboard, Source) stores
  // a graphic or picture and returns false for other classes; Get(Clipboard,
  // Dest) fills one from the clipboard.
  using TAssignHook = std::function<bool(TClipboard* Clipboard, TPersistent* Object)>;
  static void SetGraphicHooks(TAssignHook Put, TAssignHook Get);
  void Assign(TPersistent* Source) override;

  // The hidden window the clipboard is opened for.
  HWND Handle();

 protected:
  void AssignTo(TPersistent* Dest) override;
  // Empties the clipboard on the first store within an Open/Close block.
  void Adding();

 private:
  Integer openRefCount_ = 0;
  bool emptied_ = false;
  HWND window_ = nullptr;
};

// The program's clipboard object.
TClipboard* Clipboard();
// Replaces it (for tests); returns the previous one, which the caller then owns.
TClipboard* SetClipboard(TClipboard* NewClipboard);

// Registers (or finds) a named clipboard format.
Word RegisterClipboardFormat(const std::string& Name);
