#pragma once

// What Velquorn passes to the external converter and what it reads back. The
// converter is any FFmpeg-compatible console tool; these texts bind it.
namespace converter {

// Beside the program: <program folder>\core\nyvrel.exe.
constexpr wchar_t kCoreFolder[] = L"core";
constexpr wchar_t kExecutableName[] = L"nyvrel.exe";

// Command lines written into the batch scripts: converter and source for a
// probe; converter, source, preset arguments and output for a conversion.
constexpr wchar_t kProbeCommandFormat[] = L"\"%s\" -i \"%s\"";
constexpr wchar_t kConvertCommandFormat[] = L"\"%s\" -y -i \"%s\" %s \"%s\"";

// The probe report carries "Duration: 00:03:25.12, start: ...".
constexpr char kDurationMarker[] = "Duration:";
constexpr char kDurationEnd = ',';
// Progress lines carry "time=00:01:02.50 " and end in CR or LF.
constexpr char kTimeMarker[] = "time=";
constexpr char kTimeEnd = ' ';

// Written to the converter's standard input: finish the output early and exit.
constexpr char kStopByte = 'q';

}  // namespace converter
