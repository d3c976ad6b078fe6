// The program entry: the application with its title, then the main window,
// whose closing ends the message loop and the program. No command-line
// argument is read.
#include "app/GifMainForm.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE, LPSTR, int) {
  Application->Initialize();
  Application->SetTitle(GifMainTitle);
  TfrmGifMain* main = nullptr;
  Application->CreateForm(main);
  // The window shows the program's icon in its caption and the task list
  // (the form keeps it across a new window handle).
  TIcon icon;
  icon.SetHandle(static_cast<HICON>(LoadImageW(Instance, L"MAINICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
  if (icon.HandleAllocated()) main->SetIcon(&icon);
  Application->Run();
  return 0;
}
