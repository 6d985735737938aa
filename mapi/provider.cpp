// provider.cpp - what every provider shares: properties that open as nothing,
// the entry point names, and the library's RTF functions.
#include "mapi/provider.h"

#include <algorithm>

#include "mapi/memory_stream.h"
#include "mapi/rtf_compressed.h"

namespace tessaly {

const char* const kMapiEntryPoints[7] = {"MAPIInitialize",  "MAPIAdminProfiles",
                                         "MAPILogonEx",     "MAPIUninitialize",
                                         "MAPIFreeBuffer",  "RTFSync",
                                         "WrapCompressedRTFStream"};

MapiResult IMAPIProp::openStream(uint32_t, std::shared_ptr<IStream>& stream) {
    stream.reset();
    return MAPI_E_NOT_FOUND;
}

MapiResult IMAPIProp::openTable(uint32_t, std::shared_ptr<IMAPITable>& table) {
    table.reset();
    return MAPI_E_NO_SUPPORT;
}

bool MapiLibrary::HasEntryPoint(std::string_view name) const {
    return std::find(std::begin(kMapiEntryPoints), std::end(kMapiEntryPoints), name) !=
           std::end(kMapiEntryPoints);
}

uint32_t MapiLibrary::MAPIFreeBuffer(void*) { return SUCCESS_SUCCESS; }

MapiResult MapiLibrary::RTFSync(IMessage&, uint32_t, bool& updated) {
    updated = false;
    return SUCCESS_SUCCESS;
}

MapiResult MapiLibrary::WrapCompressedRTFStream(const std::shared_ptr<IStream>& compressed,
                                                uint32_t, std::shared_ptr<IStream>& uncompressed) {
    uncompressed.reset();
    if (!compressed) return MAPI_E_INVALID_PARAMETER;
    std::string bytes;
    const MapiResult result = readWholeStream(*compressed, bytes);
    if (mapiFailed(result)) return result;
    std::string rtf;
    if (!decompressRtf(bytes, rtf)) return MAPI_E_CORRUPT_DATA;
    uncompressed = std::make_shared<MemoryStream>(std::move(rtf));
    return SUCCESS_SUCCESS;
}

MapiResult IAttach::OpenEmbeddedMessage(std::shared_ptr<IMessage>& message) {
    message.reset();
    return MAPI_E_NOT_FOUND;
}

}  // namespace tessaly
