#include "framework/core/Classes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

TEST(MemoryStream, WriteSeekReadAndGrow) {
  TMemoryStream m;
  m.WriteBuffer("hello", 5);
  EXPECT_EQ(5, m.Size());
  m.SetPosition(10);
  m.WriteBuffer("!", 1);
  EXPECT_EQ(11, m.Size());
  EXPECT_EQ(0, m.Memory()[7]);  // the gap is zero-filled
  m.SetPosition(0);
  char buf[5];
  m.ReadBuffer(buf, 5);
  EXPECT_EQ(0, memcmp(buf, "hello", 5));
  EXPECT_EQ(11, m.Seek(0, soEnd));
  EXPECT_EQ(0, m.Read(buf, 1));
}

TEST(MemoryStream, ShortReadsRaiseReadError) {
  TMemoryStream m;
  m.WriteBuffer("ab", 2);
  m.SetPosition(1);
  char buf[4];
  try {
    m.ReadBuffer(buf, 4);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ("Stream read error", e.Message());
  }
  EXPECT_THROW(m.ReadBuffer(buf, -1), EReadError);
}

TEST(MemoryStream, SetSizeTruncatesAndClampsPosition) {
  TMemoryStream m;
  m.WriteBuffer("abcdef", 6);
  m.SetSize(3);
  EXPECT_EQ(3, m.Position());
  EXPECT_EQ(3, m.Size());
  EXPECT_THROW(m.SetSize(-1), EStreamError);
  m.Clear();
  EXPECT_EQ(0, m.Size());
  EXPECT_EQ(0, m.Position());
}

TEST(MemoryStream, CopyFromZeroCopiesTheWholeSource) {
  TMemoryStream src, dst;
  src.WriteBuffer("0123456789", 10);
  src.SetPosition(7);
  EXPECT_EQ(10, dst.CopyFrom(src, 0));
  EXPECT_EQ("0123456789", String(reinterpret_cast<const char*>(dst.Memory()), 10));
  src.SetPosition(2);
  TMemoryStream part;
  part.CopyFrom(src, 3);
  EXPECT_EQ("234", String(reinterpret_cast<const char*>(part.Memory()), 3));
  src.SetPosition(8);
  EXPECT_THROW(part.CopyFrom(src, 5), EReadError);
}

TEST(BytesStream, ReadsBorrowedMemoryAndRefusesWrites) {
  const char data[] = "xyz";
  TBytesStream s(data, 3);
  char c;
  s.SetPosition(2);
  s.ReadBuffer(&c, 1);
  EXPECT_EQ('z', c);
  EXPECT_THROW(s.WriteBuffer("a", 1), EWriteError);
}

TEST(FileStream, CreateWriteReopenRead) {
  auto dir = std::filesystem::temp_directory_path() / "qn_core_streams";
  std::filesystem::create_directories(dir);
  String path = (dir / "f.bin").string();
  {
    TFileStream f(path, fmCreate);
    f.WriteBuffer("data\r\n", 6);
    f.SetSize(10);
    EXPECT_EQ(10, f.Size());
  }
  TMemoryStream m;
  m.LoadFromFile(path);
  ASSERT_EQ(10, m.Size());
  EXPECT_EQ(0, memcmp(m.Memory(), "data\r\n\0\0\0\0", 10));
  TStringList lines;
  lines.LoadFromFile(path);
  EXPECT_EQ("data", lines[0]);
  std::filesystem::remove_all(dir);
}

TEST(FileStream, MissingFileNamesItInTheError) {
  try {
    TFileStream f("/nonexistent/dir/x.bin", fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_NE(String::npos, e.Message().find("/nonexistent/dir/x.bin"));
  }
  EXPECT_THROW(TFileStream("/nonexistent/dir/x.bin", fmCreate), EFCreateError);
}
