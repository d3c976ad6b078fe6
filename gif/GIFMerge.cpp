// Colour-map merging: every local map and the global map are replaced by one
// global map of the colours the frames really use, most used first.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <vector>

#include "gif/GIFImage.h"

namespace {

struct THistogramEntry {
  Integer Count = 0;
  Integer OldIndex = 0;
  Integer NewIndex = 256;
  TGIFColor Color{};
  THistogramEntry* FoldedInto = nullptr;  // set once the count moved to an equal colour
};

Integer ColorKey(const TGIFColor& C) { return C.Red + 256 * C.Green + 65536 * C.Blue; }

class THistogram : public TObject {
 public:
  T_CLASSNAME(THistogram)
  explicit THistogram(TGIFColorMap* Map) : map_(Map), entries_(size_t(Map->Count())) {
    for (Integer i = 0; i < Map->Count(); ++i) {
      entries_[size_t(i)].OldIndex = i;
      entries_[size_t(i)].Color = Map->Entries()[i];
      list_.push_back(&entries_[size_t(i)]);
    }
  }

  // Counts the frame's pixels; true when its transparent index occurs.
  bool CountFrame(TGIFSubImage* Frame) {
    if (Frame->IsEmpty()) return false;
    frames_.push_back(Frame);
    const bool transparent = Frame->Transparent() && Frame->GraphicControl();
    const Byte t = transparent ? Frame->GraphicControl()->TransparentIndex() : 0;
    const Integer n = Integer(entries_.size());
    bool seen = false;
    Byte* p = Frame->Data();
    for (Integer i = 0; i < Frame->DataSize(); ++i) {
      if (transparent && p[i] == t) {
        seen = true;
        continue;  // transparent pixels take no colour of the new map
      }
      if (p[i] >= n) {
        p[i] = 0;
        Frame->ReportWarning("Color not in color table");
        if (n == 0) continue;
      }
      THistogramEntry& e = entries_[p[i]];
      if (++e.Count == INT_MAX) break;
    }
    if (transparent && !seen) {
      Frame->GraphicControl()->Control.TransparentIndex = 0;
      Frame->GraphicControl()->SetUsesTransparentIndex(false);
    }
    return seen;
  }

  Integer DropUnused() {
    std::stable_sort(list_.begin(), list_.end(),
                     [](const THistogramEntry* a, const THistogramEntry* b) { return a->Count > b->Count; });
    auto cut = std::find_if(list_.begin(), list_.end(), [](const THistogramEntry* e) { return e->Count == 0; });
    list_.erase(cut, list_.end());
    return Integer(list_.size());
  }

  void RemapFrames(bool UseTransparency, Byte NewTransparentIndex) {
    Byte table[256] = {};
    for (THistogramEntry* e : list_) table[e->OldIndex] = Byte(e->NewIndex);
    for (TGIFSubImage* f : frames_) {
      TGIFGraphicControlExtension* gce = f->GraphicControl();
      const bool transparent = f->Transparent() && gce && UseTransparency;
      const Byte oldT = transparent ? gce->TransparentIndex() : 0;
      if (transparent) gce->Control.TransparentIndex = NewTransparentIndex;
      Byte* p = f->Data();
      for (Integer i = 0; i < f->DataSize(); ++i) p[i] = (transparent && p[i] == oldT) ? NewTransparentIndex : table[p[i]];
    }
  }

  std::vector<THistogramEntry*>& List() { return list_; }
  Integer FrameCount() const { return Integer(frames_.size()); }

 private:
  TGIFColorMap* map_;
  std::vector<THistogramEntry> entries_;
  std::vector<THistogramEntry*> list_;
  std::vector<TGIFSubImage*> frames_;
};

class TColorMapOptimizer : public TObject {
 public:
  T_CLASSNAME(TColorMapOptimizer)
  explicit TColorMapOptimizer(TGIFImage* Image) : image_(Image) {}

  void Run() {
    image_->StopAllPainters();
    image_->Painters()->LockList();
    try {
      CountFrames();
      for (auto& h : histograms_) h->DropUnused();
      for (auto& h : histograms_) all_.insert(all_.end(), h->List().begin(), h->List().end());
      FoldDuplicateColors();
      BuildGlobalMap();
      ReplaceColorMaps();
      for (auto& h : histograms_) h->RemapFrames(useTransparency_, newTransparentIndex_);
      for (Integer i = 0; i < image_->Frames()->ItemCount(); ++i) {
        TGIFSubImage* f = image_->Frames()->FrameAt(i);
        f->SetHasBitmap(false);
        f->FreeMask();
        f->SetPaletteHandle(nullptr);
      }
      // The document's palette showed the old global map.
      image_->SetPaletteHandle(nullptr);
    } catch (...) {
      image_->Painters()->UnlockList();
      throw;
    }
    image_->Painters()->UnlockList();
  }

