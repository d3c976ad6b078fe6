#include "imaging/buffer/iecolors.h"

#include <cmath>
#include <cstdlib>

#include "platform/Controls.h"
#include "platform/Graphics.h"

namespace {

double Linearise(Integer C) {
  const double v = C / 255.0;
  const double lin = v <= 0.03928 ? v / 12.92 : static_cast<double>(RealPower(2.4L, (v + 0.055) / 1.055));
  return lin * 100;
}

double LabF(double T) { return T > 0.008856 ? std::cbrt(T) : 7.787 * T + 16.0 / 116.0; }

ShortInt ClampSigned(double V) {
  if (std::isnan(V) || V < -128) return -128;
  if (V > 127) return 127;
  return static_cast<ShortInt>(Trunc(V));
}

Byte ToChannel(double V) {
  if (!(V > 0)) return 0;
  if (V >= 1) return 255;
  return static_cast<Byte>(Trunc(std::sqrt(V) * 256));
}

}  // namespace

void RGBToCIELab(Cardinal Color, Byte& L, ShortInt& A, ShortInt& B) {
  const double r = Linearise((Color >> 16) & 0xFF), g = Linearise((Color >> 8) & 0xFF), b = Linearise(Color & 0xFF);
  const double x = 0.4124 * r + 0.3576 * g + 0.1805 * b;
  const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
  const double z = 0.0193 * r + 0.1192 * g + 0.9505 * b;
  const double fx = LabF(x), fy = LabF(y), fz = LabF(z);
  const double l = (116 * fy - 16) / 550 * 255;
  if (std::isnan(l) || l < 0)
    L = 0;
  else if (l > 255)
    L = 255;
  else
    L = static_cast<Byte>(Trunc(l));
  A = ClampSigned((fx - fy) * 500 / 200 * 128);
  B = ClampSigned((fy - fz) * 200 / 500 * 128);
}

void CIELabToRGB(Cardinal Lab, TIEColorTriple& Triple) {
  const double ls = (Lab & 0xFF) / 255.0 * 100;
  auto signedByte = [](Cardinal v) {
    const Integer s = static_cast<ShortInt>(static_cast<Byte>(v));
    return s == -128 ? 128 : s;  // -128 counts as +128
  };
  const double a = (signedByte(Lab >> 8) + 127) / 255.0 * 200 - 100;
  const double b = (signedByte(Lab >> 16) + 127) / 255.0 * 200 - 100;
  const double fy = (ls + 16) / 116, fx = fy + a / 500, fz = fy - b / 200;
  double X, Y, Z;
  if (ls >= 7.9996) {
    X = fx * fx * fx;
    Y = fy * fy * fy;
    Z = fz * fz * fz;
  } else {
    Y = ls / 903.3;
    X = Y + a / 3893.5;
    Z = Y - b / 1557.4;
  }
  const double R = 2.69 * X - 1.276 * Y - 0.414 * Z;
  const double G = -1.022 * X + 1.978 * Y + 0.044 * Z;
  const double Bl = 0.061 * X - 0.224 * Y + 1.163 * Z;
  Triple = TIEColorTriple{ToChannel(Bl), ToChannel(G), ToChannel(R)};
}

void SnapTo45Degrees(Integer X0, Integer Y0, Integer& X, Integer& Y) {
  const Integer dx = X0 - X, dy = Y0 - Y, ax = std::abs(dx), ay = std::abs(dy), d = std::abs(ax - ay);
  if (ay > ax + 30) {
    X = X0;
  } else if (ay < ax - 30) {
    Y = Y0;
  } else if (dx < 0 && dy < 0) {
    if (ay > ax) X += d; else Y += d;
  } else if (dx > 0 && dy > 0) {
    if (ay > ax) Y += d; else X += d;
  } else if (dx > 0) {
    if (ay > ax) X -= d; else Y += d;
  } else if (dy > 0) {
    if (ay > ax) X += d; else Y -= d;
  }
}

Integer RectanglesIntersect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4,
                            Integer Y4) {
  if (IntMax(X1, X2) < X3 || X4 < IntMin(X1, X2) || IntMax(Y1, Y2) < Y3 || Y4 < IntMin(Y1, Y2)) return 0;
  return 1;
}

