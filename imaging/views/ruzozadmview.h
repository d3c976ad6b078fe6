// TRuzozAdMView: the thumbnail view. A grid of equal cells, one per image,
// with captions, a single or multiple selection, keyboard and mouse
// navigation, a wallpaper, loading by file name on demand (synchronously or
// through a pool of background loaders driven by a starter thread) and
// playback of the images as an animation.
//
// Sources by topic: ruzozadmview.cpp (list, storing, layout, scrolling),
// ruzozadmview_paint.cpp (painting, selection, mouse and keys),
// ruzozadmview_load.cpp (loaders, starter thread, playback).
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "imaging/buffer/zezivori.h"
#include "imaging/formats/ruzozadmio.h"
#include "imaging/views/ieview.h"
#include "platform/Graphics.h"
#include "platform/StdCtrls.h"

class TRuzozAdIO;
class TRuzozAdProc;
class TRuzozAdMView;
class TIEStarter;

enum TIEStoreType : Byte { ietNormal, ietThumb };
enum TIEMMouseInteractItems : Byte { mmiScroll, mmiSelect };
using TIEMMouseInteract = TEnumSet<TIEMMouseInteractItems>;
enum TIEMKeyInteractItems : Byte { mkiMoveSelected };
using TIEMKeyInteract = TEnumSet<TIEMKeyInteractItems>;
enum TIEMultiSelectionOptionsItems : Byte { iemoRegion };
using TIEMultiSelectionOptions = TEnumSet<TIEMultiSelectionOptionsItems>;
enum TIEMDisplayMode : Byte { mdGrid, mdSingle };
enum TIEMStyle : Byte { iemsFlat, iemsACD };
enum TIESStyle : Byte { iessAround, iessACD };
enum TIEWallPaperStyle : Byte { iewoNormal, iewoStretch, iewoTile };

using TViewChangeEvent = TEvent<TObject* /*Sender*/, Integer /*Change*/>;
using TIEImageSelectEvent = TEvent<TObject* /*Sender*/, Integer /*idx*/>;
using TIEImageDrawEvent = TEvent<TObject* /*Sender*/, Integer /*idx*/, Integer /*Left*/, Integer /*Top*/, TCanvas*>;
using TIEMProgressEvent = TEvent<TObject* /*Sender*/, Integer /*per*/, Integer /*idx*/>;
using TIEImageIDRequestEvent = TEvent<TObject* /*Sender*/, Integer /*ID*/, TBitmap*& /*Bitmap*/>;
using TIEWrongImageEvent = TEvent<TObject* /*Sender*/, TIEBitmap* /*OutBitmap*/, Integer /*idx*/, bool& /*Handled*/>;

// A caption of a cell: 0 top, 1 info, 2 bottom.
class TIEMText : public TObject {
 public:
  T_CLASSNAME(TIEMText)
  TIEMText(TObject* Owner, Integer Position);
  std::string Caption;
  TFont* Font() const { return font_.get(); }
  TColor Background = clBtnFace;
  TObject* Owner() const { return owner_; }
  Integer Position() const { return position_; }

 private:
  std::unique_ptr<TFont> font_;
  TObject* owner_;
  Integer position_;
};

// The view's private message: a background load stored the selected entry.
constexpr UINT IEM_SELECTEDLOADED = WM_APP + 0x0F12;

class TRuzozAdMView : public TIEView, public IIEMultiView {
 public:
  T_CLASSNAME(TRuzozAdMView)
  explicit TRuzozAdMView(TComponent* AOwner);
  ~TRuzozAdMView() override;