 private:
  void CountFrames() {
    useTransparency_ = false;
    TGIFImageList* frames = image_->Frames();
    if (image_->GlobalColorMap()->Count() > 0) {
      auto h = std::make_unique<THistogram>(image_->GlobalColorMap());
      for (Integer i = 0; i < frames->ItemCount(); ++i) {
        TGIFSubImage* f = frames->FrameAt(i);
        if (f->ColorMap()->Count() == 0 && !f->IsEmpty()) useTransparency_ |= h->CountFrame(f);
      }
      if (h->FrameCount() > 0) histograms_.push_back(std::move(h));
    }
    for (Integer i = 0; i < frames->ItemCount(); ++i) {
      TGIFSubImage* f = frames->FrameAt(i);
      if (f->ColorMap()->Count() > 0 && !f->IsEmpty()) {
        auto h = std::make_unique<THistogram>(f->ColorMap());
        useTransparency_ |= h->CountFrame(f);
        histograms_.push_back(std::move(h));
      }
    }
  }

  void FoldDuplicateColors() {
    std::stable_sort(all_.begin(), all_.end(), [](const THistogramEntry* a, const THistogramEntry* b) {
      return ColorKey(a->Color) > ColorKey(b->Color);
    });
    for (size_t i = 0; i < all_.size();) {
      THistogramEntry* head = all_[i];
      size_t j = i + 1;
      for (; j < all_.size() && ColorKey(all_[j]->Color) == ColorKey(head->Color); ++j) {
        head->Count += all_[j]->Count;
        all_[j]->Count = 0;
        all_[j]->FoldedInto = head;
      }
      i = j;
    }
  }

  void BuildGlobalMap() {
    std::stable_sort(all_.begin(), all_.end(),
                     [](const THistogramEntry* a, const THistogramEntry* b) { return a->Count > b->Count; });
    const Integer limit = useTransparency_ ? 255 : 256;
    finalCount_ = 0;
    while (finalCount_ < Integer(all_.size()) && finalCount_ < limit && all_[size_t(finalCount_)]->Count > 0)
      ++finalCount_;
    for (Integer i = 0; i < finalCount_; ++i) {
      all_[size_t(i)]->NewIndex = i;
      table_[i] = all_[size_t(i)]->Color;
    }
    for (size_t i = size_t(finalCount_); i < all_.size(); ++i) {
      THistogramEntry* e = all_[i];
      if (e->Count == 0 && e->FoldedInto) {
        e->NewIndex = e->FoldedInto->NewIndex;
        continue;
      }
      Integer best = 0, bestDistance = 765;
      for (Integer k = 0; k < finalCount_; ++k) {
        const Integer d = std::abs((table_[k].Red - e->Color.Red) + (table_[k].Green - e->Color.Green) +
                                   (table_[k].Blue - e->Color.Blue));
        if (d < bestDistance) {
          bestDistance = d;
          best = k;
        }
      }
      e->NewIndex = best;
    }
    if (useTransparency_) {
      newTransparentIndex_ = Byte(finalCount_);
      table_[finalCount_] = TGIFColor{0, 0, 0};
      ++finalCount_;
    }
  }

  void ReplaceColorMaps() {
    for (Integer i = 0; i < image_->Frames()->ItemCount(); ++i) image_->Frames()->FrameAt(i)->ColorMap()->Clear();
    image_->GlobalColorMap()->LoadFromEntries(table_, finalCount_);
    image_->GlobalColorMap()->SetSorted(true);
  }

  TGIFImage* image_;
  std::vector<std::unique_ptr<THistogram>> histograms_;
  std::vector<THistogramEntry*> all_;
  TGIFColor table_[256] = {};
  Integer finalCount_ = 0;
  bool useTransparency_ = false;
  Byte newTransparentIndex_ = 0;
};

}  // namespace

void TGIFImage::MergeColorMaps() {
  TColorMapOptimizer optimizer(this);
  optimizer.Run();
}
