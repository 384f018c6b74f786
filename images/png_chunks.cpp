#include "images/png_chunks.h"

#include "images/png_image.h"

#include <cmath>
#include <cstring>

const char* const PNGInvalidHeader =
    "Invalid Portable Graphics Network image, it has an invalid file header.";
const char* const PNGMissingIHDR =
    "This PNG image is invalid, the IHDR chunk is either not present or it isn't the first chunk.";
const char* const PNGNoImageData =
    "The current image being loaded has no data and could not be loaded.";
const char* const PNGUnknownCritical =
    "The currently being loaded image contains critical(s) chunk(s) not reconized by the decoder.";
const char* const PNGCrcError = "Can't read the PNG image, it has corrupted data. ";
const char* const PNGInvalidPalette = "The current image being loaded has an invalid palette!";
const char* const PNGUnknownColorType =
    "Could not read the image because it has an unknown color type.";
const char* const PNGUnknownInterlace = "The image has an unknown interlace method.";
const char* const PNGUnknownFilter =
    "The image could not be loaded because it uses an unknown set of filter types.";
const char* const PNGNotRGB =
    "Can not get transparency information because the current image color type is not RGB "
    "(value 3)";
const char* const PNGMissingPalette =
    "The current image requeries a palette but it is not avaliable.";
const char* const PNGInvalidIHDR =
    "The image header is invalid: its size, bit depth or methods are out of range.";
const char* const PNGTruncated = "The image data is truncated.";

namespace {

const char* const PNGChunkClassIndex = "The chunk class index especified is  out of range.";
const char* const PNGChunkIndex = "The chunk index especified is out of the range.";

const uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t ReadBigEndian(const uint8_t* P) {
  return (uint32_t(P[0]) << 24) | (uint32_t(P[1]) << 16) | (uint32_t(P[2]) << 8) | P[3];
}

// Eight tables so that the CRC consumes eight bytes per step.
struct TCrcTables {
  uint32_t T[8][256];
  TCrcTables() {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      T[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; ++n)
      for (int k = 1; k < 8; ++k) T[k][n] = (T[k - 1][n] >> 8) ^ T[0][T[k - 1][n] & 0xFF];
  }
};

const TCrcTables& CrcTables() {
  static const TCrcTables tables;  // built on first use
  return tables;
}

template <class T>
std::unique_ptr<TChunk> Make(TChunkList* Owner, const char* Type, const uint8_t* Data,
                             uint32_t Size) {
  return std::make_unique<T>(Owner, Type, Data, Size);
}

const TChunkClasses::TEntry ChunkRegistry[] = {
    {"IHDR", Make<TChunkIHDR>}, {"PLTE", Make<TChunkPLTE>}, {"IDAT", Make<TChunkIDAT>},
    {"IEND", Make<TChunkIEND>}, {"tRNS", Make<TChunkTRNS>}, {"gAMA", Make<TChunkGAMA>},
    {"tEXt", Make<TChunkTEXT>},
};

}  // namespace

EPNGImageException::EPNGImageException(const std::string& Detail)
    : Exception("Portable Network Graphics format handler error\r\n\r\n" + Detail),
      FDetail(Detail) {}

uint32_t PngCrc32(uint32_t Crc, const uint8_t* Data, size_t Size) {
  const TCrcTables& t = CrcTables();
  uint32_t c = ~Crc;
  while (Size >= 8) {
    uint32_t lo = c ^ (uint32_t(Data[0]) | uint32_t(Data[1]) << 8 | uint32_t(Data[2]) << 16 |
                       uint32_t(Data[3]) << 24);
    c = t.T[7][lo & 0xFF] ^ t.T[6][(lo >> 8) & 0xFF] ^ t.T[5][(lo >> 16) & 0xFF] ^
        t.T[4][lo >> 24] ^ t.T[3][Data[4]] ^ t.T[2][Data[5]] ^ t.T[1][Data[6]] ^
        t.T[0][Data[7]];
    Data += 8;
    Size -= 8;
  }
  while (Size--) c = t.T[0][(c ^ *Data++) & 0xFF] ^ (c >> 8);
  return ~c;
}

TChunk::TChunk(TChunkList* Owner, const char* ChunkType, const uint8_t* Data, uint32_t Size)
    : FData(Data), FSize(Size), FOwner(Owner) {
  std::memcpy(FChunkType, ChunkType, 4);
}

TPNGImage& TChunk::Image() const { return *FOwner->FImage; }

const uint8_t* TChunk::GammaTable() const {
  const TChunkGAMA* gamma = FOwner->Gamma();
  return gamma ? gamma->FForward : nullptr;
}

const TChunkIHDR* TChunk::Header() const {
  return static_cast<const TChunkIHDR*>(FOwner->Find("IHDR"));
}

TChunkIHDR::TChunkIHDR(TChunkList* Owner, const char* ChunkType, const uint8_t* Data,
                       uint32_t Size)
    : TChunk(Owner, ChunkType, Data, Size) {
  if (Size < 13) return;  // Validate rejects it
  FWidth = ReadBigEndian(Data);
  FHeight = ReadBigEndian(Data + 4);
  FBitDepth = Data[8];
  FColorType = Data[9];
  FCompression = Data[10];
  FFilter = Data[11];
  FInterlace = Data[12];
}

