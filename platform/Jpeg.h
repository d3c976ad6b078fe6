// TJPEGImage: a JPEG picture over libjpeg. Keeps the compressed data it was
// loaded from and decodes it into a bitmap on first use.
#pragma once

#include <memory>
#include <vector>

#include "platform/Graphics.h"

T_DECLARE_EXCEPTION(EJPEG, EInvalidGraphic)

enum TJPEGPerformance { jpBestQuality, jpBestSpeed };
enum TJPEGPixelFormat { jf24Bit, jf8Bit };
enum TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };

class TJPEGImage : public TGraphic {
 public:
  T_GRAPHIC_CLASS(TJPEGImage)
  TJPEGImage();
  ~TJPEGImage() override;

  void Assign(TPersistent* Source) override;
  bool Empty() const override { return data_.empty() && !bitmap_; }
  Integer Width() const override;
  void SetWidth(Integer) override {}
  Integer Height() const override;
  void SetHeight(Integer) override {}
  HPALETTE Palette() override;
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  void LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette) override;
  void SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette) override;

  // 1..100, used when compressing.
  Integer CompressionQuality() const { return quality_; }
  void SetCompressionQuality(Integer Value);
  bool ProgressiveEncoding() const { return progressiveEncoding_; }
  void SetProgressiveEncoding(bool Value) { progressiveEncoding_ = Value; }
  bool ProgressiveDisplay() const { return progressiveDisplay_; }
  void SetProgressiveDisplay(bool Value) { progressiveDisplay_ = Value; }
  // Block smoothing while decoding.
  bool Smoothing() const { return smoothing_; }
  void SetSmoothing(bool Value);
  bool Grayscale() const { return grayscale_; }
  void SetGrayscale(bool Value);
  TJPEGPerformance Performance() const { return performance_; }
  void SetPerformance(TJPEGPerformance Value);
  TJPEGPixelFormat PixelFormat() const { return pixelFormat_; }
  void SetPixelFormat(TJPEGPixelFormat Value);
  TJPEGScale Scale() const { return scale_; }
  void SetScale(TJPEGScale Value);

  // Decodes the data into the bitmap if it is not already.
  void DIBNeeded();
  // Compresses the bitmap into data if it is not already.
  void JPEGNeeded();
  // Drops the compressed data, forcing a new compression from the bitmap on save.
  void Compress();
  // The decoded picture (decoding on demand); owned by the image.
  TBitmap* Bitmap();

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  void AssignTo(TPersistent* Dest) override;

 private:
  void FreeBitmap();
  void ReadHeader();
  std::vector<Byte> data_;          // compressed stream, empty when only the bitmap exists
  std::unique_ptr<TBitmap> bitmap_;  // decoded picture at the current scale and format
  Integer width_ = 0;               // of the full-size picture, from the header
  Integer height_ = 0;
  bool headerGray_ = false;
  Integer quality_ = 90;
  bool progressiveEncoding_ = false;
  bool progressiveDisplay_ = false;
  bool smoothing_ = true;
  bool grayscale_ = false;
  TJPEGPerformance performance_ = jpBestQuality;
  TJPEGPixelFormat pixelFormat_ = jf24Bit;
  TJPEGScale scale_ = jsFullSize;
};
