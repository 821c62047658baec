#include "skin/acInflate.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr uint32_t AdlerBase = 65521;
// The most bytes before the sums must be reduced (zlib's NMAX): keeps the
// second sum within 32 bits.
constexpr size_t AdlerRun = 5552;

#if defined(__SSE2__)
uint32_t SumLanes(__m128i v) {
  v = _mm_add_epi32(v, _mm_shuffle_epi32(v, 0x4E));
  v = _mm_add_epi32(v, _mm_shuffle_epi32(v, 0xB1));
  return uint32_t(_mm_cvtsi128_si32(v));
}
#endif

}  // namespace

uint32_t Adler32(uint32_t adler, const uint8_t* p, size_t n) {
  uint32_t a = adler & 0xFFFF, b = adler >> 16;
  while (n > 0) {
    size_t run = std::min(n, AdlerRun);
    n -= run;
#if defined(__SSE2__)
    // Sixteen bytes x0..x15 add sum(x) to a and 16 a + sum((16 - i) xi) to b.
    if (const size_t blocks = run / 16) {
      const __m128i zero = _mm_setzero_si128();
      const __m128i weightsLo = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
      const __m128i weightsHi = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
      __m128i sum = zero, sumBefore = zero, weighted = zero;
      for (size_t k = 0; k < blocks; ++k, p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        sumBefore = _mm_add_epi32(sumBefore, sum);
        sum = _mm_add_epi32(sum, _mm_sad_epu8(x, zero));
        weighted = _mm_add_epi32(weighted, _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(x, zero), weightsLo),
                                                         _mm_madd_epi16(_mm_unpackhi_epi8(x, zero), weightsHi)));
      }
      const uint64_t b64 = b + uint64_t(blocks) * 16 * a + 16 * uint64_t(SumLanes(sumBefore)) + SumLanes(weighted);
      a += SumLanes(sum);
      b = uint32_t(b64 % AdlerBase);
      run -= blocks * 16;
    }
#endif
    for (; run > 0; --run) {
      a += *p++;
      b += a;
    }
    a %= AdlerBase;
    b %= AdlerBase;
  }
  return b << 16 | a;
}

TacZlibInflater::~TacZlibInflater() {
  if (FStarted) inflateEnd(&Z);
}

int TacZlibInflater::Init() {
  // Raw deflate: the zlib header and checksum are handled in Inflate.
  const int rc = inflateInit2(&Z, -MAX_WBITS);
  FStarted = rc == Z_OK;
  return rc;
}

int TacZlibInflater::Fail(const char* message) {
  Z.msg = const_cast<char*>(message);
  FPhase = TacPhase::Bad;
  return Z_DATA_ERROR;
}

bool TacZlibInflater::Gather(int count, bool& progress) {
  while (FHave < count && Z.avail_in > 0) {
    FBytes[FHave++] = *Z.next_in++;
    --Z.avail_in;
    ++Z.total_in;
    progress = true;
  }
  return FHave == count;
}

int TacZlibInflater::Inflate(int flush) {
  // As zlib: Z_BUF_ERROR when a call could neither consume nor produce.
  bool progress = false;
  for (;;) {
    switch (FPhase) {
      case TacPhase::Header: {
        if (!Gather(2, progress)) return progress ? Z_OK : Z_BUF_ERROR;
        const unsigned cmf = FBytes[0], flg = FBytes[1];
        if ((cmf << 8 | flg) % 31 != 0) return Fail("incorrect header check");
        if ((cmf & 0x0F) != Z_DEFLATED) return Fail("unknown compression method");
        if ((cmf >> 4) + 8 > MAX_WBITS) return Fail("invalid window size");
        FHave = 0;
        FPhase = flg & 0x20 ? TacPhase::DictId : TacPhase::Data;
        break;
      }
      case TacPhase::DictId:
        if (!Gather(4, progress)) return progress ? Z_OK : Z_BUF_ERROR;
        FPhase = TacPhase::NeedDict;
        break;
      case TacPhase::NeedDict:
        return Z_NEED_DICT;  // no preset dictionary is ever given
      case TacPhase::Data: {
        const uInt inBefore = Z.avail_in;
        uint8_t* const out = Z.next_out;
        const int rc = inflate(&Z, flush == Z_FINISH ? Z_FINISH : Z_NO_FLUSH);
        const size_t produced = size_t(Z.next_out - out);
        if (produced > 0) FAdler = Adler32(FAdler, out, produced);
        if (produced > 0 || Z.avail_in != inBefore) progress = true;
        if (rc == Z_STREAM_END) {
          FHave = 0;
          FPhase = TacPhase::Trailer;
          break;
        }
        if (rc == Z_OK || rc == Z_BUF_ERROR) return progress ? Z_OK : Z_BUF_ERROR;
        FPhase = TacPhase::Bad;
        return rc;
      }
      case TacPhase::Trailer: {
        if (!Gather(4, progress)) return progress ? Z_OK : Z_BUF_ERROR;
        const uint32_t stored = uint32_t(FBytes[0]) << 24 | uint32_t(FBytes[1]) << 16 | uint32_t(FBytes[2]) << 8 | FBytes[3];
        if (stored != FAdler) return Fail("incorrect data check");
        FPhase = TacPhase::Done;
        return Z_STREAM_END;
      }
      case TacPhase::Done:
        return Z_STREAM_END;
      case TacPhase::Bad:
        return Z_DATA_ERROR;
    }
  }
}
