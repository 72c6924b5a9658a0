#include "ResampleBitmap.h"

#include <algorithm>
#include <cstdint>

namespace kolvar::grid {

void resampleBitmap(QImage& source, QImage& target)
{
    if (source.format() != QImage::Format_RGB888)
        source = source.convertToFormat(QImage::Format_RGB888);
    if (target.format() != QImage::Format_RGB888)
        target = target.convertToFormat(QImage::Format_RGB888);
    const int sw = source.width();
    const int sh = source.height();
    const int tw = target.width();
    const int th = target.height();
    if (sw <= 0 || sh <= 0 || tw <= 0 || th <= 0)
        return;
    constexpr int64_t One = 0x8000;
    const int64_t stepX = (int64_t(sw - 1) * One) / tw;
    const int64_t stepY = (int64_t(sh - 1) * One) / th;
    for (int j = 0; j < th; ++j) {
        const int64_t sy = j * stepY;
        const int y0 = int(sy >> 15);
        const uchar* upper = source.constScanLine(y0);
        // A source one pixel high or wide has no neighbour; its weight is 0 there anyway.
        const uchar* lower = source.constScanLine(std::min(y0 + 1, sh - 1));
        const int64_t fy = sy & 0x7FFF;
        const int64_t gy = One - fy;
        uchar* out = target.scanLine(j);
        for (int i = 0; i < tw; ++i) {
            const int64_t sx = i * stepX;
            const int x0 = int(sx >> 15);
            const int x1 = std::min(x0 + 1, sw - 1);
            const int64_t fx = sx & 0x7FFF;
            const int64_t wTR = (fx * gy) >> 15;
            const int64_t wTL = gy - wTR;
            const int64_t wBR = (fx * fy) >> 15;
            const int64_t wBL = fy - wBR;
            for (int ch = 0; ch < 3; ++ch) {
                const int64_t v = upper[3 * x0 + ch] * wTL + upper[3 * x1 + ch] * wTR
                    + lower[3 * x0 + ch] * wBL + lower[3 * x1 + ch] * wBR;
                out[3 * i + ch] = uchar(uint64_t(v) >> 15);
            }
        }
    }
}

} // namespace kolvar::grid
