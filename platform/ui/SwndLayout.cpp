#include "platform/ui/SwndLayout.h"

#include <cmath>
#include <string>
#include <vector>

#include "platform/ui/AttrParse.h"

namespace qv::ui {
namespace {

std::optional<PosItem> ParseItem(std::u16string_view t) {
    while (!t.empty() && t.front() == u' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == u' ') t.remove_suffix(1);
    if (t.empty()) return std::nullopt;
    PosItem item;
    switch (t.front()) {
    case u'-': item.ref = PosItem::Ref::End; t.remove_prefix(1); break;
    case u'|': item.ref = PosItem::Ref::Center; t.remove_prefix(1); break;
    case u'%': item.ref = PosItem::Ref::Percent; t.remove_prefix(1); break;
    case u'@': item.ref = PosItem::Ref::Size; t.remove_prefix(1); break;
    case u'[': item.ref = PosItem::Ref::PrevEnd; t.remove_prefix(1); break;
    case u']': item.ref = PosItem::Ref::PrevStart; t.remove_prefix(1); break;
    default: break;
    }
    if (t.empty()) {
        if (item.ref == PosItem::Ref::Start) return std::nullopt;
        return item;  // "-" alone is the edge, like "-0"
    }
    auto v = ParseDouble(t);
    if (!v) return std::nullopt;
    item.value = static_cast<float>(*v);
    return item;
}

// Resolves a coordinate that does not depend on the opposite one.
int Resolve(const PosItem& item, int start, int end, int prevStart, int prevEnd) {
    switch (item.ref) {
    case PosItem::Ref::Start: return start + static_cast<int>(std::lround(item.value));
    case PosItem::Ref::End: return end - static_cast<int>(std::lround(item.value));
    case PosItem::Ref::Center: return (start + end) / 2 + static_cast<int>(std::lround(item.value));
    case PosItem::Ref::Percent: return start + static_cast<int>(std::lround((end - start) * item.value / 100.0f));
    case PosItem::Ref::PrevEnd: return prevEnd + static_cast<int>(std::lround(item.value));
    case PosItem::Ref::PrevStart: return prevStart + static_cast<int>(std::lround(item.value));
    case PosItem::Ref::Size: return start;
    }
    return start;
}

int ExtentFor(int size, int parentExtent, int desired) {
    if (size == kSizeMatchParent) return parentExtent;
    if (size >= 0) return size;
    return desired;
}

}  // namespace

std::optional<SwndPosition> ParsePos(std::u16string_view text) {
    std::vector<std::u16string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u',') {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    if (parts.size() != 2 && parts.size() != 4) return std::nullopt;
    SwndPosition pos;
    pos.count = static_cast<int>(parts.size());
    for (size_t i = 0; i < parts.size(); ++i) {
        auto item = ParseItem(parts[i]);
        if (!item) return std::nullopt;
        if (i < 2 && item->ref == PosItem::Ref::Size) return std::nullopt;
        pos.items[i] = *item;
    }
    return pos;
}

std::optional<int> ParseLayoutSize(std::u16string_view text) {
    if (text == u"wrap" || text == u"wrap_content") return kSizeWrapContent;
    if (text == u"full" || text == u"match_parent") return kSizeMatchParent;
    auto v = ParseInt(text);
    if (!v || *v < kSizeMatchParent) return std::nullopt;
    return *v;
}

CRect ComputePosRect(const SwndPosition& pos, const CRect& parent, const CRect& prev, CSize desired) {
    int width = ExtentFor(pos.width, parent.Width(), desired.cx);
    int height = ExtentFor(pos.height, parent.Height(), desired.cy);
    if (pos.count == 0) {
        // No position: at the parent's origin, or filling it when no size is given.
        if (pos.width == kSizeUnset) width = parent.Width();
        if (pos.height == kSizeUnset) height = parent.Height();
        return CRect(parent.left, parent.top, parent.left + width, parent.top + height);
    }
    int left = Resolve(pos.items[0], parent.left, parent.right, prev.left, prev.right);
    int top = Resolve(pos.items[1], parent.top, parent.bottom, prev.top, prev.bottom);
    int right = left + width;
    int bottom = top + height;
    if (pos.count == 4) {
        const PosItem& r = pos.items[2];
        const PosItem& b = pos.items[3];
        right = r.ref == PosItem::Ref::Size ? left + static_cast<int>(std::lround(r.value))
                                            : Resolve(r, parent.left, parent.right, prev.left, prev.right);
        bottom = b.ref == PosItem::Ref::Size ? top + static_cast<int>(std::lround(b.value))
                                             : Resolve(b, parent.top, parent.bottom, prev.top, prev.bottom);
    }
    if (right < left) right = left;
    if (bottom < top) bottom = top;
    return CRect(left, top, right, bottom);
}

std::optional<Gravity> ParseGravity(std::u16string_view text) {
    static constexpr std::pair<std::u16string_view, Gravity> kNames[] = {
        {u"fill", Gravity::Fill},    {u"left", Gravity::Start}, {u"top", Gravity::Start},
        {u"center", Gravity::Center}, {u"right", Gravity::End}, {u"bottom", Gravity::End}};
    for (const auto& [name, gravity] : kNames)
        if (text == name) return gravity;
    return std::nullopt;
}

std::pair<int, int> PlaceWithGravity(Gravity gravity, int start, int length, int size) {
    switch (gravity) {
    case Gravity::Fill: return {start, start + length};
    case Gravity::Start: return {start, start + size};
    case Gravity::Center: return {start + (length - size) / 2, start + (length - size) / 2 + size};
    case Gravity::End: return {start + length - size, start + length};
    }
    return {start, start + length};
}

CRect GridCellRect(const GridLayoutParams& grid, const CRect& parent, int index, int rowHeight) {
    int columns = grid.columns > 0 ? grid.columns : 1;
    int col = index % columns;
    int row = index / columns;
    int cellWidth = (parent.Width() - (columns - 1) * grid.xInterval) / columns;
    int cellHeight = rowHeight;
    if (grid.rows > 0) cellHeight = (parent.Height() - (grid.rows - 1) * grid.yInterval) / grid.rows;
    int left = parent.left + col * (cellWidth + grid.xInterval);
    int top = parent.top + row * (cellHeight + grid.yInterval);
    return CRect(left, top, left + cellWidth, top + cellHeight);
}

}  // namespace qv::ui
