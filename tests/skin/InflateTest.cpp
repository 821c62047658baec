// The zlib stream reader with its own checksum against zlib itself: the same
// return codes, messages, consumed input and output, call by call.
#include "skin/acInflate.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using TBlob = std::vector<uint8_t>;

TBlob Compress(const TBlob& data) {
  uLongf size = compressBound(uLong(data.size()));
  TBlob out(size);
  compress(out.data(), &size, data.data(), uLong(data.size()));
  out.resize(size);
  return out;
}

TBlob Sample(size_t n, bool noisy) {
  std::mt19937 rng(11);
  TBlob b(n);
  for (size_t i = 0; i < n; ++i) b[i] = noisy ? uint8_t(rng()) : uint8_t(i / 7 % 251);
  return b;
}

// Every call: return code, message, input left and output made.
struct TStep {
  int Rc;
  std::string Msg;
  uInt InLeft;
  size_t Out;
  bool operator==(const TStep&) const = default;
};

template <typename Call>
std::vector<TStep> Run(z_stream& z, Call call, const TBlob& in, size_t inStep, size_t outStep, TBlob& out) {
  std::vector<TStep> steps;
  out.assign(in.size() * 8 + 64, 0);
  size_t given = 0, made = 0;
  for (int guard = 0; guard < 200000; ++guard) {
    if (z.avail_in == 0 && given < in.size()) {
      z.next_in = const_cast<Bytef*>(in.data() + given);
      z.avail_in = uInt(std::min(inStep, in.size() - given));
      given += z.avail_in;
    }
    z.next_out = out.data() + made;
    z.avail_out = uInt(std::min(outStep, out.size() - made));
    const int rc = call();
    made = size_t(z.next_out - out.data());
    steps.push_back({rc, z.msg ? z.msg : "", z.avail_in, made});
    if (rc != Z_OK || (given == in.size() && z.avail_in == 0 && steps.size() > 1 && steps.back() == steps[steps.size() - 2]))
      break;
  }
  out.resize(made);
  return steps;
}

void ExpectLikeZlib(const TBlob& stream, size_t inStep, size_t outStep) {
  z_stream ref{};
  ASSERT_EQ(inflateInit(&ref), Z_OK);
  TBlob refOut, ourOut;
  const auto want = Run(ref, [&] { return inflate(&ref, Z_NO_FLUSH); }, stream, inStep, outStep, refOut);
  inflateEnd(&ref);
  for (int flush : {Z_NO_FLUSH, Z_FINISH}) {  // the finish hint changes nothing seen
    TacZlibInflater ours;
    ASSERT_EQ(ours.Init(), Z_OK);
    const auto got = Run(ours.Z, [&] { return ours.Inflate(flush); }, stream, inStep, outStep, ourOut);
    ASSERT_EQ(got.size(), want.size()) << inStep << "/" << outStep << " flush " << flush;
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(got[i].Rc, want[i].Rc) << "call " << i;
      EXPECT_EQ(got[i].Msg, want[i].Msg) << "call " << i;
      EXPECT_EQ(got[i].InLeft, want[i].InLeft) << "call " << i;
      EXPECT_EQ(got[i].Out, want[i].Out) << "call " << i;
    }
    EXPECT_EQ(ourOut, refOut);
  }
}

TEST(ZlibStreams, Adler32AgreesWithZlib) {
  const TBlob data = Sample(70000, true);
  for (size_t n : {0, 1, 15, 16, 17, 31, 5552, 5553, 11104, 70000})
    for (uint32_t start : {1u, 0xFFF0FFF0u, 0x12345678u % 65521u})
      EXPECT_EQ(Adler32(start, data.data(), n), uint32_t(adler32(start, data.data(), uInt(n)))) << n;
  const TBlob ones(70000, 0xFF);  // the largest sums
  EXPECT_EQ(Adler32(0xFFF0FFF0u, ones.data(), ones.size()), uint32_t(adler32(0xFFF0FFF0u, ones.data(), 70000)));
}

TEST(ZlibStreams, GoodStreamsInAnyPieces) {
  for (bool noisy : {false, true}) {
    const TBlob stream = Compress(Sample(20000, noisy));
    for (size_t inStep : {size_t(1), size_t(3), size_t(4096), stream.size()})
      for (size_t outStep : {size_t(1000), size_t(65536)}) ExpectLikeZlib(stream, inStep, outStep);
  }
}

TEST(ZlibStreams, DamagedHeadersTrailersAndEnds) {
  const TBlob good = Compress(Sample(3000, false));
  auto damaged = [&](auto change) {
    TBlob s = good;
    change(s);
    return s;
  };
  const TBlob cases[] = {
      damaged([](TBlob& s) { s[1] ^= 1; }),                      // header check
      damaged([](TBlob& s) { s[0] = 0x77, s[1] = 0x09; }),       // method 7
      damaged([](TBlob& s) { s[0] = 0x88, s[1] = 0x1C; }),       // 64 KiB window
      damaged([](TBlob& s) { s[0] = 0x78, s[1] = 0xBB; }),       // preset dictionary
      damaged([](TBlob& s) { if (!s.empty()) s.back() ^= 0x40; }),  // checksum
      damaged([](TBlob& s) { s.resize(s.size() - 2); }),         // checksum cut short
      damaged([](TBlob& s) { s.resize(s.size() / 2); }),         // data cut short
      damaged([](TBlob& s) { s.insert(s.end(), {1, 2, 3}); }),  // bytes after the end
      damaged([](TBlob& s) { s[5] ^= 0xFF; }),                   // data
      TBlob{0x78},
      TBlob{},
  };
  for (const TBlob& s : cases)
    for (size_t inStep : {size_t(1), size_t(2), size_t(5000)}) ExpectLikeZlib(s, inStep, 512);
}

}  // namespace