Integer RectangleRelation(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4,
                          Integer Y4) {
  const bool a3 = X1 <= X3 && X3 <= X2, a4 = X1 <= X4 && X4 <= X2;
  const bool b3 = Y1 <= Y3 && Y3 <= Y2, b4 = Y1 <= Y4 && Y4 <= Y2;
  if ((a3 != a4 && (b3 || b4)) || ((a3 || a4) && b3 != b4)) return 1;
  if (a3 && a4 && b3 && b4) return 2;
  return 0;
}

bool PointInRect(Integer X, Integer Y, Integer X1, Integer Y1, Integer X2, Integer Y2) {
  return X1 <= X && X <= X2 && Y1 <= Y && Y <= Y2;
}

double DistancePointToLine(Integer PX, Integer PY, Integer X1, Integer Y1, Integer X2, Integer Y2) {
  // 64-bit products: coordinates of any size give the true distance.
  const int64_t num = int64_t(Y1 - Y2) * PX + int64_t(X2 - X1) * PY + int64_t(X1) * Y2 - int64_t(X2) * Y1;
  const int64_t dx = int64_t(X2) - X1, dy = int64_t(Y1) - Y2;
  const double len = std::sqrt(double(dy) * dy + double(dx) * dx);
  if (len == 0) return 1000000;
  return std::fabs(double(num)) / len;
}

double DistancePointToSegment(Integer PX, Integer PY, Integer X1, Integer Y1, Integer X2, Integer Y2) {
  auto endDistance = [](Integer ax, Integer ay, Integer bx, Integer by) -> double {
    const int64_t dx = int64_t(ax) - bx, dy = int64_t(ay) - by;
    if (std::llabs(dx) > 45000 || std::llabs(dy) > 45000) return 1000000;
    return std::sqrt(double(dx * dx + dy * dy));
  };
  if (X1 == X2 && Y1 == Y2) {
    const int64_t dx = int64_t(PX) - X1, dy = int64_t(PY) - Y1;
    return std::sqrt(double(dx) * dx + double(dy) * dy);
  }
  const int64_t lx = int64_t(X2) - X1, ly = int64_t(Y2) - Y1;
  const double t = double((int64_t(PY) - Y1) * ly + (int64_t(PX) - X1) * lx) / double(lx * lx + ly * ly);
  if (t > 1) return endDistance(PX, PY, X2, Y2);
  if (t < 0) return endDistance(PX, PY, X1, Y1);
  const double d = DistancePointToLine(PX, PY, X1, Y1, X2, Y2);
  return std::isfinite(d) ? d : 1000000;
}

void PaintShadowStripVertical(TCanvas* Canvas, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Style) {
  if (Canvas == nullptr || Style != 2) return;
  const Integer n = X2 - X1 + 1;
  if (n <= 0) return;
  for (Integer k = 0; k < n; ++k) {
    const Integer g = static_cast<Integer>(Trunc(255 * std::exp(double(k) / n) / std::exp(1.0)));
    Canvas->Pen()->SetColor(g | (g << 8) | (g << 16));
    Canvas->MoveTo(X1 + k, Y1 + n);
    Canvas->LineTo(X1 + k, Y2 - n + k + 3);
  }
}

void PaintShadowStripHorizontal(TCanvas* Canvas, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Style) {
  if (Canvas == nullptr || Style != 2) return;
  const Integer n = Y2 - Y1 + 1;
  if (n <= 0) return;
  for (Integer k = 0; k < n; ++k) {
    const Integer g = static_cast<Integer>(Trunc(255 * std::exp(double(k) / n) / std::exp(1.0)));
    Canvas->Pen()->SetColor(g | (g << 8) | (g << 16));
    Canvas->MoveTo(X1 + n, Y1 + k);
    Canvas->LineTo(X2 - n + k + 3, Y1 + k);
  }
}

void PaintTwoToneFrame(TCanvas* Canvas, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Color1,
                       Integer Color2) {
  if (Canvas == nullptr) return;
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetMode(pmCopy);
  Canvas->Pen()->SetColor(Color1);
  Canvas->MoveTo(X1, Y2);
  Canvas->LineTo(X1, Y1);
  Canvas->LineTo(X2, Y1);
  Canvas->Pen()->SetColor(Color2);
  Canvas->MoveTo(X1, Y2);
  Canvas->LineTo(X2, Y2);
  Canvas->LineTo(X2, Y1);
}

HWND OwnerWindowHandle(TComponent* Component) {
  for (TComponent* c = Component; c != nullptr; c = c->Owner())
    if (auto* w = dynamic_cast<TWinControl*>(c)) return w->HandleAllocated() ? w->Handle() : nullptr;
  return nullptr;
}
