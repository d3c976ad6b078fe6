// The program entry: the application with its title, then the main window,
// whose closing ends the message loop and the program. No command-line
// argument is read.
#include "app/GifMainForm.h"
#include "platform/Forms.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Application->Initialize();
  Application->SetTitle(GifMainTitle);
  TfrmGifMain* main = nullptr;
  Application->CreateForm(main);
  // The window shows the program's icon in its caption and the task list.
  GiveProgramIcon(main);
  Application->Run();
  return 0;
}
