#include "png.h"

#include <stdio.h>
#include <string.h>

namespace
{
// Large enough for a 2048 x 1536 screen; bigger captures are cut.
const int max_width = 2048, max_height = 1536;
const int row_limit = 1 + 3 * max_width;
// Each pixel row gets a filter byte; the zlib stream stores the rows
// uncompressed, in blocks of at most 65535 bytes with 5 bytes of header.
const int raw_limit = max_height * row_limit;
const int stream_limit = 2 + raw_limit + 5 * (raw_limit / 65535 + 1) + 4;

RGBQUAD pixels[max_width * max_height];
unsigned char raw[raw_limit];
unsigned char stream[stream_limit];
unsigned long crc_table[256];

void Make_Crc_Table()
{
    for (unsigned long n = 0; n < 256; ++n) {
        unsigned long c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320UL ^ (c >> 1) : c >> 1;
        crc_table[n] = c;
    }
}

unsigned long Crc(unsigned long crc, const unsigned char *data, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        crc = crc_table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

void Put32(unsigned char *out, unsigned long value)
{
    out[0] = (unsigned char)(value >> 24);
    out[1] = (unsigned char)(value >> 16);
    out[2] = (unsigned char)(value >> 8);
    out[3] = (unsigned char)value;
}

void Write_Chunk(FILE *file, const char *type, const unsigned char *data, size_t length)
{
    unsigned char word[4];
    Put32(word, (unsigned long)length);
    fwrite(word, 1, 4, file);
    fwrite(type, 1, 4, file);
    if (length)
        fwrite(data, 1, length, file);
    unsigned long crc = Crc(0xFFFFFFFFUL, (const unsigned char *)type, 4);
    Put32(word, Crc(crc, data, length) ^ 0xFFFFFFFFUL);
    fwrite(word, 1, 4, file);
}

size_t Store(size_t length)
{
    size_t out = 0;
    unsigned long a = 1, b = 0;
    stream[out++] = 0x78;
    stream[out++] = 0x01;
    size_t at = 0;
    do {
        size_t block = length - at < 65535 ? length - at : 65535;
        stream[out++] = at + block == length; // the last block
        stream[out++] = (unsigned char)block;
        stream[out++] = (unsigned char)(block >> 8);
        stream[out++] = (unsigned char)~block;
        stream[out++] = (unsigned char)(~block >> 8);
        memcpy(stream + out, raw + at, block);
        out += block;
        at += block;
    } while (at < length);
    for (size_t i = 0; i < length; ++i) {
        a = (a + raw[i]) % 65521;
        b = (b + a) % 65521;
    }
    Put32(stream + out, (b << 16) | a);
    return out + 4;
}

bool Capture(HWND window, int &width, int &height)
{
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (window && !GetWindowRect(window, &area))
        return false;
    width = area.right - area.left < max_width ? area.right - area.left : max_width;
    height = area.bottom - area.top < max_height ? area.bottom - area.top : max_height;
    if (width <= 0 || height <= 0)
        return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first, as PNG wants
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    int rows = GetDIBits(memory, bitmap, 0, height, pixels, &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return rows == height;
}
} // namespace

bool Save_Screenshot(HWND window, const char *path)
{
    int width, height;
    if (!Capture(window, width, height))
        return false;
    size_t length = 0;
    for (int y = 0; y < height; ++y) {
        raw[length++] = 0; // no filter
        for (int x = 0; x < width; ++x) {
            const RGBQUAD &p = pixels[y * width + x];
            raw[length++] = p.rgbRed;
            raw[length++] = p.rgbGreen;
            raw[length++] = p.rgbBlue;
        }
    }
    FILE *file = fopen(path, "wb");
    if (!file)
        return false;
    Make_Crc_Table();
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    unsigned char header[13] = {};
    Put32(header, (unsigned long)width);
    Put32(header + 4, (unsigned long)height);
    header[8] = 8; // bits per channel
    header[9] = 2; // RGB
    fwrite(signature, 1, sizeof(signature), file);
    Write_Chunk(file, "IHDR", header, sizeof(header));
    Write_Chunk(file, "IDAT", stream, Store(length));
    Write_Chunk(file, "IEND", nullptr, 0);
    return fclose(file) == 0;
}
