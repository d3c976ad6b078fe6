// TRuzozAdMIO: the multi-image counterpart of TRuzozAdIO. Attached to a
// multi-image view, it keeps one TIOParamsVals per image of the view, in step
// with the view's list as images are inserted and deleted, and appends pages
// handed to it (AcceptAcquiredBitmap) to the view.
#pragma once

#include <memory>
#include <vector>

#include "imaging/formats/ioparams.h"
#include "imaging/formats/ruzozadio.h"
#include "platform/Classes.h"
#include "platform/Graphics.h"

class TIEView;

// What TRuzozAdMIO needs of the multi-image view it follows. The view is a
// TIEView that also implements this; it tells its change listeners after every
// change of its list and records which change it was.
class IIEMultiView {
 public:
  virtual ~IIEMultiView() = default;
  // Change kinds of TakeLastChange.
  enum : Integer { lcNone = 0, lcInserted = 1, lcDeleted = 2 };
  virtual Integer EntryCount() = 0;
  // A new empty image at Index (appended when Index is at or past the end),
  // recorded as lcInserted, change listeners told.
  virtual void InsertEntry(Integer Index) = 0;
  // Stores the picture as image Index; the caller keeps the bitmap.
  virtual void StoreEntryBitmap(Integer Index, TIEBitmap* Bitmap) = 0;
  // Ignored for an index outside the list.
  virtual void StoreFrameDelay(Integer Index, Integer Milliseconds) = 0;
  // The kind of the last change, reset to lcNone.
  virtual Integer TakeLastChange() = 0;
  virtual Integer LastChangeIndex() = 0;
};

class TRuzozAdMIO : public TComponent {
 public:
  T_CLASSNAME(TRuzozAdMIO)
  explicit TRuzozAdMIO(TComponent* AOwner);
  ~TRuzozAdMIO() override;

  TIEView* AttachedMView() const { return view_; }
  // EInvalidCast for a view that is not a multi-image view.
  void SetAttachedMView(TIEView* View);

  // The entry of image Index, nil outside 0..ParamsCount()-1.
  TIOParamsVals* ParamsOf(Integer Index) const;
  Integer ParamsCount() const { return static_cast<Integer>(params_.size()); }
  // A new entry at Index (appended at or past the end), copied from the entry
  // now there or from the last one; then every entry is renumbered.
  void InsertParams(Integer Index);
  void DeleteParams(Integer Index);

  // Appends a page to the view (an OnAcquireBitmap handler may take it over)
  // and hands out its parameter entry, nil when the page went nowhere.
  virtual void AcceptAcquiredBitmap(TIEBitmap* Bitmap, TIOParamsVals*& Params);
  virtual void ResetAcquireState() { acquireState_ = 0; }
  Integer AcceptedCount() const { return accepted_; }

  bool SimplifiedParamsDialogs = true;
  TMsgLanguage MsgLanguage = msSystem;
  TIOPreviewsParams PreviewsParams = 0;
  bool AutoAdjustDPI = false;
  bool FilteredAdjustDPI = false;
  TFont* PreviewFont() const { return previewFont_.get(); }
  void SetPreviewFont(TFont* Value) { previewFont_->Assign(Value); }
  TIETWainParams* ScannerParams() const { return scannerParams_.get(); }

  TIEProgressEvent OnProgress;
  TIEAcquireBitmapEvent OnAcquireBitmap;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void ViewChanged(TIEView* Sender, bool Destroying);
  void Detach();
  void Renumber();

  TIEView* view_ = nullptr;
  IIEMultiView* list_ = nullptr;
  intptr_t listener_ = -1;
  std::vector<std::unique_ptr<TIOParamsVals>> params_;
  std::unique_ptr<TIETWainParams> scannerParams_;
  std::unique_ptr<TFont> previewFont_;
  Integer accepted_ = 0;
  Integer acquireState_ = 0;
};

// A copy of Bitmap whose resolutions agree (the larger one wins, the side
// across it grows), or Bitmap itself when they agree already or one is not
// positive. Params' size and resolution follow. Filtered: linear resampling
// into 24 bits (the source is turned into 24 bits first); else nearest pixels
// in the source's kind. The caller frees a copy.
TIEBitmap* EqualizeDpi(TIEBitmap* Bitmap, TIOParamsVals& Params, bool Filtered);
