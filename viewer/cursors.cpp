// The viewer's five cursors, drawn here as 16x16 pictures: '#' black, '.' white,
// ' ' transparent.
#include <array>
#include <cstdint>

#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

struct TCursorPicture {
  int HotX, HotY;
  const char* Rows[16];
};

const TCursorPicture kLink = {5, 0, {
    "     ##         ", "    #..#        ", "    #..#        ", "    #..#        ",
    "    #..###      ", "    #..#..###   ", "    #..#..#..## ", " ## #..#..#..#.#",
    "#..##........#.#", "#...#..........#", " #.............#", "  #............#",
    "  #...........# ", "   #..........# ", "    #........#  ", "    ##########  "}};
const TCursorPicture kTextSelect = {7, 8, {
    "  ###   ###     ", "     # #        ", "      #         ", "      #         ",
    "      #         ", "      #         ", "      #         ", "      #         ",
    "      #         ", "      #         ", "      #         ", "      #         ",
    "      #         ", "      #         ", "     # #        ", "  ###   ###     "}};
const TCursorPicture kScrollBoth = {7, 7, {
    "       #        ", "      #.#       ", "     #...#      ", "    #.....#     ",
    "   ####.####    ", "      #.#       ", "     ##.##      ", "     #...#      ",
    "     ##.##      ", "      #.#       ", "   ####.####    ", "    #.....#     ",
    "     #...#      ", "      #.#       ", "       #        ", "                "}};
const TCursorPicture kScrollUp = {7, 7, {
    "       #        ", "      #.#       ", "     #...#      ", "    #.....#     ",
    "   #.......#    ", "  #####.#####   ", "      #.#       ", "     ##.##      ",
    "     #...#      ", "     ##.##      ", "                ", "                ",
    "                ", "                ", "                ", "                "}};
const TCursorPicture kScrollDown = {7, 7, {
    "                ", "                ", "                ", "                ",
    "     ##.##      ", "     #...#      ", "     ##.##      ", "      #.#       ",
    "  #####.#####   ", "   #.......#    ", "    #.....#     ", "     #...#      ",
    "      #.#       ", "       #        ", "                ", "                "}};

HCURSOR MakeCursor(const TCursorPicture& picture, int standIn) {
  std::array<uint8_t, 32> andMask{}, xorMask{};
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const char c = picture.Rows[y][x];
      const uint8_t bit = uint8_t(0x80 >> (x & 7));
      const int at = y * 2 + x / 8;
      if (c == ' ') andMask[at] |= bit;
      if (c == '.') xorMask[at] |= bit;
    }
  }
  HCURSOR cursor = CreateCursor(picture.HotX, picture.HotY, 16, 16, andMask.data(), xorMask.data());
  SetCursorStandIn(cursor, standIn);
  return cursor;
}

}  // namespace

HCURSOR ViewerCursor(int Cursor) {
  static const std::array<HCURSOR, 5> cursors = {
      MakeCursor(kLink, IDC_HAND), MakeCursor(kTextSelect, IDC_IBEAM),
      MakeCursor(kScrollBoth, IDC_SIZEALL), MakeCursor(kScrollUp, IDC_SIZENS),
      MakeCursor(kScrollDown, IDC_SIZENS)};
  if (Cursor >= crLink && Cursor <= crScrollDown) return cursors[Cursor - crLink];
  if (Cursor == crHourGlass) return LoadCursor(IDC_WAIT);
  return LoadCursor(IDC_ARROW);
}
