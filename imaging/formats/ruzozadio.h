// TRuzozAdIO: the image library's file input/output component. It holds one
// image buffer (its own, an attached view's, one wrapping a platform bitmap, or
// one handed to it) and one TIOParamsVals, and runs every load and save through
// one protocol: abort flag, progress record, filter call, load epilogue, and
// OnProgress(100) + OnFinishWork at the end whatever happened.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "imaging/buffer/zezivori.h"
#include "imaging/formats/ioparams.h"
#include "platform/Classes.h"
#include "platform/Graphics.h"
#include "platform/SyncObjs.h"

class TIEView;
class TImage;
class TForm;
class TIEIOThread;

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
  // Resamples the buffer so that its horizontal and vertical resolution agree
  // (nothing when they do, or when either is 0 or less).
  virtual void AdjustDpi();

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

  // --- Entry points of the other formats, dispatchers, per-format glue ---------
  // GIF and TIFF loads return the number of images the file holds (0 when the
  // filter did not get that far).
  Integer TiffFromFile(const std::string& FileName);
  Integer TiffFromStream(TStream* Stream);
  void TiffToFile(const std::string& FileName);
  void TiffToStream(TStream* Stream);
  Integer GifFromFile(const std::string& FileName);
  Integer GifFromStream(TStream* Stream);
  void GifToFile(const std::string& FileName);
  void GifToStream(TStream* Stream);
  void PcxFromFile(const std::string& FileName);
  void PcxFromStream(TStream* Stream);
  void PcxToFile(const std::string& FileName);
  void PcxToStream(TStream* Stream);
  void BmpFromFile(const std::string& FileName);
  void BmpFromStream(TStream* Stream);
  void BmpToFile(const std::string& FileName);
  void BmpToStream(TStream* Stream);
  void IcoFromFile(const std::string& FileName);
  void IcoFromStream(TStream* Stream);
  void CurFromFile(const std::string& FileName);
  void CurFromStream(TStream* Stream);
  void TgaFromFile(const std::string& FileName);
  void TgaFromStream(TStream* Stream);
  void TgaToFile(const std::string& FileName);
  void TgaToStream(TStream* Stream);
  void PxmFromFile(const std::string& FileName);
  void PxmFromStream(TStream* Stream);
  void PxmToFile(const std::string& FileName);
  void PxmToStream(TStream* Stream);
  // A WMF or EMF file drawn at Width x Height pixels (a negative side follows
  // the other in the file's proportions; both negative: the file's size).
  void MetafileFromFile(const std::string& FileName, Integer Width, Integer Height);

  // By the file's extension (any case), by type number, by the stream's
  // content; what the built-in table does not know goes to the format registry.
  virtual void LoadFileByExtension(const std::string& FileName);
  virtual void SaveFileByExtension(const std::string& FileName);
  virtual void LoadFileOfType(const std::string& FileName, Integer FileType);
  virtual void LoadStreamOfType(TStream* Stream, Integer FileType);
  virtual void LoadStreamDetected(TStream* Stream);
  virtual void SaveStreamOfType(TStream* Stream, Integer FileType);

  // Fill Params only, without pixels; never raise. FileType ends 0 on failure.
  virtual void ReadParamsOfFile(const std::string& FileName);
  virtual void ReadParamsOfFileType(const std::string& FileName, Integer FileType);
  virtual void ReadParamsOfStream(TStream* Stream);
  virtual void ReadParamsOfStreamType(TStream* Stream, Integer FileType);

  // The common protocol, for every filter. Load: a file (opened here, shared for
  // reading) or a stream; the filter gets the stream, the buffer, the parameters
  // and the progress record, and may hand back an alpha mask. ViewResolution:
  // the attached view receives the parameters' resolution afterwards.
  using TLoadCall = std::function<void(TStream* Stream, TIEProgressRecord& Progress, std::unique_ptr<TIEMask>& Alpha)>;
  using TSaveCall = std::function<void(TStream* Stream, TIEProgressRecord& Progress)>;
  // FilterOpens: the filter opens or creates the named file itself (it gets a
  // nil stream), so a missing file does not leave Aborting set.
  void RunLoad(const std::string* FileName, TStream* Stream, Integer FileType, bool ViewResolution,
               const TLoadCall& Filter, bool FilterOpens = false);
  void RunSave(const std::string* FileName, TStream* Stream, const TSaveCall& Filter, bool FilterOpens = false);

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
  // The table roads of the dispatchers: false for a type they do not know.
  bool LoadFileOfBuiltInType(const std::string& FileName, Integer FileType);
  bool LoadStreamOfBuiltInType(TStream* Stream, Integer FileType);
  bool SaveFileOfBuiltInType(const std::string& FileName, Integer FileType);
  bool SaveStreamOfBuiltInType(TStream* Stream, Integer FileType);
  void NoPageIsAFailure(Integer PageCount);
  // Background from the GIF just read (its transparent colour when it has one).
  void TakeGifBackground();
  // Called by a load's filter call: the load stops without its epilogue.
  void StopLoad() { stopLoad_ = true; }
  bool stopLoad_ = false;
  // The buffer's alpha channel as a mask for a writer, or nil.
  static std::unique_ptr<TIEMask> AlphaMaskOf(TIEBitmap* Bitmap);
  // Per-format glue: IPTC and EXIF after a JPEG read, IPTC before a JPEG write.
  void TakeJpegMetadata();
  void PutJpegIptc();
  // The registry's road for a load of a type or extension the table lacks.
  void LoadThroughRegistry(const std::string* FileName, TStream* Stream, const struct TIEFormatRegistration* Format);
  void ReadParamsCore(TStream* Stream, Integer FileType, Int64 DataLength, TIEProgressRecord& Progress);
  void ImportMetafile(const std::string& FileName, Integer Width, Integer Height);
  // The 12-byte StreamHeader: tag of four letters, four zero bytes, the payload
  // length (int32, little-endian). ReadFrameHead is false when fewer than 12
  // bytes are left; Tag is the text of the first five bytes up to a zero.
  static bool ReadFrameHead(TStream* Stream, std::string& Tag, Int64& Length);
  // With StreamHeaders on: writes a 12-byte placeholder and returns where it
  // starts; -1 otherwise, and EndStreamHeader then does nothing.
  Int64 BeginStreamHeader(TStream* Stream);
  void EndStreamHeader(TStream* Stream, Int64 Start, const char* Tag);
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

  // --- Worker threads and loading from a web address ---------------------------
  // Asynchronous mode: with a borrowed buffer and AsyncMode on, an entry point
  // hands itself to a new TIEIOThread, which calls it again with the same
  // arguments while the caller goes on. OnProgress and OnFinishWork then fire on
  // the worker; RefreshTarget posts IEM_IOFINISHED to the attached view. The
  // destructor waits for the running workers before it frees anything.
 public:
  // True on one of this component's worker threads.
  bool InWorkerThread() const;
  // Returns once no worker but the calling thread is left. On the main thread
  // it runs the workers' synchronized calls meanwhile.
  void WaitForWorkers();
  Integer WorkerCount() const;
  // Step 1 of every entry point: true when the call went to a new worker, and
  // the entry point returns at once (-1 where it has a result).
  bool HandOff(void (TRuzozAdIO::*Method)(const std::string&), const std::string& Name);
  bool HandOff(void (TRuzozAdIO::*Method)(TStream*), TStream* Stream);
  bool HandOff(Integer (TRuzozAdIO::*Method)(const std::string&), const std::string& Name);
  bool HandOff(Integer (TRuzozAdIO::*Method)(TStream*), TStream* Stream);
  bool HandOff(void (TRuzozAdIO::*Method)(const std::string&, Integer), const std::string& Name, Integer Value);
  bool HandOff(void (TRuzozAdIO::*Method)(TStream*, Integer), TStream* Stream, Integer Value);
  bool HandOff(void (TRuzozAdIO::*Method)(const std::string&, Integer, Integer), const std::string& Name,
               Integer Value1, Integer Value2);
  // Fetches an "http://" address with the platform's internet library (loaded
  // on first use) and loads the body by its content.
  void LoadFromUrl(const std::string& Address);
  // The worker list. The workers share it, so that one can still leave it when
  // the component was freed from its own OnFinishWork.
  struct TWorkerList {
    TCriticalSection Lock;
    std::vector<TIEIOThread*> Threads;
    TRuzozAdIO* Owner = nullptr;  // nil once the component is gone
  };

 private:
  friend class TIEIOThread;
  bool HandOffWanted() const;
  static std::shared_ptr<TWorkerList> NewWorkerList(TRuzozAdIO* Owner);
  // Waits for the workers, then lets a worker still running know that we are gone.
  void ReleaseWorkers();
  std::shared_ptr<TWorkerList> workers_ = NewWorkerList(this);
};
