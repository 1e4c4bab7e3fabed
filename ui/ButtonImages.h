#pragma once

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <cstdint>
#include <map>
#include <memory>

#include "utils/unique_resource.h"

// One owner-drawn control of the main window and the picture it shows.
struct ButtonArtEntry {
    int32_t controlId;       // 0 ends the table
    int32_t pngId;           // resource of type "PNG"
    const wchar_t* tooltip;  // null: no tip
};

// Add, Remove, Clear, Convert and the drop hint, ended by a row with id 0.
extern const ButtonArtEntry kButtonArt[];

// A decoded picture together with the bytes GDI+ may still read it from.
// Members are released in reverse order: the image before its stream and block.
struct ButtonImage {
    utils::unique_hglobal memory;
    utils::unique_com<IStream> stream;
    std::unique_ptr<Gdiplus::Image> image;
};

// The pictures by control id. Filled by loadButtonImages, emptied by
// shutdownApplication; the main window only reads it.
extern std::map<int, std::unique_ptr<ButtonImage>> buttonImages;

// Stores the module handle, then loads every picture of kButtonArt.
bool loadButtonImages(HINSTANCE instance);
// The same over any table; rows whose picture is missing get no entry.
void loadButtonImagesFrom(HINSTANCE instance, const ButtonArtEntry* table);
// Copies a PNG resource into a stream and decodes it; nullptr when the bytes
// cannot be had. An image that failed to decode is still returned.
std::unique_ptr<ButtonImage> loadPngImage(HRSRC resource, HINSTANCE instance);
