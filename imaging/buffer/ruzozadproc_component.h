// The processing component TRuzozAdProc: working picture, attachment to a
// view, an image control or a platform bitmap, undo and redo, work region and
// the colour-depth operations.
#pragma once

#include "imaging/buffer/ruzozadproc.h"

// ---------------------------------------------------------------------------
// The processing component.

#include <string>
#include <vector>

#include "imaging/views/ieview.h"
#include "platform/Graphics.h"

class TImage;
class TFont;

enum TPRPreviewsParamsItems { prppDefaultLockPreview };
using TPRPreviewsParams = TEnumSet<TPRPreviewsParamsItems>;
// (sender, preview form)
using TIEPreviewEvent = TEvent<TObject*, TObject*>;

class TRuzozAdProc : public TComponent {
 public:
  T_CLASSNAME(TRuzozAdProc)
  explicit TRuzozAdProc(TComponent* AOwner);
  ~TRuzozAdProc() override;

  bool AutoUndo() const { return autoUndo_; }
  void SetAutoUndo(bool Value) { autoUndo_ = Value; }
  TIEView* AttachedRuzozAd() const { return view_; }
  void SetAttachedRuzozAd(TIEView* View);
  TImage* AttachedTImage() const { return image_; }
  void SetAttachedTImage(TImage* Image);
  void AttachBitmap(TBitmap* Bitmap);
  TColor Background() const;
  void SetBackground(TColor Value);
  TMsgLanguage MsgLanguage() const { return msgLanguage_; }
  void SetMsgLanguage(TMsgLanguage Value) { msgLanguage_ = Value; }
  TPRPreviewsParams PreviewsParams() const { return previewsParams_; }
  void SetPreviewsParams(TPRPreviewsParams Value) { previewsParams_ = Value; }
  TFont* PreviewFont() const { return previewFont_.get(); }
  void SetPreviewFont(TFont* Value);
  Integer UndoLimit() const { return undoLimit_; }
  void SetUndoLimit(Integer Value) { undoLimit_ = Value < 1 ? 1 : Value; }
  TIEStorageLocation UndoLocation() const { return undoLocation_; }
  void SetUndoLocation(TIEStorageLocation Value) { undoLocation_ = Value; }
  // The picture the operations work on.
  TIEBitmap* WorkingBitmap() const { return working_; }
  bool OwnsWorkingBitmap() const { return own_ != nullptr && own_.get() == working_; }
  TBitmap* AttachedBitmap() const { return attachedBitmap_; }

  // Undo and redo; entry 0 of the captions is the oldest.
  Integer UndoCount() const { return static_cast<Integer>(undo_.size()); }
  Integer RedoCount() const { return static_cast<Integer>(redo_.size()); }
  const std::string& UndoCaption(Integer Index) const { return undo_.at(static_cast<size_t>(Index)).Caption; }
  const std::string& RedoCaption(Integer Index) const { return redo_.at(static_cast<size_t>(Index)).Caption; }
  void PushUndoWithCaption(const std::string& Caption, Integer Kind);
  virtual void PushUndoSnapshot(Integer Kind);
  virtual void RestoreLastUndo();
  virtual void RestoreUndoAt(Integer N);
  virtual void PushRedoSnapshot(Integer Kind);
  virtual void DropLastRedo();
  virtual void RestoreLastRedo();
  virtual void RestoreRedoAt(Integer N);
  void ClearUndoSnapshots();
  void ClearRedoSnapshots();

  // The region operations work on (X2 and Y2 exclusive); true with a selection.
  virtual bool GetWorkRegion(Integer& X1, Integer& Y1, Integer& X2, Integer& Y2, TPoint*& Points, Integer& PointCount,
                             TIEMask*& Mask);
  void NotifyImageChanged();
  // The listener registered with the attached view.
  void ViewChanged(TIEView* Sender, bool Destroying);

  // Colour-depth conversion.
  void ConvertTo(Integer Colors, bool Threshold);
  void ConvertToPalette(Integer Colors, TIEColorTriple* Palette, bool Threshold);
  void ConvertToGray();

  TIEPreviewEvent OnPreview;
  TIEProgressEvent OnProgress;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  struct Entry {
    std::unique_ptr<TIEBitmap> Bitmap;     // kind 1: the picture
    std::unique_ptr<TMemoryStream> State;  // kind 2: a view's selection state
    std::string Caption;
  };
  void Prologue();
  void DetachListener();
  void UseOwnBitmap();
  void ReleasePicture();
  void SetOwnBitmapWrapping(TBitmap* Bitmap);
  bool PushSnapshot(std::vector<Entry>& List, Integer Kind);
  void RestoreAt(std::vector<Entry>& List, Integer N);
  void ReduceColors(Integer Colors, TIEColorTriple* Palette, bool Threshold);

  bool autoUndo_ = true;
  TIEView* view_ = nullptr;
  TIEListenerHandle listener_ = IENoListener;
  TColor background_ = 0;
  TMsgLanguage msgLanguage_ = msSystem;
  TPRPreviewsParams previewsParams_;
  std::unique_ptr<TFont> previewFont_;
  TImage* image_ = nullptr;
  TIEBitmap* working_ = nullptr;
  std::unique_ptr<TIEBitmap> own_;
  std::vector<Entry> undo_;
  TIEStorageLocation undoLocation_ = islMappedFile;
  Integer undoLimit_ = 1;
  std::vector<Entry> redo_;
  TBitmap* attachedBitmap_ = nullptr;
  uint64_t pushed_ = 0;  // snapshots pushed so far
};

// The bitmap of an image control's picture and the control as a component.
TBitmap* ImageControlBitmap(TImage* Image);
TComponent* ImageControlComponent(TImage* Image);
