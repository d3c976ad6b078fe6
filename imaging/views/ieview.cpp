#include "imaging/views/ieview.h"

#include <algorithm>

#include "imaging/views/ietransitions.h"
#include "platform/SysUtils.h"

TIEView::TIEView(TComponent* AOwner) : TCustomControl(AOwner) {
  TControlStyle style = ControlStyle();
  style.Include(csAcceptsControls).Include(csOpaque).Include(csReplicatable);
  if (!NewStyleControls) style.Include(csFramed);
  SetControlStyle(style);
  transition_ = std::make_unique<TIETransitionEffects>(this);
}

TIEView::~TIEView() {
  // Each listener forgets the view in its callback; the records are ours.
  while (!listeners_.empty()) {
    std::unique_ptr<Listener> first = std::move(listeners_.front());
    listeners_.erase(listeners_.begin());
    first->Callback(this, true);
  }
}

TIEListenerHandle TIEView::AddChangeListener(const TIEViewChangeEvent& Callback) {
  listeners_.push_back(std::make_unique<Listener>(Listener{Callback}));
  return reinterpret_cast<TIEListenerHandle>(listeners_.back().get());
}

void TIEView::RemoveChangeListener(TIEListenerHandle Handle) {
  // The whole handle is compared: a record address may have bit 31 set.
  if (Handle < 0) return;
  const auto it = std::find_if(listeners_.begin(), listeners_.end(), [Handle](const std::unique_ptr<Listener>& l) {
    return reinterpret_cast<TIEListenerHandle>(l.get()) == Handle;
  });
  if (it != listeners_.end()) listeners_.erase(it);
}

void TIEView::NotifyChangeListeners() {
  // A listener may detach itself (or another) while being called.
  std::vector<Listener*> snapshot;
  for (const auto& l : listeners_) snapshot.push_back(l.get());
  for (Listener* l : snapshot) {
    const bool stillThere = std::any_of(listeners_.begin(), listeners_.end(),
                                        [l](const std::unique_ptr<Listener>& x) { return x.get() == l; });
    if (stillThere) {
      const TIEViewChangeEvent callback = l->Callback;
      callback(this, false);
    }
  }
}

void TIEView::SetBackground(TColor Value) { background_ = Value; }

TIEBitmap* TIEView::AlphaBitmap() { AbstractError(); }
bool TIEView::AlphaBitmapPresent() { AbstractError(); }
void TIEView::FlattenAlpha(bool) { AbstractError(); }
void TIEView::SuspendRefresh() { AbstractError(); }
Integer TIEView::ResumeRefresh() { AbstractError(); }
Integer TIEView::ResumeRefreshQuiet() { AbstractError(); }

void TIEView::StoreResolutionX(Integer Value) {
  if (Value != 0) dpiX_ = Value;
}

void TIEView::StoreResolutionY(Integer Value) {
  if (Value != 0) dpiY_ = Value;
}

void TIEView::StoreResolution(Integer X, Integer Y) {
  StoreResolutionX(X);
  StoreResolutionY(Y);
}

void TIEView::SetBorderStyle(TBorderStyle Value) {
  if (Value == borderStyle_) return;
  borderStyle_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TIEView::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (borderStyle_ == bsSingle) {
    if (NewStyleControls && Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TIEView::CMMouseEnter(TMessage& Message) {
  TCustomControl::CMMouseEnter(Message);
  if (OnMouseEnter) OnMouseEnter(this);
}

void TIEView::CMMouseLeave(TMessage& Message) {
  TCustomControl::CMMouseLeave(Message);
  if (OnMouseLeave) OnMouseLeave(this);
}

void TIEView::WMSize(TMessage& Message) {
  TCustomControl::WMSize(Message);
  // The frames were composed for the old size.
  if (transition_ && transition_->Running()) transition_->Stop();
}