void TChunkIHDR::Validate() const {
  if (FSize != 13 || FWidth == 0 || FHeight == 0 || FWidth > 0x7FFFFFFFu ||
      FHeight > 0x7FFFFFFFu || FCompression != 0 || FFilter != 0)
    throw EPNGImageException(PNGInvalidIHDR);
  bool depthOk = false;
  switch (FColorType) {
    case 0: depthOk = FBitDepth == 1 || FBitDepth == 2 || FBitDepth == 4 || FBitDepth == 8 ||
                      FBitDepth == 16; break;
    case 3: depthOk = FBitDepth == 1 || FBitDepth == 2 || FBitDepth == 4 || FBitDepth == 8; break;
    case 2: case 4: case 6: depthOk = FBitDepth == 8 || FBitDepth == 16; break;
    default: throw EPNGImageException(PNGUnknownColorType);
  }
  if (!depthOk) throw EPNGImageException(PNGInvalidIHDR);
  if (FInterlace > 1) throw EPNGImageException(PNGUnknownInterlace);
}

TChunkIDAT::TChunkIDAT(TChunkList* Owner, const char* ChunkType, const uint8_t* Data,
                       uint32_t Size)
    : TChunk(Owner, ChunkType, Data, Size) {
  Append(Data, Size);
}

void TChunkIDAT::Process() { Image().DecodeImageData(*this); }

// How far from 1 the correction exponent's inverse may be and still count as none.
constexpr double GammaTolerance = 0.05;

TChunkGAMA::TChunkGAMA(TChunkList* Owner, const char* ChunkType, const uint8_t* Data,
                       uint32_t Size)
    : TChunk(Owner, ChunkType, Data, Size) {
  if (Size != 4) return;
  uint32_t value = ReadBigEndian(Data);
  if (value == 0) return;
  // The file's gamma times the display's 2.2 gives the correction exponent. One within 5%
  // of 1 is the display's own gamma written loosely: correcting by it would only shift
  // flat colours by a level.
  const double product = (double(value) / 100000.0) * 2.2;
  if (std::abs(product - 1.0) < GammaTolerance) return;
  double exponent = 1.0 / product;
  for (int i = 0; i < 256; ++i) {
    double v = std::nearbyint(255.0 * std::pow(i / 255.0, exponent));  // halves to even
    FForward[i] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    FInverse[FForward[i]] = uint8_t(i);
  }
  FValid = true;
}

int TChunkClasses::Count() { return int(std::size(ChunkRegistry)); }

const TChunkClasses::TEntry& TChunkClasses::Item(int Index) {
  if (Index < 0 || Index >= Count()) throw EPNGImageException(PNGChunkClassIndex);
  return ChunkRegistry[Index];
}

int TChunkClasses::Find(const char* ChunkType) {
  for (int i = 0; i < Count(); ++i)
    if (std::memcmp(ChunkRegistry[i].Type, ChunkType, 4) == 0) return i;
  return -1;
}

TChunk& TChunkList::Item(int Index) const {
  if (Index < 0 || Index >= Count()) throw EPNGImageException(PNGChunkIndex);
  return *FChunks[size_t(Index)];
}

TChunk* TChunkList::Find(const char* ChunkType) const {
  for (const auto& chunk : FChunks)
    if (std::memcmp(chunk->FChunkType, ChunkType, 4) == 0) return chunk.get();
  return nullptr;
}

const TChunkGAMA* TChunkList::Gamma() const {
  auto* gamma = static_cast<const TChunkGAMA*>(Find("gAMA"));
  return gamma && gamma->Valid() ? gamma : nullptr;
}

void TChunkList::ReadFromMemory(const uint8_t* Data, size_t Size) {
  FChunks.clear();
  FTruncated = false;
  if (Size < 8 || std::memcmp(Data, PngSignature, 8) != 0)
    throw EPNGImageException(PNGInvalidHeader);
  size_t pos = 8;
  TChunkIDAT* firstIdat = nullptr;
  while (pos < Size) {
    // A chunk that does not fit in the data ends the reading: the checks that follow
    // decide whether what was read is an image.
    if (Size - pos < 12) {
      FTruncated = true;
      break;
    }
    uint32_t length = ReadBigEndian(Data + pos);
    const char* type = reinterpret_cast<const char*>(Data + pos + 4);
    if (length > 0x7FFFFFFFu || length > Size - pos - 12) {
      FTruncated = true;
      break;
    }
    const uint8_t* body = Data + pos + 8;
    int known = TChunkClasses::Find(type);
    // Bit 5 of the first letter clear: a critical chunk.
    if (known < 0 && (type[0] & 0x20) == 0) throw EPNGImageException(PNGUnknownCritical);
    uint32_t crc = ReadBigEndian(body + length);
    if (PngCrc32(0, Data + pos + 4, size_t(length) + 4) != crc)
      throw EPNGImageException(PNGCrcError);
    pos += size_t(length) + 12;

    if (known >= 0 && std::memcmp(type, "IDAT", 4) == 0 && firstIdat) {
      firstIdat->Append(body, length);
      continue;
    }
    std::unique_ptr<TChunk> chunk = known >= 0 ? TChunkClasses::Item(known).Create(this, type, body, length)
                                               : std::make_unique<TChunk>(this, type, body, length);
    if (!firstIdat && std::memcmp(type, "IDAT", 4) == 0)
      firstIdat = static_cast<TChunkIDAT*>(chunk.get());
    FChunks.push_back(std::move(chunk));
    if (std::memcmp(type, "IEND", 4) == 0) break;
  }
}
