// The visual control classes: TControl (any control with bounds, alignment,
// colours, font, mouse events), TWinControl (a control with a window),
// TCustomControl (a windowed control that paints itself on a canvas) and
// TGraphicControl (a windowless control painted by its parent).
//
// Messages. Every control has a virtual WndProc(TMessage&); the base WndProc
// does the work common to all controls (mouse events, capture, hints) and then
// calls Dispatch, which routes the messages the class library handles to the
// virtual handler methods (WMPaint, CMEnabledChanged, ...) and everything else
// to DefaultHandler (the window's previous window procedure, DefWindowProcW for
// our own classes). A subclass handles a message either by overriding its
// handler method and calling the base method for the inherited behaviour, or,
// for a message without a handler method, by overriding Dispatch (or WndProc)
// and calling the base for the messages it does not take.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Classes.h"
#include "platform/Graphics.h"
#include "platform/Messages.h"
#include "platform/System.h"

class TControl;
class TWinControl;
class TCustomForm;
class TPopupMenu;  // the menu classes define it; it implements IPopupMenu
class TDragDockObject;
class TBasicAction;         // actions and their links: ActnList.h
class TControlActionLink;

// ---------------------------------------------------------------------------
// Enumerations and sets.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TEnumSet<TAnchorKind>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TEnumSet<TShiftStateItem>;

enum TControlStyleItem {
  csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption,
  csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
  csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents
};
using TControlStyle = TEnumSet<TControlStyleItem>;

enum TControlStateItem {
  csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating,
  csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking
};
using TControlState = TEnumSet<TControlStateItem>;

enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TFormBorderStyle = TBorderStyle;

// Cursors: the numbers of the screen's cursor list (TScreen::Cursors).
using TCursor = SmallInt;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSize = -22;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// Modal results.
using TModalResult = Integer;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;
constexpr TModalResult mrAll = mrNo + 1;
constexpr TModalResult mrNoToAll = mrAll + 1;
constexpr TModalResult mrYesToAll = mrNoToAll + 1;

// ---------------------------------------------------------------------------
// Events.
using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, Integer, Integer>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, Integer, Integer>;
using TKeyEvent = TEvent<TObject*, Word&, TShiftState>;
using TKeyPressEvent = TEvent<TObject*, char&>;
using TContextPopupEvent = TEvent<TObject*, TPoint, bool&>;
using TMouseWheelEvent = TEvent<TObject*, TShiftState, Integer, TPoint, bool&>;
using TMouseWheelUpDownEvent = TEvent<TObject*, TShiftState, TPoint, bool&>;
using TDragOverEvent = TEvent<TObject*, TObject*, Integer, Integer, TDragState, bool&>;
using TDragDropEvent = TEvent<TObject*, TObject*, Integer, Integer>;
using TEndDragEvent = TEvent<TObject*, TObject*, Integer, Integer>;
using TStartDragEvent = TEvent<TObject*, TObject*&>;
using TStartDockEvent = TEvent<TObject*, TDragDockObject*&>;
using TDockDropEvent = TEvent<TObject*, TDragDockObject*, Integer, Integer>;
using TDockOverEvent = TEvent<TObject*, TDragDockObject*, Integer, Integer, TDragState, bool&>;
using TUnDockEvent = TEvent<TObject*, TControl*, TWinControl*, bool&>;
// A replaceable window procedure (TControl::WindowProc).
using TWndMethod = TEvent<TMessage&>;

// The shift state of a key message's key data (Alt from bit 29) plus the
// current Shift and Ctrl keys.
TShiftState KeyDataToShiftState(LPARAM KeyData);
// The shift state of a mouse message's WParam.
TShiftState MouseKeysToShiftState(WPARAM Keys);
// The current key state of Shift, Ctrl and Alt.
TShiftState KeyboardStateToShiftState();

// Characters reach KeyPress and OnKeyPress (a char) in the ANSI code page: a
// character of a WM_CHAR (UTF-16) as its single byte there, '?' when that
// code page has none for it. A handler that leaves the key unchanged passes
// the original character on; 0 swallows it; another byte replaces it.
char KeyPressChar(WPARAM WideChar);
WPARAM KeyPressCharToWide(char Key);

// ---------------------------------------------------------------------------
// What a control needs of its popup menu; the popup menu class implements it.
class IPopupMenu {
 public:
  virtual ~IPopupMenu() = default;
  // Shows the menu at a screen point.
  virtual void Popup(Integer X, Integer Y) = 0;
  // The control whose menu is shown (PopupComponent).
  virtual void SetPopupComponent(TComponent* Component) = 0;
  virtual bool AutoPopup() const { return true; }
};

