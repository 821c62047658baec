// Inflating zlib streams (packed skin entries, PNG image data) with the
// checksum done here: zlib's own Adler-32 is a byte loop and cost as much as
// the inflating itself. Results, return codes and messages are zlib's.
#pragma once
#include <zlib.h>

#include <cstddef>
#include <cstdint>

// Adler-32 of the bytes, continuing from adler (1 to start), as zlib's adler32.
uint32_t Adler32(uint32_t adler, const uint8_t* data, size_t size);

// One zlib stream: use Z like a z_stream (next_in, avail_in, next_out,
// avail_out, msg) and Inflate like inflate(&Z, Z_NO_FLUSH). The two-byte
// header and the four-byte checksum after the data are read here, even when
// they arrive a byte at a time, and consumed exactly like zlib does.
class TacZlibInflater {
public:
  TacZlibInflater() = default;
  ~TacZlibInflater();
  TacZlibInflater(const TacZlibInflater&) = delete;
  TacZlibInflater& operator=(const TacZlibInflater&) = delete;

  // Z_OK, or zlib's error when it cannot start (out of memory).
  int Init();
  // Z_FINISH tells that the output space holds all that is left: zlib then
  // keeps no window copy when the stream ends in this call. The results
  // are those of Z_NO_FLUSH either way.
  int Inflate(int flush = Z_NO_FLUSH);

  z_stream Z{};

private:
  enum class TacPhase { Header, DictId, NeedDict, Data, Trailer, Done, Bad };
  int Fail(const char* message);
  // Moves input bytes into FBytes until it holds count; true when it does.
  bool Gather(int count, bool& progress);

  bool FStarted = false;
  TacPhase FPhase = TacPhase::Header;
  uint8_t FBytes[4] = {};  // header, dictionary id or trailer bytes gathered so far
  int FHave = 0;
  uint32_t FAdler = 1;
};