  // --- Image list ---------------------------------------------------------------
  Integer EntryCount() override;
  void InsertEntry(Integer Index) override;
  bool DeleteEntry(Integer Index);
  void StoreEntryBitmap(Integer Index, TIEBitmap* Bitmap) override;
  void StoreEntryTBitmap(Integer Index, TBitmap* Bitmap);
  void StoreFrameDelay(Integer Index, Integer Milliseconds) override;
  Integer FrameDelay(Integer Index) const;
  void StoreSourceWidth(Integer Index, Integer Value);
  void StoreSourceHeight(Integer Index, Integer Value);
  Integer SourceWidth(Integer Index) const;
  Integer SourceHeight(Integer Index) const;
  Integer EntryRow(Integer Index) const;
  Integer EntryColumn(Integer Index) const;
  TPoint EntryCellOrigin(Integer Index) const;
  Integer TakeLastChange() override;
  Integer LastChangeIndex() override { return lastChangeIndex_; }
  // The application's way to name what an entry loads from (both stay unset
  // from insertion on): a file name or an image ID for OnImageIDRequest.
  void SetEntryFileName(Integer Index, const std::string& FileName);
  std::string EntryFileName(Integer Index) const;
  void SetEntryImageID(Integer Index, Integer ID);
  // Caption 0 top, 1 info, 2 bottom of an entry; nil outside the list.
  TIEMText* EntryText(Integer Index, Integer Position) const;
  TColor EntryBackground(Integer Index) const;
  bool EntryHasImage(Integer Index) const;
  // Size of the stored picture (0 x 0 without one).
  TPoint StoredImageSize(Integer Index) const;
  // A copy of the stored picture (false without one).
  bool CopyStoredImage(Integer Index, TIEBitmap* Dest) const;

  // --- TIEView ------------------------------------------------------------------
  void SetBackground(TColor Value) override;
  TBitmap* CurrentBitmap() override { return selectedBitmap_; }
  TIEBitmap* AlphaBitmap() override { return nullptr; }
  bool AlphaBitmapPresent() override { return false; }
  void FlattenAlpha(bool) override {}
  void SuspendRefresh() override { ++updateLock_; }
  Integer ResumeRefresh() override;
  Integer ResumeRefreshQuiet() override;
  void Update() override;
  void Assign(TPersistent*) override {}

  TRuzozAdMIO* OwnMIO();
  TRuzozAdProc* OwnProc();
  virtual void DoViewChange(Integer Change);

  // --- Layout and scrolling -----------------------------------------------------
  void LayoutCells();
  Integer ScrollX() const { return scrollX_; }
  Integer ScrollY() const { return scrollY_; }
  void SetScrollX(Integer Value) { SetScrollXY(Value, scrollY_); }
  void SetScrollY(Integer Value) { SetScrollXY(scrollX_, Value); }
  void SetScrollXY(Integer X, Integer Y);
  Integer ContentWidth() const { return contentW_; }
  Integer ContentHeight() const { return contentH_; }
  Integer EntryAt(Integer X, Integer Y) const;
  Integer EntryOfCell(Integer Column, Integer Row) const;
  // Columns of the grid: GridWidth, or as many as fit for -1.
  Integer GridColumns() const;
  TIEScrollBarParams* VScrollBarParams() const { return vParams_.get(); }
  TIEScrollBarParams* HScrollBarParams() const { return hParams_.get(); }

  // --- Selection and painting ---------------------------------------------------
  Integer SelectedEntry() const { return selected_; }
  void SelectEntry(Integer Index);
  void SetSelectedEntry(Integer Index);
  void DeselectAll();
  void DeselectAllAndUpdate();
  void SelectAt(Integer X, Integer Y, TShiftState Shift);
  void Navigate(Integer Code);
  // 0 apart, 1 crossing, 2 inside the client rectangle.
  Integer EntryVisibility(Integer Index) const;
  bool IsEntryVisible(Integer Index) const;
  Integer MultiSelectedCount() const { return static_cast<Integer>(multi_.size()); }
  Integer MultiSelectedEntry(Integer K) const { return multi_[static_cast<size_t>(K)]; }
  bool IsSelectedLook(Integer Index) const;
  void PaintCells(TCanvas* Canvas);
  bool AlwaysScale = true;
  bool UseDisplayCache = true;
  bool ScrollBarsAlwaysVisible = false;
  bool SelectNone = false;
  bool LoopPlayback = true;
  TResampleFilter ThumbnailFilter = rfFastLinear;

