#include "tests/e2e/Screenshot.h"

#include <objidl.h>
#include <gdiplus.h>

#include <vector>

#include "utils/unique_resource.h"

namespace driver {

namespace {

bool pngEncoder(CLSID* clsid) {
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) {
        return false;
    }
    std::vector<BYTE> buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok) {
        return false;
    }
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(encoders[i].MimeType, L"image/png") == 0) {
            *clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

}  // namespace

bool saveWindowShot(HWND window, const std::wstring& pngPath) {
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) {
        return false;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    utils::unique_screen_dc screen(::GetDC(nullptr));
    utils::unique_hdc memory(::CreateCompatibleDC(screen.get()));
    utils::unique_hbitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    if (!screen || !memory || !bitmap) {
        return false;
    }
    HGDIOBJ previous = ::SelectObject(memory.get(), bitmap.get());
    const BOOL copied =
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory.get(), previous);
    CLSID clsid{};
    if (!copied || !pngEncoder(&clsid)) {
        return false;
    }
    Gdiplus::Bitmap image(bitmap.get(), nullptr);
    return image.Save(pngPath.c_str(), &clsid, nullptr) == Gdiplus::Ok;
}

}  // namespace driver
