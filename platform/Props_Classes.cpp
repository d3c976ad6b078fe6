// Published properties of the run-time classes: components, string lists
// (their "Strings" list) and collections.
#include "platform/Classes.h"
#include "platform/FormReader.h"
#include "platform/TypInfo.h"

void RegisterClassesProps() {
  RegisterClassInfo<TComponent, TPersistent>("TComponent")
      .Str("Name", &TComponent::Name, &TComponent::SetName)
      .Int("Tag", &TComponent::Tag, &TComponent::SetTag, 0);

  RegisterClassInfo<TStrings, TPersistent>("TStrings").Define([](TStrings* s, TFiler* filer) {
    filer->DefineProperty(
        "Strings",
        [s](TReader* r) {
          s->BeginUpdate();
          try {
            s->Clear();
            r->ReadListBegin();
            while (!r->EndOfList()) s->Add(r->ReadString());
            r->ReadListEnd();
          } catch (...) {
            s->EndUpdate();
            throw;
          }
          s->EndUpdate();
        },
        [s](TWriter* w) {
          w->WriteListBegin();
          for (Integer i = 0; i < s->Count(); ++i) w->WriteString(s->Strings(i));
          w->WriteListEnd();
        },
        s->Count() > 0);
  });
  RegisterClassInfo<TStringList, TStrings>("TStringList");
  RegisterClassInfo<TCollectionItem, TPersistent>("TCollectionItem");
  RegisterClassInfo<TCollection, TPersistent>("TCollection");
}
