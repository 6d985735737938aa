// search_files.cpp - writing and reading the search files.
//
// The search files are classic scripts, because browsers load nothing else
// from file:// pages; each one makes a single call to the page's global
// `tessalySearch` with JSON arguments. Strings are JSON with "<", ">", "&",
// U+2028 and U+2029 escaped; "numbers" are base-64 digit lists
// (search_codes.h). All in <root>/.tessaly/search/:
//
//   index.js       tessalySearch.index({"format":1,"chunk":50,"segments":[
//                    {"id":N,"docs":COUNT,"bounds":[TERM...],"dead":NUMBERS}...]});
//                  segments oldest first; a message in a later segment
//                  replaces the one with its path in earlier ones, which the
//                  writer lists as dead (ascending doc numbers as gaps).
//                  Written last in a run, so it only names complete files.
//   sN-n.js        tessalySearch.times("sN",NUMBERS); the docs' times,
//                  seconds UTC, newest first (first zig-zag, then distances).
//   sN-dK.js       tessalySearch.docs("sN-dK",[[PATH,FROM,SUBJECT,SNIPPET]...]);
//                  docs K*50 to K*50+49 of the segment.
//   sN-tK.js       tessalySearch.terms("sN-tK",{TERM:NUMBERS,...}); terms in
//                  code point order, each with its ascending doc numbers as
//                  gaps or, when shorter, "!" and a bitmap (search_codes.h). File K holds the terms from bounds[K-1] (file 0
//                  from the start) to before bounds[K].
//
// Docs are numbered within their segment newest first (same time: by path).
// Terms are folded words (search_terms.h), ":f"+word for From and
// ":s"+word for Subject. Segment files never change once written; a merge
// writes a new segment and the old files go.
#include "browse/search_files.h"

#include <algorithm>

#include "browse/search_codes.h"

