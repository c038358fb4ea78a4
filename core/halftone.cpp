#include "halftone.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define NPS_HALFTONE_SSSE3 1
#include <immintrin.h>
#else
#define NPS_HALFTONE_SSSE3 0
#endif

namespace halftone {

const std::uint8_t kPattern[16][8] = {
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xDF, 0xFF, 0xFF, 0xFB, 0xFF, 0xFF},
    {0x7F, 0xFF, 0xDD, 0xFF, 0x77, 0xFF, 0xDD, 0xFF}, {0x75, 0xFF, 0xDD, 0xFF, 0x55, 0xFF, 0xDD, 0xFF},
    {0x55, 0xFF, 0x55, 0xFF, 0x55, 0xFF, 0x55, 0xFF}, {0x55, 0xFF, 0x55, 0xEE, 0x55, 0xFF, 0x55, 0xEE},
    {0x55, 0xBA, 0x55, 0xEE, 0x55, 0xBB, 0x55, 0xEE}, {0x57, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA},
    {0x55, 0x8A, 0x55, 0xAA, 0x51, 0xAA, 0x55, 0xA8}, {0x44, 0xAA, 0x15, 0xAA, 0x44, 0xAA, 0x11, 0xAA},
    {0x44, 0xAA, 0x10, 0xAA, 0x44, 0xAA, 0x00, 0xAA}, {0x44, 0xAA, 0x11, 0xAA, 0x44, 0xAA, 0x11, 0xAA},
    {0x00, 0xAA, 0x00, 0xAA, 0x00, 0xAA, 0x00, 0xAA}, {0x8A, 0x00, 0x22, 0x00, 0xAA, 0x00, 0x22, 0x00},
    {0x00, 0x00, 0x20, 0x00, 0x00, 0x04, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
};

namespace {

constexpr QRgb kBlack = 0xFF000000u;

// For one row phase (y mod 8): the 16 levels' 8-column masks, one bit per
// column, so the inner loop needs a shift and an AND per pixel.
struct RowMasks
{
    std::uint8_t byLevel[16];
};

RowMasks masksForRow(unsigned rowPhase)
{
    RowMasks m{};
    for (unsigned level = 0; level < 16; ++level) {
        std::uint8_t bits = 0;
        for (unsigned col = 0; col < 8; ++col)
            if ((kPattern[level][col] >> rowPhase) & 1u)
                bits |= std::uint8_t(1u << col);
        m.byLevel[level] = bits;
    }
    return m;
}

unsigned levelOf(QRgb p)
{
    return greyLevel(qRed(p), qGreen(p), qBlue(p));
}

// Bit 0 set: black; clear: white. Branch-free.
QRgb toBlackOrWhite(unsigned bits)
{
    return kBlack | ((((bits & 1u) ^ 1u) * 0xFFFFFFu));
}

// One row, plain C++, from column `from` on.
void rowPortable(QRgb *line, int from, int w, const RowMasks &m)
{
    int x = from;
    const int whole = from + ((w - from) & ~7);
    // Eight columns at a time: one pattern cell's width, so column c of the
    // block is bit c of the level's mask.
    for (; x < whole; x += 8) {
        QRgb *px = line + x;
        for (unsigned c = 0; c < 8; ++c)
            px[c] = toBlackOrWhite(m.byLevel[levelOf(px[c])] >> c);
    }
    for (; x < w; ++x)
        line[x] = toBlackOrWhite(m.byLevel[levelOf(line[x])] >> (unsigned(x) % 8));
}

#if NPS_HALFTONE_SSSE3
// Sixteen pixels per step: grey sums by multiply-add, the level by a
// multiply-high, the level's column mask by a byte shuffle (the 16 levels
// fit one shuffle table). Returns the first column it left undone.
__attribute__((target("ssse3"))) int rowSsse3(QRgb *line, int w, const RowMasks &m)
{
    // Bytes of a pixel in memory: B, G, R, A.
    const __m128i weights = _mm_setr_epi8(11, 59, 30, 0, 11, 59, 30, 0, 11, 59, 30, 0, 11, 59, 30, 0);
    const __m128i div25 = _mm_set1_epi16(2622); // (t * 2622) >> 16 == t / 25 for t < 400
    const __m128i table = _mm_loadu_si128(reinterpret_cast<const __m128i *>(m.byLevel));
    const __m128i columnBits = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    const __m128i rgbMask = _mm_set1_epi32(0x00FFFFFF);
    const __m128i white = _mm_set1_epi32(-1);
    int x = 0;
    for (; x + 16 <= w; x += 16) {
        __m128i *px = reinterpret_cast<__m128i *>(line + x);
        __m128i sums[2];
        for (int half = 0; half < 2; ++half) {
            const __m128i a = _mm_maddubs_epi16(_mm_loadu_si128(px + 2 * half), weights);
            const __m128i b = _mm_maddubs_epi16(_mm_loadu_si128(px + 2 * half + 1), weights);
            // 30R + 59G + 11B per pixel (at most 25500), then / 1600 as / 64 / 25.
            const __m128i s = _mm_hadd_epi16(a, b);
            sums[half] = _mm_mulhi_epu16(_mm_srli_epi16(s, 6), div25);
        }
        const __m128i levels = _mm_packus_epi16(sums[0], sums[1]);
        const __m128i masks = _mm_shuffle_epi8(table, levels);
        const __m128i black = _mm_cmpeq_epi8(_mm_and_si128(masks, columnBits), columnBits);
        const __m128i lo = _mm_unpacklo_epi8(black, black);
        const __m128i hi = _mm_unpackhi_epi8(black, black);
        const __m128i out[4] = {_mm_unpacklo_epi16(lo, lo), _mm_unpackhi_epi16(lo, lo), _mm_unpacklo_epi16(hi, hi),
                                _mm_unpackhi_epi16(hi, hi)};
        for (int i = 0; i < 4; ++i)
            _mm_storeu_si128(px + i, _mm_xor_si128(white, _mm_and_si128(out[i], rgbMask)));
    }
    return x;
}

bool haveSsse3()
{
    static const bool have = __builtin_cpu_supports("ssse3");
    return have;
}
#endif

enum class Path {
    Fast,
    Portable
};

void run(QImage &image, Path path)
{
    if (image.isNull())
        return;
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);

    RowMasks masks[8];
    for (unsigned phase = 0; phase < 8; ++phase)
        masks[phase] = masksForRow(phase);

    const int w = image.width();
    const int h = image.height();
#if NPS_HALFTONE_SSSE3
    const bool fast = path == Path::Fast && haveSsse3();
#else
    (void)path;
    const bool fast = false;
#endif
    for (int y = 0; y < h; ++y) {
        const RowMasks &m = masks[unsigned(y) % 8];
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        int from = 0;
#if NPS_HALFTONE_SSSE3
        if (fast)
            from = rowSsse3(line, w, m);
#endif
        rowPortable(line, from, w, m);
    }
}

} // namespace

void apply(QImage &image)
{
    run(image, Path::Fast);
}

void applyPortable(QImage &image)
{
    run(image, Path::Portable);
}

} // namespace halftone
