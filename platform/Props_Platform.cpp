// Entry point that enters the published properties of the platform's classes.
#include "platform/TypInfo.h"

void RegisterClassesProps();
void RegisterGraphicsProps();
void RegisterControlsProps();
void RegisterStdCtrlsProps();
void RegisterTabsProps();
void RegisterActionsProps();
void RegisterCoreProps();

void RegisterPlatformClasses() {
  RegisterClassInfo<TPersistent>("TPersistent");
  RegisterClassesProps();
  RegisterGraphicsProps();
  RegisterControlsProps();
  RegisterStdCtrlsProps();
  RegisterTabsProps();
  RegisterActionsProps();
  // Adds to the tables entered above.
  RegisterCoreProps();
}