// Minimum and maximum sizes of a control; 0 means no limit.
class TSizeConstraints : public TPersistent {
 public:
  T_CLASSNAME(TSizeConstraints)
  explicit TSizeConstraints(TControl* Control) : control_(Control) {}
  void Assign(TPersistent* Source) override;
  Integer MaxHeight() const { return maxHeight_; }
  Integer MaxWidth() const { return maxWidth_; }
  Integer MinHeight() const { return minHeight_; }
  Integer MinWidth() const { return minWidth_; }
  void SetMaxHeight(Integer Value);
  void SetMaxWidth(Integer Value);
  void SetMinHeight(Integer Value);
  void SetMinWidth(Integer Value);
  TControl* Control() const { return control_; }
  TNotifyEvent OnChange;

 private:
  void Change();
  TControl* control_;
  Integer maxHeight_ = 0, maxWidth_ = 0, minHeight_ = 0, minWidth_ = 0;
};

// Hint information handed to a control in CM_HINTSHOW (LParam points to it).
struct THintInfo {
  TControl* HintControl = nullptr;
  TPoint HintPos;             // screen position of the hint window
  Integer HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TRect CursorRect;           // the hint stays while the cursor is inside (client coordinates)
  TPoint CursorPos;           // client coordinates
  Integer ReshowTimeout = 0;
  Integer HideTimeout = 0;
  std::string HintStr;
  void* HintData = nullptr;
};

// ---------------------------------------------------------------------------
// Docking.
//
// A TWinControl with DockSite on accepts controls dragged onto it with DragKind
// dkDock (or docked by ManualDock); those become its dock clients and it their
// HostDockSite. With UseDockManager on, its dock manager (a TDockTree unless
// CreateDockManager says otherwise, see DockTree.h) lays the clients out in
// zones with a grabber each. A client dropped where no site accepts floats in a
// small tool window (TCustomDockForm); a form floats as itself.

// The layout of a dock site's clients.
class IDockManager {
 public:
  virtual ~IDockManager() = default;
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  // Where the control's frame (grabber included) lies, site client coordinates.
  virtual void GetControlBounds(TControl* Control, TRect& CtlBounds) = 0;
  // Adds a client beside DropCtl (or beside everything) on side InsertAt.
  virtual void InsertControl(TControl* Control, TAlign InsertAt, TControl* DropCtl) = 0;
  // Paints the grabbers of the clients.
  virtual void PaintSite(HDC DC) = 0;
  // The screen rectangle a client dropped beside DropCtl on DropAlign would take.
  virtual void PositionDockRect(TControl* Client, TControl* DropCtl, TAlign DropAlign, TRect& DockRect) = 0;
  virtual void RemoveControl(TControl* Control) = 0;
  // Lays the clients out again (Force: even when the site's size is unchanged).
  virtual void ResetBounds(bool Force) = 0;
};

// The drag object of a dock drag (and of ManualDock): the control, where it
// would land (DockRect, screen coordinates), and beside which client.
class TDragDockObject : public TObject {
 public:
  T_CLASSNAME(TDragDockObject)
  explicit TDragDockObject(TControl* AControl) : control_(AControl) {}
  TControl* Control() const { return control_; }
  void SetControl(TControl* Value) { control_ = Value; }
  const TRect& DockRect() const { return dockRect_; }
  void SetDockRect(const TRect& Value) { dockRect_ = Value; }
  TAlign DropAlign() const { return dropAlign_; }
  void SetDropAlign(TAlign Value) { dropAlign_ = Value; }
  TControl* DropOnControl() const { return dropOnControl_; }
  void SetDropOnControl(TControl* Value) { dropOnControl_ = Value; }
  // True while the control would float when dropped now.
  bool Floating() const { return floating_; }
  void SetFloating(bool Value) { floating_ = Value; }
  TWinControl* DragTarget() const { return dragTarget_; }
  void SetDragTarget(TWinControl* Value) { dragTarget_ = Value; }
  // Screen position of the mouse.
  TPoint DragPos() const { return dragPos_; }
  void SetDragPos(TPoint Value) { dragPos_ = Value; }
  // Where the control was grabbed, as a fraction of its width and height.
  double MouseDeltaX() const { return mouseDeltaX_; }
  double MouseDeltaY() const { return mouseDeltaY_; }
  void SetMouseDelta(double X, double Y) {
    mouseDeltaX_ = X;
    mouseDeltaY_ = Y;
  }
  // Width of the rectangle drawn for a floating drop (a docking drop draws 1).
  Integer FrameWidth() const { return 4; }
  // Lets the object adjust a floating rectangle before it is shown.
  virtual void AdjustDockRect(TRect& /*ARect*/) {}

 private:
  TControl* control_;
  TRect dockRect_;
  TAlign dropAlign_ = alNone;
  TControl* dropOnControl_ = nullptr;
  bool floating_ = false;
  TWinControl* dragTarget_ = nullptr;
  TPoint dragPos_;
  double mouseDeltaX_ = 0, mouseDeltaY_ = 0;
};

