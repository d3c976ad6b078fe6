#include "imaging/views/ruzozad.h"

TRuzozAd::TRuzozAd(TComponent* AOwner) : TRuzozAdView(AOwner) {
  OwnIO();
  OwnProc();
}

void TRuzozAd::LoadImageFile(const std::string& FileName) { OwnIO()->LoadFileByExtension(FileName); }
void TRuzozAd::SaveImageFile(const std::string& FileName) { OwnIO()->SaveFileByExtension(FileName); }
void TRuzozAd::ReadFileParams(const std::string& FileName) { OwnIO()->ReadParamsOfFile(FileName); }
void TRuzozAd::ReadStreamParams(TStream* Stream) { OwnIO()->ReadParamsOfStream(Stream); }
void TRuzozAd::ReadFileParamsOfType(const std::string& FileName, Integer FileType) {
  OwnIO()->ReadParamsOfFileType(FileName, FileType);
}
void TRuzozAd::ReadStreamParamsOfType(TStream* Stream, Integer FileType) {
  OwnIO()->ReadParamsOfStreamType(Stream, FileType);
}

void TRuzozAd::ConvertTo(Integer Colors, bool Dither) { OwnProc()->ConvertTo(Colors, Dither); }

TIOParamsVals* TRuzozAd::FormatParams() { return &OwnIO()->Params(); }

void TRuzozAd::CopyFormatParams(TPersistent* Source) {
  if (auto* ad = dynamic_cast<TRuzozAd*>(Source))
    OwnIO()->CopyParamsFrom(ad->FormatParams());
  else if (auto* io = dynamic_cast<TRuzozAdIO*>(Source))
    OwnIO()->CopyParamsFrom(&io->Params());
}

void TRuzozAd::Assign(TPersistent* Source) {
  CopyFormatParams(Source);
  TRuzozAdView::Assign(Source);
}

bool TRuzozAd::AutoUndo() { return OwnProc()->AutoUndo(); }
void TRuzozAd::SetAutoUndo(bool Value) { OwnProc()->SetAutoUndo(Value); }

TMsgLanguage TRuzozAd::MsgLanguage() { return OwnProc()->MsgLanguage(); }
void TRuzozAd::SetMsgLanguage(TMsgLanguage Value) {
  OwnProc()->SetMsgLanguage(Value);
  OwnIO()->MsgLanguage = Value;
}

TPRPreviewsParams TRuzozAd::ProcPreviewsParams() { return OwnProc()->PreviewsParams(); }
void TRuzozAd::SetProcPreviewsParams(TPRPreviewsParams Value) { OwnProc()->SetPreviewsParams(Value); }

TIOPreviewsParams TRuzozAd::IOPreviewsParams() { return OwnIO()->PreviewsParams; }
void TRuzozAd::SetIOPreviewsParams(TIOPreviewsParams Value) { OwnIO()->PreviewsParams = Value; }

TFont* TRuzozAd::PreviewFont() { return OwnIO()->PreviewFont(); }
void TRuzozAd::SetPreviewFont(TFont* Value) {
  OwnIO()->SetPreviewFont(Value);
  OwnProc()->SetPreviewFont(Value);
}

bool TRuzozAd::StreamHeaders() { return OwnIO()->StreamHeaders; }
void TRuzozAd::SetStreamHeaders(bool Value) { OwnIO()->StreamHeaders = Value; }

TIEPreviewEvent TRuzozAd::OnPreview() { return OwnProc()->OnPreview; }
void TRuzozAd::SetOnPreview(const TIEPreviewEvent& Value) { OwnProc()->OnPreview = Value; }

TIEIOPreviewEvent TRuzozAd::OnIOPreview() { return OwnIO()->OnIOPreview; }
void TRuzozAd::SetOnIOPreview(const TIEIOPreviewEvent& Value) { OwnIO()->OnIOPreview = Value; }

TIEDialogsMeasureUnit TRuzozAd::DialogsMeasureUnit() { return OwnIO()->DialogsMeasureUnit; }
void TRuzozAd::SetDialogsMeasureUnit(TIEDialogsMeasureUnit Value) { OwnIO()->DialogsMeasureUnit = Value; }
