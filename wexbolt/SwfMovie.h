// The Flash movie wexbolt writes: one lossless bitmap per distinct composed
// picture of the animation, each shown through a rectangle shape filled with
// it, one frame rate for the whole movie and as many frames per picture as
// its delay takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace wexbolt {

// Raised when the movie cannot be made (too large, too many frames).
class EMovieError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The movie's clock: the frame rate as the file stores it (8.8 fixed point,
// frames per second) and how many movie frames each picture is shown for.
struct TMovieTiming {
  uint16_t RateFixed = 0;
  uint32_t TickHundredths = 0;  // one movie frame, in hundredths of a second
  std::vector<uint32_t> Ticks;
};

// Delays in hundredths of a second (each at least 1). The tick is the largest
// one that divides every delay and whose rate 8.8 fixed point stores exactly
// (a divisor of 25600 hundredths); each picture then lasts exactly its delay.
// When that would take more frames than a movie counts (65535), the tick
// grows over the divisors of 25600 and each delay is rounded to whole ticks
// (at least one). Raises EMovieError when even the coarsest tick cannot hold
// the pictures.
TMovieTiming ChooseTiming(const std::vector<uint32_t>& Delays);

// Builds the movie in memory. Pixels are 0x00RRGGBB, rows top down.
class TSwfMovieWriter {
 public:
  // MaxBytes bounds the movie; AddPicture raises EMovieError beyond it.
  TSwfMovieWriter(int Width, int Height, uint32_t Background, uint16_t RateFixed, size_t MaxBytes);
  ~TSwfMovieWriter();
  TSwfMovieWriter(const TSwfMovieWriter&) = delete;
  TSwfMovieWriter& operator=(const TSwfMovieWriter&) = delete;

  // The next picture, shown for Ticks movie frames (at least 1). A picture
  // equal to one already in the movie shows that one's bitmap again.
  void AddPicture(const uint32_t* Pixels, uint32_t Ticks);
  // Ends the movie. Passes: how often the animation plays (0 forever);
  // passes after the first start again at picture LoopStart. Returns the file.
  std::vector<uint8_t> Finish(uint32_t Passes, size_t LoopStart);

  size_t BitmapCount() const;

 private:
  struct TState;
  std::unique_ptr<TState> state_;
};

}  // namespace wexbolt
