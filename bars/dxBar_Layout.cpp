// Toolbar item layout: rows of views, row breaks for a length, alignment.
#include <algorithm>

#include "bars/dxBar.h"

namespace {
Integer LenOf(const TdxBarLayoutItem& I, bool Vertical) { return Vertical ? I.Height : I.Width; }
Integer ThickOf(const TdxBarLayoutItem& I, bool Vertical) { return Vertical ? I.Width : I.Height; }

// The begin-group band before an item: its along-extent [SepFrom, item start)
// spread over the item's row.
void SetSeparator(TdxBarLayoutItem& I, bool Vertical, Integer SepLen, Integer RowStart, Integer RowThick) {
  if (SepLen <= 0) {
    I.SeparatorRect = TRect{};
    return;
  }
  if (Vertical)
    I.SeparatorRect = Rect(RowStart, I.Rect.Top - SepLen, RowStart + RowThick, I.Rect.Top);
  else
    I.SeparatorRect = Rect(I.Rect.Left - SepLen, RowStart, I.Rect.Left, RowStart + RowThick);
}

// Every item of a finished row takes the row's thickness and moves to the
// row's middle (down in horizontal bars, left in vertical ones, whose rows
// start at the right).
void CenterRow(std::vector<TdxBarLayoutItem>& Items, const std::vector<Integer>& Seps, size_t First, size_t Last,
               Integer RowThick, const TdxBarLayoutParams& P) {
  for (size_t k = First; k <= Last; ++k) {
    TdxBarLayoutItem& I = Items[k];
    if (!I.Placed) continue;
    Integer d = (RowThick - ThickOf(I, P.Vertical)) / 2;
    I.RowThickness = RowThick;
    Integer rowStart;
    if (P.Vertical) {
      rowStart = I.Rect.Right - RowThick;
      I.Rect.Left -= d;
      I.Rect.Right -= d;
    } else {
      rowStart = I.Rect.Top;
      I.Rect.Top += d;
      I.Rect.Bottom += d;
    }
    SetSeparator(I, P.Vertical, Seps[k], rowStart, RowThick);
  }
}
}  // namespace

