#pragma once
// Placement of a window inside its parent: the "pos" attribute (anchored
// coordinates, two or four of them), explicit or content-sized width and
// height, and the grid layout that places children in cells.
#include <optional>
#include <string_view>
#include <utility>

#include "platform/ui/Geometry.h"

namespace qv::ui {

// One coordinate of "pos".
struct PosItem {
    enum class Ref {
        Start,        // "10": parent's left/top + 10
        End,          // "-10": parent's right/bottom - 10 ("-0" is the edge)
        Center,       // "|10": parent's centre + 10
        Percent,      // "%50": 50 % across the parent
        Size,         // "@80": width/height 80 from the opposite coordinate
        PrevEnd,      // "[10": previous sibling's right/bottom + 10
        PrevStart,    // "]10": previous sibling's left/top + 10
    };
    Ref ref = Ref::Start;
    float value = 0;
};

// Size values: a number of pixels, content-sized or the parent's full extent.
constexpr int kSizeWrapContent = -1;
constexpr int kSizeMatchParent = -2;
constexpr int kSizeUnset = -3;

struct SwndPosition {
    int count = 0;  // 0 (no pos), 2 or 4
    PosItem items[4];
    int width = kSizeUnset;
    int height = kSizeUnset;
};

// Parses "x1,y1[,x2,y2]"; nullopt for anything else.
std::optional<SwndPosition> ParsePos(std::u16string_view text);
// Parses "120", "-1"/"wrap" (content), "full"/"-2" (parent).
std::optional<int> ParseLayoutSize(std::u16string_view text);

// The window's rectangle for its position in the parent's client area.
// prev is the previous visible sibling's rectangle (empty when none),
// desired the content size used where the size is not fixed.
CRect ComputePosRect(const SwndPosition& pos, const CRect& parent, const CRect& prev, CSize desired);

// Where a child with its own width or height sits in its grid cell or
// across a vertical box: "left"/"top", "center", "right"/"bottom". With
// "fill" (the default) a vertical box and the rows of a grid stretch it; in
// a grid's columns it keeps its width at the cell's start.
enum class Gravity { Fill, Start, Center, End };
std::optional<Gravity> ParseGravity(std::u16string_view text);
// The child's span of `size` inside a cell from `start` of length `length`.
std::pair<int, int> PlaceWithGravity(Gravity gravity, int start, int length, int size);

struct GridLayoutParams {
    int columns = 1;
    int rows = 0;  // 0: as many as the children need
    int xInterval = 0;
    int yInterval = 0;
    Gravity xGravity = Gravity::Fill;  // children with their own width
    Gravity yGravity = Gravity::Fill;  // children with their own height
};

// Cell rectangle of the child at index (row-major). Cells share the width
// equally; with rows given they share the height, else each row is
// rowHeight tall.
CRect GridCellRect(const GridLayoutParams& grid, const CRect& parent, int index, int rowHeight);

}  // namespace qv::ui
