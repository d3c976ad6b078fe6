// The program entry: the application with its title, then the main window,
// whose closing ends the message loop and the program. No command-line
// argument is read.
#include "app/GifMainForm.h"
#include "platform/Forms.h"

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE, LPSTR, int) {
  Application->Initialize();
  Application->SetTitle(GifMainTitle);
  TfrmGifMain* main = nullptr;
  Application->CreateForm(main);
  // The window shows the program's icon in its caption and the task list.
  for (auto [which, size] : {std::pair{ICON_BIG, 32}, std::pair{ICON_SMALL, 16}})
    if (HANDLE icon = LoadImageW(Instance, L"MAINICON", IMAGE_ICON, size, size, LR_DEFAULTCOLOR))
      SendMessageW(main->Handle(), WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  Application->Run();
  return 0;
}
