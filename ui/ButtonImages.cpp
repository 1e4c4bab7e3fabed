#include "ui/ButtonImages.h"

#include <cstring>

#include "resources/resource.h"
#include "ui/AppState.h"

const ButtonArtEntry kButtonArt[] = {
    {IDC_ADD, IDP_ADD, L"Add"},
    {IDC_REMOVE, IDP_REMOVE, L"Remove"},
    {IDC_CLEAR, IDP_CLEAR, L"Clear"},
    {IDC_CONVERT, IDP_CONVERT, L"Convert"},
    {IDC_DROP_HINT, IDP_DROP_HINT, nullptr},
    {0, 0, nullptr},
};

std::map<int, std::unique_ptr<ButtonImage>> buttonImages;

namespace {
const wchar_t kPngResourceType[] = L"PNG";
}

std::unique_ptr<ButtonImage> loadPngImage(HRSRC resource, HINSTANCE instance) {
    if (!resource) {
        return nullptr;
    }
    const DWORD size = ::SizeofResource(instance, resource);
    if (size == 0) {
        return nullptr;
    }
    HGLOBAL loaded = ::LoadResource(instance, resource);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) {
        return nullptr;
    }
    auto picture = std::make_unique<ButtonImage>();
    picture->memory.reset(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!picture->memory) {
        return nullptr;
    }
    void* copy = ::GlobalLock(picture->memory.get());
    if (!copy) {
        return nullptr;
    }
    std::memcpy(copy, bytes, size);
    ::GlobalUnlock(picture->memory.get());
    // The block stays ours: the stream must not free it on release.
    if (FAILED(::CreateStreamOnHGlobal(picture->memory.get(), FALSE, picture->stream.put()))) {
        return nullptr;
    }
    picture->image.reset(new Gdiplus::Image(picture->stream.get()));
    if (!picture->image) {
        return nullptr;
    }
    return picture;
}

void loadButtonImagesFrom(HINSTANCE instance, const ButtonArtEntry* table) {
    for (const ButtonArtEntry* row = table; row && row->controlId != 0; ++row) {
        HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(row->pngId), kPngResourceType);
        if (!found) {
            continue;
        }
        if (auto picture = loadPngImage(found, instance)) {
            buttonImages[row->controlId] = std::move(picture);
        }
    }
}

bool loadButtonImages(HINSTANCE instance) {
    app::instance = instance;
    loadButtonImagesFrom(instance, kButtonArt);
    return true;
}
