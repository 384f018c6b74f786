// The chunk structure of PNG files: chunk objects, the registry of known types, the
// list read from one file, and the reader's exception.
#pragma once

#include "common/classes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class TPNGImage;
class TChunkList;
class TChunkIHDR;
class TChunkGAMA;

// Every decoding error of the PNG reader. Message is the full framed text; Detail()
// the specific message.
class EPNGImageException : public Exception {
 public:
  explicit EPNGImageException(const std::string& Detail);
  const std::string& Detail() const { return FDetail; }

 private:
  std::string FDetail;
};

// The reader's messages.
extern const char* const PNGInvalidHeader;     // signature
extern const char* const PNGMissingIHDR;       // no IHDR first
extern const char* const PNGNoImageData;       // no IDAT
extern const char* const PNGUnknownCritical;   // critical chunk type not known
extern const char* const PNGCrcError;          // CRC mismatch
extern const char* const PNGInvalidPalette;    // PLTE size not a multiple of 3
extern const char* const PNGUnknownColorType;
extern const char* const PNGUnknownInterlace;
extern const char* const PNGUnknownFilter;
extern const char* const PNGNotRGB;            // transparent colour asked of a non-RGB image
extern const char* const PNGMissingPalette;    // palette image without PLTE
extern const char* const PNGInvalidIHDR;       // sizes, depth or methods out of range
extern const char* const PNGTruncated;         // image data ends before the last row

// CRC-32 with the polynomial 0xEDB88320, continuing from Crc (0 to start).
uint32_t PngCrc32(uint32_t Crc, const uint8_t* Data, size_t Size);

// One chunk. The data lives in the stream being read: chunks exist only while their
// list is being loaded.
class TChunk {
 public:
  TChunk(TChunkList* Owner, const char* ChunkType, const uint8_t* Data, uint32_t Size);
  virtual ~TChunk() = default;
  TChunk(const TChunk&) = delete;
  TChunk& operator=(const TChunk&) = delete;

  // Acts on the chunk once every chunk has been read.
  virtual void Process() {}

  TPNGImage& Image() const;
  // The list's gAMA forward table, or nullptr when the file has none.
  const uint8_t* GammaTable() const;
  const TChunkIHDR* Header() const;

  char FChunkType[5] = {};
  const uint8_t* FData;
  uint32_t FSize;
  TChunkList* FOwner;
};

class TChunkIHDR : public TChunk {
 public:
  TChunkIHDR(TChunkList* Owner, const char* ChunkType, const uint8_t* Data, uint32_t Size);
  // Throws when the header is malformed or describes no valid PNG image.
  void Validate() const;

  uint32_t FWidth = 0, FHeight = 0;
  uint8_t FBitDepth = 0, FColorType = 0, FCompression = 0, FFilter = 0, FInterlace = 0;
};

class TChunkPLTE : public TChunk {
  using TChunk::TChunk;
};

// The first IDAT of a file collects the data of every later one.
class TChunkIDAT : public TChunk {
 public:
  TChunkIDAT(TChunkList* Owner, const char* ChunkType, const uint8_t* Data, uint32_t Size);
  void Append(const uint8_t* Data, uint32_t Size) { FParts.push_back({Data, Size}); }
  void Process() override;

  struct TPart {
    const uint8_t* Data;
    uint32_t Size;
  };
  std::vector<TPart> FParts;
};

class TChunkIEND : public TChunk {
  using TChunk::TChunk;
};

class TChunkTRNS : public TChunk {
  using TChunk::TChunk;
};

// Gamma tables: forward (file sample to display value) and its inverse. Built when the
// chunk is read, so a gAMA placed after the image data still applies.
class TChunkGAMA : public TChunk {
 public:
  TChunkGAMA(TChunkList* Owner, const char* ChunkType, const uint8_t* Data, uint32_t Size);
  void Process() override {}
  // False for a malformed chunk or a gamma of 0, which are ignored.
  bool Valid() const { return FValid; }

  uint8_t FForward[256] = {};
  uint8_t FInverse[256] = {};

 private:
  bool FValid = false;
};

class TChunkTEXT : public TChunk {
  using TChunk::TChunk;
};

// Registry of the known chunk types, searched in order.
class TChunkClasses {
 public:
  using TFactory = std::unique_ptr<TChunk> (*)(TChunkList*, const char*, const uint8_t*, uint32_t);
  struct TEntry {
    char Type[5];
    TFactory Create;
  };
  static int Count();
  static const TEntry& Item(int Index);  // throws (message 65342) out of range
  static int Find(const char* ChunkType);  // -1 when unknown
};

// The chunks of one file, in file order; owns them.
class TChunkList {
 public:
  explicit TChunkList(TPNGImage* Image) : FImage(Image) {}

  // Parses Data as a PNG file: signature, chunks up to IEND or the end of the data.
  // Checks every CRC; collects IDAT data; fails on unknown critical chunks.
  void ReadFromMemory(const uint8_t* Data, size_t Size);

  int Count() const { return int(FChunks.size()); }
  TChunk& Item(int Index) const;  // throws (message 65341) out of range
  // The first chunk of the type, or nullptr.
  TChunk* Find(const char* ChunkType) const;
  const TChunkGAMA* Gamma() const;
  // True when the last chunk ran past the end of the data and was dropped.
  bool Truncated() const { return FTruncated; }

  TPNGImage* FImage;
  std::vector<std::unique_ptr<TChunk>> FChunks;

 private:
  bool FTruncated = false;
};