// CM_DOCKCLIENT as a record: the drag object and the mouse position (site client coordinates).
struct TCMDockClient {
  TDragDockObject* DockSource;
  TPoint MousePos;
  explicit TCMDockClient(const TMessage& M)
      : DockSource(reinterpret_cast<TDragDockObject*>(M.WParam)), MousePos(MessagePoint(M.LParam)) {}
};
// CM_UNDOCKCLIENT as a record: the site the client goes to (or none) and the client.
struct TCMUnDockClient {
  TWinControl* NewTarget;
  TControl* Client;
  explicit TCMUnDockClient(const TMessage& M)
      : NewTarget(reinterpret_cast<TWinControl*>(M.WParam)), Client(reinterpret_cast<TControl*>(M.LParam)) {}
};
// CM_DOCKNOTIFICATION as a record: the client and what changed.
struct TCMDockNotification {
  TControl* Client;
  const TDockNotifyRec* NotifyRec;
  explicit TCMDockNotification(const TMessage& M)
      : Client(reinterpret_cast<TControl*>(M.WParam)), NotifyRec(reinterpret_cast<const TDockNotifyRec*>(M.LParam)) {}
};

// ---------------------------------------------------------------------------
// TControl.
class TControl : public TComponent {
  friend class TWinControl;
  friend class TDockTree;
  friend class TCustomForm;  // scales its controls (ChangeScale)

