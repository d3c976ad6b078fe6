// Streams: short reads, seeking, growth, copying, files with any name.
#include <gtest/gtest.h>

#include "platform/Classes.h"
#include "platform/SysUtils.h"

namespace {

std::string Bytes(TStream& s) {
  std::string out(static_cast<size_t>(s.Size()), '\0');
  s.SetPosition(0);
  s.ReadBuffer(out.data(), static_cast<Integer>(out.size()));
  return out;
}

// Runs the same checks on every kind of stream.
void CheckReadPastEndAndSeek(TStream& s) {
  s.WriteBuffer("abcdefghij", 10);
  EXPECT_EQ(s.Position(), 10);
  EXPECT_EQ(s.Size(), 10);

  char buf[16] = {};
  EXPECT_EQ(s.Seek(-4, soEnd), 6);
  EXPECT_EQ(s.Read(buf, 16), 4) << "a read past the end returns what is there";
  EXPECT_EQ(std::string(buf, 4), "ghij");
  EXPECT_EQ(s.Read(buf, 1), 0);

  s.SetPosition(8);
  EXPECT_THROW(s.ReadBuffer(buf, 3), EReadError);
  try {
    s.SetPosition(8);
    s.ReadBuffer(buf, 3);
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }

  struct SeekCase { Int64 offset; TSeekOrigin origin; Int64 from; Int64 expected; };
  const SeekCase seeks[] = {{3, soBeginning, 7, 3}, {2, soCurrent, 5, 7}, {-3, soCurrent, 5, 2},
                            {0, soEnd, 1, 10},      {-10, soEnd, 4, 0}, {0, soCurrent, 9, 9}};
  for (const SeekCase& c : seeks) {
    s.SetPosition(c.from);
    EXPECT_EQ(s.Seek(c.offset, c.origin), c.expected) << c.offset << " from origin " << c.origin;
    EXPECT_EQ(s.Position(), c.expected);
  }
  s.SetPosition(2);
  s.ReadBuffer(buf, 2);
  EXPECT_EQ(std::string(buf, 2), "cd");

  // Overwriting in the middle keeps the tail.
  s.SetPosition(4);
  s.WriteBuffer("XY", 2);
  EXPECT_EQ(Bytes(s), "abcdXYghij");
}

std::string TempName(const std::string& stem) {
  return GetTempPathStr() + stem + "-" + IntToStr(::GetCurrentProcessId());
}

}  // namespace

TEST(Streams, EveryStreamKindReadsPastTheEndAndSeeksFromEachOrigin) {
  {
    SCOPED_TRACE("TMemoryStream");
    TMemoryStream m;
    CheckReadPastEndAndSeek(m);
  }
  {
    SCOPED_TRACE("TStringStream");
    TStringStream s;
    CheckReadPastEndAndSeek(s);
    EXPECT_EQ(s.DataString(), "abcdXYghij");
  }
  {
    SCOPED_TRACE("TFileStream");
    const std::string name = TempName("seek");
    {
      TFileStream f(name, fmCreate);
      CheckReadPastEndAndSeek(f);
    }
    EXPECT_EQ(FileGetSize(name), 10);
    DeleteFile(name);
  }
}

