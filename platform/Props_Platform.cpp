// Entry point that enters the published properties of the platform's classes.
#include "platform/TypInfo.h"

void RegisterClassesProps();
void RegisterGraphicsProps();
void RegisterControlsProps();
void RegisterStdCtrlsProps();
void RegisterTabsProps();

void RegisterPlatformClasses() {
  RegisterClassInfo<TPersistent>("TPersistent");
  RegisterClassesProps();
  RegisterGraphicsProps();
  RegisterControlsProps();
  RegisterStdCtrlsProps();
  RegisterTabsProps();
}