 public:
  T_CLASSNAME(TControl)
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // Message handling.
  virtual void WndProc(TMessage& Message);
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);
  // Sends a message straight to WindowProc (no window needed).
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  // The procedure every message to the control goes through: WndProc while
  // empty. A class that watches a control's messages stores the current value,
  // puts its own procedure here, passes messages on to the stored one (or to
  // WndProc when it was empty) and puts it back when done.
  TWndMethod WindowProc;

  // Parent.
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* AParent);
  bool HasParent() const override;
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

  // Bounds (in the parent's client coordinates).
  Integer Left() const { return left_; }
  Integer Top() const { return top_; }
  Integer Width() const { return width_; }
  Integer Height() const { return height_; }
  void SetLeft(Integer Value) { SetBounds(Value, top_, width_, height_); }
  void SetTop(Integer Value) { SetBounds(left_, Value, width_, height_); }
  void SetWidth(Integer Value) { SetBounds(left_, top_, Value, height_); }
  void SetHeight(Integer Value) { SetBounds(left_, top_, width_, Value); }
  virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
  TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
  virtual TRect GetClientRect();
  TRect ClientRect() { return GetClientRect(); }
  Integer ClientWidth() { return ClientRect().Width(); }
  Integer ClientHeight() { return ClientRect().Height(); }
  void SetClientWidth(Integer Value);
  void SetClientHeight(Integer Value);
  virtual void SetClientSize(Integer W, Integer H);
  // Screen position of the client area's origin.
  virtual TPoint ClientOrigin();
  TPoint ClientToScreen(const TPoint& P);
  TPoint ScreenToClient(const TPoint& P);
  TSizeConstraints* Constraints() const { return constraints_.get(); }
  void SetConstraints(TSizeConstraints* Value) { constraints_->Assign(Value); }

  TAlign Align() const { return align_; }
  void SetAlign(TAlign Value);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors Value);

  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  void Show();
  void Hide();
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool Value);
  // Whether the control is visible and every parent up to a form is.
  bool IsVisibleOnScreen() const;

  // Caption and Text are the same string.
  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& Value) { SetText(Value); }
  std::string Text() const { return GetText(); }
  void SetText(const std::string& Value);
  Integer GetTextLen() const { return static_cast<Integer>(GetText().size()); }

  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool Value);
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* Value) { font_->Assign(Value); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool Value);

  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value) { hint_ = Value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool Value);

  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor Value);

  // The popup menu (a TPopupMenu; reference, not owned).
  template <class M = TPopupMenu>
  M* PopupMenu() const {
    return dynamic_cast<M*>(popupMenu_);
  }
  TComponent* PopupMenuComponent() const { return popupMenu_; }
  void SetPopupMenu(TComponent* Value);

  TControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TControlStyle Value) { controlStyle_ = Value; }
  TControlState ControlState() const { return controlState_; }
  void SetControlState(TControlState Value) { controlState_ = Value; }

  bool MouseCapture() const;
  void SetMouseCapture(bool Value);

  // Drag and dock (DragKind dkDock: see Docking above).
  TDragMode DragMode() const { return dragMode_; }
  void SetDragMode(TDragMode Value) { dragMode_ = Value; }
  TDragKind DragKind() const { return dragKind_; }
  void SetDragKind(TDragKind Value) { dragKind_ = Value; }
  TCursor DragCursor() const { return dragCursor_; }
  void SetDragCursor(TCursor Value) { dragCursor_ = Value; }
  // Drag and drop within the application: BeginDrag (usually from MouseDown)
  // captures the mouse; once it moved Threshold pixels (-1: 5) the control
  // under the cursor gets DragOver, and releasing over a control that accepted
  // gives it DragDrop; the source gets DoEndDrag (OnEndDrag) either way.
  void BeginDrag(bool Immediate, Integer Threshold = -1);
  void EndDrag(bool Drop);
  bool Dragging() const;
  virtual void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
  virtual void DragDrop(TObject* Source, Integer X, Integer Y);
  bool AutoSize() const { return autoSize_; }
  virtual void SetAutoSize(bool Value);
  // Docking: the site the control is docked in (nullptr when not docked).
  TWinControl* HostDockSite() const { return hostDockSite_; }
  // Whether it floats: docked in a floating host, or a form standing alone.
  bool Floating() const;
  // Docks the control into NewDockSite beside DropControl on ControlSide (a
  // NewDockSite of nullptr floats it); false when the site is no dock site or
  // the present host refuses to let it go.
  bool ManualDock(TWinControl* NewDockSite, TControl* DropControl = nullptr, TAlign ControlSide = alNone);
  // Floats the control: a floating host at ScreenRect's top-left with its
  // client size (a form moves there itself).
  bool ManualFloat(const TRect& ScreenRect);
  // Moves the control into NewDockSite (nullptr: no site) at ARect (site client
  // coordinates; screen coordinates without a site); the site hears of it through
  // DoAddDockClient and the previous one through DoRemoveDockClient.
  virtual void Dock(TWinControl* NewDockSite, const TRect& ARect);
  // The size the control takes when it floats (0: its present size).
  Integer UndockWidth() const { return undockWidth_ > 0 ? undockWidth_ : width_; }
  void SetUndockWidth(Integer Value) { undockWidth_ = Value; }
  Integer UndockHeight() const { return undockHeight_ > 0 ? undockHeight_ : height_; }
  void SetUndockHeight(Integer Value) { undockHeight_ = Value; }
  TBiDiMode BiDiMode() const { return bdLeftToRight; }
  void SetBiDiMode(TBiDiMode) {}
  bool ParentBiDiMode() const { return true; }
  void SetParentBiDiMode(bool) {}
  bool UseRightToLeftAlignment() const { return false; }
  bool UseRightToLeftReading() const { return false; }
  Integer HelpContext() const { return helpContext_; }
  void SetHelpContext(Integer Value) { helpContext_ = Value; }

  // Painting.
  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();
  void SetZOrder(bool TopMost);

  // Runs OnClick, or the action when OnClick is the action's own handler.
  virtual void Click();
  virtual void DblClick();
  // The control's own context-popup step (OnContextPopup): MousePos in client
  // coordinates, (-1, -1) for the keyboard; setting Handled stops the menu.
  virtual void DoContextPopup(TPoint MousePos, bool& Handled);
  // The system palette changed (Foreground: this application's window is
  // becoming active): realises the control's palette (GetPalette) and
  // repaints when the colours moved. True when the control has a palette.
  virtual bool PaletteChanged(bool Foreground);
  // The palette the control draws with (nullptr: none).
  virtual HPALETTE GetPalette() { return nullptr; }

  // The action the control shows and runs (a reference; the link to it is
  // owned). Setting it copies the action's state (Controls_Action.cpp).
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TControlActionLink* ActionLink() const { return actionLink_.get(); }
  // Lets the action update itself (idle time).
  virtual void InitiateAction();
  // Whether a form file stores the property: not while the action supplies
  // it (linking the action again gives it back when the form is read).
  bool IsCaptionStored() const;
  bool IsCheckedStored() const;
  bool IsEnabledStored() const;
  bool IsHelpContextStored() const;
  bool IsHintStored() const;
  bool IsVisibleStored() const;
  bool IsOnClickStored() const;

 protected:
  // Copies Caption, Enabled, Hint, Visible, HelpContext and OnExecute into the
  // control; with CheckDefaults only into values still at their defaults.
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  // The link class this control uses.
  virtual std::unique_ptr<TControlActionLink> CreateActionLink();
  void DoActionChange(TObject* Sender);
  struct TActionLinkDeleter {
    void operator()(TControlActionLink* Link) const;
  };
  std::unique_ptr<TControlActionLink, TActionLinkDeleter> actionLink_;

 public:
  // Routes a wheel message (the fields of CM_MOUSEWHEEL: WParam's low byte the
  // shift state bits, high word the delta; LParam the screen point): to the
  // parent form, which gives it to its focused control, from where it climbs
  // the parents (CMMouseWheel). Message.Result is 1 when a control took it.
  virtual void MouseWheelHandler(TMessage& Message);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnResize;
  TContextPopupEvent OnContextPopup;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TDragDropEvent OnDragDrop;
  TDragOverEvent OnDragOver;
  TEndDragEvent OnEndDrag;
  TStartDragEvent OnStartDrag;
  TEndDragEvent OnEndDock;
  TStartDockEvent OnStartDock;
  TNotifyEvent OnCanResize;

  // Anchoring bookkeeping used by the parent's alignment.
  void UpdateAnchorRules();
  // How the control lines up its content (taLeftJustify unless it has an alignment).
  virtual TAlignment GetControlsAlignment() { return taLeftJustify; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  // Scales the bounds, and the font unless it is the parent's, by M/D (a
  // form read at another screen resolution).
  virtual void ChangeScale(Integer M, Integer D);
  // The mouse came over the control, or left it (CM_MOUSEENTER, CM_MOUSELEAVE).
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}

  virtual std::string GetText() const { return text_; }
  // Stores the text; windowed controls also set the window text.
  virtual void SetTextBuf(const std::string& Value);
  virtual void Resize();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos);
  virtual void ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight);
  // Tells the parent to lay out its aligned children again.
  virtual void RequestAlign();
  // Fits the size to the content when AutoSize is on (nothing by default).
  virtual void AdjustSize() {}
  virtual void DoStartDrag(TObject*& DragObject) { OnStartDrag(this, DragObject); }
  virtual void DoEndDrag(TObject* Target, Integer X, Integer Y) { OnEndDrag(this, Target, X, Y); }
  // Handles the mouse while this control drags; true when the message was taken.
  bool DragMouseMessage(TMessage& Message);
  // Dock drags (Controls_Dock.cpp).
  virtual void DoStartDock(TDragDockObject*& DragObject) { OnStartDock(this, DragObject); }
  virtual void DoEndDock(TObject* Target, Integer X, Integer Y) { OnEndDock(this, Target, X, Y); }
  // Sets the bounds for Dock (and takes the control off its parent when it floats alone).
  virtual void DoDock(TWinControl* NewDockSite, TRect& ARect);
  // The floating host for ManualFloat (a TCustomDockForm owned by the
  // application); nullptr: the control floats as itself (forms).
  virtual TWinControl* CreateFloatingDockSite(const TRect& Bounds);
  // Tells the host site of a change (CM_DOCKNOTIFICATION).
  void SendDockNotification(UINT Msg, WPARAM WParam, LPARAM LParam);
  bool DockDragMouseMessage(TMessage& Message);
  void BeginDockDrag(bool Immediate, Integer Threshold);
  void EndDockDrag(bool Drop);
  // The control being dragged to dock, or nullptr.
  static TControl* DockDragSource();
  // Leaves the host site and any dock drag (destruction).
  void DockDestroying();
  virtual void VisibleChanging() {}
  virtual TColor GetParentColorValue() const;
  void InvalidateControl(bool IsVisible, bool IsOpaque);
  // Whether ParentShowHint etc. decide: the effective show-hint flag.
  bool EffectiveShowHint() const;

  // Message handlers (see the header comment).
  virtual void WMLButtonDown(TMessage& Message);
  virtual void WMRButtonDown(TMessage& Message);
  virtual void WMMButtonDown(TMessage& Message);
  virtual void WMLButtonDblClk(TMessage& Message);
  virtual void WMRButtonDblClk(TMessage& Message);
  virtual void WMMButtonDblClk(TMessage& Message);
  virtual void WMMouseMove(TMessage& Message);
  virtual void WMLButtonUp(TMessage& Message);
  virtual void WMRButtonUp(TMessage& Message);
  virtual void WMMButtonUp(TMessage& Message);
  virtual void WMMouseWheel(TMessage& Message);
  virtual void CMMouseWheel(TMessage& Message);
  virtual void WMCancelMode(TMessage& Message);
  virtual void WMWindowPosChanged(TMessage& Message);
  virtual void CMVisibleChanged(TMessage& Message);
  virtual void CMEnabledChanged(TMessage& Message);
  virtual void CMFontChanged(TMessage& Message);
  virtual void CMColorChanged(TMessage& Message);
  virtual void CMParentFontChanged(TMessage& Message);
  virtual void CMParentColorChanged(TMessage& Message);
  virtual void CMParentShowHintChanged(TMessage& Message);
  virtual void CMTextChanged(TMessage& Message);
  virtual void CMMouseEnter(TMessage& Message);
  virtual void CMMouseLeave(TMessage& Message);
  virtual void CMHintShow(TMessage& Message);
  virtual void CMSysColorChange(TMessage& Message);
  // The cursor changed: shown at once when the mouse is over the control.
  virtual void CMCursorChanged(TMessage& Message);
  // Another control takes the mouse (LParam: that control): a control that
  // tracks the mouse itself (an open drop-down, say) gives up here.
  virtual void CMCancelMode(TMessage& Message);

  void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
  void DoMouseUp(TMessage& Message, TMouseButton Button);
  void FontChanged(TObject* Sender);
  void ConstraintsChanged(TObject* Sender);
  // Sets the colour without clearing ParentColor (used for inherited colours).
  void SetColorFromParent(TColor Value);

  TWinControl* parent_ = nullptr;
  Integer left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  TAnchors anchors_{akLeft, akTop};
  bool visible_ = true;
  bool enabled_ = true;
  std::string text_;
  TColor color_ = clWindow;
  bool parentColor_ = true;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  std::string hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TCursor cursor_ = crDefault;
  TComponent* popupMenu_ = nullptr;
  TControlStyle controlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState controlState_;
  std::unique_ptr<TSizeConstraints> constraints_;
  TDragMode dragMode_ = dmManual;
  TDragKind dragKind_ = dkDrag;
  TCursor dragCursor_ = crDrag;
  Integer helpContext_ = 0;
  bool autoSize_ = false;
  // Wheel deltas not yet given out as whole OnMouseWheelDown/Up notches.
  Integer wheelAccumulator_ = 0;
  // Anchor rules: the distances kept to the parent's right and bottom edges.
  TPoint anchorRules_;
  TPoint originalParentSize_;
  bool anchorsValid_ = false;
  bool applyingColorFromParent_ = false;
  TWinControl* hostDockSite_ = nullptr;
  Integer undockWidth_ = 0, undockHeight_ = 0;
};