TEST(Streams, MemoryStreamGrowsShrinksAndZeroFillsGaps) {
  TMemoryStream m;
  m.SetPosition(5);
  m.WriteBuffer("z", 1);
  ASSERT_EQ(m.Size(), 6);
  EXPECT_EQ(Bytes(m), std::string("\0\0\0\0\0z", 6)) << "a gap left by seeking past the end reads as zeros";

  std::string big(100000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  m.SetPosition(0);
  m.WriteBuffer(big.data(), static_cast<Integer>(big.size()));
  EXPECT_EQ(std::memcmp(m.Memory(), big.data(), big.size()), 0);

  m.SetPosition(m.Size());
  m.SetSize(10);
  EXPECT_EQ(m.Size(), 10);
  EXPECT_EQ(m.Position(), 10) << "a position past the new end moves to the end";
  m.SetSize(12);
  EXPECT_EQ(static_cast<const char*>(m.Memory())[11], 0);
  m.SetCapacity(4);
  EXPECT_EQ(m.Size(), 4) << "the data is cut to a smaller block";
  m.Clear();
  EXPECT_EQ(m.Size(), 0);
  EXPECT_EQ(m.Position(), 0);
  EXPECT_EQ(m.Memory(), nullptr);
}

TEST(Streams, CopyFromCopiesTheCountOrAllOfTheSourceFromItsStart) {
  TStringStream source("0123456789");
  TMemoryStream dest;
  source.SetPosition(7);
  EXPECT_EQ(dest.CopyFrom(&source, 0), 10);
  EXPECT_EQ(Bytes(dest), "0123456789");

  source.SetPosition(2);
  dest.Clear();
  EXPECT_EQ(dest.CopyFrom(&source, 3), 3);
  EXPECT_EQ(Bytes(dest), "234");
  EXPECT_EQ(source.Position(), 5);

  source.SetPosition(8);
  EXPECT_THROW(dest.CopyFrom(&source, 5), EReadError) << "fewer bytes than asked";

  // Larger than the copy buffer.
  std::string big(200000, 'q');
  big[123456] = 'x';
  TStringStream bigSource(big);
  TStringStream bigDest;
  bigDest.CopyFrom(&bigSource, 0);
  EXPECT_EQ(bigDest.DataString(), big);
}

TEST(Streams, StringStreamReadsAndWritesStrings) {
  TStringStream s("hello world");
  EXPECT_EQ(s.ReadString(5), "hello");
  EXPECT_EQ(s.ReadString(100), " world");
  EXPECT_EQ(s.ReadString(3), "");
  s.WriteString("!!");
  EXPECT_EQ(s.DataString(), "hello world!!");
  s.SetSize(5);
  EXPECT_EQ(s.Position(), 5);
  EXPECT_EQ(s.DataString(), "hello");
}

TEST(FileStreams, NonAsciiNamesRoundTripThroughLoadAndSave) {
  const std::string name = TempName("Bild-\xC3\xA4\xC3\xB6\xC3\xBC-\xE6\xBC\xA2\xE5\xAD\x97") + ".gif";
  {
    TMemoryStream m;
    m.WriteBuffer("GIF89a\0\x01", 8);
    m.SaveToFile(name);
  }
  ASSERT_TRUE(FileExists(name));
  EXPECT_EQ(ExtractFileExt(name), ".gif");

  TSearchRec rec;
  ASSERT_EQ(FindFirst(name, faAnyFile, rec), 0);
  EXPECT_EQ(rec.Name, ExtractFileName(name));
  EXPECT_EQ(rec.Size, 8);
  FindClose(rec);

  TMemoryStream back;
  back.LoadFromFile(name);
  ASSERT_EQ(back.Size(), 8);
  EXPECT_EQ(std::memcmp(back.Memory(), "GIF89a\0\x01", 8), 0);

  {
    TFileStream f(name, fmOpenReadWrite);
    f.SetSize(3);
    EXPECT_EQ(f.Size(), 3);
  }
  EXPECT_EQ(FileGetSize(name), 3);
  EXPECT_TRUE(DeleteFile(name));
  EXPECT_FALSE(FileExists(name));
}

TEST(FileStreams, OpenErrorsAndShareModes) {
  const std::string missing = TempName("no-such-file") + ".gif";
  try {
    TFileStream f(missing, fmOpenRead);
    FAIL() << "opened a missing file";
  } catch (const EFOpenError& e) {
    const std::string expected = "Cannot open file \"" + missing + "\". ";
    EXPECT_EQ(e.Message().substr(0, expected.size()), expected);
    EXPECT_GT(e.Message().size(), expected.size()) << "the system's reason follows";
  }
  EXPECT_THROW(TFileStream(GetTempPathStr() + "no\\such\\dir\\x.gif", fmCreate), EFCreateError);

  const std::string name = TempName("share");
  {
    TFileStream writer(name, fmCreate);
    writer.WriteBuffer("abc", 3);
    EXPECT_THROW(TFileStream(name, fmOpenRead | fmShareDenyNone), EFOpenError)
        << "fmCreate opens exclusively";
  }
  {
    TFileStream reader(name, fmOpenRead | fmShareDenyWrite);
    TFileStream second(name, fmOpenRead | fmShareDenyNone);  // reading alongside is allowed
    char c;
    second.ReadBuffer(&c, 1);
    EXPECT_EQ(c, 'a');
    EXPECT_THROW(TFileStream(name, fmOpenWrite | fmShareDenyNone), EFOpenError) << "writing is denied";
    EXPECT_EQ(reader.Write("x", 1), 0) << "a read-only stream writes nothing";
    EXPECT_THROW(reader.WriteBuffer("x", 1), EWriteError);
  }
  {
    TFileStream exclusive(name, fmOpenReadWrite | fmShareExclusive);
    EXPECT_THROW(TFileStream(name, fmOpenRead | fmShareDenyNone), EFOpenError);
  }
  DeleteFile(name);
}

TEST(Streams, ResourceStreamReportsAMissingResource) {
  try {
    TResourceStream r(::GetModuleHandleW(nullptr), "NO_SUCH_FORM", MAKEINTRESOURCEW(10));
    FAIL() << "found a resource that does not exist";
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Resource NO_SUCH_FORM not found");
  }
  EXPECT_THROW(TResourceStream(::GetModuleHandleW(nullptr), 4711, MAKEINTRESOURCEW(10)), EResNotFound);
}
