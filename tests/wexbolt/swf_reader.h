// Reading back the movies gif2swf writes: the header, the tags, the lossless
// bitmaps, which shape each frame shows, and a small player that runs the
// frame actions the way a movie player does (the subset of actions of the
// format's version 4 that a frame counter needs).
#pragma once

#include <zlib.h>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace swftest {

using Bytes = std::vector<uint8_t>;

struct Bitmap {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB
};

struct Movie {
  std::string signature;
  int version = 0;
  uint32_t fileLength = 0;
  int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;  // twips
  uint16_t rate = 0;                               // 8.8 fixed point
  uint16_t frameCount = 0;
  uint32_t background = 0;                         // 0xRRGGBB
  bool backgroundSet = false;
  std::vector<int> tags;                           // codes in file order
  std::vector<int> bitmapOrder;                    // bitmap ids in definition order
  std::map<int, Bitmap> bitmaps;
  std::map<int, int> shapeBitmap;                  // shape id -> bitmap it is filled with
  std::map<int, std::pair<int32_t, int32_t>> shapeSize;  // shape id -> bounds (twips)
  std::vector<int> frameCharacter;                 // per frame: character at depth 1 (0: none)
  std::map<int, Bytes> frameActions;               // frame index -> DoAction body
  bool endTag = false;
  size_t endOffset = 0;                            // just after the End tag
};

class BitReader {
 public:
  BitReader(const Bytes& d, size_t at) : d_(d), pos_(at) {}
  uint32_t U(int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
      if (pos_ >= d_.size()) throw std::runtime_error("bits past the end");
      v = (v << 1) | ((d_[pos_] >> (7 - bit_)) & 1);
      if (++bit_ == 8) {
        bit_ = 0;
        ++pos_;
      }
    }
    return v;
  }
  int32_t S(int n) {
    const uint32_t v = U(n);
    if (n > 0 && n < 32 && (v >> (n - 1)) & 1) return int32_t(v | (~0u << n));
    return int32_t(v);
  }
  size_t Align() {
    if (bit_) {
      bit_ = 0;
      ++pos_;
    }
    return pos_;
  }

 private:
  const Bytes& d_;
  size_t pos_;
  int bit_ = 0;
};

inline uint32_t Le16(const Bytes& d, size_t at) {
  if (at + 2 > d.size()) throw std::runtime_error("read past the end");
  return uint32_t(d[at]) | (uint32_t(d[at + 1]) << 8);
}
inline uint32_t Le32(const Bytes& d, size_t at) { return Le16(d, at) | (Le16(d, at + 2) << 16); }

// Parses the whole file; throws std::runtime_error on anything malformed.
inline Movie Parse(const Bytes& f) {
  Movie m;
  if (f.size() < 8) throw std::runtime_error("short file");
  m.signature.assign(f.begin(), f.begin() + 3);
  m.version = f[3];
  m.fileLength = Le32(f, 4);
  BitReader rect(f, 8);
  const int nb = int(rect.U(5));
  m.xMin = rect.S(nb);
  m.xMax = rect.S(nb);
  m.yMin = rect.S(nb);
  m.yMax = rect.S(nb);
  size_t at = rect.Align();
  m.rate = uint16_t(Le16(f, at));
  m.frameCount = uint16_t(Le16(f, at + 2));
  at += 4;
  int onStage = 0;
  while (at < f.size()) {
    const uint32_t head = Le16(f, at);
    at += 2;
    const int code = int(head >> 6);
    size_t len = head & 0x3F;
    if (len == 0x3F) {
      len = Le32(f, at);
      at += 4;
    }
    if (at + len > f.size()) throw std::runtime_error("tag past the end");
    const Bytes body(f.begin() + long(at), f.begin() + long(at + len));
    m.tags.push_back(code);
    at += len;
    switch (code) {
      case 0:
        m.endTag = true;
        m.endOffset = at;
        return m;
      case 1:
        m.frameCharacter.push_back(onStage);
        break;
      case 9:
        if (body.size() != 3) throw std::runtime_error("background tag size");
        m.background = (uint32_t(body[0]) << 16) | (uint32_t(body[1]) << 8) | body[2];
        m.backgroundSet = true;
        break;
      case 12:
        m.frameActions[int(m.frameCharacter.size())] = body;
        break;
      case 20: {
        Bitmap b;
        const int id = int(Le16(body, 0));
        if (body.size() < 7 || body[2] != 5) throw std::runtime_error("bitmap format other than 32-bit");
        b.width = int(Le16(body, 3));
        b.height = int(Le16(body, 5));
        Bytes raw(size_t(b.width) * size_t(b.height) * 4 + 1);
        uLongf rawSize = uLongf(raw.size());
        if (uncompress(raw.data(), &rawSize, body.data() + 7, uLong(body.size() - 7)) != Z_OK ||
            rawSize != raw.size() - 1)
          throw std::runtime_error("bitmap data does not inflate to its size");
        for (size_t i = 0; i + 1 < raw.size(); i += 4)
          b.pixels.push_back((uint32_t(raw[i + 1]) << 16) | (uint32_t(raw[i + 2]) << 8) | raw[i + 3]);
        m.bitmaps[id] = std::move(b);
        m.bitmapOrder.push_back(id);
        break;
      }
      case 2: {
        const int id = int(Le16(body, 0));
        BitReader r(body, 2);
        const int bits = int(r.U(5));
        const int32_t x0 = r.S(bits), x1 = r.S(bits), y0 = r.S(bits), y1 = r.S(bits);
        size_t p = r.Align();
        if (body.at(p) != 1) throw std::runtime_error("shape without exactly one fill style");
        const int type = body.at(p + 1);
        if (type < 0x40 || type > 0x43) throw std::runtime_error("shape fill is not a bitmap");
        m.shapeBitmap[id] = int(Le16(body, p + 2));
        m.shapeSize[id] = {x1 - x0, y1 - y0};
        break;
      }
      case 26: {
        const int flags = body.at(0);
        const int depth = int(Le16(body, 1));
        if (depth != 1) throw std::runtime_error("placement at another depth");
        if (flags & 0x02) onStage = int(Le16(body, 3));
        break;
      }
      case 28:
        if (Le16(body, 0) != 1) throw std::runtime_error("removal at another depth");
        onStage = 0;
        break;
      default:
        throw std::runtime_error("unexpected tag " + std::to_string(code));
    }
  }
  throw std::runtime_error("no End tag");
}

