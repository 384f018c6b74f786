#include "images/jpeg_image.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// libjpeg reports errors by calling error_exit, which must not return: ours jumps
// back to the decoding function, which then fails with the message. No C++ object
// with a destructor lives in the frames that the jump leaves.
struct TJpegErrorManager {
  jpeg_error_mgr Pub;  // first, so the library's pointer is ours
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX + 64];
  char FirstWarning[JMSG_LENGTH_MAX];
  int Warnings;
  bool DataEnded;
};

TJpegErrorManager& ManagerOf(j_common_ptr Info) {
  return *reinterpret_cast<TJpegErrorManager*>(Info->err);
}

void ErrorExit(j_common_ptr Info) {
  TJpegErrorManager& m = ManagerOf(Info);
  (*Info->err->format_message)(Info, m.Message);
  std::longjmp(m.Jump, 1);
}

void EmitMessage(j_common_ptr Info, int Level) {
  if (Level >= 0) return;  // trace output
  TJpegErrorManager& m = ManagerOf(Info);
  if (Info->err->msg_code == JWRN_JPEG_EOF) m.DataEnded = true;
  if (m.Warnings++ == 0) (*Info->err->format_message)(Info, m.FirstWarning);
  Info->err->num_warnings++;
}

void OutputMessage(j_common_ptr) {}

void CheckScanCount(j_common_ptr Info) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(Info);
  if (decompress->input_scan_number > TJPEGImage::MaxScans) {
    TJpegErrorManager& m = ManagerOf(Info);
    std::snprintf(m.Message, sizeof m.Message, "The image has more than %d scans.", TJPEGImage::MaxScans);
    std::longjmp(m.Jump, 1);
  }
}

struct TDecodeState {
  TDecodeState() {
    std::memset(&Info, 0, sizeof Info);
    std::memset(&Error, 0, sizeof Error);
    std::memset(&Progress, 0, sizeof Progress);
  }
  ~TDecodeState() { jpeg_destroy_decompress(&Info); }  // safe on a struct never created
  TDecodeState(const TDecodeState&) = delete;
  TDecodeState& operator=(const TDecodeState&) = delete;

  jpeg_decompress_struct Info;
  TJpegErrorManager Error;
  jpeg_progress_mgr Progress;
  TImageBuffer Bitmap;
  std::vector<uint8_t> CmykRow;
  std::string SizeError;
  bool Grayscale = false, Progressive = false;
};

// CMYK samples to blue, green, red. Adobe's files store the inks inverted (255 is no
// ink), which is what the APP14 marker tells.
void CmykToBgr(const uint8_t* S, uint8_t* D, int Width, bool Inverted) {
  for (int x = 0; x < Width; ++x, S += 4, D += 3) {
    int c = S[0], m = S[1], y = S[2], k = S[3];
    if (!Inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    D[0] = uint8_t((y * k + 127) / 255);
    D[1] = uint8_t((m * k + 127) / 255);
    D[2] = uint8_t((c * k + 127) / 255);
  }
}

// False when libjpeg failed (message in the error manager) or the image is too large
// (SizeError); allocation failures throw.
bool RunDecoder(TDecodeState& S, const uint8_t* Data, size_t Size, TJPEGPixelFormat Format,
                const std::vector<TColor>& Palette) {
  jpeg_decompress_struct& info = S.Info;
  info.err = jpeg_std_error(&S.Error.Pub);
  S.Error.Pub.error_exit = ErrorExit;
  S.Error.Pub.emit_message = EmitMessage;
  S.Error.Pub.output_message = OutputMessage;
  if (setjmp(S.Error.Jump)) return false;

  jpeg_create_decompress(&info);
  S.Progress.progress_monitor = CheckScanCount;
  info.progress = &S.Progress;
  // Progressive files keep every coefficient in memory: bound that as well.
  info.mem->max_memory_to_use = long(MaxImageBytes() * 3);
  jpeg_mem_src(&info, Data, static_cast<unsigned long>(Size));
  jpeg_read_header(&info, TRUE);

  S.SizeError = CheckImageSize(info.image_width, info.image_height, 24);
  if (!S.SizeError.empty()) return false;
  S.Grayscale = info.jpeg_color_space == JCS_GRAYSCALE;
  S.Progressive = info.progressive_mode;
  bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  bool paletted = Format == jf8Bit && !cmyk;
  if (cmyk) {
    info.out_color_space = JCS_CMYK;
  } else if (paletted) {
    info.out_color_space = JCS_RGB;
    info.quantize_colors = TRUE;
    info.dither_mode = JDITHER_FS;
    if (!Palette.empty()) {
      int count = int(std::min<size_t>(Palette.size(), 256));
      info.colormap = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                JDIMENSION(count), 3);
      for (int i = 0; i < count; ++i) {
        info.colormap[0][i] = JSAMPLE(GetRValue(Palette[size_t(i)]));
        info.colormap[1][i] = JSAMPLE(GetGValue(Palette[size_t(i)]));
        info.colormap[2][i] = JSAMPLE(GetBValue(Palette[size_t(i)]));
      }
      info.actual_number_of_colors = count;
      info.two_pass_quantize = FALSE;
    } else {
      info.desired_number_of_colors = 256;
      info.two_pass_quantize = TRUE;
    }
  } else {
    info.out_color_space = JCS_EXT_BGR;
  }

  jpeg_start_decompress(&info);
  const int width = int(info.output_width);
  S.Bitmap = TImageBuffer(width, int(info.output_height), paletted ? 8 : 24);
  if (paletted) {
    S.Bitmap.FPalette.assign(256, clBlack);
    for (int i = 0; i < info.actual_number_of_colors && i < 256; ++i)
      S.Bitmap.FPalette[size_t(i)] =
          RGBColor(info.colormap[0][i], info.colormap[1][i], info.colormap[2][i]);
  }
  if (cmyk) S.CmykRow.resize(size_t(width) * 4);
  while (info.output_scanline < info.output_height) {
    int y = int(info.output_scanline);
    JSAMPROW row = cmyk ? S.CmykRow.data() : S.Bitmap.ScanLine(y);
    jpeg_read_scanlines(&info, &row, 1);
    if (cmyk) CmykToBgr(S.CmykRow.data(), S.Bitmap.ScanLine(y), width, info.saw_Adobe_marker);
  }
  return true;
}

}  // namespace

void TJPEGImage::LoadFromMemory(const uint8_t* Data, size_t Size) {
  FBitmap = TImageBuffer();
  FPartial = false;
  FWarning.clear();
  auto state = std::make_unique<TDecodeState>();
  bool ok = RunDecoder(*state, Data, Size, PixelFormat, FPalette);
  if (!state->SizeError.empty()) throw EJPEGError(state->SizeError + ".");
  if (!ok) throw EJPEGError(std::string("JPEG error: ") + state->Error.Message);
  FGrayscale = state->Grayscale;
  FProgressive = state->Progressive;
  FPartial = state->Error.DataEnded;
  if (state->Error.Warnings > 0) FWarning = state->Error.FirstWarning;
  FBitmap = std::move(state->Bitmap);
}
