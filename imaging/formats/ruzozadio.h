// TRuzozAdIO: the image library's file input/output component. It holds one
// image buffer (its own, an attached view's, one wrapping a platform bitmap, or
// one handed to it) and one TIOParamsVals, and runs every load and save through
// one protocol: abort flag, progress record, filter call, load epilogue, and
// OnProgress(100) + OnFinishWork at the end whatever happened.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "imaging/buffer/hyieutils.h"
#include "imaging/buffer/zezivori.h"
#include "imaging/formats/ioparams.h"
#include "platform/Classes.h"
#include "platform/Graphics.h"

class TIEView;
class TImage;
class TForm;

using TIEIOPreviewEvent = TEvent<TObject* /*Sender*/, TForm* /*PreviewForm*/>;
using TIEDoPreviewsEvent = TEvent<TObject* /*Sender*/, bool& /*Handled*/>;
using TIEAcquireBitmapEvent = TEvent<TObject* /*Sender*/, TIEBitmap* /*ABitmap*/, bool& /*Handled*/>;

enum TIOPreviewsParamsItems : Byte { ioppDefaultLockPreview, ioppApplyButton };
// A set of TIOPreviewsParamsItems, one bit per item.
using TIOPreviewsParams = Byte;
enum TIEDialogsMeasureUnit : Byte { ieduInches, ieduCm, ieduSelectableDefInches, ieduSelectableDefCm };

// Scanner options. Nothing in the system acquires from a scanner, so it holds
// no options: it is only created and freed with its owner.
class TIETWainParams : public TObject {
 public:
  T_CLASSNAME(TIETWainParams)
  explicit TIETWainParams(TObject* AOwner) : Owner(AOwner) {}
  void Reset() {}
  TObject* Owner;
};

// The parameters dialog (made by the views library). Given the component and
// the page mask it shows the dialog and returns true when it closed with OK.
// Nil until the views library installs it; RunPreviewsDialog then shows nothing.
using TIEPreviewsDialogRunner = bool (*)(TRuzozAdIO* IO, Word Pages);
extern TIEPreviewsDialogRunner IEPreviewsDialogRunner;

// The message an attached view receives when a load finished on a worker thread.
constexpr UINT IEM_IOFINISHED = 8024;

class TRuzozAdIO : public TComponent {
 public:
  T_CLASSNAME(TRuzozAdIO)
  explicit TRuzozAdIO(TComponent* AOwner);
  ~TRuzozAdIO() override;

  // Buffer and attachment.
  TBitmap* TargetBitmap() const { return targetBitmap_; }
  TIEBitmap* IEBitmap() const { return ieBitmap_; }
  bool OwnsIEBitmap() const { return ownsIEBitmap_; }
  TIEView* AttachedRuzozAd() const { return view_; }
  void SetAttachedRuzozAd(TIEView* View);
  TImage* AttachedTImage() const { return image_; }
  void SetAttachedTImage(TImage* Image);
  // The caller keeps owning the bitmap.
  void BindIEBitmap(TIEBitmap* Bitmap);
  void AttachIEBitmap(TIEBitmap* Bitmap);
  void AttachVclBitmap(TBitmap* Bitmap);

  // The attached view's background, else our own.
  TColor Background() const;
  void SetBackground(TColor Value);

  TIOParamsVals& Params() { return *params_; }
  // The last operation failed or was stopped; an OnProgress handler may set it
  // to stop the running operation after its current unit.
  bool Aborting = false;

  TMsgLanguage MsgLanguage = msSystem;
  TIOPreviewsParams PreviewsParams = 0;
  bool SimplifiedParamsDialogs = true;
  bool StreamHeaders = false;
  TIEDialogsMeasureUnit DialogsMeasureUnit = ieduInches;
  bool AutoAdjustDPI = false;
  bool FilteredAdjustDPI = false;
  bool AsyncMode = false;
  Byte BilevelMethod() const { return bilevelMethod_; }
  TFont* PreviewFont() const { return previewFont_.get(); }
  void SetPreviewFont(TFont* Value) { previewFont_->Assign(Value); }
  TIETWainParams* ScannerParams() const { return scannerParams_.get(); }

