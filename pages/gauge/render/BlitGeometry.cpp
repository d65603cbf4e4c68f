#include "pages/gauge/render/BlitGeometry.h"

#include <algorithm>

std::optional<BlitSpan> ClipBlit(const BlitRequest& request, const RECT& target,
                                 const RECT& source) noexcept {
    // Every bound in destination coordinates; a source bound moves by the copy's offset.
    const std::int64_t offsetX = request.dstX - request.srcX;
    const std::int64_t offsetY = request.dstY - request.srcY;
    const std::int64_t left =
        std::max({request.dstX, std::int64_t{target.left}, std::int64_t{source.left} + offsetX});
    const std::int64_t top =
        std::max({request.dstY, std::int64_t{target.top}, std::int64_t{source.top} + offsetY});
    const std::int64_t right = std::min({request.dstX + request.width, std::int64_t{target.right},
                                         std::int64_t{source.right} + offsetX});
    const std::int64_t bottom =
        std::min({request.dstY + request.height, std::int64_t{target.bottom},
                  std::int64_t{source.bottom} + offsetY});
    if (left >= right || top >= bottom)
        return std::nullopt;
    return BlitSpan{static_cast<int>(left),           static_cast<int>(top),
                    static_cast<int>(left - offsetX), static_cast<int>(top - offsetY),
                    static_cast<int>(right - left),   static_cast<int>(bottom - top)};
}