// What a player shows, frame after frame: each frame's actions run after it is
// shown; GotoFrame stops unless Play follows; past the last frame the movie
// starts again at the first. Stops at Stop or after MaxFrames.
struct PlayResult {
  std::vector<int> frames;
  bool stopped = false;
};

inline PlayResult Play(const Movie& m, size_t MaxFrames) {
  using Value = std::variant<std::string, double>;
  std::map<std::string, Value> vars;
  auto num = [](const Value& v) {
    if (auto* d = std::get_if<double>(&v)) return *d;
    const std::string& s = std::get<std::string>(v);
    return s.empty() ? 0.0 : std::atof(s.c_str());
  };
  auto str = [](const Value& v) {
    if (auto* s = std::get_if<std::string>(&v)) return *s;
    return std::to_string(std::get<double>(v));
  };
  PlayResult r;
  const int count = int(m.frameCharacter.size());
  int frame = 0;
  while (r.frames.size() < MaxFrames) {
    r.frames.push_back(frame);
    bool playing = true, jumped = false;
    int next = frame + 1 < count ? frame + 1 : 0;
    auto it = m.frameActions.find(frame);
    if (it != m.frameActions.end()) {
      const Bytes& a = it->second;
      std::vector<Value> stack;
      auto pop = [&] {
        if (stack.empty()) throw std::runtime_error("action stack empty");
        Value v = stack.back();
        stack.pop_back();
        return v;
      };
      size_t pc = 0;
      for (int steps = 0;; ++steps) {
        if (steps > 10000 || pc >= a.size()) throw std::runtime_error("actions run away");
        const uint8_t op = a[pc++];
        size_t len = 0;
        if (op >= 0x80) {
          len = Le16(a, pc);
          pc += 2;
        }
        const size_t dataAt = pc;
        pc += len;
        if (op == 0x00) break;
        switch (op) {
          case 0x06: playing = true; break;
          case 0x07: playing = false; break;
          case 0x0A: {
            const double x = num(pop()), y = num(pop());
            stack.push_back(y + x);
            break;
          }
          case 0x0F: {
            const double x = num(pop()), y = num(pop());
            stack.push_back(y < x ? 1.0 : 0.0);
            break;
          }
          case 0x12: stack.push_back(num(pop()) == 0 ? 1.0 : 0.0); break;
          case 0x1C: {
            const std::string name = str(pop());
            auto v = vars.find(name);
            stack.push_back(v == vars.end() ? Value(std::string()) : v->second);
            break;
          }
          case 0x1D: {
            const Value v = pop();
            vars[str(pop())] = v;
            break;
          }
          case 0x81:
            next = int(Le16(a, dataAt));
            jumped = true;
            playing = false;
            break;
          case 0x96: {
            size_t p = dataAt;
            while (p < dataAt + len) {
              const uint8_t type = a[p++];
              if (type == 0) {
                std::string s;
                while (a.at(p) != 0) s += char(a[p++]);
                ++p;
                stack.push_back(s);
              } else if (type == 1) {
                const uint32_t bits = Le32(a, p);
                float f;
                std::memcpy(&f, &bits, 4);
                stack.push_back(double(f));
                p += 4;
              } else {
                throw std::runtime_error("push type beyond version 4");
              }
            }
            break;
          }
          case 0x99: pc += size_t(int16_t(Le16(a, dataAt))); break;
          case 0x9D:
            if (num(pop()) != 0) pc += size_t(int16_t(Le16(a, dataAt)));
            break;
          default: throw std::runtime_error("unexpected action " + std::to_string(op));
        }
      }
    }
    if (!playing) {
      if (jumped) r.frames.push_back(next);  // GotoFrame without Play shows its frame, then stops
      r.stopped = true;
      return r;
    }
    frame = next;
  }
  return r;
}

}  // namespace swftest
