// converter_run.h - runs a body converter on an exact-size copy of a text,
// so that AddressSanitizer catches any read past its end.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "message/body_html.h"

namespace tessaly::test {

using Converter = void (*)(DecodeContext&, const char*&, const char*&);

inline std::string runConverter(Converter convert, DecodeContext& context, std::string_view in) {
    std::unique_ptr<char[]> copy(new char[in.size()]);
    if (!in.empty()) std::memcpy(copy.get(), in.data(), in.size());
    const char* start = copy.get();
    const char* end = start + in.size();
    convert(context, start, end);
    if (!start) return "<null>";
    return std::string(start, end);
}

struct NamedConverter {
    const char* name;
    Converter convert;
};

inline const NamedConverter kConverters[] = {
    {"plainToHtml", plainToHtml},
    {"flowedToHtml", flowedToHtml},
    {"quotedPrintableToHtml", quotedPrintableToHtml},
    {"linesToParagraphs", linesToParagraphs},
    {"flowedToPlain", flowedToPlain},
    {"enrichedToPlain", enrichedToPlain},
    {"rtfToHtml", rtfToHtml},
};

}  // namespace tessaly::test