// ---------------------------------------------------------------------------
// Window creation parameters.
struct TCreateParams {
  std::wstring Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  Integer X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSW WindowClass{};
  std::wstring WinClassName;
};

// ---------------------------------------------------------------------------
// TWinControl.
//
// Destroying a windowed control frees its child controls (whoever owns them),
// as the original class library does: create child controls on the heap.
class TWinControl : public TControl {
  friend class TControl;
  friend class TCustomForm;
  friend class TDockTree;

 public:
  T_CLASSNAME(TWinControl)
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  // The window; created on demand (the parent's first).
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded();
  // A window that is not a control of ours to use as the parent window.
  HWND ParentWindow() const { return parentWindow_; }
  void SetParentWindow(HWND Value);
  void RecreateWnd();
  // Whether the window exists and is shown (it and all parents are visible).
  bool Showing() const { return showing_; }

  // The three-dimensional look: a sunken client edge instead of a flat border
  // on controls that have a border (NewStyleControls). With ParentCtl3D the
  // control follows its parent; setting Ctl3D clears ParentCtl3D.
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool Value);
  bool ParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool Value);
  // The children's palettes, topmost first; in the foreground the first one
  // that realises its palette ends it.
  bool PaletteChanged(bool Foreground) override;

  // Children (all controls, in z-order: first is the bottom one).
  Integer ControlCount() const { return static_cast<Integer>(controls_.size()); }
  TControl* Controls(Integer Index) const { return controls_.at(static_cast<size_t>(Index)); }
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(TControl* Control) const;
  // The child control (windowed or not) at a client point, or nullptr.
  TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false);
  void Broadcast(TMessage& Message);
  void NotifyControls(UINT Msg);

  // Alignment.
  void DisableAlign();
  void EnableAlign();
  bool AlignDisabled() const { return alignLevel_ > 0; }
  void Realign();
  Integer BorderWidth() const { return borderWidth_; }
  // A margin inside the control's client area (a form keeps it outside, in its frame).
  virtual void SetBorderWidth(Integer Value);

  // Focus and tab order.
  Integer TabOrder() const;
  void SetTabOrder(Integer Value);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool Value);
  virtual bool CanFocus();
  virtual bool Focused();
  virtual void SetFocus();
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  void GetTabOrderList(std::vector<TWinControl*>& List);
  void SetEnabled(bool Value) override;

  // Painting.
  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  // Paints the control and its children into a device context at (X, Y).
  void PaintTo(HDC DC, Integer X, Integer Y);
  void PaintTo(TCanvas* Canvas, Integer X, Integer Y) { PaintTo(Canvas->Handle(), X, Y); }
  TBrush* Brush() const { return brush_.get(); }
  bool DoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool Value) { doubleBuffered_ = Value; }
  bool ParentBackground() const { return parentBackground_; }
  void SetParentBackground(bool Value) { parentBackground_ = Value; }
  TRect GetClientRect() override;
  TPoint ClientOrigin() override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  // Docking (Controls_Dock.cpp; see Docking above).
  bool DockSite() const { return dockSite_; }
  void SetDockSite(bool Value);
  bool UseDockManager() const { return useDockManager_; }
  void SetUseDockManager(bool Value);
  // The manager laying out the clients (a dock site with UseDockManager has one).
  IDockManager* DockManager() const { return dockManager_.get(); }
  Integer DockClientCount() const { return static_cast<Integer>(dockClients_.size()); }
  TControl* DockClients(Integer Index) const { return dockClients_.at(static_cast<size_t>(Index)); }
  Integer VisibleDockClientCount() const;
  // A drop: CM_DOCKCLIENT does the docking, then OnDockDrop. X, Y: client coordinates.
  virtual void DockDrop(TDragDockObject* Source, Integer X, Integer Y);
  // Whether a dock drag may drop here now; positions Source's DockRect (PositionDockRect), then OnDockOver.
  virtual void DockOver(TDragDockObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
  // Whether Client may dock here and the screen area (InfluenceRect) where it
  // is offered to: by default the window rectangle grown by 10 pixels.
  virtual void GetSiteInfo(TControl* Client, TRect& InfluenceRect, TPoint MousePos, bool& CanDock);

  // The control of ours that owns a window (or one of its parents when the window is
  // an inner window of a control, such as the edit of a combo box), or nullptr.
  static TWinControl* FindControl(HWND Wnd);
  // Makes Control the control under the mouse: CM_MOUSELEAVE to the previous one,
  // CM_MOUSEENTER to it.
  static void SetMouseControl(TControl* Control);

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TDockDropEvent OnDockDrop;
  TDockOverEvent OnDockOver;
  TUnDockEvent OnUnDock;

 protected:
  // Docking (Controls_Dock.cpp). Called when the control is a dock site with
  // UseDockManager and has no manager; returns the new one (nullptr: none).
  // DoubleBuffered is set whenever a manager exists.
  virtual std::unique_ptr<IDockManager> CreateDockManager();
  // A client arrives (default: it becomes a child) or has left.
  virtual void DoAddDockClient(TControl* Client, const TRect& ARect);
  virtual void DoRemoveDockClient(TControl* Client);
  // Asks to let Client go to NewTarget: OnUnDock, then CM_UNDOCKCLIENT (answer 0 = yes).
  virtual bool DoUnDock(TWinControl* NewTarget, TControl* Client);
  // Sets the dock rectangle of a drag over this site.
  virtual void PositionDockRect(TDragDockObject* DragDockObject);
  // Creates the manager when one is needed now.
  void UpdateDockManager();
  // Drops the manager and the clients' links (destruction, DockSite off).
  void ReleaseDocking();
  virtual void CreateParams(TCreateParams& Params);
  // Copies a platform window class (e.g. "BUTTON") into Params, so the control
  // wraps it: our window procedure gets every message first.
  void CreateSubClass(TCreateParams& Params, const wchar_t* ClassName);
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void CreateWnd();
  virtual void CreateHandle();
  virtual void DestroyWindowHandle();
  virtual void DestroyWnd();
  void DestroyHandle();
  // Lets go of the window without destroying it: the window forgets the
  // control (its messages go to the window class's own procedure) and the
  // control has no window; returns the window (nullptr when there was none).
  // Its child windows stay with it. Used to keep a window alive and take it
  // back later with AttachHandle.
  HWND DetachHandle();
  // Takes Wnd (a window of this control's window class, typically one kept by
  // DetachHandle) as the control's window in place of creating one: call it
  // from a CreateWnd override instead of the inherited CreateWnd.
  void AttachHandle(HWND Wnd);
  // Asked to show AControl (TControl::Show); passes the request up the parents.
  virtual void ShowControl(TControl* AControl);
  // With AutoSize: fits the client area to the visible children.
  void AdjustSize() override;
  void UpdateShowing();
  void UpdateControlState();
  void SetTextBuf(const std::string& Value) override;
  std::string GetText() const override;

  virtual void AlignControls(TControl* AControl, TRect& Rect);
  virtual void AdjustClientRect(TRect& Rect);
  // Scales the children, then the control itself.
  void ChangeScale(Integer M, Integer D) override;
  void AlignControl(TControl* AControl);
  void RequestAlign() override;

  // Paints the control's own content (the default lets the window class paint).
  virtual void PaintWindow(HDC DC);
  // Paints the windowless children from First on (all when nullptr).
  void PaintControls(HDC DC, TControl* First);
  void PaintHandler(TMessage& Message);
  // WM_PAINT of a double-buffered control (through an off-screen bitmap).
  void PaintBuffered(TMessage& Message);

  virtual void DoEnter();
  virtual void DoExit();
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  bool DoKeyDown(TMessage& Message);
  bool DoKeyUp(TMessage& Message);
  bool DoKeyPress(TMessage& Message);
  void SelectFirst();
  void RemoveFocus(bool Removing);

  // Message handlers.
  virtual void WMPaint(TMessage& Message);
  virtual void WMEraseBkgnd(TMessage& Message);
  virtual void WMSize(TMessage& Message);
  virtual void WMMove(TMessage& Message);
  virtual void WMSetFocus(TMessage& Message);
  virtual void WMKillFocus(TMessage& Message);
  virtual void WMKeyDown(TMessage& Message);
  virtual void WMKeyUp(TMessage& Message);
  virtual void WMChar(TMessage& Message);
  virtual void WMSysKeyDown(TMessage& Message);
  virtual void WMSysKeyUp(TMessage& Message);
  virtual void WMSetCursor(TMessage& Message);
  virtual void WMContextMenu(TMessage& Message);
  virtual void WMCommand(TMessage& Message);
  virtual void WMNotify(TMessage& Message);
  virtual void WMCtlColor(TMessage& Message);
  virtual void WMDrawItem(TMessage& Message);
  virtual void WMMeasureItem(TMessage& Message);
  virtual void WMCompareItem(TMessage& Message);
  virtual void WMDeleteItem(TMessage& Message);
  virtual void WMHScroll(TMessage& Message);
  virtual void WMVScroll(TMessage& Message);
  virtual void WMMouseLeave(TMessage& Message);
  virtual void WMNCDestroy(TMessage& Message);
  virtual void CNKeyDown(TMessage& Message);
  virtual void CNKeyUp(TMessage& Message);
  virtual void CNChar(TMessage& Message);
  virtual void CNSysKeyDown(TMessage& Message);
  virtual void CNSysChar(TMessage& Message);
  virtual void CNCtlColor(TMessage& Message);
  virtual void CMDialogKey(TMessage& Message);
  virtual void CMDialogChar(TMessage& Message);
  virtual void CMFocusChanged(TMessage& Message);
  virtual void CMEnter(TMessage& Message);
  virtual void CMExit(TMessage& Message);
  virtual void CMShowingChanged(TMessage& Message);
  virtual void CMControlChange(TMessage& Message);
  virtual void CMControlListChange(TMessage& Message);
  virtual void CMDockClient(TMessage& Message);
  virtual void CMUndockClient(TMessage& Message);
  virtual void CMDockNotification(TMessage& Message);
  void CMVisibleChanged(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void CMSysColorChange(TMessage& Message) override;
  void WMWindowPosChanged(TMessage& Message) override;
  virtual void CMCtl3DChanged(TMessage& Message);
  virtual void CMParentCtl3DChanged(TMessage& Message);

  // Reflects a notification from a child window back to that child as CN_xxx;
  // true when a control of ours took it.
  bool ReflectToChild(HWND Child, TMessage& Message);
  // The windowed control just before AControl in the z-order, for SetWindowPos.
  HWND PrecedingWindow(TWinControl* Control);
  void SetZOrderPosition(TControl* Control, Integer Position);
  // Routes a mouse message to the windowless child under the mouse (or the one
  // holding the capture); true when a child took it.
  bool IsControlMouseMsg(TMessage& Message);

  HWND handle_ = nullptr;
  HWND parentWindow_ = nullptr;
  WNDPROC defWndProc_ = nullptr;
  bool showing_ = false;
  std::vector<TControl*> controls_;  // z-order, bottom first
  std::vector<TWinControl*> tabList_;
  Integer alignLevel_ = 0;
  Integer borderWidth_ = 0;
  Integer tabOrderWanted_ = -1;  // as read from a form resource, applied in order
  bool tabStop_ = false;
  std::unique_ptr<TBrush> brush_;
  bool doubleBuffered_ = false;
  bool parentBackground_ = false;
  bool dockSite_ = false;
  bool useDockManager_ = false;
  std::unique_ptr<IDockManager> dockManager_;
  std::vector<TControl*> dockClients_;
  bool trackingMouse_ = false;
  // Bounds applied while the window does not exist are pushed at creation.
  bool keyDownHandled_ = false;
  bool ctl3D_ = true;
  bool parentCtl3D_ = true;

 private:
  static LRESULT CALLBACK StdWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  friend LRESULT CallControlWndProc(TWinControl* Control, HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void UpdateBoundsFromWindow();
  void DoAlign(TRect& Rect);
};

// The control that holds the mouse capture (a windowless one when its parent's
// window captured for it), or nullptr.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// The control under the mouse as the class library tracks it.
TControl* MouseControl();

// The form a control is placed on, or nullptr.
TCustomForm* GetParentForm(TControl* Control);
// As GetParentForm, raising EInvalidOperation when there is none.
TCustomForm* ValidParentForm(TControl* Control);
// The control of ours under a screen point (windowless children included).
TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled);
TControl* FindVCLWindow(const TPoint& Pos);
// The control of ours a window belongs to: itself or its nearest parent of ours.
TWinControl* FindOwningWinControl(HWND Wnd);

// ---------------------------------------------------------------------------
// A canvas bound to a control's window (or, for a windowless control, to its
// parent's window, with the origin moved and clipped to the control).
class TControlCanvas : public TCanvas {
 public:
  T_CLASSNAME(TControlCanvas)
  TControlCanvas() = default;
  ~TControlCanvas() override;
  TControl* Control() const { return control_; }
  void SetControl(TControl* Value);
  // Releases a device context the canvas got itself.
  void FreeHandle();
  void UpdateTextFlags() {}

 protected:
  void CreateHandle() override;

 private:
  TControl* control_ = nullptr;
  HDC dc_ = nullptr;
  HWND wnd_ = nullptr;
};

// ---------------------------------------------------------------------------
// A windowed control that paints itself: Paint draws on Canvas, which is bound to
// the paint device context during WM_PAINT.
class TCustomControl : public TWinControl {
 public:
  T_CLASSNAME(TCustomControl)
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;
  void WMPaint(TMessage& Message) override;

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

// A windowless control painted by its parent.
class TGraphicControl : public TControl {
 public:
  T_CLASSNAME(TGraphicControl)
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void Paint() {}
  void Dispatch(TMessage& Message) override;
  virtual void WMPaint(TMessage& Message);

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

// Mouse-enter and -leave tracking by the application's idle processing: checks
// that the tracked control is still under the cursor.
void CheckMouseControl();

// Whether the system has the new-style (3-D, client-edge) controls: always.
extern bool NewStyleControls;

// The mouse as the system reports it.
class TMouse {
 public:
  // The window holding the capture.
  HWND Capture() const { return ::GetCapture(); }
  void SetCapture(HWND Value);
  TPoint CursorPos() const;
  void SetCursorPos(const TPoint& Value);
  bool WheelPresent() const;
  // Lines to scroll per wheel notch (the system setting, 3 when it has none).
  Integer WheelScrollLines() const;
};
extern TMouse* Mouse;