namespace tessaly {

std::string timesFileName(uint32_t segment) { return "s" + std::to_string(segment) + "-n.js"; }
std::string termFileName(uint32_t segment, size_t shard) {
    return "s" + std::to_string(segment) + "-t" + std::to_string(shard) + ".js";
}
std::string docsFileName(uint32_t segment, size_t chunk) {
    return "s" + std::to_string(segment) + "-d" + std::to_string(chunk) + ".js";
}

bool segmentOfFileName(std::string_view name, uint32_t& segment) {
    if (name.size() < 6 || name[0] != 's' || name.substr(name.size() - 3) != ".js") return false;
    size_t i = 1;
    uint64_t value = 0;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9' && value < UINT32_MAX) value = value * 10 + static_cast<uint64_t>(name[i++] - '0');
    if (i == 1 || i >= name.size() || name[i] != '-' || value >= UINT32_MAX) return false;
    segment = static_cast<uint32_t>(value);
    return true;
}

namespace {

std::string call(std::string_view function, std::string_view arguments) {
    return "tessalySearch." + std::string(function) + "(" + std::string(arguments) + ");\n";
}

std::string quoted(std::string_view text) {
    std::string out;
    appendJsonString(out, text);
    return out;
}

// The shortest start of `first` (whole characters) that sorts after `last`.
std::string boundBetween(const std::string& last, const std::string& first) {
    size_t length = 0;
    while (length < first.size()) {
        ++length;
        while (length < first.size() && (static_cast<unsigned char>(first[length]) & 0xC0) == 0x80) ++length;
        if (first.compare(0, length, last) > 0) break;
    }
    return first.substr(0, length);
}

bool isString(const JsonValue* value) { return value != nullptr && value->kind == JsonValue::Kind::String; }
bool isNumber(const JsonValue* value) { return value != nullptr && value->kind == JsonValue::Kind::Number; }

}  // namespace

std::vector<NamedFile> segmentFiles(const SearchSegment& segment, SegmentEntry& entry) {
    entry = SegmentEntry();
    entry.id = segment.id;
    entry.docs = static_cast<uint32_t>(segment.docs.size());
    entry.dead = segment.dead;
    const std::string name = "s" + std::to_string(segment.id);
    std::vector<NamedFile> files;
    files.push_back({timesFileName(segment.id), call("times", quoted(name) + "," + quoted(encodeTimes(segment.times)))});

    for (size_t start = 0, chunk = 0; start < segment.docs.size(); start += kDocsPerChunk, ++chunk) {
        std::string list = "[";
        for (size_t k = start; k < std::min<size_t>(segment.docs.size(), start + kDocsPerChunk); ++k) {
            const SearchDoc& doc = segment.docs[k];
            if (k > start) list += ",\n";
            list += "[";
            appendJsonString(list, doc.path);
            list += ",";
            appendJsonString(list, doc.from);
            list += ",";
            appendJsonString(list, doc.subject);
            list += ",";
            appendJsonString(list, doc.snippet);
            list += "]";
        }
        list += "]";
        const std::string stem = name + "-d" + std::to_string(chunk);
        files.push_back({docsFileName(segment.id, chunk), call("docs", quoted(stem) + "," + list)});
    }

    std::string body;
    const std::string* last = nullptr;
    size_t nextShard = 0;
    const auto flush = [&] {
        const size_t shard = nextShard++;
        files.push_back({termFileName(segment.id, shard), call("terms", quoted(name + "-t" + std::to_string(shard)) + ",{" + body + "}")});
        body.clear();
    };
    for (const auto& [term, ids] : segment.postings) {
        std::string item;
        appendJsonString(item, term);
        item += ":";
        appendJsonString(item, encodeIds(ids, static_cast<uint32_t>(segment.docs.size())));
        if (!body.empty() && body.size() + item.size() > kTermFileBytes) {
            flush();
            entry.bounds.push_back(boundBetween(*last, term));
        }
        if (!body.empty()) body += ",\n";
        body += item;
        last = &term;
    }
    flush();
    return files;
}

std::string manifestFile(const SearchManifest& manifest) {
    std::string out = "{\"format\":" + std::to_string(kSearchFormat) + ",\"chunk\":" + std::to_string(kDocsPerChunk) + ",\"segments\":[";
    for (size_t k = 0; k < manifest.segments.size(); ++k) {
        const SegmentEntry& entry = manifest.segments[k];
        if (k > 0) out += ",\n";
        out += "{\"id\":" + std::to_string(entry.id) + ",\"docs\":" + std::to_string(entry.docs) + ",\"bounds\":[";
        for (size_t b = 0; b < entry.bounds.size(); ++b) {
            if (b > 0) out += ",";
            appendJsonString(out, entry.bounds[b]);
        }
        out += "],\"dead\":";
        appendJsonString(out, encodeIds(entry.dead, entry.docs));
        out += "}";
    }
    out += "]}";
    return call("index", out);
}

bool readManifest(std::string_view file, SearchManifest& manifest) {
    manifest = SearchManifest();
    std::vector<JsonValue> arguments;
    if (!readScriptCall(file, "index", arguments) || arguments.size() != 1) return false;
    const JsonValue& top = arguments[0];
    const JsonValue* format = top.member("format");
    const JsonValue* chunk = top.member("chunk");
    const JsonValue* segments = top.member("segments");
    if (!isNumber(format) || format->number != kSearchFormat || !isNumber(chunk) || chunk->number != kDocsPerChunk ||
        segments == nullptr || segments->kind != JsonValue::Kind::Array) {
        return false;
    }
    for (const JsonValue& item : segments->items) {
        const JsonValue* id = item.member("id");
        const JsonValue* docs = item.member("docs");
        const JsonValue* bounds = item.member("bounds");
        const JsonValue* dead = item.member("dead");
        if (!isNumber(id) || id->number < 0 || id->number >= UINT32_MAX || !isNumber(docs) || docs->number < 0 ||
            docs->number >= UINT32_MAX || bounds == nullptr || bounds->kind != JsonValue::Kind::Array || !isString(dead)) {
            return false;
        }
        SegmentEntry entry;
        entry.id = static_cast<uint32_t>(id->number);
        entry.docs = static_cast<uint32_t>(docs->number);
        for (const JsonValue& bound : bounds->items) {
            if (bound.kind != JsonValue::Kind::String || (!entry.bounds.empty() && bound.text <= entry.bounds.back())) return false;
            entry.bounds.push_back(bound.text);
        }
        if (!decodeIds(dead->text, entry.docs, entry.dead)) return false;
        manifest.segments.push_back(std::move(entry));
    }
    return true;
}

bool readTimesFile(std::string_view file, const SegmentEntry& entry, std::vector<int64_t>& times) {
    std::vector<JsonValue> arguments;
    return readScriptCall(file, "times", arguments) && arguments.size() == 2 && isString(&arguments[0]) &&
           arguments[0].text == "s" + std::to_string(entry.id) && isString(&arguments[1]) &&
           decodeTimes(arguments[1].text, entry.docs, times);
}

bool readDocsFile(std::string_view file, const SegmentEntry& entry, size_t chunk, std::vector<SearchDoc>& docs) {
    docs.clear();
    std::vector<JsonValue> arguments;
    if (!readScriptCall(file, "docs", arguments) || arguments.size() != 2 || !isString(&arguments[0]) ||
        arguments[0].text != "s" + std::to_string(entry.id) + "-d" + std::to_string(chunk) ||
        arguments[1].kind != JsonValue::Kind::Array) {
        return false;
    }
    const size_t start = chunk * kDocsPerChunk;
    if (start >= entry.docs || arguments[1].items.size() != std::min<size_t>(kDocsPerChunk, entry.docs - start)) return false;
    for (const JsonValue& item : arguments[1].items) {
        if (item.kind != JsonValue::Kind::Array || item.items.size() != 4) return false;
        for (const JsonValue& field : item.items) {
            if (field.kind != JsonValue::Kind::String) return false;
        }
        docs.push_back({item.items[0].text, item.items[1].text, item.items[2].text, item.items[3].text});
    }
    return true;
}

bool readTermFile(std::string_view file, const SegmentEntry& entry, size_t shard,
                  std::vector<std::pair<std::string, std::string>>& terms) {
    terms.clear();
    std::vector<JsonValue> arguments;
    if (!readScriptCall(file, "terms", arguments) || arguments.size() != 2 || !isString(&arguments[0]) ||
        arguments[0].text != "s" + std::to_string(entry.id) + "-t" + std::to_string(shard) ||
        arguments[1].kind != JsonValue::Kind::Object) {
        return false;
    }
    for (auto& [term, value] : arguments[1].members) {
        if (value.kind != JsonValue::Kind::String) return false;
        terms.emplace_back(std::move(term), std::move(value.text));
    }
    return true;
}

std::vector<size_t> termFilesFor(const SegmentEntry& entry, std::string_view term, bool prefix) {
    // File k starts at bounds[k-1]: the last file whose start is not after the term.
    const auto after = std::upper_bound(entry.bounds.begin(), entry.bounds.end(), term,
                                        [](std::string_view t, const std::string& bound) { return t < bound; });
    size_t shard = static_cast<size_t>(after - entry.bounds.begin());
    std::vector<size_t> shards{shard};
    if (prefix) {
        // Later files whose start still begins with the prefix hold more of its terms.
        while (shard < entry.bounds.size() && std::string_view(entry.bounds[shard]).substr(0, term.size()) == term) {
            shards.push_back(++shard);
        }
    }
    return shards;
}

}  // namespace tessaly