bool dxBarArrangeItems(std::vector<TdxBarLayoutItem>& Items, const TdxBarLayoutParams& P) {
  bool truncated = false;
  std::vector<Integer> seps(Items.size(), 0);
  for (TdxBarLayoutItem& I : Items) {
    I.Placed = false;
    I.Rect = TRect{};
    I.SeparatorRect = TRect{};
    I.RowThickness = 0;
    I.LastShown = false;
  }
  Integer pos = 0, cross = 0, rowThick = P.Wraps ? 0 : P.RowThickness;
  size_t rowFirst = 0;
  long prev = -1;
  for (size_t i = 0; i < Items.size(); ++i) {
    TdxBarLayoutItem& I = Items[i];
    Integer len = LenOf(I, P.Vertical), thick = ThickOf(I, P.Vertical);
    Integer sep = I.BeginGroup && pos > 0 ? P.BeginGroupSize : 0;
    bool brk = (pos > 0 && pos + sep + len > P.MaxLen) || (P.Wraps && I.RowBreak && pos > 0);
    if (brk) {
      if (!P.Wraps) break;
      Items[static_cast<size_t>(prev)].LastShown = true;
      CenterRow(Items, seps, rowFirst, static_cast<size_t>(prev), rowThick, P);
      // The separator of an item that starts a row lies between the rows.
      cross += rowThick + sep;
      pos = 0;
      sep = 0;
      rowThick = 0;
      rowFirst = i;
    }
    TRect r;
    if (P.Wraps && P.Vertical)
      r = Rect(P.CrossExtent - cross - thick, pos + sep, P.CrossExtent - cross, pos + sep + len);
    else if (P.Wraps)
      r = Rect(pos + sep, cross, pos + sep + len, cross + thick);
    else if (P.Vertical)
      r = Rect((rowThick - thick) / 2, pos + sep, (rowThick - thick) / 2 + thick, pos + sep + len);
    else
      r = Rect(pos + sep, (rowThick - thick) / 2, pos + sep + len, (rowThick - thick) / 2 + thick);
    bool restOfRow = false;
    if (!P.Wraps && I.Align != iaLeft) {
      Integer farEdge = P.Vertical ? r.Bottom : r.Right;
      Integer shift = 0;
      if (I.Align == iaCenter) shift = (P.MaxLen - farEdge) / 2;
      if (I.Align == iaRight) shift = P.MaxLen - farEdge;
      if (I.Align == iaClient) {
        Integer start = P.Vertical ? r.Top : r.Left;
        Integer newFar = std::max(P.MaxLen, start + std::max(I.MinLen, 0));
        (P.Vertical ? r.Bottom : r.Right) = newFar;
      } else if (P.Vertical) {
        r.Top += shift;
        r.Bottom += shift;
      } else {
        r.Left += shift;
        r.Right += shift;
      }
      restOfRow = true;
      if (i + 1 < Items.size()) truncated = true;
    }
    I.Rect = r;
    I.Placed = true;
    I.RowThickness = rowThick;
    seps[i] = sep;
    if (!P.Wraps) SetSeparator(I, P.Vertical, sep, 0, rowThick);
    pos = restOfRow ? P.MaxLen : pos + sep + len;
    rowThick = std::max(rowThick, thick);
    prev = static_cast<long>(i);
  }
  if (prev >= 0) {
    Items[static_cast<size_t>(prev)].LastShown = true;
    if (P.Wraps) CenterRow(Items, seps, rowFirst, static_cast<size_t>(prev), rowThick, P);
  }
  return truncated;
}

void dxBarCalcRowBreaks(std::vector<TdxBarLayoutItem>& Items, bool Vertical, Integer Limit, Integer BeginGroupSize,
                        Integer& Along, Integer& Across, Integer AreaLen, Integer AreaThick) {
  Limit = std::max(Limit, Along);
  Integer pos = 0, rowThick = 0, crossTotal = 0, maxRowLen = 0;
  long group = -1;
  Integer groupPos = 0, groupThick = 0;
  bool allowJoin = true, retrying = false;
  for (size_t i = 0; i < Items.size();) {
    TdxBarLayoutItem& I = Items[i];
    Integer len = LenOf(I, Vertical), thick = ThickOf(I, Vertical);
    Integer sep = I.BeginGroup && pos > 0 ? BeginGroupSize : 0;
    if (sep > 0) {
      group = static_cast<long>(i);
      groupPos = pos;
      groupThick = rowThick;
    }
    bool brk = (pos > 0 && pos + sep + len > Limit) || retrying || (sep > 0 && !allowJoin);
    if (!brk) {
      I.RowBreak = false;
      pos += sep + len;
      rowThick = std::max(rowThick, thick);
      ++i;
      continue;
    }
    I.RowBreak = true;
    allowJoin = true;
    if (group < 0) {
      allowJoin = false;
    } else if (!retrying) {
      // Move the whole section to the next row: walk again from its start.
      i = static_cast<size_t>(group);
      pos = groupPos;
      rowThick = groupThick;
      retrying = true;
      continue;
    } else {
      group = -1;
      retrying = false;
    }
    crossTotal += sep + rowThick;
    maxRowLen = std::max(maxRowLen, pos);
    pos = len;
    rowThick = thick;
    ++i;
  }
  if (!Items.empty()) Across = crossTotal + rowThick;
  // Caption buttons close the last row when they fit, else take a row of their own.
  if (AreaLen > 0) {
    if (pos + AreaLen <= Limit)
      pos += AreaLen;
    else
      Across += AreaThick;
  }
  Along = std::max({Along, maxRowLen, pos});
}
