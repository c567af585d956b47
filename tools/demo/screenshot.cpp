#include "screenshot.h"

#include <wincodec.h>

namespace
{
// A copy of the screen's pixels under the window (or the whole screen), or
// null.
HBITMAP Capture(HWND window)
{
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (window && !GetWindowRect(window, &area))
        return nullptr;
    int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BOOL copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

template <typename Interface> void Release(Interface *&object)
{
    if (object)
        object->Release();
    object = nullptr;
}

// Writes the bitmap to `path` as PNG, one step after the other; the first
// step that fails ends it.
bool Encode_Png(HBITMAP bitmap, const char *path)
{
    WCHAR wide_path[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide_path, MAX_PATH))
        return false;
    IWICImagingFactory *factory = nullptr;
    IWICBitmap *image = nullptr;
    IWICStream *stream = nullptr;
    IWICBitmapEncoder *encoder = nullptr;
    IWICBitmapFrameEncode *frame = nullptr;
    IPropertyBag2 *options = nullptr;
    HRESULT result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, (void **)&factory);
    if (SUCCEEDED(result))
        result = factory->CreateBitmapFromHBITMAP(bitmap, nullptr, WICBitmapIgnoreAlpha, &image);
    if (SUCCEEDED(result))
        result = factory->CreateStream(&stream);
    if (SUCCEEDED(result))
        result = stream->InitializeFromFilename(wide_path, GENERIC_WRITE);
    if (SUCCEEDED(result))
        result = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(result))
        result = encoder->Initialize(stream, WICBitmapEncoderNoCache);
    if (SUCCEEDED(result))
        result = encoder->CreateNewFrame(&frame, &options);
    if (SUCCEEDED(result))
        result = frame->Initialize(options);
    if (SUCCEEDED(result))
        result = frame->WriteSource(image, nullptr);
    if (SUCCEEDED(result))
        result = frame->Commit();
    if (SUCCEEDED(result))
        result = encoder->Commit();
    Release(options);
    Release(frame);
    Release(encoder);
    Release(stream);
    Release(image);
    Release(factory);
    return SUCCEEDED(result);
}
} // namespace

bool Save_Screenshot(HWND window, const char *path)
{
    HBITMAP bitmap = Capture(window);
    if (!bitmap)
        return false;
    bool saved = Encode_Png(bitmap, path);
    DeleteObject(bitmap);
    return saved;
}
