// TRuzozAd: the all-in-one image component, a single-image view that owns one
// I/O and one processing component attached to itself and republishes their
// main options.
#pragma once

#include <string>

#include "imaging/buffer/ruzozadproc_component.h"
#include "imaging/formats/ruzozadio.h"
#include "imaging/views/ruzozadview.h"

class TRuzozAd : public TRuzozAdView {
 public:
  T_CLASSNAME(TRuzozAd)
  explicit TRuzozAd(TComponent* AOwner);

  // Loads, saves and parameter reads through the own I/O component.
  virtual void LoadImageFile(const std::string& FileName);
  virtual void SaveImageFile(const std::string& FileName);
  virtual void ReadFileParams(const std::string& FileName);
  virtual void ReadStreamParams(TStream* Stream);
  virtual void ReadFileParamsOfType(const std::string& FileName, Integer FileType);
  virtual void ReadStreamParamsOfType(TStream* Stream, Integer FileType);

  // Colour reduction through the own processing component.
  void ConvertTo(Integer Colors, bool Dither);
  TIOParamsVals* FormatParams();
  // From another TRuzozAd's or a TRuzozAdIO's format parameters; anything else is ignored.
  void CopyFormatParams(TPersistent* Source);
  void Assign(TPersistent* Source) override;

  // Published options of the owned components.
  bool AutoUndo();
  void SetAutoUndo(bool Value);
  TMsgLanguage MsgLanguage();
  void SetMsgLanguage(TMsgLanguage Value);
  TPRPreviewsParams ProcPreviewsParams();
  void SetProcPreviewsParams(TPRPreviewsParams Value);
  TIOPreviewsParams IOPreviewsParams();
  void SetIOPreviewsParams(TIOPreviewsParams Value);
  TFont* PreviewFont();
  void SetPreviewFont(TFont* Value);
  bool StreamHeaders();
  void SetStreamHeaders(bool Value);
  TIEPreviewEvent OnPreview();
  void SetOnPreview(const TIEPreviewEvent& Value);
  TIEIOPreviewEvent OnIOPreview();
  void SetOnIOPreview(const TIEIOPreviewEvent& Value);
  TIEDialogsMeasureUnit DialogsMeasureUnit();
  void SetDialogsMeasureUnit(TIEDialogsMeasureUnit Value);
};