  TIEProgressEvent OnProgress;
  TNotifyEvent OnFinishWork;
  TIEDoPreviewsEvent OnDoPreviews;
  TIEIOPreviewEvent OnIOPreview;
  TIEAcquireBitmapEvent OnAcquireBitmap;

  // OnProgress(Self, 100), then OnFinishWork(Self).
  virtual void SignalWorkDone();
  // Tells the attached view (or marks the target bitmap modified) after a change.
  void RefreshTarget();
  // From another TRuzozAdIO's parameters or a TIOParamsVals; anything else is ignored.
  void CopyParamsFrom(TObject* Source);
  void ChooseMonoDither(Byte Method);
  virtual bool RunPreviewsDialog(Word Pages);
  virtual void FireAcquireBitmap(TIEBitmap* Bitmap, bool& Handled);
  virtual void AcceptAcquiredBitmap(TIEBitmap* Bitmap, TIOParamsVals*& AParams);
  virtual void ResetAcquireState() { acquireCount_ = 0; }
  // Resampling so that both resolutions agree; the per-format glue supplies it.
  virtual void AdjustDpi() {}
  // True on one of this component's worker threads (there are none yet).
  bool InWorkerThread() const { return false; }

  // Per-format entry points.
  void JpegFromFile(const std::string& FileName);
  void JpegFromStream(TStream* Stream);
  void JpegToFile(const std::string& FileName);
  void JpegToStream(TStream* Stream);
  void PngFromFile(const std::string& FileName);
  void PngFromStream(TStream* Stream);
  void PngToFile(const std::string& FileName);
  void PngToStream(TStream* Stream);
  void Jp2FromFile(const std::string& FileName);
  void J2kFromFile(const std::string& FileName);
  void Jp2FromStream(TStream* Stream);
  void J2kFromStream(TStream* Stream);
  void Jp2ToFile(const std::string& FileName);
  void J2kToFile(const std::string& FileName);
  void Jp2ToStream(TStream* Stream);
  void J2kToStream(TStream* Stream);

  // The common protocol, for every filter. Load: a file (opened here, shared for
  // reading) or a stream; the filter gets the stream, the buffer, the parameters
  // and the progress record, and may hand back an alpha mask. ViewResolution:
  // the attached view receives the parameters' resolution afterwards.
  using TLoadCall = std::function<void(TStream* Stream, TIEProgressRecord& Progress, std::unique_ptr<TIEMask>& Alpha)>;
  using TSaveCall = std::function<void(TStream* Stream, TIEProgressRecord& Progress)>;
  void RunLoad(const std::string* FileName, TStream* Stream, Integer FileType, bool ViewResolution,
               const TLoadCall& Filter);
  void RunSave(const std::string* FileName, TStream* Stream, const TSaveCall& Filter);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ViewChanged(TIEView* Sender, bool Destroying);

 private:
  void RemoveViewListener();
  void UseOwnBuffer();
  void FillProgress(TIEProgressRecord& Progress);
  // Steps common to every load after the filter returned.
  void LoadEpilogue(std::unique_ptr<TIEMask>& Alpha, const std::string* FileName, Integer FileType,
                    bool ViewResolution);
  void LoadJpeg2000(const std::string* FileName, TStream* Stream, Integer FileType);
  void SaveJpeg2000(const std::string* FileName, TStream* Stream, Integer Format);

  TBitmap* targetBitmap_ = nullptr;
  TIEBitmap* ieBitmap_ = nullptr;
  std::unique_ptr<TIEBitmap> own_;
  bool ownsIEBitmap_ = true;
  TIEView* view_ = nullptr;
  intptr_t viewListener_ = -1;
  TImage* image_ = nullptr;
  TColor ownBackground_ = 0;
  std::unique_ptr<TIETWainParams> scannerParams_;
  std::unique_ptr<TFont> previewFont_;
  Byte bilevelMethod_ = 1;
  std::unique_ptr<TIOParamsVals> params_;
  Integer acquireCount_ = 0;
};
