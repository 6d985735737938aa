// file_names.cpp - splitting paths and file names at backslash, "/" and ":".
#include "message/text.h"

namespace tessaly {

namespace {

constexpr std::string_view kSeparators = "\\/:";

}  // namespace

std::string baseName(std::string_view path) {
    size_t at = path.find_last_of(kSeparators);
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string directoryOf(std::string_view path) {
    size_t at = path.find_last_of(kSeparators);
    return std::string(at == std::string_view::npos ? path : path.substr(0, at));
}

std::string withoutTrailingSlash(std::string_view path) {
    if (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
    return std::string(path);
}

std::string extensionOf(std::string_view name) {
    size_t at = name.find_last_of(".\\/:");
    if (at == std::string_view::npos || name[at] != '.') return {};
    return std::string(name.substr(at));
}

std::string replaceExtension(std::string_view name, std::string_view extension) {
    std::string out(name);
    size_t old = extensionOf(name).size();
    out.resize(out.size() - old);
    out += extension;
    return out;
}

}  // namespace tessaly