  // --- Loading ------------------------------------------------------------------
  bool QueueEntryLoad(Integer Index);
  bool LoadEntryNow(Integer Index);
  void CancelLoaders();
  void MakeWrongImage(TIEBitmap* Bitmap, Integer Index);
  // Loads queued or running (for tests and callers that wait).
  Integer QueuedCount() const;
  Integer RunningLoaderCount() const;

  // --- Playback -----------------------------------------------------------------
  bool Playing() const { return playing_; }
  void SetPlaying(bool Value);
  void PlaybackStep();
  Integer PlaybackFrame() const { return frame_; }
  // The interval of the playback timer last set (0 when none runs).
  Integer PlaybackInterval() const { return timerMs_; }

  // --- Published properties -----------------------------------------------------
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle Value);
  TIEStoreType StoreType() const { return storeType_; }
  void SetStoreType(TIEStoreType Value) { storeType_ = Value; }
  Integer ThumbWidth() const { return thumbW_; }
  void SetThumbWidth(Integer Value);
  Integer ThumbHeight() const { return thumbH_; }
  void SetThumbHeight(Integer Value);
  Integer HorizBorder() const { return hBorder_; }
  void SetHorizBorder(Integer Value) { StoreAndUpdate(hBorder_, Value); }
  Integer VertBorder() const { return vBorder_; }
  void SetVertBorder(Integer Value) { StoreAndUpdate(vBorder_, Value); }
  Integer BottomGap() const { return bottomGap_; }
  void SetBottomGap(Integer Value) { StoreAndUpdate(bottomGap_, Value); }
  Integer UpperGap() const { return upperGap_; }
  void SetUpperGap(Integer Value) { StoreAndUpdate(upperGap_, Value); }
  bool VisibleSelection() const { return visibleSelection_; }
  void SetVisibleSelection(bool Value) { StoreAndUpdate(visibleSelection_, Value); }
  TIEMMouseInteract MouseInteract() const { return mouseInteract_; }
  void SetMouseInteract(TIEMMouseInteract Value) { mouseInteract_ = Value; }
  TIEMKeyInteract KeyInteract() const { return keyInteract_; }
  void SetKeyInteract(TIEMKeyInteract Value) { keyInteract_ = Value; }
  TIEMDisplayMode DisplayMode() const { return displayMode_; }
  void SetDisplayMode(TIEMDisplayMode Value);
  Integer GridWidth() const { return gridWidth_; }
  void SetGridWidth(Integer Value) { StoreAndUpdate(gridWidth_, Value); }
  Integer SelectionWidth() const { return selectionWidth_; }
  void SetSelectionWidth(Integer Value) { StoreAndUpdate(selectionWidth_, Value); }
  TColor SelectionColor() const { return selectionColor_; }
  void SetSelectionColor(TColor Value) { StoreAndUpdate(selectionColor_, Value); }
  bool RemoveCorrupted() const { return removeCorrupted_; }
  void SetRemoveCorrupted(bool Value) { StoreAndUpdate(removeCorrupted_, Value); }
  bool DrawImageBackground() const { return drawImageBackground_; }
  void SetDrawImageBackground(bool Value) { StoreAndUpdate(drawImageBackground_, Value); }
  Integer ImageCacheSize() const { return imageCacheSize_; }
  void SetImageCacheSize(Integer Value);
  TIEMStyle Style() const { return style_; }
  void SetStyle(TIEMStyle Value) { StoreAndUpdate(style_, Value); }
  TIESStyle SelectionStyle() const { return selectionStyle_; }
  void SetSelectionStyle(TIESStyle Value) { StoreAndUpdate(selectionStyle_, Value); }
  TColor ThumbnailsBackground() const { return thumbsBackground_; }
  void SetThumbnailsBackground(TColor Value) { thumbsBackground_ = Value; }
  bool EnableMultiSelect() const { return enableMultiSelect_; }
  void SetEnableMultiSelect(bool Value) { StoreAndUpdate(enableMultiSelect_, Value); }
  TIEMultiSelectionOptions MultiSelectionOptions() const { return multiOptions_; }
  void SetMultiSelectionOptions(TIEMultiSelectionOptions Value) { multiOptions_ = Value; }
  Integer ThumbnailsBorderWidth() const { return thumbsBorderWidth_; }
  void SetThumbnailsBorderWidth(Integer Value) { StoreAndUpdate(thumbsBorderWidth_, Value); }
  TColor ThumbnailsBorderColor() const { return thumbsBorderColor_; }
  void SetThumbnailsBorderColor(TColor Value) { StoreAndUpdate(thumbsBorderColor_, Value); }
  TPicture* WallPaper() const { return wallpaper_.get(); }
  void SetWallPaper(TPicture* Value);
  TIEWallPaperStyle WallPaperStyle() const { return wallpaperStyle_; }
  void SetWallPaperStyle(TIEWallPaperStyle Value) { StoreAndUpdate(wallpaperStyle_, Value); }
  Integer ThreadPoolSize() const { return threadPoolSize_; }
  void SetThreadPoolSize(Integer Value) { threadPoolSize_ = Value; }
  // Stores OnProgress and hands it to the own multi-image I/O and processing components.
  void SetOnProgress(const TIEProgressEvent& Value);

  TIEProgressEvent OnProgress;
  TViewChangeEvent OnViewChange;
  TIEImageSelectEvent OnImageSelect;
  TIEImageDrawEvent OnImageDraw;
  TIEImageDrawEvent OnBeforeImageDraw;
  TIEMProgressEvent OnDrawProgress;
  TIEImageIDRequestEvent OnImageIDRequest;
  TIEWrongImageEvent OnWrongImage;
  TIEProgressEvent OnIOProgress;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& Message) override;
  void Paint() override;
  void WMSize(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void WMHScroll(TMessage& Message) override;
  void WMVScroll(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMLButtonDblClk(TMessage& Message) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  friend class TIEStarter;
  struct Entry;
  class LibraryLockGuard;

  template <class T>
  void StoreAndUpdate(T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    Update();
  }
  Entry* EntryPtr(Integer Index) const;
  bool InList(Integer Index) const { return Index >= 0 && Index < static_cast<Integer>(entries_.size()); }
  void DropDisplayCache();
  void DropDisplayOf(Entry* E);
  // Makes the picture to store (unchanged, or a thumbnail): nil means "store
  // Bitmap itself", else the caller frees the copy.
  std::unique_ptr<TIEBitmap> MakeThumbnail(TIEBitmap* Bitmap) const;
  // Stores under the lock; true when Index is the selected entry.
  bool StoreEntryCore(Integer Index, TIEBitmap* Bitmap, Integer SrcW, Integer SrcH);
  void RetakeSelectedBitmap();
  void ReleaseSelectedBitmap();
  void UpdateScrollBars();
  void ScrollBarMessage(TMessage& Message, bool Vertical);
  void DrawCell(TCanvas* Canvas, Entry* E, Integer Index, bool SelectedLook);
  void DrawStoredImage(HDC Dc, Entry* E, Integer X, Integer Y, Integer W, Integer H);
  void PaintWallpaper(TCanvas* Canvas);
  void ScrollToShow(Integer Index, bool Upwards);
  Integer PageEntries() const;
  bool CellVisibleLocked(Integer Index) const;
  void AdjustLoadIndices(Integer Index, Integer Delta);

  // Loading (ruzozadmview_load.cpp).
  void ReapLoaders();
  void PruneRequests();
  void LoaderFinished(TObject* Sender);
  void StartLoads();
  void WakeStarter();
  void StopStarterAndLoaders();
  void StopPlaybackTimer();
  bool LoadWithOwnIO(Integer Index, TIEBitmap* Bitmap);
  void PrepareLoader(TRuzozAdIO* IO, const Entry* E, TIEBitmap* Bitmap);

  std::vector<std::unique_ptr<Entry>> entries_;
  std::unique_ptr<TIEVirtualDIBList> imageCache_;
  std::unique_ptr<TIEVirtualDIBList> displayCache_;
  Integer scrollX_ = 0, scrollY_ = 0;
  double ratioX_ = 1.0, ratioY_ = 1.0;
  Integer contentW_ = 0, contentH_ = 0;
  // The client size, kept for the starter thread's visibility tests.
  std::atomic<Integer> viewW_{0}, viewH_{0};
  Integer selected_ = -1;
  TBitmap* selectedBitmap_ = nullptr;
  std::vector<Integer> multi_;
  Integer lastChange_ = lcNone;
  Integer lastChangeIndex_ = 0;
  Integer updateLock_ = 0;
  bool inUpdate_ = false;
  bool destroying_ = false;
  bool doubleClicked_ = false;
  TPoint downPos_{0, 0};
  Integer downScrollX_ = 0, downScrollY_ = 0;
  Integer downCell_ = -1, dragCell_ = -1;
  bool dragSelected_ = false;
  bool buttonDown_ = false;
  bool adding_ = false;
  bool keepOnReselect_ = false;
  HANDLE drawDib_ = nullptr;
  std::unique_ptr<TIEScrollBarParams> vParams_, hParams_;
  TRuzozAdIO* ownIO_ = nullptr;      // owned (component with the view as owner)
  TRuzozAdMIO* ownMIO_ = nullptr;    // owned, made on demand
  TRuzozAdProc* ownProc_ = nullptr;  // owned, made on demand
  std::unique_ptr<TPicture> wallpaper_;

  // Loading state, all under ImageLibraryLock.
  std::vector<Integer> queue_;
  std::vector<TRuzozAdIO*> loaders_;  // owned
  TIEStarter* starter_ = nullptr;     // owned
  HANDLE wake_ = nullptr;             // auto-reset event the starter waits on
  std::atomic<HWND> wnd_{nullptr};    // for loaders' repaint requests
  bool closing_ = false;              // set first in the destructor, under the lock

  // Playback.
  bool playing_ = false;
  Integer frame_ = 0;
  Integer timerMs_ = 0;
  bool stepGuard_ = false;
  TIEMDisplayMode savedMode_ = mdGrid;
  Integer savedSelected_ = -1;

  // Properties.
  TScrollStyle scrollBars_ = ssBoth;
  TIEStoreType storeType_ = ietNormal;
  Integer thumbW_ = 100, thumbH_ = 100;
  Integer hBorder_ = 4, vBorder_ = 4;
  Integer bottomGap_ = 0, upperGap_ = 0;
  bool visibleSelection_ = true;
  TIEMMouseInteract mouseInteract_ = TIEMMouseInteract{mmiSelect};
  TIEMKeyInteract keyInteract_ = TIEMKeyInteract{mkiMoveSelected};
  TIEMDisplayMode displayMode_ = mdGrid;
  Integer gridWidth_ = 0;
  Integer selectionWidth_ = 3;
  TColor selectionColor_ = 255;
  bool removeCorrupted_ = false;
  bool drawImageBackground_ = false;
  Integer imageCacheSize_ = 10;
  TIEMStyle style_ = iemsACD;
  TIESStyle selectionStyle_ = iessAround;
  TColor thumbsBackground_ = clBtnFace;
  bool enableMultiSelect_ = false;
  TIEMultiSelectionOptions multiOptions_;
  Integer thumbsBorderWidth_ = 0;
  TColor thumbsBorderColor_ = clBtnFace;
  TIEWallPaperStyle wallpaperStyle_ = iewoNormal;
  Integer threadPoolSize_ = 5;
};

// Fits W x H into MaxW x MaxH keeping the proportions (each side at least 1);
// a zero side gives MaxW x MaxH.
void FitSizeInto(Integer W, Integer H, Integer MaxW, Integer MaxH, Integer& OutW, Integer& OutH);
